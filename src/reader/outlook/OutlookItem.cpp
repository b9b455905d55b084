#include "reader/outlook/OutlookItem.h"

#include <algorithm>

#include <QFile>
#include <QSaveFile>
#include <QTimeZone>

#include "reader/JapaneseText.h"
#include "reader/outlook/CompressedRtf.h"
#include "reader/outlook/RtfDeencapsulator.h"

using namespace Qt::StringLiterals;

namespace {

constexpr quint16 kTypeInt16 = 0x0002;
constexpr quint16 kTypeInt32 = 0x0003;
constexpr quint16 kTypeBoolean = 0x000B;
constexpr quint16 kTypeInt64 = 0x0014;
constexpr quint16 kTypeString8 = 0x001E;
constexpr quint16 kTypeUnicode = 0x001F;
constexpr quint16 kTypeTime = 0x0040;
constexpr quint16 kTypeBinary = 0x0102;

constexpr quint16 kSubject = 0x0037;
constexpr quint16 kClientSubmitTime = 0x0039;
constexpr quint16 kDeliveryTime = 0x0E06;
constexpr quint16 kBody = 0x1000;
constexpr quint16 kRtfCompressed = 0x1009;
constexpr quint16 kHtml = 0x1013;
constexpr quint16 kDisplayName = 0x3001;
constexpr quint16 kAttachData = 0x3701;
constexpr quint16 kAttachExtension = 0x3703;
constexpr quint16 kAttachFileName = 0x3704;
constexpr quint16 kAttachMethod = 0x3705;
constexpr quint16 kAttachLongFileName = 0x3707;
constexpr quint16 kAttachMimeTag = 0x370E;
constexpr quint16 kInternetCodePage = 0x3FDE;
constexpr quint16 kMessageLocale = 0x3FF1;
constexpr quint16 kMessageCodePage = 0x3FFD;

constexpr int kAttachEmbeddedMessage = 5;
constexpr quint32 tag(quint16 id, quint16 type)
{
    return (quint32(id) << 16) | type;
}

quint32 readLe32(const QByteArray& bytes, qsizetype at)
{
    return static_cast<quint32>(static_cast<quint8>(bytes.at(at)))
           | static_cast<quint32>(static_cast<quint8>(bytes.at(at + 1))) << 8
           | static_cast<quint32>(static_cast<quint8>(bytes.at(at + 2))) << 16
           | static_cast<quint32>(static_cast<quint8>(bytes.at(at + 3))) << 24;
}

qint64 readLe64(const QByteArray& bytes, qsizetype at)
{
    return static_cast<qint64>(quint64(readLe32(bytes, at)) | (quint64(readLe32(bytes, at + 4)) << 32));
}

QString fromUtf16Le(const QByteArray& bytes)
{
    QString text;
    text.reserve(bytes.size() / 2);
    for (qsizetype i = 0; i + 1 < bytes.size(); i += 2) {
        const char16_t unit =
            static_cast<char16_t>(static_cast<quint8>(bytes.at(i)) | (static_cast<quint8>(bytes.at(i + 1)) << 8));
        if (unit == 0) {
            break; // values may carry their terminating null
        }
        text.append(QChar(unit));
    }
    return text;
}

QByteArray withoutTrailingNull(QByteArray bytes)
{
    const qsizetype zero = bytes.indexOf('\0');
    if (zero >= 0) {
        bytes.truncate(zero);
    }
    return bytes;
}

bool isJisCodePage(int codePage)
{
    return codePage == 50220 || codePage == 50221 || codePage == 50222;
}

// "__attach_version1.0_#0000000A" -> 10; -1 when the name is not of that form.
int numberedChild(const QString& name, QStringView prefix)
{
    if (!name.startsWith(prefix, Qt::CaseInsensitive)) {
        return -1;
    }
    bool ok = false;
    const int number = name.mid(prefix.size()).toInt(&ok, 16);
    return ok ? number : -1;
}

// The root of a stand-alone .msg made of an embedded message's storage.
CompoundEntry standAloneMessage(const CompoundEntry& embedded, const CompoundEntry* nameId)
{
    CompoundEntry root = embedded;
    root.name.clear();
    bool hasNameId = false;
    for (CompoundEntry& child : root.children) {
        if (child.name.compare(u"__properties_version1.0"_s, Qt::CaseInsensitive) == 0 && !child.isStorage) {
            // A top-level message's header has 8 reserved bytes more than an embedded one's.
            const int embeddedHeader = MsgProperties::headerSize(MsgProperties::Level::EmbeddedMessage);
            if (child.data.size() >= embeddedHeader) {
                child.data.insert(embeddedHeader, QByteArray(8, '\0'));
            }
        }
        if (child.name.compare(u"__nameid_version1.0"_s, Qt::CaseInsensitive) == 0) {
            hasNameId = true;
        }
    }
    if (!hasNameId && nameId) {
        root.children.append(*nameId);
    }
    return root;
}

} // namespace

