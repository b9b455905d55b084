#pragma once

#include <QByteArray>
#include <QDateTime>
#include <QList>
#include <QString>
#include <QStringList>

// One leaf of a message's MIME tree as the readers see it: nested multiparts
// are flattened into a list in document order.
class MimePart final
{
public:
    enum class Kind
    {
        Text,      // a text part without a file name (the body, plain or HTML)
        Attachment // everything else, embedded messages included
    };

    [[nodiscard]] Kind kind() const { return m_kind; }
    // "type/subtype" in lower case ("text/plain" when the part has none).
    [[nodiscard]] QString contentType() const { return m_contentType; }
    [[nodiscard]] QByteArray charset() const { return m_charset; }
    [[nodiscard]] QString contentId() const { return m_contentId; }
    // The decoded file name, reduced to a plain name (no folders); empty when the part has none.
    [[nodiscard]] QString fileName() const { return m_fileName; }
    void setFileName(const QString& name) { m_fileName = name; }
    // The content with the transfer encoding removed.
    [[nodiscard]] const QByteArray& content() const { return m_content; }
    // The content decoded from its charset.
    [[nodiscard]] QString text() const;
    [[nodiscard]] QStringList textLines() const;
    // Writes the decoded bytes to the file; false when the file cannot be written.
    bool saveTo(const QString& path) const;

private:
    friend class MimeMessage;

    Kind m_kind = Kind::Attachment;
    QString m_contentType;
    QByteArray m_charset;
    QString m_contentId;
    QString m_fileName;
    QByteArray m_content;
};

// What the readers need of an internet message, parsed with GMime.
//
// GMime gives the structure and removes transfer encodings; header texts and
// charsets are decoded with JapaneseText, because GMime's own header decoder
// loses adjacent encoded words. The raw header list is the header block as it
// stands in the file (one entry per physical line). Every accessor works on
// whatever could be loaded and returns empty values otherwise.
class MimeMessage final
{
public:
    MimeMessage() = default;

    // Reads and parses the file; false when it cannot be read (the message is then empty).
    bool load(const QString& path);
    void loadData(const QByteArray& data);
    void clear();

    [[nodiscard]] const QByteArray& rawData() const { return m_raw; }

    // Raw header values: the first field of that name (letter case ignored),
    // folding removed, leading white space trimmed; empty when absent.
    [[nodiscard]] QString headerValue(QStringView name) const;
    [[nodiscard]] bool hasHeader(QStringView name) const;
    [[nodiscard]] qsizetype headerLineCount() const { return m_headerLines.size(); }
    [[nodiscard]] QString headerLine(qsizetype index) const;
    [[nodiscard]] QString headerText() const;

    // The "Date" header in local time; invalid when absent or unreadable.
    [[nodiscard]] QDateTime date() const { return m_date; }
    // The first sender of "From": decoded display name and address.
    [[nodiscard]] QString senderName() const { return m_senderName; }
    [[nodiscard]] QString senderAddress() const { return m_senderAddress; }
    [[nodiscard]] QString subject() const;

    // The body of a message without MIME parts, decoded from its charset.
    [[nodiscard]] QStringList bodyLines() const;
    [[nodiscard]] QString bodyText() const { return m_body; }
    // The lines after the header block as they stand in the file (no decoding of transfer encodings).
    [[nodiscard]] QStringList rawBodyLines() const;

    // True when the message is a multipart (or a lone attachment); the parts are then listed.
    [[nodiscard]] bool hasParts() const { return m_hasParts; }
    [[nodiscard]] const QList<MimePart>& parts() const { return m_parts; }
    [[nodiscard]] QList<MimePart>& parts() { return m_parts; }

    // Text split the way a text control splits it: CR LF, LF and CR end a
    // line; a final line break does not start another line.
    [[nodiscard]] static QStringList splitLines(const QString& text);
    // Reduces a file name from a message to a plain name without folders.
    [[nodiscard]] static QString plainFileName(const QString& name);

private:
    struct Field
    {
        QByteArray name;
        QByteArray value;
    };

    void splitHeaderBlock();
    void parseWithGMime();
    [[nodiscard]] QByteArray rawHeader(QStringView name) const;

    QByteArray m_raw;
    QList<QByteArray> m_headerLines;
    QList<Field> m_fields;
    QByteArray m_rawBody; // bytes after the header block
    QDateTime m_date;
    QString m_senderName;
    QString m_senderAddress;
    QString m_body;
    bool m_hasParts = false;
    QList<MimePart> m_parts;
};
