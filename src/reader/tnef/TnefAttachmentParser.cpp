#include "reader/tnef/TnefAttachmentParser.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include "reader/tnef/TnefAttribute.h"
#include "reader/tnef/TnefError.h"
#include "reader/tnef/TnefProperty.h"
#include "reader/tnef/TnefPropertyReader.h"
#include "reader/tnef/TnefReader.h"

using namespace Qt::StringLiterals;

namespace {

// A name is taken when anything at all is there, a dangling link included.
bool nameTaken(const QString& path)
{
    const QFileInfo info(path);
    return info.exists() || info.isSymLink();
}

void openForWriting(QFile& file)
{
    if (!file.open(QIODevice::WriteOnly | QIODevice::NewOnly)) {
        throw ETnefError(u"Cannot create the file "_s + file.fileName() + u": "_s + file.errorString());
    }
}

void closeWritten(QFile& file)
{
    if (!file.flush()) {
        throw ETnefError(u"Cannot write the file "_s + file.fileName() + u": "_s + file.errorString());
    }
    file.close();
}

// The message body variants go to their own files; they leave the attachment being collected alone.
void saveBody(TAttachmentInfo& info, TTnefPropertyReader& properties, const QString& fileName, bool rtf)
{
    const TTnefPropertyType type = properties.PropertyTag()->PropertyType();
    if (type != ptString8 && type != ptUnicode && type != ptBinary) {
        throw ETnefError(u"Invalid tnef format for the message body"_s);
    }
    const QString attachmentFile = info.SaveToFileName();
    QFile file(info.GenerateSaveToFileName(fileName));
    info.SetSaveToFileName(attachmentFile);
    openForWriting(file);
    if (rtf) {
        TMapiRtfCompressedProperty property(&properties, &file);
        property.Load();
    } else {
        TAttachStreamProperty property(&properties, &file);
        property.Load();
    }
    closeWritten(file);
}

void readMessageProperties(TTnefReader& reader, TAttachmentInfo& info)
{
    TMapiPropertiesAttribute attribute(&reader);
    attribute.Load();
    TTnefPropertyReader& properties = *attribute.PropertyReader();
    while (properties.NextProperty()) {
        switch (properties.PropertyTag()->Id()) {
        case piBody:
            saveBody(info, properties, u"Body.txt"_s, false);
            break;
        case piBodyHtml:
            saveBody(info, properties, u"Body.html"_s, false);
            break;
        case piRtfCompressed:
            saveBody(info, properties, u"RtfCompressed.dat"_s, true);
            break;
        default:
            break;
        }
    }
}

void readAttachmentProperties(TTnefReader& reader, TAttachmentInfo& info)
{
    TAttachmentAttribute attribute(&reader);
    attribute.Load();
    TTnefPropertyReader& properties = *attribute.PropertyReader();
    while (properties.NextProperty()) {
        switch (properties.PropertyTag()->Id()) {
        case piAttachFilename: {
            TAttachStringProperty property(&properties);
            property.Load();
            info.SetFileName(property.Value());
            break;
        }
        case piAttachLongFilename: {
            TAttachStringProperty property(&properties);
            property.Load();
            info.SetLongFileName(property.Value());
            break;
        }
        case piAttachData: {
            QFile file(info.GenerateSaveToFileName(u"Untitled.dat"_s));
            openForWriting(file);
            TAttachDataProperty property(&properties, &file);
            property.Load();
            closeWritten(file);
            break;
        }
        case piAttachContentBase:
        case piAttachContentId:
        case piAttachContentLocation:
        case piAttachDisposition:
        case piAttachMimeTag:
        case piDisplayName: {
            TAttachStringProperty property(&properties);
            property.Load();
            break;
        }
        default:
            break;
        }
    }
}

} // namespace

TAttachmentInfo::TAttachmentInfo(const QString& ABaseFolder)
    : FBaseFolder(ABaseFolder)
{
    if (!FBaseFolder.isEmpty() && !FBaseFolder.endsWith(u'/')) {
        FBaseFolder += u'/';
    }
    TAttachmentInfo::Clear();
}

