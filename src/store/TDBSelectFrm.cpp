#include "store/TDBSelectFrm.h"

#include <QButtonGroup>
#include <QComboBox>
#include <QDateEdit>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QScreen>
#include <QToolButton>

using namespace Qt::StringLiterals;

TDBSelectFrm::TDBSelectFrm(SearchController& controller, QWidget* parent)
    : QDialog(parent, Qt::Dialog | Qt::WindowStaysOnTopHint)
    , m_controller(controller)
{
    setObjectName(u"DBSelectFrm"_s);
    setWindowTitle(tr("DB検索"));
    buildControls();

    // Histories and the memo as they were left last time.
    QStringList body;
    m_controller.loadHistories(m_subjectHistory, m_senderHistory, body);
    m_subject->addItems(m_subjectHistory.entries());
    m_subject->setEditText(m_subjectHistory.entries().value(0));
    m_sender->addItems(m_senderHistory.entries());
    m_sender->setEditText(m_senderHistory.entries().value(0));
    m_body->setPlainText(body.join(u'\n'));

    // Wide enough for the body part when the memo holds terms, narrow otherwise.
    setMinimumWidth(designWidth());
    setFixedHeight(scaled(fixedHeight()));
    int width = 0;
    if (SearchFilter::memoHasText(body)) {
        width = scaled(708);
        m_widthOrg = width / 2;
    } else {
        width = scaled(designWidth());
        m_widthOrg = width;
    }
    resize(width, scaled(fixedHeight()));
    m_joinButtons->button(m_controller.joinIndex() == 1 ? 1 : 0)->setChecked(true);
    layOutBody();
}

TDBSelectFrm::~TDBSelectFrm() = default;

QString TDBSelectFrm::widenHint()
{
    return tr("本文検索 画面拡張");
}

QString TDBSelectFrm::narrowHint()
{
    return tr("本文検索 画面閉じる");
}

TDBSelectFrm* TDBSelectFrm::start(SearchController& controller, QWidget* parent, std::function<void()> closed)
{
    const SearchController::Range range = controller.begin();
    auto* dialog = new TDBSelectFrm(controller, parent);
    dialog->setAttribute(Qt::WA_DeleteOnClose);
    dialog->setRange(range);
    connect(dialog, &QDialog::finished, dialog, [dialog, &controller, closed = std::move(closed)](int) {
        controller.finish(dialog->range(),
                          dialog->m_subjectHistory,
                          dialog->m_senderHistory,
                          dialog->bodyLines(),
                          dialog->joinIndex());
        if (closed) {
            closed();
        }
    });
    dialog->setWindowModality(Qt::ApplicationModal);
    dialog->show();
    return dialog;
}

double TDBSelectFrm::screenFactor() const
{
    const QScreen* current = screen();
    return current ? current->logicalDotsPerInch() / 96.0 : 1.0;
}

int TDBSelectFrm::scaled(int pixels) const
{
    return static_cast<int>(pixels * screenFactor());
}

