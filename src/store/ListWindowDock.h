#pragma once

#include <array>

#include <QObject>
#include <QPointer>

class DbConnectController;
class PmodeWord;
class QAction;
class QTabWidget;
class QWidget;
class TDBListFrm;
class TDm_Ldb;
struct Settings;

// Where the message list window lives: docked as the "DB List View" page of
// the main window's page control, or floating on its own above the main
// window. A double click on its tab lets it float, as dragging it out of the
// page control would; closing the floating window docks it back. It is made
// on first use with the columns, font size and floating size of the settings,
// and hands them back with writeSettings().
class ListWindowDock final : public QObject
{
    Q_OBJECT

public:
    // The list window's commands, in the order TDBListFrm::bindCommands takes them:
    // DispMsgDat, ExprtMsgFile, DelMsgDat, SetListFontSize.
    using Commands = std::array<QAction*, 4>;

    ListWindowDock(QTabWidget& pageControl,
                   TDm_Ldb& dm,
                   const Settings& settings,
                   PmodeWord& mode,
                   DbConnectController& controller,
                   Commands commands,
                   QObject* parent = nullptr);

    // Puts the list window into the page control and brings it to the front.
    void dock();
    // Lets the docked list window float on its own.
    void floatOut();
    // Takes the list window away, docked or floating.
    void close();
    // Nullptr until the list was first docked.
    [[nodiscard]] TDBListFrm* listWindow() const { return m_list; }
    // The list's columns, font size and floating size, for saving.
    void writeSettings(Settings& settings) const;

private:
    QTabWidget& m_pageControl;
    TDm_Ldb& m_dm;
    const Settings& m_settings;
    PmodeWord& m_mode;
    DbConnectController& m_controller;
    Commands m_commands;
    QPointer<TDBListFrm> m_list;
};