TAttachmentInfo::~TAttachmentInfo() = default;

void TAttachmentInfo::Clear()
{
    FSaveToFileName.clear();
    FLongFileName.clear();
    FFileName.clear();
    FTitle.clear();
}

QString TAttachmentInfo::PlainFileName(const QString& AName)
{
    // Only the last part of a path counts, whichever separator the sender's system used; a drive
    // ("C:name") is dropped with it.
    qsizetype start = 0;
    for (qsizetype i = 0; i < AName.size(); ++i) {
        const QChar c = AName.at(i);
        if (c == u'/' || c == u'\\' || (c == u':' && i == 1 && AName.at(0).isLetter())) {
            start = i + 1;
        }
    }
    QString name;
    for (qsizetype i = start; i < AName.size(); ++i) {
        const QChar c = AName.at(i);
        if (c.unicode() >= 0x20 && c.unicode() != 0x7F) {
            name += c;
        }
    }
    name = name.trimmed();
    bool onlyDots = true;
    for (const QChar c : std::as_const(name)) {
        if (c != u'.') {
            onlyDots = false;
            break;
        }
    }
    return onlyDots ? QString() : name;
}

QString TAttachmentInfo::uniqueName(const QString& AFileName) const
{
    QString candidate = FBaseFolder + AFileName;
    if (!nameTaken(candidate)) {
        return candidate;
    }
    const qsizetype dot = AFileName.lastIndexOf(u'.');
    const QString stem = dot >= 0 ? AFileName.left(dot) : AFileName;
    const QString extension = dot >= 0 ? AFileName.mid(dot) : QString();
    for (int n = 1;; ++n) {
        candidate = FBaseFolder + stem + QString::number(n) + extension;
        if (!nameTaken(candidate)) {
            return candidate;
        }
    }
}

QString TAttachmentInfo::GenerateSaveToFileName(const QString& AFileName)
{
    FSaveToFileName = uniqueName(AFileName);
    return FSaveToFileName;
}

void TAttachmentInfo::RenameSavedAttachment()
{
    if (FSaveToFileName.isEmpty() || !QFileInfo::exists(FSaveToFileName)) {
        return;
    }
    QString wanted = PlainFileName(FLongFileName);
    if (wanted.isEmpty()) {
        wanted = PlainFileName(FFileName);
    }
    if (wanted.isEmpty() && !FTitle.isEmpty()) {
        wanted = PlainFileName(FTitle + u".dat"_s);
    }
    if (!wanted.isEmpty()) {
        // A failed move leaves the file under its temporary name.
        QFile::rename(FSaveToFileName, uniqueName(wanted));
    }
    Clear();
}

void TTnefAttachmentParser::Parse(QIODevice* ASource, const QString& ADestinationFolder)
{
    TAttachmentInfo info(ADestinationFolder);
    TTnefReader reader(ASource);
    while (reader.NextAttribute()) {
        if (reader.AttributeLevel() == alMessage) {
            if (reader.AttributeTag() == agMapiProperties) {
                readMessageProperties(reader, info);
            }
            continue;
        }
        switch (reader.AttributeTag()) {
        case agAttachRenderData:
            info.RenameSavedAttachment();
            break;
        case agAttachData: {
            QFile file(info.GenerateSaveToFileName(u"Untitled.dat"_s));
            openForWriting(file);
            TAttachDataAttribute attribute(&reader, &file);
            attribute.Load();
            closeWritten(file);
            break;
        }
        case agAttachTitle: {
            TAttachTitleAttribute attribute(&reader);
            attribute.Load();
            info.SetTitle(attribute.Title());
            break;
        }
        case agAttachment:
            readAttachmentProperties(reader, info);
            break;
        default:
            break;
        }
    }
    info.RenameSavedAttachment();
}
