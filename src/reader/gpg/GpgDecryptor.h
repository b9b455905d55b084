#pragma once

#include <memory>

#include <QByteArray>
#include <QList>
#include <QObject>
#include <QProcess>
#include <QString>
#include <QStringList>

#include "reader/MessageView.h"
#include "reader/MimeMessage.h"
#include "reader/gpg/GpgListEntry.h"

class FileChooser;
class ParameterTable;
class Prompter;

// Decryption jobs with GnuPG. Each job writes the encrypted data to a file of
// its own in the work folder, runs "gpg --output OUT --decrypt IN" (an argument
// list, never a shell line), waits with the event loop running until the
// process has ended or the watchdog gives up, and deletes both files. What was
// decrypted is handed on through the signals below.
//
// GUI-free: the window, the attachment lists and the command line connect the
// signals to whatever shows the result.
class GpgDecryptor final : public QObject
{
    Q_OBJECT

public:
    enum class Job
    {
        Body,           // armored text of a text part
        BareFile,       // a file that is nothing but an armored message
        Attachment,     // an encrypted attachment of list I, shown as the second message
        AttachmentSave, // an encrypted attachment of list I, decrypted text saved
        SecondListSave  // an encrypted attachment of list II, decrypted text saved
    };
    Q_ENUM(Job)

    static constexpr int kWatchdogMilliseconds = 75000;

    // workFolder: mail_dat; created when missing.
    GpgDecryptor(ParameterTable& parameters,
                 Prompter& prompter,
                 FileChooser& files,
                 const QString& workFolder,
                 QObject* parent = nullptr);
    ~GpgDecryptor() override; // stops processes still running and deletes their files

    // The trimmed "GPGPath"; empty when unset ("Dummy Data" counts as unset) or
    // when it names no existing file.
    [[nodiscard]] static QString programPath(const ParameterTable& parameters);
    // The arguments GnuPG is started with.
    [[nodiscard]] static QStringList arguments(const QString& outputFile, const QString& inputFile);

    // The watchdog's delay; by default 75 seconds scaled by Delay's scale, taken at each start.
    void setWatchdogInterval(int milliseconds) { m_watchdogInterval = milliseconds; }
    [[nodiscard]] int watchdogInterval() const;

    // Body and bare-file jobs: decrypts the armored text (jisFlg: the result is
    // ISO-2022-JP) and emits bodyTextReady() with job Body or BareFile. Returns
    // false when "GPGPath" names no program (the message was shown, nothing ran).
    bool decryptBody(const QStringList& armoredText, bool jisFlg, MessageView::ArmorSource source);

    // Double click on an encrypted item of list I (or "GnuPG復号" on that tab).
    // caption: the item's caption; content: the attachment's decoded bytes, as
    // the list looked it up by caption. The decrypted message becomes the
    // second message: its attachments go to list II (secondListChanged), its
    // first text part to the HTML view or the body pane.
    void decryptAttachment(const QString& caption, const QByteArray& content);
    // "GnuPG復号して保存" on the "添付ファイルⅠ" tab: the decrypted text is offered
    // through the save dialog. A null content means the attachment was not found.
    void decryptAttachmentAndSave(const QString& caption, const QByteArray& content);
    // "GnuPG復号して保存" on the "添付ファイルⅡ" tab: the attachment of the second
    // message with that caption (.asc, .gpg or .pgp) is decrypted and saved.
    void decryptSecondListAttachmentAndSave(const QString& caption);

    // The last decrypted message shown by decryptAttachment(); list II's items
    // stand for its parts (GpgListEntry::partIndex).
    [[nodiscard]] const MimeMessage& secondMessage() const { return m_secondMessage; }
    [[nodiscard]] const QList<GpgListEntry>& secondList() const { return m_secondList; }

    // TerminateState: true unless a job is waiting for GnuPG.
    [[nodiscard]] bool TerminateState() const { return m_waiting == 0; }
    // Results of processes still running (after their watchdog) are dropped
    // when they end; call this when another message is shown.
    void abandonRunningJobs();

Q_SIGNALS:
    // Status-bar panel 2 (an empty text clears it).
    void statusTextChanged(const QString& text);
    // Text for the body pane. For the jobs Body and BareFile it is the body of
    // the shown message (MailBody).
    void bodyTextReady(const QString& text, GpgDecryptor::Job job);
    // HTML of the decrypted message for the HTML view ("ShowHtmlText").
    void htmlTextReady(const QString& html, double zoomFactor);
    // List II's new content; an empty list clears it. A non-empty list means:
    // select the "添付ファイルⅡ" page and make that tab visible.
    void secondListChanged(const QList<GpgListEntry>& entries);
    // Make the "添付ファイルⅠ" tab visible (an attachment job starts).
    void attachmentTabRequested();
    // Enables or disables actions by object name ("SavetoDisk", "OpenWith", ...).
    void actionsEnabledChanged(const QStringList& actionNames, bool enabled);

private:
    struct Run;

    // Writes the input file; empty on failure.
    QString writeInput(const QByteArray& data, const QString& extension);
    // True when the file's header block holds an armored message; otherwise
    // shows why, deletes the file and returns false.
    bool checkArmored(const QString& inputFile, const QByteArray& content);
    void run(const std::shared_ptr<Run>& job, const QString& startText);
    [[nodiscard]] QString pathMessage(Job job, MessageView::ArmorSource source) const;
    void processEnded(const std::shared_ptr<Run>& job);
    void watchdogFired(const std::shared_ptr<Run>& job);

    void endBody(const Run& job, const QByteArray* output);
    void endAttachment(const QByteArray* output);
    void endSave(const Run& job, const QByteArray* output);
    double zoomFactor();
    QStringList rebuild(const MimeMessage& message, bool searchBoundary);
    void offerSave(const QString& caption, const QStringList& target);

    ParameterTable& m_parameters;
    Prompter& m_prompter;
    FileChooser& m_files;
    QString m_workFolder;
    int m_watchdogInterval = -1;
    int m_waiting = 0;
    QList<std::shared_ptr<Run>> m_running;
    MimeMessage m_secondMessage;
    QList<GpgListEntry> m_secondList;
};
