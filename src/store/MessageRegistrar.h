#pragma once

#include <memory>
#include <optional>
#include <utility>

#include <QCoreApplication>
#include <QDateTime>
#include <QList>
#include <QSqlDatabase>
#include <QString>

#include "reader/MessageInfo.h"

class CommandSwitchboard;
class Prompter;
class StatusPanels;

// Stores the current message in the archive ("DB更新"): one index row in
// Message_IdxTbl and one file row in Message_DatTBL, both keyed by
// (Message_ID, Message_Date). A message already stored under that key is
// overwritten: each row is inserted, and updated by the key when the insert
// fails.
//
// Both rows of one message are written in one transaction, so a message is
// stored whole or not at all. For bulk imports a group of messages may share
// one transaction (beginGroup/endGroup). A savepoint per message would cost
// more than the writing itself, so when a message of a group fails the whole
// transaction is rolled back and the group so far is written again one message
// per transaction: the refused message leaves no half behind while the others
// stay. Later messages of the group share a new transaction.
//
// GUI-free: the command's reports go to the window through the small store
// interfaces and the Prompter.
class MessageRegistrar final
{
    Q_DECLARE_TR_FUNCTIONS(MessageRegistrar)

public:
    enum class Outcome
    {
        Refused,  // blank Message_ID: nothing written
        Inserted, // a new message
        Updated,  // a message stored before under the same key, overwritten
        Failed    // nothing written; see Result::error
    };

    struct Result
    {
        Outcome outcome = Outcome::Failed;
        QString error; // the text shown to the user on failure
    };

    // Column widths in characters (not bytes); longer values are cut so that a
    // long subject or sender name never keeps a message out of the archive.
    struct Widths
    {
        static constexpr int Message_ID = 256;
        static constexpr int Account_Key = 256;
        static constexpr int Sender_Name = 64;
        static constexpr int Sender_Address = 256;
        static constexpr int Recieve_Name = 64;
        static constexpr int Recieve_Address = 256;
        static constexpr int Message_Subject = 256;
        static constexpr int Message_FileName = 256;
        static constexpr int Message_FileExt = 16;
    };

    // connectionName: an open QSqlDatabase connection to the archive.
    explicit MessageRegistrar(const QString& connectionName);
    ~MessageRegistrar();
    MessageRegistrar(const MessageRegistrar&) = delete;
    MessageRegistrar& operator=(const MessageRegistrar&) = delete;

    // The four statements, exactly as the program issues them.
    [[nodiscard]] static QString indexInsertStatement();
    [[nodiscard]] static QString indexUpdateStatement();
    [[nodiscard]] static QString fileInsertStatement();
    [[nodiscard]] static QString fileUpdateStatement();

    // Message_Date as the readers write it: "yyyy/mm/dd" with an optional
    // "hh:nn:ss" (seconds optional, one-digit parts allowed), local time.
    [[nodiscard]] static std::optional<QDateTime> parseMessageDate(const QString& text);
    // Message_ftype: "1" for a work copy ending in ".eml", "2" for ".msg", else "0".
    [[nodiscard]] static QString fileType(const QString& awkMessageFile);
    // The file that is stored: the work copy when it exists, else the opened file.
    [[nodiscard]] static QString messageFileOf(const MessageInfo& info);
    // The extension with its dot, from the last dot of the file name ("" without one).
    [[nodiscard]] static QString extensionOf(const QString& fileName);
    // text cut to at most width characters (whole characters, never half a pair).
    [[nodiscard]] static QString fitColumn(const QString& text, int width);

    // Writes both rows of the message. Nothing is reported to the user.
    Result store(const MessageInfo& info);
    // The same with the contents of messageFileOf(info) already read by the caller.
    Result store(const MessageInfo& info, const QByteArray& data);

    // The command "DB更新": the checks, the status texts of panel 2, the
    // enabling of DBUpdate and the message boxes on failure, around store().
    Outcome DBUpdate(const MessageInfo& info, StatusPanels& status, CommandSwitchboard& commands, Prompter& prompter);

    // Group commits for bulk imports: store() calls between these share one
    // transaction. endGroup() commits; false (with lastError) when that fails.
    bool beginGroup();
    bool endGroup();
    [[nodiscard]] bool inGroup() const { return m_inGroup; }
    [[nodiscard]] QString lastError() const { return m_lastError; }

    // One message of a group written again on its own transaction.
    struct Replayed
    {
        QString file; // MessageInfo::MessageFile
        Result result;
    };
    // Set by a store() inside a group that failed and had the group written
    // again: the results of the group's earlier messages, in their order, each
    // now committed (or refused) on its own, and the result store() returned is
    // committed on its own too. Empty optional when the last store() did not.
    [[nodiscard]] std::optional<QList<Replayed>> takeReplayed() { return std::exchange(m_replayed, std::nullopt); }

private:
    struct Queries;
    struct Pending
    {
        MessageInfo info;
        QDateTime date;
        QByteArray data;
        QString fileName;
    };

    // The result for a message that is not written at all, else nullopt with date set.
    std::optional<Result> refusal(const MessageInfo& info, QDateTime& date);
    Result write(const MessageInfo& info, const QDateTime& date, const QByteArray& data);
    Result writeRows(const MessageInfo& info, const QDateTime& date, const QByteArray& data, const QString& fileName);
    Result writeAlone(const MessageInfo& info, const QDateTime& date, const QByteArray& data, const QString& fileName);
    Result replayGroup(const Pending& failing);
    bool execSimple(const QString& statement);

    QString m_connectionName;
    std::unique_ptr<Queries> m_queries;
    bool m_inGroup = false;
    QList<Pending> m_pending; // messages written in the open group's transaction
    std::optional<QList<Replayed>> m_replayed;
    QString m_lastError;
};