// --- MsgProperties -------------------------------------------------------------------------------

int MsgProperties::headerSize(Level level)
{
    switch (level) {
    case Level::TopMessage:
        return 32;
    case Level::EmbeddedMessage:
        return 24;
    case Level::AttachmentOrRecipient:
        break;
    }
    return 8;
}

MsgProperties::MsgProperties(const CompoundEntry& storage, Level level)
{
    static const QString prefix = u"__substg1.0_"_s;
    for (const CompoundEntry& child : storage.children) {
        if (child.isStorage || !child.name.startsWith(prefix, Qt::CaseInsensitive)) {
            continue;
        }
        const QString code = child.name.mid(prefix.size());
        bool ok = false;
        const quint32 value = code.left(8).toUInt(&ok, 16);
        if (ok && code.size() == 8) {
            m_streams.insert(value, child.data);
        }
    }
    const CompoundEntry* stream = storage.child(u"__properties_version1.0");
    if (!stream || stream->isStorage) {
        return;
    }
    const QByteArray& data = stream->data;
    for (qsizetype at = headerSize(level); at + 16 <= data.size(); at += 16) {
        const quint32 propertyTag = readLe32(data, at);
        const quint16 type = static_cast<quint16>(propertyTag & 0xFFFF);
        switch (type) {
        case kTypeInt16:
            m_fixed.insert(propertyTag, static_cast<qint16>(readLe32(data, at + 8) & 0xFFFF));
            break;
        case kTypeInt32:
            m_fixed.insert(propertyTag, static_cast<qint32>(readLe32(data, at + 8)));
            break;
        case kTypeBoolean:
            m_fixed.insert(propertyTag, readLe32(data, at + 8) & 0xFF ? 1 : 0);
            break;
        case kTypeInt64:
        case kTypeTime:
            m_fixed.insert(propertyTag, readLe64(data, at + 8));
            break;
        default:
            break;
        }
    }
}

std::optional<QByteArray> MsgProperties::bytes(quint32 propertyTag) const
{
    const auto it = m_streams.constFind(propertyTag);
    if (it == m_streams.cend()) {
        return std::nullopt;
    }
    return it.value();
}

std::optional<qint64> MsgProperties::integer(quint32 propertyTag) const
{
    const auto it = m_fixed.constFind(propertyTag);
    if (it == m_fixed.cend()) {
        return std::nullopt;
    }
    return it.value();
}

std::optional<QString> MsgProperties::string(quint16 id, int codePage) const
{
    if (const auto unicode = bytes(tag(id, kTypeUnicode))) {
        return fromUtf16Le(*unicode);
    }
    if (const auto narrow = bytes(tag(id, kTypeString8))) {
        // 8-bit strings are stored in the ANSI code page, never in JIS.
        const int page = isJisCodePage(codePage) ? 932 : codePage;
        QByteArray charset = CodePages::charsetName(page);
        if (charset.isEmpty()) {
            charset = "shift_jis";
        }
        return JapaneseText::decodeText(withoutTrailingNull(*narrow), charset);
    }
    return std::nullopt;
}

bool MsgProperties::has(quint32 propertyTag) const
{
    return m_streams.contains(propertyTag) || m_fixed.contains(propertyTag);
}

// --- OutlookAttachment ---------------------------------------------------------------------------

OutlookAttachment::OutlookAttachment(const CompoundEntry& storage, const OutlookMailItem& owner)
    : m_storage(storage)
    , m_owner(owner)
    , m_properties(storage, MsgProperties::Level::AttachmentOrRecipient)
{
}

QString OutlookAttachment::displayName() const
{
    const int page = m_owner.stringCodePage();
    for (quint16 id : {kDisplayName, kAttachLongFileName, kAttachFileName}) {
        const auto value = m_properties.string(id, page);
        if (value && !value->isEmpty()) {
            return *value;
        }
    }
    if (isEmbeddedMessage()) {
        if (const auto item = embeddedItem()) {
            return item->Subject();
        }
    }
    return QString();
}

QString OutlookAttachment::longFileName() const
{
    const int page = m_owner.stringCodePage();
    for (quint16 id : {kAttachLongFileName, kAttachFileName}) {
        const auto value = m_properties.string(id, page);
        if (value && !value->isEmpty()) {
            return *value;
        }
    }
    return QString();
}

