#include <QCoreApplication>
#include <QDateTime>
#include <QDir>
#include <QSaveFile>
#include <QSqlQuery>

#include "cli/CliArchive.h"
#include "cli/CliCommand.h"
#include "store/ExportFileName.h"
#include "store/StoredMessageController.h"
#include "store/TDm_Ldb.h"

using namespace Qt::StringLiterals;

namespace {

int runExport(const QStringList& args, QTextStream& out, QTextStream& err)
{
    const QString usage =
        u"usage: tidewell-cli export [--db PATH] --id ID --date \"yyyy/MM/dd HH:mm:ss\" [--template T] DIR\n"_s;
    QString dbPath;
    QString id;
    QString dateText;
    QString nameTemplate = ExportFileName::defaultTemplate();
    QString folder;
    for (qsizetype i = 0; i < args.size(); ++i) {
        const QString& arg = args.at(i);
        if (!arg.startsWith(u"--"_s)) {
            if (!folder.isEmpty()) {
                err << usage;
                return 2;
            }
            folder = arg;
            continue;
        }
        if (i + 1 >= args.size()) {
            err << usage;
            return 2;
        }
        const QString value = args.at(++i);
        if (arg == u"--db"_s) {
            dbPath = value;
        } else if (arg == u"--id"_s) {
            id = value;
        } else if (arg == u"--date"_s) {
            dateText = value;
        } else if (arg == u"--template"_s) {
            nameTemplate = value;
        } else {
            err << usage;
            return 2;
        }
    }
    const QDateTime date = QDateTime::fromString(dateText, u"yyyy/MM/dd HH:mm:ss"_s);
    if (id.isEmpty() || folder.isEmpty() || !date.isValid()) {
        err << usage;
        return 2;
    }
    if (!QDir(folder).exists()) {
        err << "tidewell-cli export: no such folder: " << folder << '\n';
        return 1;
    }
    const std::unique_ptr<TDm_Ldb> archive = CliArchive::open(dbPath, err, u"export"_s);
    if (!archive) {
        return 1;
    }
    TDm_Ldb& dm = *archive;
    StoredMessageController::StoredFile stored;
    QString error;
    if (StoredMessageController::readStoredFile(dm.database(), id, date, &stored, &error)
        != StoredMessageController::ReadResult::Ok) {
        err << "tidewell-cli export: " << error << '\n';
        return 1;
    }
    QString subject;
    {
        QSqlQuery query(dm.database());
        query.prepare(u"select Message_Subject from Message_IdxTbl where Message_ID = ? and Message_Date = ?"_s);
        query.addBindValue(id);
        query.addBindValue(date);
        if (query.exec() && query.next()) {
            subject = query.value(0).toString();
        }
    }
    const QString built = nameTemplate.isEmpty() ? QString() : ExportFileName::build(nameTemplate, subject, date);
    // The name comes from the message: it must stay a plain file name inside the folder.
    QString name = ExportFileName::forDialog(ExportFileName::proposedName(built, stored.fileName));
    if (name.trimmed().isEmpty() || name == u"."_s || name == u".."_s) {
        name = StoredMessageController::plainStoredName(stored.fileName, stored.fileExt);
    }
    const QString path = QDir(folder).filePath(name);
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly) || file.write(stored.bytes) != stored.bytes.size() || !file.commit()) {
        err << "tidewell-cli export: Error executing copyFile " << file.errorString() << '\n';
        return 1;
    }
    out << path << '\n';
    dm.closeConnection();
    return 0;
}

} // namespace

CliCommand exportCommand()
{
    return {u"export"_s,
            u"export [--db PATH] --id ID --date \"yyyy/MM/dd HH:mm:ss\" [--template T] DIR"_s,
            u"write a stored message file into DIR, named by the template ([Subject], [Date], [DateTime])"_s,
            &runExport};
}
