#pragma once

#include "reader/tnef/TnefPropertyConsts.h"

// The type and identifier of one MAPI property in a TNEF property list.
class TTnefPropertyTag final
{
public:
    // Raw type word and raw id as stored; the flag 0x1000 without a base type is "Invalid Property Type".
    TTnefPropertyTag(quint16 APropertyType, quint16 AId);

    // Named properties carry a GUID and a name after the tag.
    [[nodiscard]] bool IsNamed() const { return FRawId >= 0x8000 && FRawId <= 0xFFFE; }
    [[nodiscard]] bool IsMultiValued() const { return m_multiValued; }
    // The base type, without the multi-value flag.
    [[nodiscard]] TTnefPropertyType PropertyType() const { return FPropertyType; }
    [[nodiscard]] TTnefPropertyId Id() const { return FId; }
    [[nodiscard]] quint16 RawId() const { return FRawId; }

private:
    TTnefPropertyType FPropertyType = ptUnspecified;
    TTnefPropertyId FId = piNull;
    quint16 FRawId = 0;
    bool m_multiValued = false;
};
