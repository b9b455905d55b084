#include "store/DbConnectController.h"

#include "app/core/Delay.h"
#include "app/core/ParameterTable.h"
#include "store/MessageListModel.h"
#include "store/TDm_Ldb.h"

using namespace Qt::StringLiterals;

namespace {
const QString kDispMsgDat = u"DispMsgDat"_s;
const QString kDelMsgDat = u"DelMsgDat"_s;
const QString kExprtMsgFile = u"ExprtMsgFile"_s;
const QString kSetListFontSize = u"SetListFontSize"_s;
const QString kDBConnect = u"DBConnect"_s;
const QString kDBUpdate = u"DBUpdate"_s;
const QString kDBSelect = u"DBSelect"_s;
} // namespace

DbConnectController::DbConnectController(TDm_Ldb& dataModule,
                                         ParameterTable& parameters,
                                         const DbListHost& host,
                                         QObject* parent)
    : QObject(parent)
    , m_dm(dataModule)
    , m_parameters(parameters)
    , m_host(host)
{
    // DBConnect is usable exactly while the connection is believed open.
    connect(&m_dm, &TDm_Ldb::connectionChanged, this, [this](bool open) {
        m_host.commands.setCommandEnabled(kDBConnect, open);
    });
    m_host.commands.setCommandEnabled(kDBConnect, m_dm.isConnected());
}

QString DbConnectController::connectedText()
{
    return tr("DBと接続しました");
}

bool DbConnectController::isListOpen() const
{
    return m_dm.isListOpen();
}

void DbConnectController::toggle()
{
    m_host.modes.switchOffFileWorkbench();
    m_host.modes.switchOffBulkSender();
    m_host.status.setStatusText(0, QString());
    m_host.status.setStatusText(2, QString());
    const bool wasOpen = m_dm.isListOpen();
    if (wasOpen) {
        m_host.modes.clearMessageView();
    }
    m_dm.list().setFilter(QString(), {});
    if (wasOpen) {
        m_dm.closeList();
        applyClosedState();
    } else if (m_dm.openList()) {
        applyOpenState();
    } else {
        applyClosedState();
    }
}

void DbConnectController::closeList()
{
    if (m_dm.isListOpen()) {
        m_dm.closeList();
        applyClosedState();
    }
}

void DbConnectController::applyClosedState()
{
    m_host.commands.setCommandChecked(kDBConnect, false);
    m_host.commands.setConnectImage(6);
    for (const QString& name : {kDispMsgDat, kDelMsgDat, kExprtMsgFile, kSetListFontSize}) {
        m_host.commands.setCommandEnabled(name, false);
    }
    m_host.mode.setPmode(m_host.mode.pmode() & ~PmodeWord::listOpen);
    m_host.listWindow.closeListWindow();
    if (m_host.commands.isCommandEnabled(kDBUpdate)) {
        m_host.commands.setCommandEnabled(kDBUpdate, false);
    }
    Q_EMIT listClosed();
}

void DbConnectController::applyOpenState()
{
    m_host.mode.setPmode(m_host.mode.pmode() | PmodeWord::listOpen);
    m_host.commands.setCommandChecked(kDBConnect, true);
    m_host.commands.setConnectImage(1);
    const bool hasRows = m_dm.list().rowCount() > 0;
    for (const QString& name : {kDBSelect, kDispMsgDat, kDelMsgDat, kExprtMsgFile, kSetListFontSize}) {
        m_host.commands.setCommandEnabled(name, hasRows);
    }
    m_host.listWindow.dockListWindow();
    m_host.status.setStatusText(2, connectedText());
    applyAutoViewShortcuts();
    Q_EMIT listOpened();
}

void DbConnectController::applyAutoViewShortcuts()
{
    const bool autoView = m_parameters.value(u"AutoView") == u"1"_s;
    m_host.listWindow.setListShortcut(kExprtMsgFile, autoView ? QString() : u"Ctrl+T"_s);
    m_host.listWindow.setListShortcut(kDispMsgDat, autoView ? QString() : u"Ctrl+R"_s);
    m_host.listWindow.setListShortcut(kDelMsgDat, autoView ? QString() : u"Ctrl+Del"_s);
}

void DbConnectController::autoViewStep()
{
    if (m_parameters.value(u"AutoView") != u"1"_s) {
        return;
    }
    // A pause that is not a whole number of seconds cannot be waited for; then
    // nothing is shown rather than showing at once.
    bool ok = false;
    const int seconds = m_parameters.value(u"WaitTime").trimmed().toInt(&ok);
    if (!ok || seconds < 0) {
        return;
    }
    Delay::wait(seconds * 1000);
    display();
}

void DbConnectController::displayNow()
{
    display();
}

void DbConnectController::display()
{
    if (!m_dm.isListOpen()) {
        return;
    }
    if (m_host.commands.isCommandEnabled(kDBUpdate)) {
        m_host.commands.setCommandEnabled(kDBUpdate, false);
    }
    m_host.commands.performCommand(kDispMsgDat);
}
