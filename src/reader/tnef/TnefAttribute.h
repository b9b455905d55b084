#pragma once

#include <memory>

#include <QString>

class QIODevice;
class TTnefPropertyReader;
class TTnefReader;

// The value of the reader's current attribute, read by Load.
class TTnefAttribute
{
public:
    explicit TTnefAttribute(TTnefReader* AReader);
    virtual ~TTnefAttribute();
    TTnefAttribute(const TTnefAttribute&) = delete;
    TTnefAttribute& operator=(const TTnefAttribute&) = delete;

    virtual void Load() = 0;
    [[nodiscard]] TTnefReader* Reader() const { return FReader; }

protected:
    TTnefReader* FReader; // not owned
};

class TTnefVersionAttribute final : public TTnefAttribute
{
public:
    using TTnefAttribute::TTnefAttribute;
    void Load() override;
    [[nodiscard]] qint32 TnefVersion() const { return FTnefVersion; }

private:
    qint32 FTnefVersion = 0;
};

class TTnefOemCodePageAttribute final : public TTnefAttribute
{
public:
    using TTnefAttribute::TTnefAttribute;
    // The code page, then a second value that is read over.
    void Load() override;
    [[nodiscard]] qint32 OemCodePage() const { return FOemCodePage; }

private:
    qint32 FOemCodePage = 0;
};

class TAttachTitleAttribute final : public TTnefAttribute
{
public:
    using TTnefAttribute::TTnefAttribute;
    void Load() override;
    [[nodiscard]] const QString& Title() const { return FTitle; }

private:
    QString FTitle;
};

// Copies the whole attribute value to AContent.
class TAttachDataAttribute final : public TTnefAttribute
{
public:
    TAttachDataAttribute(TTnefReader* AReader, QIODevice* AContent);
    void Load() override;

private:
    QIODevice* FContent; // not owned
};

// The attachment's property list; the caller walks it through PropertyReader.
class TAttachmentAttribute final : public TTnefAttribute
{
public:
    explicit TAttachmentAttribute(TTnefReader* AReader);
    ~TAttachmentAttribute() override;
    void Load() override {}
    [[nodiscard]] TTnefPropertyReader* PropertyReader() const { return FPropertyReader.get(); }

private:
    std::unique_ptr<TTnefPropertyReader> FPropertyReader;
};

// The message's property list; the caller walks it through PropertyReader.
class TMapiPropertiesAttribute final : public TTnefAttribute
{
public:
    explicit TMapiPropertiesAttribute(TTnefReader* AReader);
    ~TMapiPropertiesAttribute() override;
    void Load() override {}
    [[nodiscard]] TTnefPropertyReader* PropertyReader() const { return FPropertyReader.get(); }

private:
    std::unique_ptr<TTnefPropertyReader> FPropertyReader;
};