QString OutlookAttachment::extension() const
{
    return m_properties.string(kAttachExtension, m_owner.stringCodePage()).value_or(QString());
}

std::optional<QString> OutlookAttachment::GetProperty(quint32 propertyTag) const
{
    const auto id = static_cast<quint16>(propertyTag >> 16);
    const auto type = static_cast<quint16>(propertyTag & 0xFFFF);
    if (type == kTypeUnicode || type == kTypeString8) {
        return m_properties.string(id, m_owner.stringCodePage());
    }
    if (const auto value = m_properties.integer(propertyTag)) {
        return QString::number(*value);
    }
    return std::nullopt;
}

QString OutlookAttachment::mimeTag() const
{
    return m_properties.string(kAttachMimeTag, m_owner.stringCodePage()).value_or(QString());
}

const CompoundEntry* OutlookAttachment::embeddedStorage() const
{
    const CompoundEntry* storage = m_storage.child(u"__substg1.0_3701000D");
    return storage && storage->isStorage ? storage : nullptr;
}

bool OutlookAttachment::isEmbeddedMessage() const
{
    const auto method = m_properties.integer(tag(kAttachMethod, kTypeInt32));
    const CompoundEntry* storage = embeddedStorage();
    if (!storage) {
        return false;
    }
    if (method) {
        return *method == kAttachEmbeddedMessage;
    }
    return storage->child(u"__properties_version1.0") != nullptr;
}

QByteArray OutlookAttachment::data() const
{
    if (const auto bin = m_properties.bytes(tag(kAttachData, kTypeBinary))) {
        return *bin;
    }
    const CompoundEntry* storage = embeddedStorage();
    if (!storage) {
        return QByteArray();
    }
    QByteArray bytes;
    if (isEmbeddedMessage()) {
        CompoundFile::write(standAloneMessage(*storage, m_owner.nameIdStorage()), bytes);
    } else {
        CompoundEntry root = *storage; // an OLE object: its storage as a compound file
        root.name.clear();
        CompoundFile::write(root, bytes);
    }
    return bytes;
}

bool OutlookAttachment::SaveAsFile(const QString& path) const
{
    const QByteArray bytes = data();
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly)) {
        return false;
    }
    if (file.write(bytes) != bytes.size()) {
        file.cancelWriting();
        return false;
    }
    return file.commit();
}

std::unique_ptr<OutlookMailItem> OutlookAttachment::embeddedItem() const
{
    const CompoundEntry* storage = embeddedStorage();
    if (!storage || !isEmbeddedMessage()) {
        return nullptr;
    }
    std::unique_ptr<OutlookMailItem> item(new OutlookMailItem);
    item->m_root = m_owner.m_root;
    item->build(*storage, MsgProperties::Level::EmbeddedMessage, &m_owner);
    return item;
}

// --- OutlookMailItem -----------------------------------------------------------------------------

std::unique_ptr<OutlookMailItem> OutlookMailItem::fromData(const QByteArray& bytes)
{
    auto root = std::make_shared<CompoundEntry>();
    if (!CompoundFile::read(bytes, *root)) {
        return nullptr;
    }
    // A compound file that is not a message (a Word document, say) has none of these.
    const CompoundEntry* properties = root->child(u"__properties_version1.0");
    if (!properties || properties->isStorage) {
        return nullptr;
    }
    std::unique_ptr<OutlookMailItem> item(new OutlookMailItem);
    item->m_root = root;
    item->build(*root, MsgProperties::Level::TopMessage, nullptr);
    return item;
}

std::unique_ptr<OutlookMailItem> OutlookMailItem::open(const QString& path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly) || file.size() > CompoundFile::kMaxTotalBytes) {
        return nullptr;
    }
    return fromData(file.readAll());
}

void OutlookMailItem::build(const CompoundEntry& storage, MsgProperties::Level level, const OutlookMailItem* parent)
{
    m_storage = &storage;
    m_properties = MsgProperties(storage, level);
    m_nameId = parent ? parent->m_nameId : storage.child(u"__nameid_version1.0");

    const auto messageCodePage = m_properties.integer(tag(kMessageCodePage, kTypeInt32));
    const auto internetCodePage = m_properties.integer(tag(kInternetCodePage, kTypeInt32));
    const auto locale = m_properties.integer(tag(kMessageLocale, kTypeInt32));
    m_internetCodePage = internetCodePage ? static_cast<int>(*internetCodePage) : 0;
    int page = messageCodePage ? static_cast<int>(*messageCodePage) : m_internetCodePage;
    if (page == 0 && parent) {
        page = parent->m_stringCodePage;
    }
    if (page == 0 || isJisCodePage(page) || CodePages::charsetName(page).isEmpty()) {
        // Without a usable code page, a file from a Japanese system (or of unknown origin) is in code page 932.
        page = (locale && *locale != 1041 && *locale != 0) ? 1252 : 932;
    }
    m_stringCodePage = page;

    QList<std::pair<int, const CompoundEntry*>> numbered;
    for (const CompoundEntry& child : storage.children) {
        const int number = child.isStorage ? numberedChild(child.name, u"__attach_version1.0_#") : -1;
        if (number >= 0) {
            numbered.append({number, &child});
        }
    }
    std::stable_sort(numbered.begin(), numbered.end(), [](const auto& a, const auto& b) { return a.first < b.first; });
    for (const auto& [number, child] : numbered) {
        m_attachments.append(std::make_shared<OutlookAttachment>(*child, *this));
    }
}

