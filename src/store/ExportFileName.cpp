#include "store/ExportFileName.h"

#include <QCoreApplication>
#include <QFileInfo>

using namespace Qt::StringLiterals;

QString ExportFileName::defaultTemplate()
{
    return u"[Subject]_[DateTime]"_s;
}

QString ExportFileName::build(const QString& nameTemplate, const QString& subject, const QDateTime& date)
{
    QString name = nameTemplate;
    if (name.contains(u"[Subject]"_s, Qt::CaseInsensitive)) {
        name.replace(u"[Subject]"_s, subject, Qt::CaseInsensitive);
    }
    if (name.contains(u"[Date]"_s, Qt::CaseInsensitive)) {
        name.replace(u"[Date]"_s, date.toString(u"yyyyMMdd"_s), Qt::CaseInsensitive);
    }
    if (name.contains(u"[DateTime]"_s, Qt::CaseInsensitive)) {
        name.replace(u"[DateTime]"_s, date.toString(u"yyyyMMddHHmm"_s), Qt::CaseSensitive);
    }
    return name;
}

QString ExportFileName::proposedName(const QString& builtName, const QString& storedFileName)
{
    if (builtName.isEmpty()) {
        return storedFileName;
    }
    const qsizetype dot = storedFileName.lastIndexOf(u'.');
    const qsizetype slash = std::max(storedFileName.lastIndexOf(u'/'), storedFileName.lastIndexOf(u'\\'));
    const QString extension = dot > slash ? storedFileName.mid(dot) : QString();
    return builtName + extension;
}

QString ExportFileName::forDialog(const QString& proposedName)
{
    QString name = proposedName;
    name.replace(u'/', u'_');
    name.replace(QChar(0), u'_');
    return name;
}

QString ExportFileName::dialogFilter(const QString& storedExtension)
{
    const QString ext = storedExtension.toLower();
    if (ext == u".eml"_s) {
        return QCoreApplication::translate("ExportFileName", "emlファイル (*.eml)");
    }
    if (ext == u".msg"_s) {
        return QCoreApplication::translate("ExportFileName", "msgファイル (*.msg)");
    }
    return QCoreApplication::translate("ExportFileName", "textファイル (*.txt)");
}

QString ExportFileName::defaultExtension(const QString& storedExtension)
{
    QString ext = storedExtension;
    return ext.remove(u'.');
}
