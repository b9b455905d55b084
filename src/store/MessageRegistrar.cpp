#include "store/MessageRegistrar.h"

#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>
#include <QSqlError>
#include <QSqlQuery>

#include "app/core/Prompter.h"
#include "reader/MessageInfo.h"
#include "store/DbListHost.h"

using namespace Qt::StringLiterals;

namespace {

const QString kDBUpdate = u"DBUpdate"_s;

// The engine's own words for a failed statement; the driver's only when the engine gave none.
QString databaseText(const QSqlQuery& query)
{
    const QSqlError error = query.lastError();
    const QString text = error.databaseText().trimmed();
    return text.isEmpty() ? error.text().trimmed() : text;
}

} // namespace

struct MessageRegistrar::Queries
{
    explicit Queries(const QSqlDatabase& db)
        : indexInsert(db)
        , indexUpdate(db)
        , fileInsert(db)
        , fileUpdate(db)
    {
    }
    QSqlQuery indexInsert;
    QSqlQuery indexUpdate;
    QSqlQuery fileInsert;
    QSqlQuery fileUpdate;
    bool prepared = false;
};

MessageRegistrar::MessageRegistrar(const QString& connectionName)
    : m_connectionName(connectionName)
{
}

MessageRegistrar::~MessageRegistrar()
{
    if (m_inGroup) {
        QSqlDatabase::database(m_connectionName, false).rollback();
    }
}

QString MessageRegistrar::indexInsertStatement()
{
    return u"insert into Message_IdxTbl (Message_ID,Message_Date,Account_Key,Sender_Name,Sender_Address,Recieve_Name,"
           "Recieve_Address,Message_Subject,Message_dtype,Message_ftype,MailBody) values (:Message_ID,:Message_Date,"
           ":Account_Key,:Sender_Name,:Sender_Address,:Recieve_Name,:Recieve_Address,:Message_Subject,:Message_dtype,"
           ":Message_ftype,:MailBody)"_s;
}

QString MessageRegistrar::indexUpdateStatement()
{
    return u"update Message_IdxTbl set Account_Key = :Account_Key,Sender_Name  = :Sender_Name,Sender_Address = "
           ":Sender_Address,Recieve_Name = :Recieve_Name, Recieve_Address  = :Recieve_Address,Message_Subject = "
           ":Message_Subject,Message_dtype = :Message_dtype, Message_ftype = :Message_ftype, MailBody  = :MailBody "
           "where Message_ID = :old_Message_ID and Message_Date = :old_Message_Date"_s;
}

QString MessageRegistrar::fileInsertStatement()
{
    return u"insert into Message_DatTBL (Message_ID,Message_Date,Message_FileName,Message_FileExt,MailDat) values "
           "(:Message_ID,:Message_Date,:Message_FileName,:Message_FileExt,:MailDat) "_s;
}

QString MessageRegistrar::fileUpdateStatement()
{
    return u"update Message_DatTBL set Message_FileName = :Message_FileName,Message_FileExt = :Message_FileExt,"
           "MailDat = :MailDat where Message_ID = :old_Message_ID and Message_Date = :old_Message_Date"_s;
}

std::optional<QDateTime> MessageRegistrar::parseMessageDate(const QString& text)
{
    static const QRegularExpression pattern(
        u"^\\s*(\\d{1,4})/(\\d{1,2})/(\\d{1,2})(?:\\s+(\\d{1,2}):(\\d{1,2})(?::(\\d{1,2}))?)?\\s*$"_s);
    const QRegularExpressionMatch m = pattern.match(text);
    if (!m.hasMatch()) {
        return std::nullopt;
    }
    const QDate date(m.captured(1).toInt(), m.captured(2).toInt(), m.captured(3).toInt());
    QTime time(0, 0);
    if (m.hasCaptured(4)) {
        time = QTime(m.captured(4).toInt(), m.captured(5).toInt(), m.hasCaptured(6) ? m.captured(6).toInt() : 0);
    }
    if (!date.isValid() || !time.isValid()) {
        return std::nullopt;
    }
    return QDateTime(date, time);
}

