#pragma once

#include <QCoreApplication>
#include <QObject>

#include "store/DbListHost.h"

class ParameterTable;
class TDm_Ldb;

// "DB接続" (action DBConnect) and the steps that hang on the open list: the
// toggle, the AutoView shortcut rule, the automatic display of the selected
// message and the display on double click. GUI-free: the window is reached
// only through DbListHost.
class DbConnectController final : public QObject
{
    Q_OBJECT

public:
    DbConnectController(TDm_Ldb& dataModule,
                        ParameterTable& parameters,
                        const DbListHost& host,
                        QObject* parent = nullptr);

    [[nodiscard]] static QString connectedText(); // "DBと接続しました"

    // DBConnect triggered: open the list when closed, close it when open.
    void toggle();
    [[nodiscard]] bool isListOpen() const;
    // Closing from elsewhere (intake, sender, workbench): the "now closed" steps.
    void closeList();

    // Shortcuts of the list's context menu: none while AutoView is "1", else
    // Ctrl+T export, Ctrl+R show, Ctrl+Del delete. Also when the focus leaves
    // the parameter table.
    void applyAutoViewShortcuts();

    // A new current row, or a cell click: with AutoView "1", wait WaitTime
    // seconds (events keep running), then show the row current by then.
    void autoViewStep();
    // Double click: show at once, whatever AutoView says.
    void displayNow();

Q_SIGNALS:
    void listOpened();
    void listClosed();

private:
    void applyClosedState();
    void applyOpenState();
    void display();

    TDm_Ldb& m_dm;
    ParameterTable& m_parameters;
    DbListHost m_host;
};
