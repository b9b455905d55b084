#include "store/TDBListFrm.h"

#include <QAction>
#include <QCloseEvent>
#include <QHeaderView>
#include <QMenu>
#include <QTableView>
#include <QVBoxLayout>

#include "store/DbConnectController.h"
#include "store/MessageListModel.h"

using namespace Qt::StringLiterals;

namespace {

// The context-menu entry follows its command: enabled with it, and performs it.
void follow(QAction* entry, QAction* command)
{
    entry->setEnabled(command->isEnabled());
    QObject::connect(command, &QAction::changed, entry, [entry, command] { entry->setEnabled(command->isEnabled()); });
    QObject::connect(entry, &QAction::triggered, command, [command] { command->trigger(); });
}

} // namespace

TDBListFrm::TDBListFrm(MessageListModel& model, QWidget* parent)
    : QWidget(parent)
    , m_model(model)
{
    setObjectName(u"DBListFrm"_s);
    setWindowTitle(u"DBList View"_s);
    m_grid = new QTableView(this);
    m_grid->setObjectName(u"DBGrid1"_s);
    m_grid->setModel(&m_model);
    m_grid->setSelectionBehavior(QAbstractItemView::SelectRows);
    m_grid->setSelectionMode(QAbstractItemView::SingleSelection);
    m_grid->setEditTriggers(QAbstractItemView::NoEditTriggers);
    m_grid->horizontalHeader()->setSectionsMovable(true);
    m_grid->horizontalHeader()->setSectionsClickable(true);
    m_grid->verticalHeader()->setDefaultSectionSize(m_grid->fontMetrics().height() + 6);
    m_grid->setContextMenuPolicy(Qt::CustomContextMenu);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(m_grid);

    m_menu = new QMenu(this);
    m_show = m_menu->addAction(tr("メッセージの表示 (&R)"));
    m_export = m_menu->addAction(tr("メッセージファイルのエクスポート (&T)"));
    m_menu->addSeparator();
    m_delete = m_menu->addAction(tr("メッセージの削除 (&D)"));
    m_menu->addSeparator();
    m_smaller = m_menu->addAction(tr("フォントサイズ (&S) - 縮小"));
    m_larger = m_menu->addAction(tr("フォントサイズ (&L) - 拡大"));
    m_show->setObjectName(u"ListDispMsgDat"_s);
    m_export->setObjectName(u"ListExprtMsgFile"_s);
    m_delete->setObjectName(u"ListDelMsgDat"_s);
    m_smaller->setObjectName(u"ListFontSmaller"_s);
    m_larger->setObjectName(u"ListFontLarger"_s);
    m_show->setShortcut(QKeySequence(u"Ctrl+R"_s));
    m_export->setShortcut(QKeySequence(u"Ctrl+T"_s));
    m_delete->setShortcut(QKeySequence(u"Ctrl+Del"_s));
    m_smaller->setShortcut(QKeySequence(u"Ctrl+S"_s));
    m_larger->setShortcut(QKeySequence(u"Ctrl+W"_s));
    for (QAction* action : {m_show, m_export, m_delete, m_smaller, m_larger}) {
        action->setShortcutContext(Qt::WidgetWithChildrenShortcut);
        action->setEnabled(false);
        addAction(action);
    }
    connect(m_smaller, &QAction::triggered, this, &TDBListFrm::smallerFont);
    connect(m_larger, &QAction::triggered, this, &TDBListFrm::largerFont);
    connect(m_grid, &QWidget::customContextMenuRequested, this, [this](const QPoint& at) {
        m_menu->popup(m_grid->viewport()->mapToGlobal(at));
    });
    connect(m_grid->horizontalHeader(), &QHeaderView::sectionClicked, this, &TDBListFrm::titleClicked);
    m_state.created();
    applyFont();
}

TDBListFrm::~TDBListFrm() = default;

QString TDBListFrm::dockedCaption()
{
    return u"DB List View"_s;
}

void TDBListFrm::setColumns(const QList<ListColumn>& columns)
{
    m_model.setColumns(columns);
    QHeaderView* header = m_grid->horizontalHeader();
    for (int i = 0; i < columns.size(); ++i) {
        // Back to the natural order first, so that positions mean what the settings say.
        header->moveSection(header->visualIndex(i), i);
        header->resizeSection(i, columns.at(i).width);
        header->setSectionHidden(i, !columns.at(i).visible);
    }
}