QString MessageRegistrar::fileType(const QString& awkMessageFile)
{
    if (awkMessageFile.endsWith(u".eml"_s, Qt::CaseInsensitive)) {
        return u"1"_s;
    }
    if (awkMessageFile.endsWith(u".msg"_s, Qt::CaseInsensitive)) {
        return u"2"_s;
    }
    return u"0"_s;
}

QString MessageRegistrar::messageFileOf(const MessageInfo& info)
{
    if (!info.awk_MessageFile.isEmpty() && QFileInfo::exists(info.awk_MessageFile)) {
        return info.awk_MessageFile;
    }
    return info.MessageFile;
}

QString MessageRegistrar::extensionOf(const QString& fileName)
{
    const QString name = QFileInfo(fileName).fileName();
    const qsizetype dot = name.lastIndexOf(u'.');
    return dot < 0 ? QString() : name.mid(dot);
}

QString MessageRegistrar::fitColumn(const QString& text, int width)
{
    qsizetype units = 0;
    int characters = 0;
    while (units < text.size()) {
        if (characters == width) {
            return text.left(units);
        }
        const bool pair =
            text.at(units).isHighSurrogate() && units + 1 < text.size() && text.at(units + 1).isLowSurrogate();
        units += pair ? 2 : 1;
        ++characters;
    }
    return text;
}

bool MessageRegistrar::execSimple(const QString& statement)
{
    QSqlQuery query(QSqlDatabase::database(m_connectionName, false));
    if (!query.exec(statement)) {
        m_lastError = databaseText(query);
        return false;
    }
    return true;
}

bool MessageRegistrar::beginGroup()
{
    if (m_inGroup) {
        return true;
    }
    QSqlDatabase db = QSqlDatabase::database(m_connectionName, false);
    if (!db.transaction()) {
        m_lastError = db.lastError().text();
        return false;
    }
    // Prepared statements keep the transaction they were prepared in: prepare them anew for each group.
    m_queries.reset();
    m_pending.clear();
    m_inGroup = true;
    return true;
}

bool MessageRegistrar::endGroup()
{
    if (!m_inGroup) {
        return true;
    }
    m_inGroup = false;
    m_pending.clear();
    QSqlDatabase db = QSqlDatabase::database(m_connectionName, false);
    if (!db.commit()) {
        m_lastError = db.lastError().text();
        db.rollback();
        return false;
    }
    return true;
}

std::optional<MessageRegistrar::Result> MessageRegistrar::refusal(const MessageInfo& info, QDateTime& date)
{
    m_replayed.reset();
    if (info.Message_ID.trimmed().isEmpty()) {
        return Result{Outcome::Refused, tr("このメールデータはDB更新できません")};
    }
    const std::optional<QDateTime> parsed = parseMessageDate(info.Message_Date);
    if (!parsed) {
        return Result{Outcome::Failed, u"'%1' is not a valid date and time"_s.arg(info.Message_Date)};
    }
    date = *parsed;
    return std::nullopt;
}

MessageRegistrar::Result MessageRegistrar::store(const MessageInfo& info)
{
    QDateTime date;
    if (const std::optional<Result> refused = refusal(info, date)) {
        return *refused;
    }
    // The file is read before anything is written, so that a missing file costs no half-written message.
    const QString path = messageFileOf(info);
    QFile file(path);
    if (path.isEmpty() || !file.open(QIODevice::ReadOnly)) {
        return {Outcome::Failed, u"Cannot open file \"%1\". %2"_s.arg(path, file.errorString())};
    }
    return write(info, date, file.readAll());
}

MessageRegistrar::Result MessageRegistrar::store(const MessageInfo& info, const QByteArray& data)
{
    QDateTime date;
    if (const std::optional<Result> refused = refusal(info, date)) {
        return *refused;
    }
    return write(info, date, data);
}

