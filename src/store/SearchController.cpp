#include "store/SearchController.h"

#include <QDir>

#include "app/core/ParameterTable.h"
#include "app/core/Prompter.h"
#include "app/core/SideFile.h"
#include "store/DbConnectController.h"
#include "store/MessageListModel.h"
#include "store/SearchHistory.h"
#include "store/TDm_Ldb.h"

using namespace Qt::StringLiterals;

namespace {

const QString kDateFormat = u"yyyy/MM/dd"_s;

QDate parseDate(const ParameterTable& parameters, QStringView key)
{
    if (!parameters.isSet(key)) {
        return {};
    }
    const QString text = parameters.value(key).trimmed();
    QDate date = QDate::fromString(text, kDateFormat);
    if (!date.isValid()) {
        date = QDate::fromString(text, u"yyyy/M/d"_s);
    }
    return date;
}

} // namespace

SearchController::SearchController(const Environment& environment)
    : m_env(environment)
    , m_today([] { return QDate::currentDate(); })
{
}

QString SearchController::subjectFileName()
{
    return u"$Subject_KeyStr.Txt"_s;
}

QString SearchController::senderFileName()
{
    return u"$Sender_KeyStr.Txt"_s;
}

QString SearchController::bodyFileName()
{
    return u"$MsgBody_KeyStr.Txt"_s;
}

QString SearchController::reversedRangeText()
{
    return tr("日付範囲がとれません\r\n再度設定してください");
}

QString SearchController::sideFile(const QString& name) const
{
    return QDir(m_env.dataFolder).filePath(name);
}

SearchController::Range SearchController::begin()
{
    m_env.modes.switchOffFileWorkbench();
    if (!m_env.dbConnect.isListOpen()) {
        m_env.dbConnect.toggle();
        if (m_env.dbConnect.isListOpen()) {
            m_env.commands.setCommandChecked(u"DBConnect"_s, true);
            m_env.commands.setConnectImage(1);
        }
    }
    m_env.commands.setCommandChecked(u"DBSelect"_s, true);

    Range range;
    const QDate today = m_today();
    range.from = parseDate(m_env.parameters, u"FromDate");
    if (!range.from.isValid()) {
        range.from = today.addMonths(-1);
    }
    range.to = parseDate(m_env.parameters, u"ToDate");
    if (!range.to.isValid()) {
        range.to = today;
    }
    const QString dummy = ParameterTable::dummyData();
    range.subject = m_env.parameters.value(u"Subject");
    if (range.subject == dummy) {
        range.subject.clear();
    }
    range.sender = m_env.parameters.value(u"SenderName");
    if (range.sender == dummy) {
        range.sender.clear();
    }
    return range;
}

void SearchController::loadHistories(SearchHistory& subject, SearchHistory& sender, QStringList& bodyLines) const
{
    subject.load(sideFile(subjectFileName()));
    sender.load(sideFile(senderFileName()));
    bodyLines = SideFile::readLines(sideFile(bodyFileName()));
}

bool SearchController::accept(const SearchFilter::Inputs& inputs, Range& range)
{
    if (inputs.from > inputs.to) {
        m_env.prompter.information(reversedRangeText());
        range.to = m_today();
        range.from = range.to.addMonths(-1);
        return false;
    }
    const SearchFilter::Where where = SearchFilter::where(inputs);
    MessageListModel& list = m_env.dataModule.list();
    // The list is read again under the new filter; its order stays as the user chose it.
    list.setFilter(where.fragment, where.values);
    if (!m_env.dataModule.openList()) {
        m_env.prompter.error(m_env.dataModule.lastError());
        list.setFilter(QString(), {});
        m_env.dataModule.openList();
    }
    if (m_env.dataModule.isListOpen()) {
        m_env.commands.setCommandEnabled(u"DispMsgDat"_s, true);
        m_env.commands.setCommandEnabled(u"ExprtMsgFile"_s, true);
        m_env.commands.setCommandChecked(u"DBConnect"_s, true);
    }
    return true;
}

void SearchController::finish(const Range& range,
                              const SearchHistory& subject,
                              const SearchHistory& sender,
                              const QStringList& bodyLines,
                              int joinIndex)
{
    // A side file that cannot be written is simply not kept.
    (void)subject.save(sideFile(subjectFileName()));
    (void)sender.save(sideFile(senderFileName()));
    (void)SideFile::writeLines(sideFile(bodyFileName()), bodyLines);
    m_env.DSelRGIdx = joinIndex;
    m_env.parameters.setValue(u"FromDate", range.from.toString(kDateFormat));
    m_env.parameters.setValue(u"ToDate", range.to.toString(kDateFormat));
    m_env.parameters.setValue(u"Subject", range.subject);
    m_env.parameters.setValue(u"SenderName", range.sender);
    m_env.commands.setCommandChecked(u"DBSelect"_s, false);
}
