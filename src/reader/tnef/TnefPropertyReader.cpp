#include "reader/tnef/TnefPropertyReader.h"

#include "reader/tnef/TnefError.h"
#include "reader/tnef/TnefReader.h"

using namespace Qt::StringLiterals;

namespace {

qint64 paddedLength(qint64 length)
{
    return (length + 3) & ~qint64(3);
}

// UTF-16LE text without trailing zero characters; an odd final byte is ignored.
QString decodeUtf16(const QByteArray& bytes)
{
    QStringDecoder decoder(QStringConverter::Utf16LE);
    QString text = decoder.decode(QByteArrayView(bytes).first(bytes.size() & ~qsizetype(1)));
    while (text.endsWith(QChar(0))) {
        text.chop(1);
    }
    return text;
}

} // namespace

TTnefPropertyReader::TTnefPropertyReader(TTnefReader* AReader)
    : FReader(AReader)
{
}

TTnefPropertyReader::~TTnefPropertyReader() = default;

bool TTnefPropertyReader::NextProperty()
{
    if (FPropertyTag) {
        skipRemainingValues();
    }
    if (FPropertyCount < 0) {
        const qint32 count = FReader->ReadInt32();
        if (count < 0) {
            throw ETnefError(u"Invalid Property Count"_s);
        }
        FPropertyCount = count;
        FPropertyIndex = -1;
    }
    if (FPropertyIndex >= FPropertyCount) {
        return false;
    }
    ++FPropertyIndex;
    FPropertyTag.reset();
    FPropertyName.reset();
    if (FPropertyIndex >= FPropertyCount) {
        FReader->ValidateChecksum();
        return false;
    }

    const quint16 type = FReader->ReadInt16();
    const quint16 id = FReader->ReadInt16();
    FPropertyTag = std::make_unique<TTnefPropertyTag>(type, id);
    if (FPropertyTag->IsNamed()) {
        const QByteArray guid = FReader->ReadBytes(16);
        const qint32 kind = FReader->ReadInt32();
        if (kind == ikId) {
            const quint32 number = quint32(FReader->ReadInt32());
            FPropertyName = std::make_unique<TTnefPropertyName>(ikId, QString(), guid, number);
        } else if (kind == ikName) {
            const qint64 length = quint32(FReader->ReadInt32());
            const QByteArray data = FReader->ReadBytes(length);
            FReader->SkipBytes(paddedLength(length) - length);
            FPropertyName = std::make_unique<TTnefPropertyName>(ikName, decodeUtf16(data), guid, 0);
        } else {
            throw ETnefError(u"Invalid NameId"_s);
        }
    }
    FValueCount = -1;
    FValueIndex = -1;
    FValueLength = 0;
    m_storedValueLength = 0;
    FPropertyValueStart = FReader->RawReadPosition();
    return true;
}

void TTnefPropertyReader::skipRemainingValues()
{
    const bool variable = TnefPropertyTypeIsVariable(FPropertyTag->PropertyType());
    while (NextValue()) {
        if (!variable) {
            // Fixed-size values are read over in one step, however many the count claims.
            FReader->SkipBytes((FValueCount - FValueIndex) * FValueLength);
            FValueIndex = FValueCount;
            return;
        }
    }
}

bool TTnefPropertyReader::NextValue()
{
    if (!FPropertyTag) {
        return false;
    }
    const TTnefPropertyType type = FPropertyTag->PropertyType();
    const bool variable = TnefPropertyTypeIsVariable(type);
    if (FValueCount < 0) {
        if (FPropertyTag->IsMultiValued() || variable) {
            FValueCount = quint32(FReader->ReadInt32());
        } else {
            FValueCount = 1;
        }
        FValueIndex = -1;
    } else if (FValueIndex >= 0 && FValueIndex < FValueCount) {
        const qint64 valueEnd = FPropertyValueStart + FValueLength;
        const qint64 position = FReader->RawReadPosition();
        if (position > valueEnd) {
            throw ETnefError(u"The property was read incorrectly"_s);
        }
        FReader->SkipBytes(valueEnd - position);
    }
    if (FValueIndex >= FValueCount) {
        return false;
    }
    ++FValueIndex;
    if (FValueIndex >= FValueCount) {
        return false;
    }
    if (variable) {
        m_storedValueLength = quint32(FReader->ReadInt32());
        FValueLength = paddedLength(m_storedValueLength);
    } else {
        FValueLength = TnefPropertyTypeSize(type);
        m_storedValueLength = FValueLength;
    }
    FPropertyValueStart = FReader->RawReadPosition();
    return true;
}

void TTnefPropertyReader::requireValueType(bool accepted) const
{
    if (!accepted || !FPropertyTag || FValueIndex < 0 || FValueIndex >= FValueCount) {
        throw ETnefError(u"Invalid property value"_s);
    }
}

QByteArray TTnefPropertyReader::ReadBytesValue()
{
    const TTnefPropertyType type = FPropertyTag ? FPropertyTag->PropertyType() : ptUnspecified;
    requireValueType(TnefPropertyTypeIsVariable(type) || type == ptClassId);
    return FReader->ReadBytes(m_storedValueLength);
}

QString TTnefPropertyReader::ReadStringValue()
{
    const TTnefPropertyType type = FPropertyTag ? FPropertyTag->PropertyType() : ptUnspecified;
    requireValueType(type == ptString8 || type == ptUnicode || type == ptBinary);
    QByteArray bytes = FReader->ReadBytes(m_storedValueLength);
    if (type == ptUnicode) {
        return decodeUtf16(bytes);
    }
    while (bytes.endsWith('\0')) {
        bytes.chop(1);
    }
    QStringDecoder decoder = FReader->GetEncoding();
    return decoder.decode(bytes);
}

QByteArray TTnefPropertyReader::ReadBytes(qint64 ALength)
{
    return FReader->ReadBytes(ALength);
}

void TTnefPropertyReader::ReadBytes(QIODevice* ADestination, qint64 ALength)
{
    FReader->ReadBytes(ADestination, ALength);
}
