#include "reader/AttachmentList.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>

#include "app/core/FolderTree.h"
#include "app/core/Prompter.h"
#include "reader/MimeMessage.h"
#include "reader/outlook/OutlookItem.h"
#include "reader/tnef/TnefAttachmentParser.h"
#include "reader/tnef/TnefError.h"

using namespace Qt::StringLiterals;

namespace {

constexpr quint32 kTnefSignature = 0x223E9F78;

bool writeBytes(const QString& path, const QByteArray& bytes)
{
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

} // namespace

namespace AttachmentRules {

QString AttachmentDisplayName(const QString& name)
{
    QString result = name;
    result.replace(u'/', u'_');
    return result;
}

QString extensionOf(const QString& caption)
{
    const qsizetype dot = caption.lastIndexOf(u'.');
    return dot < 0 ? QString() : caption.mid(dot);
}

SelectionI selectionOfListI(const QString& caption)
{
    const QString e = extensionOf(caption);
    if (caption.contains(u"encrypted"_s, Qt::CaseInsensitive) || e.contains(u"asc"_s, Qt::CaseInsensitive)) {
        return {e.contains(u"asc"_s, Qt::CaseInsensitive), true};
    }
    if (e.contains(u"gpg"_s, Qt::CaseInsensitive) || e.contains(u"pgp"_s, Qt::CaseInsensitive)) {
        return {false, true};
    }
    return {!e.contains(u"dat"_s, Qt::CaseInsensitive), false};
}

bool doubleClickDecrypts(const QString& caption)
{
    const QString e = extensionOf(caption);
    return e.contains(u"asc"_s, Qt::CaseInsensitive) || caption.contains(u"encrypted"_s, Qt::CaseInsensitive)
           || e.contains(u"gpg"_s, Qt::CaseInsensitive) || e.contains(u"pgp"_s, Qt::CaseInsensitive);
}

bool openWithOfListII(const QString& caption)
{
    const QString e = extensionOf(caption).toUpper();
    return e != u".ASC"_s && e != u".DAT"_s && e != u".GPG"_s && e != u".PGP"_s;
}

bool openingRefused(const QString& caption, bool listII)
{
    if (caption == u"PGP_MIME version identification.dat"_s) {
        return true;
    }
    const QString e = extensionOf(caption).toUpper();
    return e == u".PGP"_s || e == u".GPG"_s || (listII && e == u".ASC"_s);
}

bool isTnef(const QString& contentType, const QString& caption, const QByteArray& content)
{
    if (contentType.contains(u"application/ms-tnef"_s, Qt::CaseInsensitive)) {
        return true;
    }
    if (extensionOf(caption).compare(u".dat"_s, Qt::CaseInsensitive) != 0 || content.size() < 4) {
        return false;
    }
    const quint32 signature = static_cast<quint32>(static_cast<quint8>(content.at(0)))
                              | static_cast<quint32>(static_cast<quint8>(content.at(1))) << 8
                              | static_cast<quint32>(static_cast<quint8>(content.at(2))) << 16
                              | static_cast<quint32>(static_cast<quint8>(content.at(3))) << 24;
    return signature == kTnefSignature;
}

QString plainName(const QString& caption)
{
    QString name = TAttachmentInfo::PlainFileName(caption);
    if (name.isEmpty()) {
        name = u"attachment.dat"_s;
    }
    return name;
}

} // namespace AttachmentRules

AttachmentList::AttachmentList(QString workFolder, Prompter& prompter)
    : m_workFolder(std::move(workFolder))
    , m_prompter(prompter)
{
}

void AttachmentList::setMimeSource(const MimeMessage* message)
{
    m_source = message ? Source::Mime : Source::None;
    m_mime = message;
}

void AttachmentList::setOutlookSource(std::function<const OutlookMailItem*()> item)
{
    m_source = item ? Source::Outlook : Source::None;
    m_outlook = std::move(item);
}

QString AttachmentList::workFile(const QString& caption) const
{
    return m_workFolder + u'/' + AttachmentRules::plainName(caption);
}

QString AttachmentList::secondFile(const QString& caption) const
{
    return secondFolder() + u'/' + AttachmentRules::plainName(caption);
}

int AttachmentList::findMimePart(const MimeMessage& message, const QString& caption)
{
    const QList<MimePart>& parts = message.parts();
    for (int i = 0; i < parts.size(); ++i) {
        if (parts.at(i).kind() == MimePart::Kind::Attachment && parts.at(i).fileName() == caption) {
            return i;
        }
    }
    return -1;
}

int AttachmentList::findOutlookAttachment(const OutlookMailItem& item, const QString& caption)
{
    for (int i = 1; i <= item.attachmentCount(); ++i) {
        if (item.Item(i)->displayName() == caption) {
            return i;
        }
    }
    return -1;
}

bool AttachmentList::contentOf(const Item& item, QByteArray& content, QString& contentType) const
{
    if (m_source == Source::Mime && m_mime) {
        int index = item.index;
        // An index from the reader must still name a part of that caption; else look the caption up.
        if (index < 0 || index >= m_mime->parts().size() || m_mime->parts().at(index).fileName() != item.caption) {
            index = findMimePart(*m_mime, item.caption);
        }
        if (index < 0) {
            return false;
        }
        const MimePart& part = m_mime->parts().at(index);
        content = part.content();
        contentType = part.contentType();
        return true;
    }
    if (m_source == Source::Outlook && m_outlook) {
        const OutlookMailItem* outlook = m_outlook();
        if (!outlook) {
            return false;
        }
        int index = item.index;
        const OutlookAttachment* attachment = outlook->Item(index);
        if (!attachment || attachment->displayName() != item.caption) {
            index = findOutlookAttachment(*outlook, item.caption);
            attachment = outlook->Item(index);
        }
        if (!attachment) {
            return false;
        }
        content = attachment->data();
        contentType = attachment->mimeTag();
        return true;
    }
    return false;
}

bool AttachmentList::saveItem(const Item& item, const QString& target) const
{
    QByteArray content;
    QString contentType;
    if (!contentOf(item, content, contentType)) {
        return false;
    }
    return writeBytes(target, content);
}

bool AttachmentList::saveSecondItem(const QString& caption, const QString& target) const
{
    if (!m_second) {
        return false;
    }
    const int index = findMimePart(*m_second, caption);
    if (index < 0) {
        return false;
    }
    return m_second->parts().at(index).saveTo(target);
}

AttachmentList::CopyResult AttachmentList::copyUnpacked(const QString& caption, const QString& target) const
{
    const QString source = secondFile(caption);
    if (!QFileInfo(source).isFile()) {
        return CopyResult::SourceMissing;
    }
    if (QFileInfo::exists(target)) {
        return CopyResult::TargetExists;
    }
    return QFile::copy(source, target) ? CopyResult::Copied : CopyResult::TargetExists;
}

QStringList AttachmentList::unpackTnef(const QList<Item>& listI)
{
    const QString second = secondFolder();
    if (QFileInfo(second).exists() && !FolderTree::remove(second)) {
        m_prompter.error(u"フォルダーが残されています"_s);
    }
    for (const Item& item : listI) {
        QByteArray content;
        QString contentType;
        if (!contentOf(item, content, contentType) || !AttachmentRules::isTnef(contentType, item.caption, content)) {
            continue;
        }
        const QString file = workFile(item.caption);
        QDir().mkpath(m_workFolder);
        if (!writeBytes(file, content)) {
            continue;
        }
        QFile stream(file);
        if (!stream.open(QIODevice::ReadOnly)) {
            continue;
        }
        QDir().mkpath(second);
        try {
            TTnefAttachmentParser::Parse(&stream, second);
        } catch (const ETnefError& error) {
            m_prompter.error(error.message());
            break;
        }
    }
    return QDir(second).entryList(QDir::Files | QDir::Hidden | QDir::System, QDir::Name);
}

void AttachmentList::removeExecuteFile()
{
    if (!m_executeFile.isEmpty() && QFileInfo(m_executeFile).isFile()) {
        QFile::remove(m_executeFile);
    }
}