void TDBSelectFrm::buildControls()
{
    m_left = new QWidget(this);
    m_left->setObjectName(u"LeftPanel"_s);
    auto* left = new QVBoxLayout(m_left);
    left->setContentsMargins(8, 6, 8, 6);
    left->setSpacing(2);

    left->addWidget(new QLabel(tr("■受信日時範囲"), m_left));
    auto* dates = new QHBoxLayout;
    m_from = new QDateEdit(m_left);
    m_from->setObjectName(u"DateTimePicker1"_s);
    m_to = new QDateEdit(m_left);
    m_to->setObjectName(u"DateTimePicker2"_s);
    for (QDateEdit* picker : {m_from, m_to}) {
        picker->setCalendarPopup(true);
        picker->setDisplayFormat(u"yyyy/MM/dd"_s);
    }
    dates->addWidget(m_from);
    dates->addWidget(new QLabel(tr("～"), m_left));
    dates->addWidget(m_to);
    dates->addStretch();
    left->addLayout(dates);

    auto addBox = [this, left](const QString& label, const QString& name) {
        left->addWidget(new QLabel(label, m_left));
        auto* combo = new QComboBox(m_left);
        combo->setObjectName(name);
        combo->setEditable(true);
        combo->setInsertPolicy(QComboBox::NoInsert);
        combo->setMaxVisibleItems(SearchHistory::kMaxEntries);
        combo->installEventFilter(this);
        combo->lineEdit()->installEventFilter(this);
        auto* hint = new QLabel(tr("ワイルドカード： * (任意の文字列)  ? (任意の1文字)"), m_left);
        hint->setStyleSheet(u"color: blue;"_s);
        left->addWidget(combo);
        left->addWidget(hint);
        return combo;
    };
    m_subject = addBox(tr("■件名 "), u"ComboBox1"_s);
    m_sender = addBox(tr("■送信者名"), u"ComboBox2"_s);

    auto* buttons = new QHBoxLayout;
    m_ok = new QPushButton(tr("OK"), m_left);
    m_ok->setObjectName(u"OKBtn"_s);
    m_cancel = new QPushButton(tr("Cancel"), m_left);
    m_cancel->setObjectName(u"CancelBtn"_s);
    m_close = new QPushButton(tr("Close"), m_left);
    m_close->setObjectName(u"CloseBtn"_s);
    m_arrow = new QToolButton(m_left);
    m_arrow->setObjectName(u"ArrowBtn"_s);
    for (QPushButton* button : {m_ok, m_cancel, m_close}) {
        // Only the explicit rule below makes OK the default button.
        button->setAutoDefault(false);
        buttons->addWidget(button);
    }
    buttons->addStretch();
    buttons->addWidget(m_arrow);
    left->addStretch();
    left->addLayout(buttons);

    m_bodyLabel = new QLabel(tr("■本文"), this);
    m_body = new QPlainTextEdit(this);
    m_body->setObjectName(u"Memo1"_s);
    m_body->setLineWrapMode(QPlainTextEdit::NoWrap);
    m_clear = new QPushButton(tr("クリア"), this);
    m_clear->setObjectName(u"ClearBtn"_s);
    m_clear->setAutoDefault(false);
    m_join = new QGroupBox(tr("キーワード接続関数"), this);
    m_join->setObjectName(u"RadioGroup1"_s);
    m_joinButtons = new QButtonGroup(this);
    auto* joinLayout = new QHBoxLayout(m_join);
    joinLayout->setContentsMargins(6, 0, 6, 2);
    const QStringList joins = {tr("or 接続"), tr("and 接続")};
    for (int i = 0; i < joins.size(); ++i) {
        auto* radio = new QRadioButton(joins.at(i), m_join);
        m_joinButtons->addButton(radio, i);
        joinLayout->addWidget(radio);
    }

    connect(m_ok, &QPushButton::clicked, this, &TDBSelectFrm::pressOk);
    connect(m_cancel, &QPushButton::clicked, this, &TDBSelectFrm::pressCancel);
    connect(m_close, &QPushButton::clicked, this, &QDialog::reject);
    connect(m_clear, &QPushButton::clicked, m_body, &QPlainTextEdit::clear);
    connect(m_arrow, &QToolButton::clicked, this, &TDBSelectFrm::toggleWidth);
    connect(m_subject, &QComboBox::activated, this, [this](int index) { m_subjectHistory.setChosenIndex(index); });
    connect(m_sender, &QComboBox::activated, this, [this](int index) { m_senderHistory.setChosenIndex(index); });
}

void TDBSelectFrm::layOutBody()
{
    const int w = width();
    const int leftWidth = std::min(w, scaled(designWidth()));
    m_left->setGeometry(0, 0, leftWidth, height());
    const bool shown = w >= scaled(480);
    for (QWidget* part : {static_cast<QWidget*>(m_bodyLabel),
                          static_cast<QWidget*>(m_body),
                          static_cast<QWidget*>(m_clear),
                          static_cast<QWidget*>(m_join)}) {
        part->setVisible(shown);
    }
    if (shown) {
        const int x = scaled(400);
        const int memoWidth = w - scaled(408);
        m_bodyLabel->setGeometry(x, scaled(6), memoWidth, scaled(18));
        m_body->setGeometry(x, scaled(26), memoWidth, height() - scaled(100));
        m_clear->setGeometry(x, height() - scaled(66), scaled(64), scaled(26));
        m_join->setGeometry(
            x + scaled(72), height() - scaled(72), std::max(scaled(160), memoWidth - scaled(72)), scaled(44));
    }
    const bool wide = m_widthOrg > 50 && w > m_widthOrg + 1;
    m_arrow->setText(wide ? u"←"_s : u"→"_s);
    m_arrow->setToolTip(wide ? narrowHint() : widenHint());
}

