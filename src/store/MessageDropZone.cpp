#include "store/MessageDropZone.h"

#include <memory>

#include <QDragEnterEvent>
#include <QDropEvent>
#include <QMimeData>
#include <QTimer>
#include <QWidget>

#include "store/MessageIntake.h"
#include "store/MimeDropItems.h"

MessageDropZone::MessageDropZone(MessageIntake& intake, QWidget* panel, QWidget* bodyPane, QObject* parent)
    : QObject(parent)
    , m_intake(intake)
    , m_panel(panel)
    , m_bodyPane(bodyPane)
{
    m_panel->setAcceptDrops(true);
    m_panel->setAutoFillBackground(true);
    m_panel->installEventFilter(this);
    // The read-only body pane would take text drops itself; the panel handles every drop.
    m_bodyPane->setAcceptDrops(false);
    // An intake that is still going when the window closes ends after its current item.
    m_panel->window()->installEventFilter(this);
    showResting();
}

void MessageDropZone::setEnabled(bool enabled)
{
    m_enabled = enabled;
    if (m_panel) {
        m_panel->setAcceptDrops(enabled);
    }
}

void MessageDropZone::showResting()
{
    if (m_bodyPane) {
        m_bodyPane->show();
        m_bodyPane->repaint();
    }
    if (m_panel) {
        m_panel->setBackgroundRole(QPalette::Button);
        m_panel->update();
    }
}

void MessageDropZone::showDragging()
{
    if (m_bodyPane && m_bodyPane->isVisible()) {
        m_bodyPane->hide();
    }
    if (m_panel) {
        m_panel->setBackgroundRole(QPalette::ToolTipBase);
        m_panel->update();
    }
}

bool MessageDropZone::eventFilter(QObject* watched, QEvent* event)
{
    if (m_panel && watched == m_panel->window() && watched != m_panel && event->type() == QEvent::Close) {
        m_intake.stop();
    }
    if (watched != m_panel || !m_enabled) {
        return QObject::eventFilter(watched, event);
    }
    switch (event->type()) {
    case QEvent::DragEnter: {
        auto* drag = static_cast<QDragEnterEvent*>(event);
        if (m_intake.isRunning() || !drag->mimeData() || !MimeDropItems::canRead(*drag->mimeData())) {
            drag->setDropAction(Qt::IgnoreAction);
            drag->ignore();
            return true;
        }
        drag->setDropAction((drag->possibleActions() & Qt::CopyAction) ? Qt::CopyAction : Qt::LinkAction);
        drag->accept();
        return true;
    }
    case QEvent::DragMove: {
        auto* drag = static_cast<QDragMoveEvent*>(event);
        showDragging();
        drag->setDropAction((drag->possibleActions() & Qt::CopyAction) ? Qt::CopyAction : Qt::LinkAction);
        drag->accept();
        return true;
    }
    case QEvent::DragLeave:
        showResting();
        return true;
    case QEvent::Drop: {
        auto* drop = static_cast<QDropEvent*>(event);
        if (!drop->mimeData() || !MimeDropItems::canRead(*drop->mimeData())) {
            showResting();
            return true;
        }
        // The items are taken now; reading them (with its questions) runs after the drop has ended.
        auto items = std::make_shared<MimeDropItems>(*drop->mimeData());
        drop->setDropAction((drop->possibleActions() & Qt::CopyAction) ? Qt::CopyAction : Qt::LinkAction);
        drop->accept();
        QTimer::singleShot(0, this, [this, items] {
            m_intake.drop(*items);
            showResting();
        });
        return true;
    }
    default:
        break;
    }
    return QObject::eventFilter(watched, event);
}
