#pragma once

#include <functional>

#include <QCoreApplication>
#include <QDate>
#include <QString>
#include <QStringList>

#include "store/DbListHost.h"
#include "store/SearchFilter.h"

class DbConnectController;
class ParameterTable;
class Prompter;
class SearchHistory;
class TDm_Ldb;

// "DB検索" (action DBSelect) without its dialog: what the dialog starts with,
// what OK does to the list, what is kept when it closes. The dialog
// (TDBSelectFrm) only shows the inputs and reports the user's choices.
class SearchController final
{
    Q_DECLARE_TR_FUNCTIONS(SearchController)

public:
    // The dialog's inputs that are kept between searches.
    struct Range
    {
        QDate from;
        QDate to;
        QString subject;
        QString sender;
    };

    struct Environment
    {
        TDm_Ldb& dataModule;
        DbConnectController& dbConnect;
        ParameterTable& parameters;
        int& DSelRGIdx; // setting Condition / DSelctRGroup1
        CommandSwitchboard& commands;
        ExclusiveModes& modes;
        QString dataFolder; // where the three side files live
        Prompter& prompter;
    };

    explicit SearchController(const Environment& environment);

    [[nodiscard]] static QString subjectFileName(); // "$Subject_KeyStr.Txt"
    [[nodiscard]] static QString senderFileName();  // "$Sender_KeyStr.Txt"
    [[nodiscard]] static QString bodyFileName();    // "$MsgBody_KeyStr.Txt"
    [[nodiscard]] static QString reversedRangeText();

    // What today is (tests fix it).
    void setToday(std::function<QDate()> today) { m_today = std::move(today); }
    [[nodiscard]] QDate today() const { return m_today(); }

    // Before the dialog: the file workbench goes, the list is connected when it
    // is not, DBSelect is checked; returns the range the dialog opens with
    // (parameters FromDate, ToDate, Subject, SenderName, or one month back to
    // today and empty boxes when unset).
    Range begin();
    // The histories and the body memo lines kept from the last time.
    void loadHistories(SearchHistory& subject, SearchHistory& sender, QStringList& bodyLines) const;
    [[nodiscard]] int joinIndex() const { return m_env.DSelRGIdx; }

    // OK. A reversed range is refused: the message is shown, range becomes one
    // month back to today and false returns; the list is not changed.
    // Otherwise the filter goes onto the list and the list is read again.
    bool accept(const SearchFilter::Inputs& inputs, Range& range);

    // The dialog has closed, whichever way: the histories and memo are kept
    // (failures ignored), the radio group's index, the range and the box texts
    // become the parameters, DBSelect is unchecked.
    void finish(const Range& range,
                const SearchHistory& subject,
                const SearchHistory& sender,
                const QStringList& bodyLines,
                int joinIndex);

private:
    [[nodiscard]] QString sideFile(const QString& name) const;

    Environment m_env;
    std::function<QDate()> m_today;
};