void TDBSelectFrm::resizeEvent(QResizeEvent* event)
{
    QDialog::resizeEvent(event);
    layOutBody();
}

void TDBSelectFrm::toggleWidth()
{
    if (m_arrow->text() == u"→"_s) {
        resize(2 * m_widthOrg, height());
        m_arrow->setText(u"←"_s);
        m_arrow->setToolTip(narrowHint());
    } else {
        resize(std::max(m_widthOrg / 2, designWidth()), height());
        m_arrow->setText(u"→"_s);
        m_arrow->setToolTip(widenHint());
    }
}

SearchController::Range TDBSelectFrm::range() const
{
    return {m_from->date(), m_to->date(), m_subject->currentText(), m_sender->currentText()};
}

void TDBSelectFrm::setRange(const SearchController::Range& range)
{
    m_from->setDate(range.from);
    m_to->setDate(range.to);
    m_subject->setEditText(range.subject);
    m_sender->setEditText(range.sender);
    old_FromDate = range.from;
    old_ToDate = range.to;
    old_SubStr = range.subject;
    old_SndNameStr = range.sender;
}

QStringList TDBSelectFrm::bodyLines() const
{
    return SearchFilter::memoLines(m_body->toPlainText());
}

int TDBSelectFrm::joinIndex() const
{
    return std::max(0, m_joinButtons->checkedId());
}

SearchFilter::Inputs TDBSelectFrm::inputs() const
{
    return {m_from->date(), m_to->date(), m_subject->currentText(), m_sender->currentText(), bodyLines(), joinIndex()};
}

void TDBSelectFrm::showHistory(const Box& box, const QString& text)
{
    const QSignalBlocker blocker(box.combo);
    box.combo->clear();
    box.combo->addItems(box.history->entries());
    box.combo->setEditText(text);
}

void TDBSelectFrm::pressOk()
{
    SearchController::Range reset;
    if (!m_controller.accept(inputs(), reset)) {
        m_from->setDate(reset.from);
        m_to->setDate(reset.to);
    }
    accept();
}

void TDBSelectFrm::pressCancel()
{
    m_from->setDate(old_FromDate);
    m_to->setDate(old_ToDate);
    m_subject->setEditText(old_SubStr);
    m_sender->setEditText(old_SndNameStr);
    reject();
}

bool TDBSelectFrm::eventFilter(QObject* watched, QEvent* event)
{
    Box box{nullptr, nullptr};
    if (watched == m_subject || watched == m_subject->lineEdit()) {
        box = {m_subject, &m_subjectHistory};
    } else if (watched == m_sender || watched == m_sender->lineEdit()) {
        box = {m_sender, &m_senderHistory};
    }
    if (!box.combo) {
        return QDialog::eventFilter(watched, event);
    }
    const bool onEdit = watched == box.combo->lineEdit();
    switch (event->type()) {
    case QEvent::KeyPress: {
        const auto* key = static_cast<QKeyEvent*>(event);
        m_ok->setDefault(false);
        if (onEdit && (key->key() == Qt::Key_Return || key->key() == Qt::Key_Enter)) {
            showHistory(box, box.history->enter(box.combo->currentText()));
            m_ok->setDefault(true);
            return true;
        }
        break;
    }
    case QEvent::MouseButtonDblClick:
        if (onEdit) {
            showHistory(box, box.history->enter(box.combo->currentText()));
        }
        break;
    case QEvent::MouseButtonPress:
    case QEvent::FocusIn:
        m_ok->setDefault(false);
        break;
    case QEvent::FocusOut:
        // Opening the drop-down list is not leaving the box.
        if (static_cast<QFocusEvent*>(event)->reason() != Qt::PopupFocusReason) {
            showHistory(box, box.history->focusLeft(box.combo->currentText()));
        }
        break;
    default:
        break;
    }
    return QDialog::eventFilter(watched, event);
}
