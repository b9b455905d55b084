#pragma once

#include <QByteArray>
#include <QString>
#include <QStringDecoder>

#include "reader/tnef/TnefAttributeConsts.h"

class QIODevice;

// Reads the records of a TNEF stream: the signature and legacy key on creation, then one attribute
// after the other. Every byte read is added to the running checksum of the current attribute value.
class TTnefReader final
{
public:
    // Checks the signature at the stream's current position; the stream must allow seeking.
    explicit TTnefReader(QIODevice* AInputStream);

    // Moves to the next attribute record; false at the end of the stream.
    bool NextAttribute();

    quint8 ReadByte();
    quint16 ReadInt16();
    qint32 ReadInt32();
    QByteArray ReadBytes(qint64 ALength);
    // Copies ALength bytes to ADestination in pieces of at most 4096 bytes.
    void ReadBytes(QIODevice* ADestination, qint64 ALength);
    // Reads over ALength bytes, still adding them to the checksum.
    void SkipBytes(qint64 ALength);
    // The whole attribute value without one trailing zero byte, decoded with GetEncoding.
    QString ReadString();
    // Compares the stored checksum with the running one, when the position is at the end of the value.
    void ValidateChecksum();
    [[nodiscard]] QStringDecoder GetEncoding() const;

    [[nodiscard]] quint16 AttachmentKey() const { return FAttachmentKey; }
    [[nodiscard]] TTnefAttributeLevel AttributeLevel() const { return FAttributeLevel; }
    [[nodiscard]] TTnefAttributeTag AttributeTag() const { return FAttributeTag; }
    [[nodiscard]] quint32 AttributeLength() const { return FAttributeLength; }
    [[nodiscard]] qint32 TnefVersion() const { return FTnefVersion; }
    [[nodiscard]] qint32 OemCodePage() const { return FOemCodePage; }
    [[nodiscard]] qint64 RawReadPosition() const;
    [[nodiscard]] TTnefAttributeType AttributeType() const;

private:
    void readExactly(char* destination, qint64 length);
    void requireAvailable(qint64 length) const;
    void addToChecksum(const char* data, qint64 length);

    QIODevice* FInputStream; // not owned
    qint64 FAttributeValueStart = -1;
    quint16 FChecksum = 0;
    quint32 FAttributeLength = 0;
    TTnefAttributeTag FAttributeTag = agNull;
    quint16 FAttachmentKey = 0;
    TTnefAttributeLevel FAttributeLevel = alMessage;
    qint32 FTnefVersion = 0;
    qint32 FOemCodePage = 0;
    quint32 m_attributeRawId = 0;
    qint64 m_streamSize = 0;
};