QList<ListColumn> TDBListFrm::columns() const
{
    const QHeaderView* header = m_grid->horizontalHeader();
    QList<ListColumn> result;
    for (int visual = 0; visual < m_model.columns().size(); ++visual) {
        const int logical = header->logicalIndex(visual);
        ListColumn column = m_model.columns().at(logical);
        column.visible = !header->isSectionHidden(logical);
        if (column.visible) {
            column.width = header->sectionSize(logical);
        }
        result.append(column);
    }
    return result;
}

void TDBListFrm::setFontSize(int size)
{
    m_fontSize = size;
    applyFont();
    Q_EMIT fontSizeChanged(size);
}

void TDBListFrm::smallerFont()
{
    setFontSize(ListRules::smallerFontSize(m_fontSize));
}

void TDBListFrm::largerFont()
{
    setFontSize(ListRules::largerFontSize(m_fontSize));
}

void TDBListFrm::applyFont()
{
    QFont font = m_grid->font();
    if (m_fontSize > 0) {
        font.setPointSize(m_fontSize);
    }
    m_grid->setFont(font);
    m_grid->verticalHeader()->setDefaultSectionSize(QFontMetrics(font).height() + 6);
}

void TDBListFrm::titleClicked(int logicalIndex)
{
    if (logicalIndex < 0 || logicalIndex >= m_model.columns().size()) {
        return;
    }
    const QString names = ListRules::indexFieldNames(m_model.columns().at(logicalIndex).field, m_srtcnum);
    if (m_model.setIndexFieldNames(names)) {
        m_grid->horizontalHeader()->setSortIndicatorShown(true);
        m_grid->horizontalHeader()->setSortIndicator(
            logicalIndex, names.endsWith(u":D"_s) ? Qt::DescendingOrder : Qt::AscendingOrder);
    }
    m_grid->clearSelection();
    ++m_srtcnum;
}

void TDBListFrm::bindCommands(QAction* dispMsgDat, QAction* exprtMsgFile, QAction* delMsgDat, QAction* setListFontSize)
{
    follow(m_show, dispMsgDat);
    follow(m_export, exprtMsgFile);
    follow(m_delete, delMsgDat);
    for (QAction* entry : {m_smaller, m_larger}) {
        entry->setEnabled(setListFontSize->isEnabled());
        connect(setListFontSize, &QAction::changed, entry, [entry, setListFontSize] {
            entry->setEnabled(setListFontSize->isEnabled());
        });
    }
}

void TDBListFrm::setController(DbConnectController* controller)
{
    if (m_controller) {
        disconnect(m_grid, nullptr, m_controller, nullptr);
    }
    m_controller = controller;
    if (controller == nullptr) {
        return;
    }
    connect(m_grid, &QAbstractItemView::clicked, controller, [controller] { controller->autoViewStep(); });
    connect(m_grid, &QAbstractItemView::doubleClicked, controller, [controller] { controller->displayNow(); });
    connect(m_grid->selectionModel(), &QItemSelectionModel::currentRowChanged, controller, [controller] {
        controller->autoViewStep();
    });
}

void TDBListFrm::setListShortcut(const QString& command, const QString& keys)
{
    QAction* entry = command == u"DispMsgDat"_s     ? m_show
                     : command == u"ExprtMsgFile"_s ? m_export
                     : command == u"DelMsgDat"_s    ? m_delete
                                                    : nullptr;
    if (entry != nullptr) {
        entry->setShortcut(QKeySequence(keys));
    }
}

void TDBListFrm::dockingEnded(ListWindowState::Host host)
{
    const ListWindowState::DockOutcome outcome = m_state.dockingEnded(host);
    if (outcome.storeSize) {
        m_state.LstWidth = width();
        m_state.LstHeight = height();
    }
    if (outcome.applySize && isWindow()) {
        resize(m_state.LstWidth, m_state.LstHeight);
    }
    if (outcome.closeWindow) {
        hide();
    }
}

void TDBListFrm::closeEvent(QCloseEvent* event)
{
    if (m_mode != nullptr && m_state.closeRequested(*m_mode)) {
        event->ignore();
        setWindowTitle(dockedCaption());
        Q_EMIT dockBackRequested();
        return;
    }
    event->accept(); // hidden, keeps its contents
}

void TDBListFrm::resizeEvent(QResizeEvent* event)
{
    QWidget::resizeEvent(event);
    m_state.resized(width(), height());
}

void TDBListFrm::changeEvent(QEvent* event)
{
    QWidget::changeEvent(event);
    if (event->type() == QEvent::ActivationChange && isWindow()) {
        Q_EMIT activeChanged(isActiveWindow());
    }
}
