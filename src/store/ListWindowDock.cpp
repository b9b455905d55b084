#include "store/ListWindowDock.h"

#include <QTabWidget>

#include "app/core/Settings.h"
#include "store/DbListHost.h"
#include "store/ListColumns.h"
#include "store/ListWindowState.h"
#include "store/TDBListFrm.h"
#include "store/TDm_Ldb.h"

using namespace Qt::StringLiterals;

ListWindowDock::ListWindowDock(QTabWidget& pageControl,
                               TDm_Ldb& dm,
                               const Settings& settings,
                               PmodeWord& mode,
                               DbConnectController& controller,
                               Commands commands,
                               QObject* parent)
    : QObject(parent)
    , m_pageControl(pageControl)
    , m_dm(dm)
    , m_settings(settings)
    , m_mode(mode)
    , m_controller(controller)
    , m_commands(commands)
{
    connect(&m_pageControl, &QTabWidget::tabBarDoubleClicked, this, [this](int index) {
        if (m_list && m_pageControl.widget(index) == m_list) {
            floatOut();
        }
    });
}

void ListWindowDock::dock()
{
    if (!m_list) {
        m_list = new TDBListFrm(m_dm.list());
        m_list->setObjectName(u"DBListFrm"_s);
        m_list->setColumns(ListColumns::fromSettings(m_settings.gridColumns));
        m_list->setFontSize(m_settings.DBLstFrmFontSize);
        m_list->placement().LstWidth = m_settings.LstWidth;
        m_list->placement().LstHeight = m_settings.LstHeight;
        m_list->bindCommands(m_commands[0], m_commands[1], m_commands[2], m_commands[3]);
        m_list->setModeWord(&m_mode);
        m_list->setController(&m_controller);
        connect(m_list, &TDBListFrm::dockBackRequested, this, &ListWindowDock::dock);
    }
    if (m_list->isWindow()) {
        m_list->dockingEnded(ListWindowState::Host::PageControl);
    }
    if (m_pageControl.indexOf(m_list) < 0) {
        m_pageControl.addTab(m_list, TDBListFrm::dockedCaption());
    }
    m_list->setWindowTitle(TDBListFrm::dockedCaption());
    m_list->show();
    m_pageControl.setCurrentWidget(m_list);
}

void ListWindowDock::floatOut()
{
    if (!m_list || m_pageControl.indexOf(m_list) < 0) {
        return;
    }
    ListWindowState::undockedFromPageControl(m_mode, (m_mode.pmode() & PmodeWord::listOpen) != 0);
    m_pageControl.removeTab(m_pageControl.indexOf(m_list));
    // A child window of the main window: it floats above it and goes with it.
    m_list->setParent(m_pageControl.window(), Qt::Window);
    m_list->dockingEnded(ListWindowState::Host::Other);
    m_list->show();
    m_list->raise();
}

void ListWindowDock::close()
{
    if (!m_list) {
        return;
    }
    const int index = m_pageControl.indexOf(m_list);
    if (index >= 0) {
        m_pageControl.removeTab(index);
    }
    m_list->hide();
}

void ListWindowDock::writeSettings(Settings& settings) const
{
    if (!m_list) {
        return;
    }
    settings.gridColumns = ListColumns::toSettings(m_list->columns());
    settings.DBLstFrmFontSize = m_list->fontSize();
    settings.LstWidth = m_list->placement().LstWidth;
    settings.LstHeight = m_list->placement().LstHeight;
}
