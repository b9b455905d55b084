#include "reader/gpg/GpgDecryptedText.h"

#include "reader/JapaneseText.h"

using namespace Qt::StringLiterals;

namespace GpgDecryptedText {

QString decodeBody(const QByteArray& bytes, bool jisFlg)
{
    QString text =
        jisFlg ? JapaneseText::decodeText(bytes, QByteArrayLiteral("ISO-2022-JP")) : QString::fromUtf8(bytes);
    if (text.startsWith(QChar(0xFEFF))) {
        text.remove(0, 1);
    }
    text.replace(u"\r\n"_s, u"\n"_s);
    return text;
}

QString boundaryDelimiter(const QStringList& lines)
{
    for (qsizetype i = 0; i + 1 < lines.size(); ++i) {
        if (!lines.at(i).contains(u"multipart/alternative;"_s)) {
            continue;
        }
        const QString& next = lines.at(i + 1);
        if (!next.contains(u"boundary=\""_s, Qt::CaseInsensitive)) {
            continue;
        }
        QString delimiter = next.trimmed();
        delimiter.replace(u"boundary=\""_s, u"--"_s, Qt::CaseInsensitive);
        delimiter.replace(u"=-=\""_s, u"=-="_s, Qt::CaseInsensitive);
        return delimiter;
    }
    return QString();
}

QString removeBlankLines(QString text)
{
    text.replace(u"\r\n\n"_s, u"\r\n"_s);
    text.replace(u"\r\n\r\n"_s, u"\r\n"_s);
    return text;
}

QStringList rebuildFirstAlternative(const QStringList& bodyLines, const QString& delimiter, bool removeLf)
{
    qsizetype first = -1;
    for (qsizetype i = 0; i < bodyLines.size(); ++i) {
        if (bodyLines.at(i).contains(delimiter)) {
            first = i;
            break;
        }
    }
    if (first < 0) {
        return bodyLines;
    }
    QString collected;
    for (qsizetype i = first + 1; i < bodyLines.size() && !bodyLines.at(i).contains(delimiter); ++i) {
        collected += bodyLines.at(i) + u"\r\n"_s;
    }
    const qsizetype base64 = collected.indexOf(u"base64"_s);
    if (base64 < 0) {
        return bodyLines;
    }
    QString encoded = collected.mid(base64 + 6);
    encoded.chop(1);
    // Characters outside the Base64 alphabet (the line breaks) are skipped by the decoder.
    QString decoded = QString::fromUtf8(QByteArray::fromBase64(encoded.toLatin1()));
    if (removeLf) {
        decoded = removeBlankLines(decoded);
    }
    return {decoded};
}

QString proposedTextName(const QString& caption)
{
    QString name = caption;
    name.replace(u'/', u'_');
    const qsizetype dot = name.lastIndexOf(u'.');
    if (dot >= 0) {
        name.truncate(dot);
    }
    return name + u".txt"_s;
}

} // namespace GpgDecryptedText
