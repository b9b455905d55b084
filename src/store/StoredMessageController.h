#pragma once

#include <functional>
#include <optional>

#include <QCoreApplication>
#include <QDateTime>
#include <QString>

#include "store/DbListHost.h"

class FileChooser;
class QSqlDatabase;
class ParameterTable;
class Prompter;
class TDm_Ldb;
struct MessageInfo;

// The tabs of the main window that show the current message, and its
// stay-on-top style, as the display of a stored message needs them.
class ShownMessagePlace
{
public:
    enum class Tab
    {
        Html,        // "HTML"
        Attachment1, // "添付ファイルⅠ"
        Bibliography // "書誌情報"
    };

    virtual ~ShownMessagePlace() = default;
    [[nodiscard]] virtual bool isTabVisible(Tab tab) const = 0;
    virtual void activateTab(Tab tab) = 0;
    // Turns the main window's stay-on-top style back to normal when it is set.
    virtual void normalWindowStyle() = 0;
};

// "メッセージの表示" (DispMsgDat), "メッセージファイルのエクスポート" (ExprtMsgFile)
// and "メッセージの削除" (DelMsgDat) on the list's current row, with the two
// store operations under them. GUI-free: the window hands over its actions,
// status bar and mode word (DbListHost pieces), its message tabs, the readers
// and the current row of the list.
class StoredMessageController final
{
    Q_DECLARE_TR_FUNCTIONS(StoredMessageController)

public:
    // pmode bit 0: the shown message was taken from the store.
    static constexpr quint16 fromStore = 0x0001;

    struct Extracted
    {
        QString fileName; // as stored (Message_FileName)
        QString fileExt;  // as stored (Message_FileExt)
        QString path;     // the work copy in mail_dat (awk_MessageFile)
    };

    // How a work copy is shown: .eml files by the internet message reader, .msg
    // files by the Outlook reader (whose counter of repeated reads is reset and
    // whose own temporary copy is removed afterwards).
    struct Readers
    {
        std::function<void(const QString& path)> internet;
        std::function<void(const QString& path)> outlook;
        std::function<void()> resetOutlookReadCounter; // MsgReadCounter = 0
        std::function<QString()> outlookWorkCopy;      // mwk_MessageFile
    };

    struct Environment
    {
        TDm_Ldb& dataModule;
        PmodeWord& mode;
        CommandSwitchboard& commands;
        StatusPanels& status;
        ShownMessagePlace& place;
        MessageInfo& info;
        ParameterTable& parameters;
        const QString& MLStore_Path; // initial folder of the export dialog
        QString mailDat;             // the work folder
        Prompter& prompter;
        FileChooser& files;
    };

    // The data row of a message, read without any report (the command line uses it too).
    struct StoredFile
    {
        QString fileName; // trimmed
        QString fileExt;  // trimmed
        QByteArray bytes;
    };
    enum class ReadResult
    {
        Ok,
        QueryFailed, // error holds the engine's text
        NoRow
    };
    static ReadResult
    readStoredFile(const QSqlDatabase& db, const QString& id, const QDateTime& date, StoredFile* file, QString* error);
    // The stored file name reduced to a plain file name (it comes from outside);
    // "message" with the stored extension when nothing usable is left.
    [[nodiscard]] static QString plainStoredName(const QString& storedName, const QString& storedExt);

    explicit StoredMessageController(const Environment& environment);

    void setReaders(Readers readers) { m_readers = std::move(readers); }
    // The list's current row (-1 when the grid has none: the first row counts then).
    void setCurrentRow(std::function<int()> currentRow) { m_currentRow = std::move(currentRow); }

    // Writes the stored file of the message into mail_dat under its stored file
    // name (reduced to a plain file name first). Failures are reported here.
    std::optional<Extracted> ExtractStoredMessage(const QString& id, const QDateTime& date);
    // Deletes the file row, then the index row, both or neither.
    bool DeleteStoredMessage(const QString& id, const QDateTime& date);

    void DispMsgDat();
    void ExprtMsgFile();
    void DelMsgDat();

    // The question before a deletion (date and time as yyyy/MM/dd H:mm:ss).
    [[nodiscard]] static QString
    deleteQuestion(const QString& subject, const QDateTime& date, const QString& senderName);

private:
    [[nodiscard]] int currentRow() const;
    void setFromStore();

    Environment m_env;
    Readers m_readers;
    std::function<int()> m_currentRow;
};
