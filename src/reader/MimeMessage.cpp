#include "reader/MimeMessage.h"

#include <mutex>

#include <gmime/gmime.h>

#include <QFile>
#include <QSaveFile>

#include "reader/JapaneseText.h"

// The GObject type-check macros of GMime expand to C casts.
#pragma GCC diagnostic ignored "-Wold-style-cast"

using namespace Qt::StringLiterals;

namespace {

void ensureGMime()
{
    static std::once_flag once;
    std::call_once(once, [] { g_mime_init(); });
}

// Header bytes as text: UTF-8 when valid (RFC 6532), else guessed.
QString plainText(const QByteArray& bytes)
{
    if (JapaneseText::isValidUtf8(bytes) && !bytes.contains('\x1b')) {
        return QString::fromUtf8(bytes);
    }
    return JapaneseText::guessText(bytes);
}

QByteArray toByteArray(GMimeStream* stream)
{
    GByteArray* array = g_mime_stream_mem_get_byte_array(GMIME_STREAM_MEM(stream));
    if (array == nullptr || array->len == 0) {
        return QByteArray();
    }
    return QByteArray(reinterpret_cast<const char*>(array->data), static_cast<qsizetype>(array->len));
}

// The raw value of a parameter (name=value or name="value") of a structured
// header, unquoted; null when absent. RFC 2231 forms (name*=) are left to GMime.
QByteArray rawParameter(const QByteArray& header, const QByteArray& name)
{
    qsizetype i = header.indexOf(';');
    while (i >= 0 && i < header.size()) {
        ++i; // after ';'
        while (i < header.size()
               && (header.at(i) == ' ' || header.at(i) == '\t' || header.at(i) == '\r' || header.at(i) == '\n')) {
            ++i;
        }
        const qsizetype eq = header.indexOf('=', i);
        if (eq < 0) {
            return QByteArray();
        }
        const QByteArray key = header.mid(i, eq - i).trimmed().toLower();
        qsizetype j = eq + 1;
        while (j < header.size() && (header.at(j) == ' ' || header.at(j) == '\t')) {
            ++j;
        }
        QByteArray value;
        if (j < header.size() && header.at(j) == '"') {
            ++j;
            while (j < header.size() && header.at(j) != '"') {
                if (header.at(j) == '\\' && j + 1 < header.size()) {
                    ++j;
                }
                value.append(header.at(j));
                ++j;
            }
            if (j < header.size()) {
                ++j; // closing quote
            }
        } else {
            while (j < header.size() && header.at(j) != ';') {
                value.append(header.at(j));
                ++j;
            }
            value = value.trimmed();
        }
        if (key == name) {
            return value.isNull() ? QByteArray("") : value;
        }
        i = header.indexOf(';', j);
    }
    return QByteArray();
}

QByteArray rawObjectHeader(GMimeObject* object, const char* name)
{
    GMimeHeaderList* list = g_mime_object_get_header_list(object);
    if (list == nullptr) {
        return QByteArray();
    }
    GMimeHeader* header = g_mime_header_list_get_header(list, name);
    if (header == nullptr) {
        return QByteArray();
    }
    const char* raw = g_mime_header_get_raw_value(header);
    return raw == nullptr ? QByteArray() : QByteArray(raw);
}

// The part's file name. Encoded words in a quoted name are decoded with our
// own decoder (GMime drops adjacent words); RFC 2231 names come from GMime.
QString partFileName(GMimeObject* object)
{
    const QByteArray disposition = rawObjectHeader(object, "Content-Disposition");
    const QByteArray type = rawObjectHeader(object, "Content-Type");
    for (const auto& [header, param] :
         {std::pair{disposition, QByteArray("filename")}, std::pair{type, QByteArray("name")}}) {
        const QByteArray raw = rawParameter(header, param);
        if (!raw.isNull() && raw.contains("=?")) {
            return JapaneseText::decodeHeader(raw).trimmed();
        }
    }
    const char* name = nullptr;
    if (GMIME_IS_PART(object)) {
        name = g_mime_part_get_filename(GMIME_PART(object));
    } else {
        name = g_mime_object_get_content_disposition_parameter(object, "filename");
        if (name == nullptr) {
            name = g_mime_object_get_content_type_parameter(object, "name");
        }
    }
    return name == nullptr ? QString() : plainText(QByteArray(name)).trimmed();
}

QString mimeTypeOf(GMimeObject* object)
{
    GMimeContentType* type = g_mime_object_get_content_type(object);
    if (type == nullptr) {
        return u"text/plain"_s;
    }
    char* text = g_mime_content_type_get_mime_type(type);
    QString result = text == nullptr ? u"text/plain"_s : QString::fromLatin1(text).toLower();
    g_free(text);
    return result;
}

bool isAttachmentDisposition(GMimeObject* object)
{
    GMimeContentDisposition* disposition = g_mime_object_get_content_disposition(object);
    return disposition != nullptr && g_mime_content_disposition_is_attachment(disposition);
}

QByteArray decodedContent(GMimePart* part)
{
    GMimeDataWrapper* wrapper = g_mime_part_get_content(part);
    if (wrapper == nullptr) {
        return QByteArray();
    }
    GMimeStream* stream = g_mime_stream_mem_new();
    g_mime_data_wrapper_write_to_stream(wrapper, stream);
    QByteArray bytes = toByteArray(stream);
    g_object_unref(stream);
    return bytes;
}

QByteArray serialized(GMimeObject* object)
{
    if (object == nullptr) {
        return QByteArray();
    }
    GMimeStream* stream = g_mime_stream_mem_new();
    g_mime_object_write_to_stream(object, nullptr, stream);
    QByteArray bytes = toByteArray(stream);
    g_object_unref(stream);
    return bytes;
}

struct Mailbox
{
    QByteArray name;
    QByteArray address;
};

// The first mailbox of an address list header ("Name <addr>", "addr (Name)",
// quoted names, a group's first member), from its raw bytes.
Mailbox firstMailbox(const QByteArray& raw)
{
    QByteArray phrase;
    QByteArray angle;
    QByteArray comment;
    bool haveAngle = false;
    bool haveComment = false;
    qsizetype i = 0;
    const qsizetype n = raw.size();
    while (i < n) {
        const char c = raw.at(i);
        if (c == '"') {
            ++i;
            while (i < n && raw.at(i) != '"') {
                if (raw.at(i) == '\\' && i + 1 < n) {
                    ++i;
                }
                phrase.append(raw.at(i));
                ++i;
            }
            ++i;
            continue;
        }
        if (c == '(') {
            int depth = 1;
            QByteArray text;
            ++i;
            while (i < n && depth > 0) {
                const char d = raw.at(i);
                if (d == '\\' && i + 1 < n) {
                    text.append(raw.at(i + 1));
                    i += 2;
                    continue;
                }
                if (d == '(') {
                    ++depth;
                } else if (d == ')') {
                    --depth;
                    if (depth == 0) {
                        ++i;
                        break;
                    }
                }
                text.append(d);
                ++i;
            }
            if (!haveComment) {
                comment = text;
                haveComment = true;
            }
            continue;
        }
        if (c == '<' && !haveAngle) {
            const qsizetype close = raw.indexOf('>', i + 1);
            angle = raw.mid(i + 1, (close < 0 ? n : close) - i - 1);
            haveAngle = true;
            i = close < 0 ? n : close + 1;
            continue;
        }
        if (c == ':' && !haveAngle) { // group name: the members follow
            phrase.clear();
            comment.clear();
            haveComment = false;
            ++i;
            continue;
        }
        if ((c == ',' || c == ';') && (haveAngle || !phrase.trimmed().isEmpty())) {
            break;
        }
        if (c != ',' && c != ';') {
            phrase.append(c);
        }
        ++i;
    }
    if (haveAngle) {
        return {phrase.trimmed(), angle.trimmed()};
    }
    return {comment.trimmed(), phrase.trimmed()};
}

} // namespace

