#include "reader/tnef/TnefAttribute.h"

#include "reader/tnef/TnefPropertyReader.h"
#include "reader/tnef/TnefReader.h"

TTnefAttribute::TTnefAttribute(TTnefReader* AReader)
    : FReader(AReader)
{
}

TTnefAttribute::~TTnefAttribute() = default;

void TTnefVersionAttribute::Load()
{
    FTnefVersion = FReader->ReadInt32();
}

void TTnefOemCodePageAttribute::Load()
{
    FOemCodePage = FReader->ReadInt32();
    FReader->ReadInt32();
}

void TAttachTitleAttribute::Load()
{
    FTitle = FReader->ReadString();
    FReader->ValidateChecksum();
}

TAttachDataAttribute::TAttachDataAttribute(TTnefReader* AReader, QIODevice* AContent)
    : TTnefAttribute(AReader)
    , FContent(AContent)
{
}

void TAttachDataAttribute::Load()
{
    FReader->ReadBytes(FContent, FReader->AttributeLength());
}

TAttachmentAttribute::TAttachmentAttribute(TTnefReader* AReader)
    : TTnefAttribute(AReader)
    , FPropertyReader(std::make_unique<TTnefPropertyReader>(AReader))
{
}

TAttachmentAttribute::~TAttachmentAttribute() = default;

TMapiPropertiesAttribute::TMapiPropertiesAttribute(TTnefReader* AReader)
    : TTnefAttribute(AReader)
    , FPropertyReader(std::make_unique<TTnefPropertyReader>(AReader))
{
}

TMapiPropertiesAttribute::~TMapiPropertiesAttribute() = default;
