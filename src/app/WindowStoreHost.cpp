#include "app/WindowStoreHost.h"

#include <QAction>
#include <QApplication>
#include <QStyle>

#include "app/TFrmTdw.h"
#include "store/TDBListFrm.h"

using namespace Qt::StringLiterals;

WindowStoreHost::WindowStoreHost(TFrmTdw& window)
    : m_window(window)
{
}

quint16 WindowStoreHost::pmode() const
{
    return m_window.state().pmode;
}

void WindowStoreHost::setPmode(quint16 value)
{
    m_window.state().pmode = value;
}

bool WindowStoreHost::isCommandEnabled(const QString& name) const
{
    const QAction* action = m_window.action(name);
    return action && action->isEnabled();
}

void WindowStoreHost::setCommandEnabled(const QString& name, bool enabled)
{
    if (QAction* action = m_window.action(name)) {
        action->setEnabled(enabled);
    }
}

void WindowStoreHost::setCommandChecked(const QString& name, bool checked)
{
    if (QAction* action = m_window.action(name)) {
        action->setChecked(checked);
    }
}

void WindowStoreHost::performCommand(const QString& name)
{
    QAction* action = m_window.action(name);
    if (action && action->isEnabled()) {
        action->trigger();
    }
}

void WindowStoreHost::setConnectImage(int imageIndex)
{
    const bool connected = imageIndex == 1;
    const QIcon fallback =
        QApplication::style()->standardIcon(connected ? QStyle::SP_DriveNetIcon : QStyle::SP_DialogCancelButton);
    m_window.action(u"DBConnect"_s)
        ->setIcon(QIcon::fromTheme(connected ? u"network-transmit-receive"_s : u"network-offline"_s, fallback));
}

void WindowStoreHost::dockListWindow()
{
    m_window.DockListWindow();
}

void WindowStoreHost::closeListWindow()
{
    m_window.closeListWindow();
}

void WindowStoreHost::setListShortcut(const QString& command, const QString& keys)
{
    if (TDBListFrm* list = m_window.listWindow()) {
        list->setListShortcut(command, keys);
    }
}

void WindowStoreHost::setStatusText(int panel, const QString& text)
{
    m_window.setStatusText(panel, text);
}

void WindowStoreHost::switchOffFileWorkbench()
{
    m_window.setModeShown(u"DBBackup"_s, false);
}

void WindowStoreHost::switchOffBulkSender()
{
    m_window.setModeShown(u"MLSender"_s, false);
}

void WindowStoreHost::clearMessageView()
{
    m_window.ClearMessageView();
}