QString MimePart::text() const
{
    return JapaneseText::decodeText(m_content, m_charset);
}

QStringList MimePart::textLines() const
{
    return MimeMessage::splitLines(text());
}

bool MimePart::saveTo(const QString& path) const
{
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly)) {
        return false;
    }
    file.write(m_content);
    return file.commit();
}

bool MimeMessage::load(const QString& path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        clear();
        return false;
    }
    loadData(file.readAll());
    return true;
}

void MimeMessage::clear()
{
    m_raw.clear();
    m_headerLines.clear();
    m_fields.clear();
    m_rawBody.clear();
    m_date = QDateTime();
    m_senderName.clear();
    m_senderAddress.clear();
    m_body.clear();
    m_hasParts = false;
    m_parts.clear();
}

void MimeMessage::loadData(const QByteArray& data)
{
    clear();
    m_raw = data;
    splitHeaderBlock();
    const Mailbox from = firstMailbox(rawHeader(u"From"));
    m_senderName = JapaneseText::decodeHeader(from.name).trimmed();
    m_senderAddress = plainText(from.address);
    parseWithGMime();
}

void MimeMessage::splitHeaderBlock()
{
    qsizetype pos = 0;
    const qsizetype n = m_raw.size();
    bool blankSeen = false;
    while (pos < n) {
        qsizetype end = m_raw.indexOf('\n', pos);
        const qsizetype next = end < 0 ? n : end + 1;
        if (end < 0) {
            end = n;
        }
        QByteArray line = m_raw.mid(pos, end - pos);
        if (line.endsWith('\r')) {
            line.chop(1);
        }
        pos = next;
        if (line.isEmpty()) {
            blankSeen = true;
            break;
        }
        m_headerLines.append(line);
        if ((line.at(0) == ' ' || line.at(0) == '\t') && !m_fields.isEmpty()) {
            m_fields.last().value.append(line);
            continue;
        }
        const qsizetype colon = line.indexOf(':');
        if (colon > 0) {
            QByteArray value = line.mid(colon + 1);
            qsizetype lead = 0;
            while (lead < value.size() && (value.at(lead) == ' ' || value.at(lead) == '\t')) {
                ++lead;
            }
            m_fields.append({line.left(colon).trimmed(), value.mid(lead)});
        }
    }
    m_rawBody = blankSeen ? m_raw.mid(pos) : QByteArray();
}

