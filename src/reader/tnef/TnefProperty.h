#pragma once

#include <QByteArray>
#include <QString>

class QIODevice;
class TTnefPropertyReader;

// The value of the property reader's current property, read by Load.
class TTnefProperty
{
public:
    explicit TTnefProperty(TTnefPropertyReader* APropertyReader);
    virtual ~TTnefProperty();
    TTnefProperty(const TTnefProperty&) = delete;
    TTnefProperty& operator=(const TTnefProperty&) = delete;

    virtual void Load() = 0;

protected:
    TTnefPropertyReader* FPropertyReader; // not owned
};

// An attachment's data property: the first value goes to AContent. An embedded object (ptObject)
// starts with the GUID of its interface, which is kept rather than written.
class TAttachDataProperty final : public TTnefProperty
{
public:
    TAttachDataProperty(TTnefPropertyReader* APropertyReader, QIODevice* AContent);
    void Load() override;
    [[nodiscard]] const QByteArray& Guid() const { return FGuid; }

private:
    QByteArray FGuid;
    QIODevice* FContent; // not owned
};

// The first value of a string property.
class TAttachStringProperty final : public TTnefProperty
{
public:
    using TTnefProperty::TTnefProperty;
    void Load() override;
    [[nodiscard]] const QString& Value() const { return FValue; }

private:
    QString FValue;
};

// The first value of a string or binary property, copied unchanged to AContent.
class TAttachStreamProperty : public TTnefProperty
{
public:
    TAttachStreamProperty(TTnefPropertyReader* APropertyReader, QIODevice* AContent);
    void Load() override;

protected:
    QIODevice* FContent; // not owned
};

// The compressed RTF body, kept compressed.
class TMapiRtfCompressedProperty final : public TAttachStreamProperty
{
public:
    using TAttachStreamProperty::TAttachStreamProperty;
};
