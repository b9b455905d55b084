#pragma once

#include <QString>

// What the store's controllers need from the main window, in small pieces. The
// window implements them (usually all on one adapter object); tests implement
// them with recorders. Action names are the actions' objectNames: "DBConnect",
// "DBUpdate", "DBSelect", "DispMsgDat", "DelMsgDat", "ExprtMsgFile",
// "SetListFontSize".

// The window's mode word pmode. Bits used here: 0x0010 the list is open,
// 0x0100 the list window was dragged out while the list was open.
class PmodeWord
{
public:
    static constexpr quint16 listOpen = 0x0010;
    static constexpr quint16 listUndocked = 0x0100;

    virtual ~PmodeWord() = default;
    [[nodiscard]] virtual quint16 pmode() const = 0;
    virtual void setPmode(quint16 value) = 0;
};

// The window's actions, by objectName.
class CommandSwitchboard
{
public:
    virtual ~CommandSwitchboard() = default;
    [[nodiscard]] virtual bool isCommandEnabled(const QString& name) const = 0;
    virtual void setCommandEnabled(const QString& name, bool enabled) = 0;
    virtual void setCommandChecked(const QString& name, bool checked) = 0;
    // Performs the action; a disabled action does nothing.
    virtual void performCommand(const QString& name) = 0;
    // The image of DBConnect's tool button: 1 connected, 6 not connected.
    virtual void setConnectImage(int imageIndex) = 0;
};

// The message list window's place in the main window.
class ListWindowPlace
{
public:
    virtual ~ListWindowPlace() = default;
    // DockListWindow: create the list window if needed, dock it as the tab
    // "DB List View" filling its page, show it, and make that page current.
    virtual void dockListWindow() = 0;
    // Close (hide) the list window, docked or floating.
    virtual void closeListWindow() = 0;
    // The shortcut of a context-menu entry of the list, by its command
    // ("DispMsgDat", "ExprtMsgFile", "DelMsgDat"); keys in QKeySequence's
    // portable text ("Ctrl+R"), empty for none.
    virtual void setListShortcut(const QString& command, const QString& keys) = 0;
};

// The status bar's panels (0 caret position, 1 editor state, 2 results).
class StatusPanels
{
public:
    virtual ~StatusPanels() = default;
    virtual void setStatusText(int panel, const QString& text) = 0;
};

// The modes that exclude the open list, and the message view.
class ExclusiveModes
{
public:
    virtual ~ExclusiveModes() = default;
    // Each does nothing when its mode is off. Workbench: unmark its action,
    // hide its panel and tab. Bulk sender: message drop target back on the
    // upper panel, attachment drop target off, unmark its action, hide its
    // panel and tab, show the message text.
    virtual void switchOffFileWorkbench() = 0;
    virtual void switchOffBulkSender() = 0;
    // ClearMessageView of the main window.
    virtual void clearMessageView() = 0;
};

// Everything the DB接続 controller is handed; none of it is owned.
struct DbListHost
{
    PmodeWord& mode;
    CommandSwitchboard& commands;
    ListWindowPlace& listWindow;
    StatusPanels& status;
    ExclusiveModes& modes;
};
