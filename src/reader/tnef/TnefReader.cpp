#include "reader/tnef/TnefReader.h"

#include <QIODevice>

#include "reader/tnef/TnefAttribute.h"
#include "reader/tnef/TnefError.h"

using namespace Qt::StringLiterals;

namespace {

constexpr quint32 kTnefSignature = 0x223E9F78;
constexpr qint64 kCopyPiece = 4096;
// Level, id, length and checksum: the smallest attribute record there is.
constexpr qint64 kSmallestRecord = 11;

// The decoder for a Windows code page number, or an invalid decoder when the system knows none.
QStringDecoder decoderForCodePage(qint32 codePage)
{
    switch (codePage) {
    case 65001:
        return QStringDecoder(QStringConverter::Utf8);
    case 1200:
        return QStringDecoder(QStringConverter::Utf16LE);
    case 1201:
        return QStringDecoder(QStringConverter::Utf16BE);
    case 20127:
        return QStringDecoder("US-ASCII");
    case 50220:
    case 50221:
    case 50222:
        return QStringDecoder("ISO-2022-JP");
    case 20932:
    case 51932:
        return QStringDecoder("EUC-JP");
    case 936:
        return QStringDecoder("GBK");
    case 950:
        return QStringDecoder("Big5");
    default:
        break;
    }
    if (codePage >= 28591 && codePage <= 28606) {
        return QStringDecoder(QByteArray("ISO-8859-" + QByteArray::number(codePage - 28590)).constData());
    }
    for (const char* prefix : {"windows-", "cp", "ibm-"}) {
        QStringDecoder decoder(QByteArray(prefix + QByteArray::number(codePage)).constData());
        if (decoder.isValid()) {
            return decoder;
        }
    }
    return QStringDecoder();
}

} // namespace

TTnefReader::TTnefReader(QIODevice* AInputStream)
    : FInputStream(AInputStream)
    , m_streamSize(AInputStream->size())
{
    if (quint32(ReadInt32()) != kTnefSignature) {
        throw ETnefError(u"Invalid TNEF format"_s);
    }
    FAttachmentKey = ReadInt16();
}

qint64 TTnefReader::RawReadPosition() const
{
    return FInputStream->pos();
}

TTnefAttributeType TTnefReader::AttributeType() const
{
    const quint32 type = m_attributeRawId >> 16;
    if (type > atMax) {
        throw ETnefError(u"Invalid attribute type"_s);
    }
    return TTnefAttributeType(type);
}

bool TTnefReader::NextAttribute()
{
    if (FAttributeValueStart >= 0) {
        const qint64 recordEnd = FAttributeValueStart + qint64(FAttributeLength) + 2;
        const qint64 position = RawReadPosition();
        if (position > recordEnd) {
            throw ETnefError(u"The attribute was read incorrectly"_s);
        }
        if (position < recordEnd) {
            if (recordEnd > m_streamSize || !FInputStream->seek(recordEnd)) {
                throw ETnefError(u"Invalid stream"_s);
            }
        }
    }
    // Mail transports like to append a line end to the attachment; bytes too few to hold a record are
    // not an attribute, and the attachments before them are complete.
    if (m_streamSize - RawReadPosition() < kSmallestRecord) {
        return false;
    }
    const quint8 level = ReadByte();
    if (level != alMessage && level != alAttachment) {
        throw ETnefError(u"Invalid attribute level"_s);
    }
    FAttributeLevel = TTnefAttributeLevel(level);
    m_attributeRawId = quint32(ReadInt32());
    FAttributeTag = TnefAttributeTagFromId(m_attributeRawId);
    FAttributeLength = quint32(ReadInt32());
    FAttributeValueStart = RawReadPosition();
    FChecksum = 0;

    if (FAttributeLevel == alMessage && FAttributeTag == agTnefVersion) {
        TTnefVersionAttribute attribute(this);
        attribute.Load();
        FTnefVersion = attribute.TnefVersion();
        ValidateChecksum();
    } else if (FAttributeLevel == alMessage && FAttributeTag == agOemCodepage) {
        TTnefOemCodePageAttribute attribute(this);
        attribute.Load();
        FOemCodePage = attribute.OemCodePage();
        ValidateChecksum();
    }
    return true;
}

void TTnefReader::requireAvailable(qint64 length) const
{
    // Checked before anything is allocated, so a length from the stream cannot exhaust memory.
    if (length < 0 || length > m_streamSize - RawReadPosition()) {
        throw ETnefError(u"Invalid Stream"_s);
    }
}

void TTnefReader::addToChecksum(const char* data, qint64 length)
{
    quint16 sum = FChecksum;
    for (qint64 i = 0; i < length; ++i) {
        sum = quint16(sum + quint8(data[i]));
    }
    FChecksum = sum;
}

void TTnefReader::readExactly(char* destination, qint64 length)
{
    if (FInputStream->read(destination, length) != length) {
        throw ETnefError(u"Invalid Stream"_s);
    }
    addToChecksum(destination, length);
}

quint8 TTnefReader::ReadByte()
{
    char byte = 0;
    readExactly(&byte, 1);
    return quint8(byte);
}

quint16 TTnefReader::ReadInt16()
{
    uchar bytes[2] = {};
    readExactly(reinterpret_cast<char*>(bytes), 2);
    return quint16(bytes[0] | (bytes[1] << 8));
}

qint32 TTnefReader::ReadInt32()
{
    uchar bytes[4] = {};
    readExactly(reinterpret_cast<char*>(bytes), 4);
    return qint32(quint32(bytes[0]) | (quint32(bytes[1]) << 8) | (quint32(bytes[2]) << 16) | (quint32(bytes[3]) << 24));
}

QByteArray TTnefReader::ReadBytes(qint64 ALength)
{
    requireAvailable(ALength);
    QByteArray bytes(ALength, Qt::Uninitialized);
    readExactly(bytes.data(), ALength);
    return bytes;
}

void TTnefReader::ReadBytes(QIODevice* ADestination, qint64 ALength)
{
    requireAvailable(ALength);
    char piece[kCopyPiece];
    qint64 left = ALength;
    while (left > 0) {
        const qint64 n = qMin(left, kCopyPiece);
        readExactly(piece, n);
        if (ADestination->write(piece, n) != n) {
            throw ETnefError(u"Cannot write the file: "_s + ADestination->errorString());
        }
        left -= n;
    }
}

void TTnefReader::SkipBytes(qint64 ALength)
{
    requireAvailable(ALength);
    char piece[kCopyPiece];
    qint64 left = ALength;
    while (left > 0) {
        const qint64 n = qMin(left, kCopyPiece);
        readExactly(piece, n);
        left -= n;
    }
}

QString TTnefReader::ReadString()
{
    QByteArray bytes = ReadBytes(FAttributeLength);
    if (bytes.endsWith('\0')) {
        bytes.chop(1);
    }
    QStringDecoder decoder = GetEncoding();
    return decoder.decode(bytes);
}

void TTnefReader::ValidateChecksum()
{
    if (RawReadPosition() != FAttributeValueStart + qint64(FAttributeLength)) {
        return;
    }
    const quint16 expected = FChecksum;
    if (ReadInt16() != expected) {
        throw ETnefError(u"Invalid checksum"_s);
    }
}

QStringDecoder TTnefReader::GetEncoding() const
{
    if (FOemCodePage != 0) {
        QStringDecoder decoder = decoderForCodePage(FOemCodePage);
        if (decoder.isValid()) {
            return decoder;
        }
    }
    return QStringDecoder(QStringConverter::System);
}