QByteArray MimeMessage::rawHeader(QStringView name) const
{
    const QByteArray key = name.toLatin1();
    for (const Field& field : m_fields) {
        if (field.name.compare(key, Qt::CaseInsensitive) == 0) {
            return field.value;
        }
    }
    return QByteArray();
}

QString MimeMessage::headerValue(QStringView name) const
{
    return plainText(rawHeader(name));
}

bool MimeMessage::hasHeader(QStringView name) const
{
    const QByteArray key = name.toLatin1();
    for (const Field& field : m_fields) {
        if (field.name.compare(key, Qt::CaseInsensitive) == 0) {
            return true;
        }
    }
    return false;
}

QString MimeMessage::headerLine(qsizetype index) const
{
    if (index < 0 || index >= m_headerLines.size()) {
        return QString();
    }
    return plainText(m_headerLines.at(index));
}

QString MimeMessage::headerText() const
{
    QString text;
    for (const QByteArray& line : m_headerLines) {
        text += plainText(line);
        text += u"\r\n"_s;
    }
    return text;
}

QString MimeMessage::subject() const
{
    return JapaneseText::decodeHeader(rawHeader(u"Subject"));
}

QStringList MimeMessage::bodyLines() const
{
    return splitLines(m_body);
}

QStringList MimeMessage::rawBodyLines() const
{
    return splitLines(plainText(m_rawBody));
}

QStringList MimeMessage::splitLines(const QString& text)
{
    QStringList lines;
    qsizetype start = 0;
    const qsizetype n = text.size();
    for (qsizetype i = 0; i < n; ++i) {
        const QChar c = text.at(i);
        if (c == u'\r' || c == u'\n') {
            lines.append(text.mid(start, i - start));
            if (c == u'\r' && i + 1 < n && text.at(i + 1) == u'\n') {
                ++i;
            }
            start = i + 1;
        }
    }
    if (start < n) {
        lines.append(text.mid(start));
    }
    return lines;
}

