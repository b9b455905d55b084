#include "store/MimeDropItems.h"

#include <QBuffer>
#include <QFile>
#include <QFileInfo>
#include <QMimeData>
#include <QUrl>
#include <QtEndian>

using namespace Qt::StringLiterals;

namespace {

// The shell's clipboard formats, as a drag source on this platform or on Windows names them.
QString findFormat(const QMimeData& data, const QString& name)
{
    for (const QString& format : data.formats()) {
        if (format == name || format == u"application/x-qt-windows-mime;value=\""_s + name + u'"') {
            return format;
        }
    }
    return QString();
}

QString descriptorFormat(const QMimeData& data, bool* wide)
{
    QString format = findFormat(data, u"FileGroupDescriptorW"_s);
    *wide = !format.isEmpty();
    if (format.isEmpty()) {
        format = findFormat(data, u"FileGroupDescriptor"_s);
    }
    return format;
}

QList<QString> localFiles(const QMimeData& data)
{
    QList<QString> files;
    if (!data.hasUrls()) {
        return files;
    }
    for (const QUrl& url : data.urls()) {
        if (url.isLocalFile()) {
            files.append(url.toLocalFile());
        }
    }
    return files;
}

} // namespace

MimeDropItems::MimeDropItems(const QMimeData& data)
{
    bool wide = false;
    const QString descriptor = descriptorFormat(data, &wide);
    const QString contents = findFormat(data, u"FileContents"_s);
    if (!descriptor.isEmpty() && !contents.isEmpty()) {
        const QStringList names = descriptorNames(data.data(descriptor), wide);
        for (int i = 0; i < names.size(); ++i) {
            Item item;
            item.name = names.at(i);
            // Only the first item's stream reaches us through a mime format.
            if (i == 0) {
                item.bytes = data.data(contents);
                item.hasBytes = true;
            }
            m_items.append(item);
        }
        return;
    }
    for (const QString& path : localFiles(data)) {
        Item item;
        item.name = QFileInfo(path).fileName();
        item.localPath = path;
        m_items.append(item);
    }
}

bool MimeDropItems::canRead(const QMimeData& data)
{
    bool wide = false;
    if (!descriptorFormat(data, &wide).isEmpty() && !findFormat(data, u"FileContents"_s).isEmpty()) {
        return true;
    }
    return !localFiles(data).isEmpty();
}

QStringList MimeDropItems::descriptorNames(const QByteArray& descriptor, bool wide)
{
    // FILEGROUPDESCRIPTOR: a 32-bit count, then one FILEDESCRIPTOR per item whose
    // last field is the name of 260 characters (UTF-16 in the W form).
    constexpr qsizetype kNameOffset = 72;
    const qsizetype nameBytes = wide ? 520 : 260;
    const qsizetype entrySize = kNameOffset + nameBytes;
    QStringList names;
    if (descriptor.size() < 4) {
        return names;
    }
    const quint32 count = qFromLittleEndian<quint32>(descriptor.constData());
    for (quint32 i = 0; i < count; ++i) {
        const qsizetype start = 4 + qsizetype(i) * entrySize + kNameOffset;
        if (start + nameBytes > descriptor.size()) {
            break;
        }
        const char* raw = descriptor.constData() + start;
        QString name;
        if (wide) {
            QList<char16_t> units;
            for (qsizetype k = 0; k + 1 < nameBytes; k += 2) {
                const char16_t unit = qFromLittleEndian<char16_t>(raw + k);
                if (unit == 0) {
                    break;
                }
                units.append(unit);
            }
            name = QString::fromUtf16(units.constData(), units.size());
        } else {
            name = QString::fromLocal8Bit(raw, qstrnlen(raw, static_cast<uint>(nameBytes)));
        }
        names.append(name);
    }
    return names;
}

QString MimeDropItems::name(int index) const
{
    return index >= 0 && index < m_items.size() ? m_items.at(index).name : QString();
}

std::unique_ptr<QIODevice> MimeDropItems::contents(int index)
{
    if (index < 0 || index >= m_items.size()) {
        return nullptr;
    }
    const Item& item = m_items.at(index);
    if (item.hasBytes) {
        auto buffer = std::make_unique<QBuffer>();
        buffer->setData(item.bytes);
        buffer->open(QIODevice::ReadOnly);
        return buffer;
    }
    if (!item.localPath.isEmpty()) {
        auto file = std::make_unique<QFile>(item.localPath);
        if (file->open(QIODevice::ReadOnly)) {
            return file;
        }
    }
    return nullptr;
}
