#pragma once

#include <QList>
#include <QPointer>
#include <QWidget>

#include "store/ListColumns.h"
#include "store/ListWindowState.h"

class DbConnectController;
class MessageListModel;
class PmodeWord;
class QAction;
class QMenu;
class QTableView;

// The message list window: a grid over the list model, docked as the tab
// "DB List View" of the main window or floating on its own. Thin: the order,
// paging and rules live in MessageListModel, ListColumns and ListWindowState;
// showing a message is the controller's (and the DispMsgDat command's) job.
//
// The window wires it with bindCommands() (the context menu follows the
// commands' enabled state), setController() (clicks, row changes and double
// clicks reach the AutoView and display steps) and setModeWord() (pmode, for
// the close rule), and connects dockBackRequested / closeToToolBar /
// activeChanged to its own docking and window-style code.
class TDBListFrm final : public QWidget
{
    Q_OBJECT

public:
    explicit TDBListFrm(MessageListModel& model, QWidget* parent = nullptr);
    ~TDBListFrm() override;

    [[nodiscard]] static QString dockedCaption(); // "DB List View"

    // The ten grid columns: fields and titles go to the model, widths and
    // visibility to the grid. columns() reads them back as the user left them
    // (in the order shown), for writing the settings at exit.
    void setColumns(const QList<ListColumn>& columns);
    [[nodiscard]] QList<ListColumn> columns() const;

    // DBLstFrmFontSize.
    [[nodiscard]] int fontSize() const { return m_fontSize; }
    void setFontSize(int size);
    void smallerFont();
    void largerFont();
    // Title clicks since start-up; its parity picks the direction.
    [[nodiscard]] int srtcnum() const { return m_srtcnum; }

    void bindCommands(QAction* dispMsgDat, QAction* exprtMsgFile, QAction* delMsgDat, QAction* setListFontSize);
    void setController(DbConnectController* controller);
    void setModeWord(PmodeWord* mode) { m_mode = mode; }
    // command: "DispMsgDat", "ExprtMsgFile" or "DelMsgDat"; keys empty for none.
    void setListShortcut(const QString& command, const QString& keys);

    [[nodiscard]] QTableView* grid() const { return m_grid; }
    [[nodiscard]] QMenu* contextMenu() const { return m_menu; }
    [[nodiscard]] ListWindowState& placement() { return m_state; }
    // The end of a docking drag, told by the window: applies sizing and may close.
    void dockingEnded(ListWindowState::Host host);

Q_SIGNALS:
    // Closing the floating window while the list was open: dock it back as a tab.
    void dockBackRequested();
    void activeChanged(bool active);
    void fontSizeChanged(int size);

protected:
    void closeEvent(QCloseEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void changeEvent(QEvent* event) override;

private:
    void titleClicked(int logicalIndex);
    void applyFont();

    MessageListModel& m_model;
    QTableView* m_grid = nullptr;
    QMenu* m_menu = nullptr;
    QAction* m_show = nullptr;
    QAction* m_export = nullptr;
    QAction* m_delete = nullptr;
    QAction* m_smaller = nullptr;
    QAction* m_larger = nullptr;
    QPointer<DbConnectController> m_controller;
    PmodeWord* m_mode = nullptr; // not owned
    ListWindowState m_state;
    int m_fontSize = 8;
    int m_srtcnum = 0;
};