QString MimeMessage::plainFileName(const QString& name)
{
    QString result = name;
    const qsizetype slash = std::max(result.lastIndexOf(u'/'), result.lastIndexOf(u'\\'));
    if (slash >= 0) {
        result = result.mid(slash + 1);
    }
    QString clean;
    for (const QChar c : std::as_const(result)) {
        if (c.unicode() >= 0x20 && c != u':') {
            clean.append(c);
        }
    }
    clean = clean.trimmed();
    if (clean == u"."_s || clean == u".."_s) {
        return QString();
    }
    return clean;
}

void MimeMessage::parseWithGMime()
{
    ensureGMime();
    if (m_raw.isEmpty()) {
        return;
    }
    GMimeStream* stream = g_mime_stream_mem_new_with_buffer(m_raw.constData(), static_cast<size_t>(m_raw.size()));
    GMimeParser* parser = g_mime_parser_new_with_stream(stream);
    g_object_unref(stream);
    GMimeMessage* message = g_mime_parser_construct_message(parser, nullptr);
    g_object_unref(parser);
    if (message == nullptr) {
        m_body = JapaneseText::guessText(m_rawBody);
        return;
    }

    GDateTime* date = g_mime_message_get_date(message);
    if (date != nullptr) {
        const gint64 seconds = g_date_time_to_unix(date);
        if (seconds != 0) {
            m_date = QDateTime::fromSecsSinceEpoch(seconds).toLocalTime();
        }
    }

    GMimeObject* top = g_mime_message_get_mime_part(message);
    const auto addLeaf = [this](GMimeObject* object) {
        MimePart part;
        part.m_contentType = mimeTypeOf(object);
        const char* charset = g_mime_object_get_content_type_parameter(object, "charset");
        part.m_charset = charset == nullptr ? QByteArray() : QByteArray(charset);
        const char* cid = g_mime_object_get_content_id(object);
        part.m_contentId = cid == nullptr ? QString() : QString::fromLatin1(cid);
        part.m_fileName = plainFileName(partFileName(object));
        if (GMIME_IS_MESSAGE_PART(object)) {
            part.m_kind = MimePart::Kind::Attachment;
            part.m_content = serialized(GMIME_OBJECT(g_mime_message_part_get_message(GMIME_MESSAGE_PART(object))));
        } else {
            const bool text = part.m_contentType.startsWith(u"text/"_s);
            const bool attached = isAttachmentDisposition(object) || !part.m_fileName.isEmpty();
            part.m_kind = text && !attached ? MimePart::Kind::Text : MimePart::Kind::Attachment;
            if (GMIME_IS_PART(object)) {
                part.m_content = decodedContent(GMIME_PART(object));
            }
        }
        m_parts.append(part);
    };
    // An explicit stack instead of recursion: a hostile message can nest deeply.
    QList<GMimeObject*> stack;
    if (top != nullptr && GMIME_IS_MULTIPART(top)) {
        m_hasParts = true;
        stack.append(top);
        while (!stack.isEmpty()) {
            GMimeObject* object = stack.takeLast();
            if (GMIME_IS_MULTIPART(object)) {
                GMimeMultipart* multipart = GMIME_MULTIPART(object);
                for (int i = g_mime_multipart_get_count(multipart) - 1; i >= 0; --i) {
                    stack.append(g_mime_multipart_get_part(multipart, i));
                }
            } else {
                addLeaf(object);
            }
        }
    } else if (top != nullptr && GMIME_IS_PART(top)) {
        const QString type = mimeTypeOf(top);
        const QString name = partFileName(top);
        if (!type.startsWith(u"text/"_s) && (isAttachmentDisposition(top) || !name.isEmpty())) {
            // A message that is nothing but one attachment lists it like a part.
            m_hasParts = true;
            addLeaf(top);
        } else {
            const char* charset = g_mime_object_get_content_type_parameter(top, "charset");
            m_body = JapaneseText::decodeText(decodedContent(GMIME_PART(top)),
                                              charset == nullptr ? QByteArray() : QByteArray(charset));
        }
    } else if (top != nullptr && GMIME_IS_MESSAGE_PART(top)) {
        m_hasParts = true;
        addLeaf(top);
    } else {
        m_body = JapaneseText::guessText(m_rawBody);
    }
    g_object_unref(message);
}
