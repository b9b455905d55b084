#pragma once

#include <functional>

#include <QDate>
#include <QDialog>
#include <QString>

#include "store/SearchController.h"
#include "store/SearchHistory.h"

class QButtonGroup;
class QComboBox;
class QDateEdit;
class QGroupBox;
class QLabel;
class QPlainTextEdit;
class QPushButton;
class QToolButton;

// The search dialog "DB検索": range of received days, subject and sender
// patterns with their histories, body terms joined with or/and. Thin: what
// the inputs mean and what OK does live in SearchController, SearchFilter and
// SearchHistory.
class TDBSelectFrm final : public QDialog
{
    Q_OBJECT

public:
    TDBSelectFrm(SearchController& controller, QWidget* parent = nullptr);
    ~TDBSelectFrm() override;

    // DBSelect: prepares the list (SearchController::begin), opens the dialog
    // modally without blocking, and when it has closed keeps what is to be kept
    // and calls closed (which makes the list the active page).
    static TDBSelectFrm* start(SearchController& controller, QWidget* parent, std::function<void()> closed);

    [[nodiscard]] static int designWidth() { return 354; }
    [[nodiscard]] static int fixedHeight() { return 280; }
    [[nodiscard]] static QString widenHint();  // "本文検索 画面拡張"
    [[nodiscard]] static QString narrowHint(); // "本文検索 画面閉じる"

    // The inputs as they stand, and setting them (what the dialog opens with).
    [[nodiscard]] SearchController::Range range() const;
    void setRange(const SearchController::Range& range);
    [[nodiscard]] SearchFilter::Inputs inputs() const;
    [[nodiscard]] QStringList bodyLines() const;
    [[nodiscard]] int joinIndex() const;
    [[nodiscard]] const SearchHistory& subjectHistory() const { return m_subjectHistory; }
    [[nodiscard]] const SearchHistory& senderHistory() const { return m_senderHistory; }
    [[nodiscard]] int Width_org() const { return m_widthOrg; }

    [[nodiscard]] QComboBox* subjectBox() const { return m_subject; }
    [[nodiscard]] QComboBox* senderBox() const { return m_sender; }
    [[nodiscard]] QPushButton* okButton() const { return m_ok; }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

private:
    struct Box
    {
        QComboBox* combo;
        SearchHistory* history;
    };

    void buildControls();
    void layOutBody();
    [[nodiscard]] double screenFactor() const;
    [[nodiscard]] int scaled(int pixels) const;
    void showHistory(const Box& box, const QString& text);
    void pressOk();
    void pressCancel();
    void toggleWidth();

    SearchController& m_controller;
    SearchHistory m_subjectHistory;
    SearchHistory m_senderHistory;
    int m_widthOrg = 354;
    QDate old_FromDate;
    QDate old_ToDate;
    QString old_SubStr;
    QString old_SndNameStr;

    QWidget* m_left = nullptr;
    QDateEdit* m_from = nullptr;
    QDateEdit* m_to = nullptr;
    QComboBox* m_subject = nullptr;
    QComboBox* m_sender = nullptr;
    QLabel* m_bodyLabel = nullptr;
    QPlainTextEdit* m_body = nullptr;
    QPushButton* m_clear = nullptr;
    QGroupBox* m_join = nullptr;
    QButtonGroup* m_joinButtons = nullptr;
    QToolButton* m_arrow = nullptr;
    QPushButton* m_ok = nullptr;
    QPushButton* m_cancel = nullptr;
    QPushButton* m_close = nullptr;
};