MessageRegistrar::Result MessageRegistrar::write(const MessageInfo& info, const QDateTime& date, const QByteArray& data)
{
    QSqlDatabase db = QSqlDatabase::database(m_connectionName, false);
    if (!db.isOpen()) {
        return {Outcome::Failed, tr("DBと接続されていません")};
    }
    const QString fileName = QFileInfo(messageFileOf(info)).fileName();
    if (!m_inGroup) {
        return writeAlone(info, date, data, fileName);
    }
    Pending pending{info, date, data, fileName};
    const Result result = writeRows(info, date, data, fileName);
    if (result.outcome == Outcome::Failed) {
        // Part of the message may be written already, and only a savepoint could
        // take that part back alone.
        return replayGroup(pending);
    }
    m_pending.append(std::move(pending));
    return result;
}

MessageRegistrar::Result MessageRegistrar::writeAlone(const MessageInfo& info,
                                                      const QDateTime& date,
                                                      const QByteArray& data,
                                                      const QString& fileName)
{
    QSqlDatabase db = QSqlDatabase::database(m_connectionName, false);
    // The connection may have been closed and opened again since the last
    // message (another archive chosen): prepare afresh for a single message.
    m_queries.reset();
    if (!db.transaction()) {
        return {Outcome::Failed, db.lastError().text()};
    }
    Result result = writeRows(info, date, data, fileName);
    if (result.outcome == Outcome::Failed) {
        db.rollback();
        return result;
    }
    if (!db.commit()) {
        const QString error = db.lastError().text();
        db.rollback();
        return {Outcome::Failed, error};
    }
    return result;
}

MessageRegistrar::Result MessageRegistrar::replayGroup(const Pending& failing)
{
    QSqlDatabase db = QSqlDatabase::database(m_connectionName, false);
    db.rollback();
    m_queries.reset();
    // The archive is as it was before the group: writing the same messages in
    // the same order gives each the outcome it had, unless it fails on its own.
    const QList<Pending> earlier = std::exchange(m_pending, {});
    QList<Replayed> replayed;
    replayed.reserve(earlier.size());
    for (const Pending& message : earlier) {
        replayed.append(
            {message.info.MessageFile, writeAlone(message.info, message.date, message.data, message.fileName)});
    }
    const Result result = writeAlone(failing.info, failing.date, failing.data, failing.fileName);
    m_replayed = std::move(replayed);

    // The rest of the group shares a transaction again; when none can be begun,
    // each later message is written on its own.
    m_queries.reset();
    if (!db.transaction()) {
        m_lastError = db.lastError().text();
        m_inGroup = false;
    }
    return result;
}

