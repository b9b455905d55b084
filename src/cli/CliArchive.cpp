#include "cli/CliArchive.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>

#include "app/core/DataFolders.h"
#include "app/core/IniFile.h"
#include "store/TDm_Ldb.h"

using namespace Qt::StringLiterals;

namespace CliArchive {

bool takeDbOption(QStringList& args, QString& db, QTextStream& err, const QString& command)
{
    const qsizetype at = args.indexOf(u"--db"_s);
    if (at < 0) {
        return true;
    }
    if (at + 1 >= args.size()) {
        err << "tidewell-cli " << command << ": --db needs a PATH\n";
        return false;
    }
    db = args.at(at + 1);
    args.remove(at, 2);
    return true;
}

std::unique_ptr<TDm_Ldb> open(const QString& dbOption, QTextStream& err, const QString& command)
{
    QString host;
    QString path = dbOption;
    if (path.isEmpty()) {
        // The settings file is the window program's, beside which this tool is installed.
        const DataFolders folders(QDir(QCoreApplication::applicationDirPath()).filePath(u"tidewell"_s));
        const IniFile ini(folders.iniFilePath());
        host = ini.readString(u"MailDB", u"Server");
        path = ini.readString(u"MailDB", u"DBPath");
        if (path.trimmed().isEmpty()) {
            host.clear();
            path = QDir(folders.dataPath()).absoluteFilePath(TDm_Ldb::defaultArchiveName());
        }
    }
    auto dm = std::make_unique<TDm_Ldb>(TDm_Ldb::Options{});
    dm->setTarget(host, path);
    if (!dm->create()) {
        err << "tidewell-cli " << command << ": cannot open " << path << ": " << dm->lastError() << '\n';
        return nullptr;
    }
    return dm;
}

} // namespace CliArchive
