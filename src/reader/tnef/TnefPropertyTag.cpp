#include "reader/tnef/TnefPropertyTag.h"

#include "reader/tnef/TnefError.h"

using namespace Qt::StringLiterals;

TTnefPropertyTag::TTnefPropertyTag(quint16 APropertyType, quint16 AId)
    : FPropertyType(TnefPropertyTypeFromRaw(APropertyType))
    , FId(TnefPropertyIdFromRaw(AId))
    , FRawId(AId)
    , m_multiValued((APropertyType & ptMultiValued) != 0)
{
    if (APropertyType == ptMultiValued) {
        throw ETnefError(u"Invalid Property Type"_s);
    }
}