std::optional<QString> OutlookMailItem::GetProperty(quint32 propertyTag) const
{
    const auto id = static_cast<quint16>(propertyTag >> 16);
    const auto type = static_cast<quint16>(propertyTag & 0xFFFF);
    if (type == kTypeUnicode || type == kTypeString8) {
        return m_properties.string(id, m_stringCodePage);
    }
    if (const auto value = m_properties.integer(propertyTag)) {
        if (type == kTypeTime) {
            return fromFileTime(*value).toLocalTime().toString(u"yyyy/MM/dd HH:mm:ss"_s);
        }
        return QString::number(*value);
    }
    return std::nullopt;
}

std::optional<QString> OutlookMailItem::GetProperty(const QString& schemaName) const
{
    static const QString prefix = u"http://schemas.microsoft.com/mapi/proptag/0x"_s;
    if (!schemaName.startsWith(prefix, Qt::CaseInsensitive)) {
        return std::nullopt;
    }
    bool ok = false;
    const quint32 value = schemaName.mid(prefix.size()).toUInt(&ok, 16);
    if (!ok || schemaName.size() != prefix.size() + 8) {
        return std::nullopt;
    }
    return GetProperty(value);
}

QDateTime OutlookMailItem::fromFileTime(qint64 fileTime)
{
    // 100-nanosecond intervals since 1601-01-01 UTC.
    constexpr qint64 kEpochDifferenceMs = 11644473600000LL;
    if (fileTime <= 0) {
        return QDateTime();
    }
    const qint64 ms = fileTime / 10000 - kEpochDifferenceMs;
    return QDateTime::fromMSecsSinceEpoch(ms, QTimeZone::utc());
}

QDateTime OutlookMailItem::ReceivedTime() const
{
    for (quint16 id : {kDeliveryTime, kClientSubmitTime}) {
        if (const auto value = m_properties.integer(tag(id, kTypeTime))) {
            const QDateTime time = fromFileTime(*value);
            if (time.isValid()) {
                return time.toLocalTime();
            }
        }
    }
    return QDateTime();
}

QString OutlookMailItem::Subject() const
{
    return m_properties.string(kSubject, m_stringCodePage).value_or(QString());
}

QByteArray OutlookMailItem::rtfBody() const
{
    const auto compressed = m_properties.bytes(tag(kRtfCompressed, kTypeBinary));
    if (!compressed) {
        return QByteArray();
    }
    return CompressedRtf::decompress(*compressed).value_or(QByteArray());
}

QString OutlookMailItem::body() const
{
    if (const auto text = m_properties.string(kBody, m_stringCodePage)) {
        return *text;
    }
    const QByteArray rtf = rtfBody();
    if (RtfDeencapsulator::encapsulation(rtf) == RtfDeencapsulator::Kind::Text) {
        return RtfDeencapsulator::deencapsulate(rtf).text;
    }
    return QString();
}

QString OutlookMailItem::htmlbody() const
{
    if (const auto html = m_properties.bytes(tag(kHtml, kTypeBinary))) {
        QByteArray charset = CodePages::charsetName(m_internetCodePage);
        if (charset.isEmpty()) {
            charset = CodePages::charsetName(m_stringCodePage);
        }
        return JapaneseText::decodeText(withoutTrailingNull(*html), charset);
    }
    if (const auto html = m_properties.string(kHtml, m_stringCodePage)) {
        return *html;
    }
    const QByteArray rtf = rtfBody();
    if (RtfDeencapsulator::encapsulation(rtf) == RtfDeencapsulator::Kind::Html) {
        return RtfDeencapsulator::deencapsulate(rtf).text;
    }
    return QString();
}

const OutlookAttachment* OutlookMailItem::Item(int index) const
{
    if (index < 1 || index > m_attachments.size()) {
        return nullptr;
    }
    return m_attachments.at(index - 1).get();
}
