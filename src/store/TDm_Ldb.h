#pragma once

#include <memory>
#include <optional>

#include <QObject>
#include <QSqlDatabase>
#include <QString>

#include "store/ConnectionTarget.h"
#include "store/SemaforeLock.h"

class MessageListModel;

// The data module: the one connection to the message archive ("FD_Message"),
// the message list over MAIL_VIEW, the lock file beside an embedded database,
// the structure-version check with the in-place upgrade, and the window title
// that names the database (mirrored into $FormTitle.txt in the data folder).
//
// GUI-free: whatever it needs from the window arrives through signals and the
// controllers in this folder.
class TDm_Ldb final : public QObject
{
    Q_OBJECT

public:
    struct OdsVersion
    {
        int major = 0;
        int minor = 0;
        friend bool operator==(const OdsVersion&, const OdsVersion&) = default;
    };

    struct Options
    {
        QString connectionName = QStringLiteral("FD_Message");
        QString dataFolder;    // where $FormTitle.txt goes
        QString programFolder; // where the engine folder with gfix may lie
        QString workingFolder; // where the engine folder with the client may lie
        QString gfixProgram;   // overrides the engine-folder rule (tests)
        // On-disk structure that marks a file of the previous engine generation.
        OdsVersion previousGeneration{13, 0};
        // How long a server gets to accept the connection before it counts as not answering.
        int serverTimeoutMs = 5000;
    };

    explicit TDm_Ldb(const Options& options, QObject* parent = nullptr);
    ~TDm_Ldb() override;

    [[nodiscard]] static QString userName(); // "kestrelon"
    [[nodiscard]] static QString password();
    [[nodiscard]] static QString titleFileName();      // "$FormTitle.txt"
    [[nodiscard]] static QString defaultArchiveName(); // "Tidewell.fdb"

    // When the configured file is empty: create Tidewell.fdb in the data folder
    // unless it exists, and adopt it with an empty host (embedded). False with a
    // reason when it cannot be created; host and path then stay as they were.
    static bool adoptDefaultArchive(QString& host, QString& path, const QString& dataFolder, QString* error);

    // Ldb_Host1 / Ldb_Path1: what the connection targets from the next apply on.
    void setTarget(const QString& host, const QString& path);
    [[nodiscard]] QString Ldb_Host1() const { return m_host; }
    [[nodiscard]] QString Ldb_Path1() const { return m_path; }

    // Lock file at main-window creation: emb_Flg becomes "host is empty"; then,
    // with emb_Flg and an existing database file, "Semafore" beside it is taken.
    // A failure is not reported; Semafore_Flg tells.
    void acquireLock();
    // At exit: with emb_Flg set, the held lock file is closed and deleted.
    void releaseLock();
    [[nodiscard]] bool emb_Flg() const { return m_embFlg; }
    [[nodiscard]] bool Semafore_Flg() const { return m_lock.isHeld(); }

    // Data module creation: close, apply the target, open, check the structure
    // version and upgrade when needed, set the title, write the title file.
    // Returns whether the connection is open afterwards.
    bool create();
    // Points the connection at the target and sets the title; false when the
    // target is unusable (no file configured).
    bool applyConnectionTarget();
    bool openConnection();
    void closeConnection();
    [[nodiscard]] bool isConnected() const;
    [[nodiscard]] QString lastError() const { return m_lastError; }
    [[nodiscard]] QSqlDatabase database() const;
    [[nodiscard]] std::optional<OdsVersion> odsVersion() const;
    // Runs "gfix -upgrade <file> -user sysdba -pass …" and waits for its end.
    // False when the tool could not be started or failed.
    bool upgrade();
    [[nodiscard]] QStringList upgradeArguments() const;
    [[nodiscard]] QString gfixProgram() const;
    [[nodiscard]] bool TerminateState() const { return m_terminateState; }

    // Connection check: adopt host and file, close, apply (errors ignored),
    // write the title file, then open and close again at once. The connection
    // is closed afterwards either way.
    bool connectionCheck(const QString& host, const QString& path);

    [[nodiscard]] QString title() const { return m_title; }
    void setTitle(const QString& title);
    // Writes the title as the whole content of $FormTitle.txt (UTF-8, atomic);
    // a failure is ignored (returns false).
    bool writeTitleFile() const;

    // The list table over MAIL_VIEW ("MESSAGE_DATE:D" to start with).
    [[nodiscard]] MessageListModel& list() const { return *m_list; }
    bool openList();
    void closeList();
    [[nodiscard]] bool isListOpen() const;

Q_SIGNALS:
    void titleChanged(const QString& title);
    // The connection was opened or closed: DBConnect is enabled exactly while it is open.
    void connectionChanged(bool open);

private:
    void setConnectedState(bool open);
    [[nodiscard]] bool serverAnswers() const;

    Options m_options;
    QString m_host;
    QString m_path;
    ConnectionTarget m_target;
    bool m_embFlg = false;
    SemaforeLock m_lock;
    QString m_title;
    QString m_lastError;
    bool m_terminateState = false;
    std::unique_ptr<MessageListModel> m_list;
};
