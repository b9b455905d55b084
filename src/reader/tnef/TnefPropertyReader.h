#pragma once

#include <memory>

#include <QByteArray>
#include <QString>

#include "reader/tnef/TnefPropertyName.h"
#include "reader/tnef/TnefPropertyTag.h"

class QIODevice;
class TTnefReader;

// Walks the MAPI property list held in the current attribute value (agMapiProperties, agAttachment):
// one property after the other, and within a property one value after the other.
class TTnefPropertyReader final
{
public:
    explicit TTnefPropertyReader(TTnefReader* AReader);
    ~TTnefPropertyReader();

    // Reads over what is left of the current property and moves to the next; false after the last one.
    bool NextProperty();
    // Moves to the next value of the current property; false after the last one.
    bool NextValue();
    // The bytes of the current value (without the padding that follows variable-size values).
    QByteArray ReadBytesValue();
    // The current value as text; only for ptString8, ptUnicode and ptBinary.
    QString ReadStringValue();
    QByteArray ReadBytes(qint64 ALength);
    void ReadBytes(QIODevice* ADestination, qint64 ALength);

    [[nodiscard]] const TTnefPropertyTag* PropertyTag() const { return FPropertyTag.get(); }
    [[nodiscard]] const TTnefPropertyName* PropertyName() const { return FPropertyName.get(); }
    // The length of the current value, padded to a multiple of 4 for variable-size values.
    [[nodiscard]] qint64 ValueLength() const { return FValueLength; }
    // The length of the current value as stored, without padding.
    [[nodiscard]] qint64 StoredValueLength() const { return m_storedValueLength; }
    [[nodiscard]] qint64 ValueCount() const { return FValueCount; }
    [[nodiscard]] TTnefReader* Reader() const { return FReader; }

private:
    void skipRemainingValues();
    void requireValueType(bool accepted) const;

    TTnefReader* FReader; // not owned
    qint64 FPropertyCount = -1;
    qint64 FPropertyIndex = -1;
    qint64 FValueIndex = -1;
    qint64 FValueCount = -1;
    qint64 FValueLength = 0;
    qint64 m_storedValueLength = 0;
    qint64 FPropertyValueStart = 0;
    std::unique_ptr<TTnefPropertyTag> FPropertyTag;
    std::unique_ptr<TTnefPropertyName> FPropertyName;
};
