#pragma once

#include <functional>

#include <QByteArray>
#include <QString>
#include <QStringList>

class MimeMessage;
class OutlookMailItem;
class Prompter;

// The rules of the two attachment lists that do not depend on widgets.
namespace AttachmentRules {

// The name with every "/" replaced by "_".
[[nodiscard]] QString AttachmentDisplayName(const QString& name);
// The extension with its dot ("a.tar.gz" -> ".gz"); empty without one.
[[nodiscard]] QString extensionOf(const QString& caption);

// What selecting an item of list I enables.
struct SelectionI
{
    bool openWith = false;
    bool gpg = false; // DecryptGpg, SaveToDiskDGpg and their menu entries
};
[[nodiscard]] SelectionI selectionOfListI(const QString& caption);
// Double-clicking an item of list I decrypts it with GnuPG (true) or opens it (false).
[[nodiscard]] bool doubleClickDecrypts(const QString& caption);
// Whether selecting an item of list II enables OpenWith and OpenWithA2.
[[nodiscard]] bool openWithOfListII(const QString& caption);
// Whether opening with the associated program is refused ("PGP_MIME version
// identification.dat", ".PGP", ".GPG"; list II also ".ASC").
[[nodiscard]] bool openingRefused(const QString& caption, bool listII);
// Whether an attachment is a TNEF stream: its content type says so, or it is a
// ".dat" file that starts with the TNEF signature.
[[nodiscard]] bool isTnef(const QString& contentType, const QString& caption, const QByteArray& content);

// A plain file name for a caption, safe to put into a work folder.
[[nodiscard]] QString plainName(const QString& caption);

} // namespace AttachmentRules

// The attachments behind lists I and II: where each item's bytes come from
// (the internet message, the Outlook item, the second MIME message, or the
// unpacked files in mail_dat/2nd) and the save, open and unpack operations.
// GUI-free; the window's list panels call it.
class AttachmentList final
{
public:
    enum class Source
    {
        None,
        Mime,
        Outlook
    };

    // An item of list I or II: its caption and, when the reader gave one, its
    // index into the source (MIME part index, Outlook attachment number from 1).
    struct Item
    {
        QString caption;
        int index = -1;
    };

    AttachmentList(QString workFolder, Prompter& prompter);

    void setMimeSource(const MimeMessage* message);
    void setOutlookSource(std::function<const OutlookMailItem*()> item);
    // The second MIME message (a decrypted PGP/MIME message) behind list II, if any.
    void setSecondMessage(const MimeMessage* message) { m_second = message; }
    [[nodiscard]] Source source() const { return m_source; }

    [[nodiscard]] QString workFolder() const { return m_workFolder; }
    [[nodiscard]] QString secondFolder() const { return m_workFolder + u"/2nd"; }
    // Work folder + the caption as a plain file name.
    [[nodiscard]] QString workFile(const QString& caption) const;
    [[nodiscard]] QString secondFile(const QString& caption) const;

    // The attachment lookup by caption: the first attachment part of the message
    // whose file name (or content description + ".dat" as a display name) equals
    // it; -1 when there is none.
    [[nodiscard]] static int findMimePart(const MimeMessage& message, const QString& caption);
    // The first attachment (counted from 1) whose display name equals the caption; -1 when none.
    [[nodiscard]] static int findOutlookAttachment(const OutlookMailItem& item, const QString& caption);

    // The bytes and content type behind an item of list I.
    [[nodiscard]] bool contentOf(const Item& item, QByteArray& content, QString& contentType) const;
    // Writes an item of list I to the file; false when it cannot be found or written.
    bool saveItem(const Item& item, const QString& target) const;
    // Writes an item of list II from the second MIME message; false when that has no such part.
    bool saveSecondItem(const QString& caption, const QString& target) const;

    // SaveToDiskA2's copy of an unpacked file; the target is never overwritten.
    enum class CopyResult
    {
        Copied,
        TargetExists,
        SourceMissing
    };
    [[nodiscard]] CopyResult copyUnpacked(const QString& caption, const QString& target) const;

    // DecryptTnefA1: empties mail_dat/2nd and unpacks every TNEF item of list I
    // into it. The unpacked files (plain names, in listing order); an error of
    // the decoder is shown and ends the unpacking with what was unpacked so far.
    QStringList unpackTnef(const QList<Item>& listI);

    // ExecuteFile: the file last written for opening.
    [[nodiscard]] QString executeFile() const { return m_executeFile; }
    void setExecuteFile(const QString& path) { m_executeFile = path; }
    // Deleting the list's items deletes ExecuteFile.
    void removeExecuteFile();

private:
    QString m_workFolder;
    Prompter& m_prompter;
    Source m_source = Source::None;
    const MimeMessage* m_mime = nullptr;
    std::function<const OutlookMailItem*()> m_outlook;
    const MimeMessage* m_second = nullptr;
    QString m_executeFile;
};
