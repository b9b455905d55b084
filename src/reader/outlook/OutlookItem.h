#pragma once

#include <memory>
#include <optional>

#include <QByteArray>
#include <QDateTime>
#include <QHash>
#include <QList>
#include <QString>

#include "reader/outlook/CodePages.h"
#include "reader/outlook/CompoundFile.h"

// The properties of one object of a .msg file (the message, an attachment, an
// embedded message), from its "__properties_version1.0" stream and its
// "__substg1.0_TTTTYYYY" value streams.
class MsgProperties final
{
public:
    enum class Level
    {
        TopMessage,           // header of 32 bytes
        EmbeddedMessage,      // 24 bytes
        AttachmentOrRecipient // 8 bytes
    };

    MsgProperties() = default;
    MsgProperties(const CompoundEntry& storage, Level level);

    [[nodiscard]] static int headerSize(Level level);

    // Raw bytes of a variable-size value (types 001F, 001E, 0102) by full tag.
    [[nodiscard]] std::optional<QByteArray> bytes(quint32 tag) const;
    // A fixed-size value (types 0002, 0003, 000B, 0014, 0040) by full tag.
    [[nodiscard]] std::optional<qint64> integer(quint32 tag) const;
    // A string by property id: the Unicode value (001F) if present, else the
    // 8-bit value (001E) decoded with codePage.
    [[nodiscard]] std::optional<QString> string(quint16 id, int codePage) const;
    [[nodiscard]] bool has(quint32 tag) const;

private:
    QHash<quint32, QByteArray> m_streams;
    QHash<quint32, qint64> m_fixed;
};

class OutlookMailItem;

// One attachment of a mail item.
class OutlookAttachment final
{
public:
    OutlookAttachment(const CompoundEntry& storage, const OutlookMailItem& owner);

    // The attachment's default value: its display name.
    [[nodiscard]] QString displayName() const;
    [[nodiscard]] QString longFileName() const;
    // PR_ATTACH_EXTENSION as stored (with its dot), empty when absent.
    [[nodiscard]] QString extension() const;
    [[nodiscard]] std::optional<QString> GetProperty(quint32 tag) const;
    [[nodiscard]] QString mimeTag() const;
    [[nodiscard]] bool isEmbeddedMessage() const;
    // The attached file's bytes; for an embedded message the bytes of a .msg file of its own.
    [[nodiscard]] QByteArray data() const;
    // Writes data() to the file; false when it cannot be written.
    bool SaveAsFile(const QString& path) const;
    // The embedded message, read as an item of its own; nullptr for other attachments.
    [[nodiscard]] std::unique_ptr<OutlookMailItem> embeddedItem() const;

private:
    const CompoundEntry* embeddedStorage() const;

    const CompoundEntry& m_storage;
    const OutlookMailItem& m_owner;
    MsgProperties m_properties;
};

// An Outlook mail item opened from a .msg file, with the operations the
// readers and the attachment lists use.
class OutlookMailItem final
{
public:
    // The item of a .msg file's bytes; nullptr when they are not a compound
    // file or hold no message.
    [[nodiscard]] static std::unique_ptr<OutlookMailItem> fromData(const QByteArray& bytes);
    [[nodiscard]] static std::unique_ptr<OutlookMailItem> open(const QString& path);

    // GetProperty by tag ("0x0c1a001f" style numbers): the value as text; nothing when the item has no such property.
    [[nodiscard]] std::optional<QString> GetProperty(quint32 tag) const;
    // GetProperty by its name in the MAPI property-tag namespace
    // ("http://schemas.microsoft.com/mapi/proptag/0x1035001F").
    [[nodiscard]] std::optional<QString> GetProperty(const QString& schemaName) const;

    // Delivery time, else client submit time, in local time; invalid when the item has neither.
    [[nodiscard]] QDateTime ReceivedTime() const;
    [[nodiscard]] QString Subject() const;
    [[nodiscard]] QString body() const;
    // The HTML body: the HTML property, else the HTML that compressed RTF carries; empty otherwise.
    [[nodiscard]] QString htmlbody() const;
    // The RTF body, decompressed; empty when the item has none.
    [[nodiscard]] QByteArray rtfBody() const;

    [[nodiscard]] int attachmentCount() const { return int(m_attachments.size()); }
    // Index from 1, as the object model counts; nullptr when out of range.
    [[nodiscard]] const OutlookAttachment* Item(int index) const;

    // The code page of 8-bit strings and of the HTML body.
    [[nodiscard]] int stringCodePage() const { return m_stringCodePage; }
    [[nodiscard]] int internetCodePage() const { return m_internetCodePage; }
    [[nodiscard]] const MsgProperties& properties() const { return m_properties; }
    // The named-property map of the file's root, which a saved embedded message needs as well.
    [[nodiscard]] const CompoundEntry* nameIdStorage() const { return m_nameId; }

    // A FILETIME (100 ns since 1601) as a date and time in UTC.
    [[nodiscard]] static QDateTime fromFileTime(qint64 fileTime);

private:
    friend class OutlookAttachment;
    OutlookMailItem() = default;
    void build(const CompoundEntry& storage, MsgProperties::Level level, const OutlookMailItem* parent);

    std::shared_ptr<const CompoundEntry> m_root; // keeps the file's tree alive for embedded items
    const CompoundEntry* m_storage = nullptr;
    const CompoundEntry* m_nameId = nullptr;
    MsgProperties m_properties;
    QList<std::shared_ptr<OutlookAttachment>> m_attachments;
    int m_stringCodePage = 932;
    int m_internetCodePage = 0;
};
