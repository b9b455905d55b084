#include "reader/tnef/TnefProperty.h"

#include "reader/tnef/TnefError.h"
#include "reader/tnef/TnefPropertyReader.h"

using namespace Qt::StringLiterals;

TTnefProperty::TTnefProperty(TTnefPropertyReader* APropertyReader)
    : FPropertyReader(APropertyReader)
{
}

TTnefProperty::~TTnefProperty() = default;

TAttachDataProperty::TAttachDataProperty(TTnefPropertyReader* APropertyReader, QIODevice* AContent)
    : TTnefProperty(APropertyReader)
    , FContent(AContent)
{
}

void TAttachDataProperty::Load()
{
    if (!FPropertyReader->NextValue()) {
        return;
    }
    const TTnefPropertyTag* tag = FPropertyReader->PropertyTag();
    if (!TnefPropertyTypeIsVariable(tag->PropertyType())) {
        throw ETnefError(u"Invalid property value"_s);
    }
    qint64 length = FPropertyReader->StoredValueLength();
    if (tag->PropertyType() == ptObject) {
        if (length < 16) {
            throw ETnefError(u"Invalid property value"_s);
        }
        FGuid = FPropertyReader->ReadBytes(16);
        length -= 16;
    }
    FPropertyReader->ReadBytes(FContent, length);
}

void TAttachStringProperty::Load()
{
    if (FPropertyReader->NextValue()) {
        FValue = FPropertyReader->ReadStringValue();
    }
}

TAttachStreamProperty::TAttachStreamProperty(TTnefPropertyReader* APropertyReader, QIODevice* AContent)
    : TTnefProperty(APropertyReader)
    , FContent(AContent)
{
}

void TAttachStreamProperty::Load()
{
    if (FPropertyReader->NextValue()) {
        FPropertyReader->ReadBytes(FContent, FPropertyReader->StoredValueLength());
    }
}