MessageRegistrar::Result MessageRegistrar::writeRows(const MessageInfo& info,
                                                     const QDateTime& date,
                                                     const QByteArray& data,
                                                     const QString& fileName)
{
    QSqlDatabase db = QSqlDatabase::database(m_connectionName, false);
    if (!m_queries || !m_queries->prepared) {
        m_queries = std::make_unique<Queries>(db);
        Queries& q = *m_queries;
        if (!q.indexInsert.prepare(indexInsertStatement()) || !q.indexUpdate.prepare(indexUpdateStatement())
            || !q.fileInsert.prepare(fileInsertStatement()) || !q.fileUpdate.prepare(fileUpdateStatement())) {
            const QString error = databaseText(q.indexInsert) + databaseText(q.indexUpdate) + databaseText(q.fileInsert)
                                  + databaseText(q.fileUpdate);
            m_queries.reset();
            return {Outcome::Failed, error};
        }
        q.prepared = true;
    }
    Queries& q = *m_queries;

    const QString id = fitColumn(info.Message_ID, Widths::Message_ID);
    const QString dtype = QString::number(info.MDatType).left(1);
    const QString ftype = fileType(info.awk_MessageFile);
    const auto bindIndex = [&](QSqlQuery& query) {
        query.bindValue(u":Account_Key"_s, fitColumn(info.Account_Key, Widths::Account_Key));
        query.bindValue(u":Sender_Name"_s, fitColumn(info.Sender_Name, Widths::Sender_Name));
        query.bindValue(u":Sender_Address"_s, fitColumn(info.Sender_Address, Widths::Sender_Address));
        query.bindValue(u":Recieve_Name"_s, fitColumn(info.Recieve_Name, Widths::Recieve_Name));
        query.bindValue(u":Recieve_Address"_s, fitColumn(info.Recieve_Address, Widths::Recieve_Address));
        query.bindValue(u":Message_Subject"_s, fitColumn(info.Message_Subject, Widths::Message_Subject));
        query.bindValue(u":Message_dtype"_s, dtype);
        query.bindValue(u":Message_ftype"_s, ftype);
        query.bindValue(u":MailBody"_s, info.MailBody);
    };
    const QString storedName = fitColumn(fileName.trimmed(), Widths::Message_FileName);
    const QString storedExt = fitColumn(extensionOf(fileName).trimmed(), Widths::Message_FileExt);
    const auto bindFile = [&](QSqlQuery& query) {
        query.bindValue(u":Message_FileName"_s, storedName);
        query.bindValue(u":Message_FileExt"_s, storedExt);
        query.bindValue(u":MailDat"_s, data);
    };

    Outcome outcome = Outcome::Inserted;
    q.indexInsert.bindValue(u":Message_ID"_s, id);
    q.indexInsert.bindValue(u":Message_Date"_s, date);
    bindIndex(q.indexInsert);
    if (!q.indexInsert.exec()) {
        // Usually the key exists already; the update then finds the row. When it
        // finds none, the insert failed for another reason and nothing is stored.
        const QString insertError = databaseText(q.indexInsert);
        q.indexUpdate.bindValue(u":old_Message_ID"_s, id);
        q.indexUpdate.bindValue(u":old_Message_Date"_s, date);
        bindIndex(q.indexUpdate);
        if (!q.indexUpdate.exec()) {
            return {Outcome::Failed, tr("更新できませんでした(Message_IdxTbl)") + databaseText(q.indexUpdate)};
        }
        if (q.indexUpdate.numRowsAffected() < 1) {
            return {Outcome::Failed, tr("更新できませんでした(Message_IdxTbl)") + insertError};
        }
        outcome = Outcome::Updated;
    }

    q.fileInsert.bindValue(u":Message_ID"_s, id);
    q.fileInsert.bindValue(u":Message_Date"_s, date);
    bindFile(q.fileInsert);
    if (!q.fileInsert.exec()) {
        const QString insertError = databaseText(q.fileInsert);
        q.fileUpdate.bindValue(u":old_Message_ID"_s, id);
        q.fileUpdate.bindValue(u":old_Message_Date"_s, date);
        bindFile(q.fileUpdate);
        if (!q.fileUpdate.exec()) {
            return {Outcome::Failed, tr("UPdate できませんでした(Message_DatTBL)")};
        }
        if (q.fileUpdate.numRowsAffected() < 1) {
            return {Outcome::Failed, tr("UPdate できませんでした(Message_DatTBL)") + insertError};
        }
        outcome = Outcome::Updated;
    }
    return {outcome, QString()};
}

MessageRegistrar::Outcome MessageRegistrar::DBUpdate(const MessageInfo& info,
                                                     StatusPanels& status,
                                                     CommandSwitchboard& commands,
                                                     Prompter& prompter)
{
    if (info.Message_ID.trimmed().isEmpty()) {
        status.setStatusText(2, tr("このメールデータはDB更新できません"));
        return Outcome::Refused;
    }
    status.setStatusText(2, tr("DB更新中です"));
    commands.setCommandEnabled(kDBUpdate, false);
    const Result result = store(info);
    if (result.outcome == Outcome::Failed) {
        // Nothing was written: the user may correct the boxes (a date, say) and try again.
        commands.setCommandEnabled(kDBUpdate, true);
        prompter.error(result.error);
        status.setStatusText(2, QString());
        return Outcome::Failed;
    }
    status.setStatusText(2, tr("DB更新が完了しました"));
    commands.setCommandEnabled(kDBUpdate, false);
    return result.outcome;
}
