#include "store/ArchiveLocator.h"

#include <QDir>

#include "app/core/DataFolders.h"
#include "app/core/IniFile.h"
#include "store/TDm_Ldb.h"

using namespace Qt::StringLiterals;

ArchiveLocator::Target ArchiveLocator::configured(const QString& programFolder)
{
    // The settings file is the window program's ("tidewell.ini"), whichever tool asks.
    const DataFolders folders(QDir(programFolder).filePath(u"tidewell"_s));
    const IniFile ini(folders.iniFilePath());
    Target target;
    target.path = ini.readString(u"MailDB", u"DBPath").trimmed();
    if (target.path.isEmpty()) {
        target.path = QDir(folders.dataPath()).filePath(TDm_Ldb::defaultArchiveName());
        return target;
    }
    target.host = ini.readString(u"MailDB", u"Server").trimmed();
    return target;
}
