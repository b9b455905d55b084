#include <QDir>
#include <QDirIterator>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>

#include "app/core/ParameterTable.h"
#include "cli/CliArchive.h"
#include "cli/CliCommand.h"
#include "cli/RecordingView.h"
#include "reader/InternetMessageReader.h"
#include "reader/MessageInfo.h"
#include "store/MessageReaders.h"
#include "store/MessageRegistrar.h"
#include "store/TDm_Ldb.h"

using namespace Qt::StringLiterals;

namespace {

// Messages per transaction: one commit (and fsync) per group instead of per message.
constexpr int kGroupSize = 500;
constexpr int kProgressEvery = 1000;

// Every .eml and .msg file named or found below a named folder, folders in name order.
QStringList collect(const QStringList& args, QStringList& notMessages)
{
    QStringList files;
    for (const QString& arg : args) {
        const QFileInfo info(arg);
        if (info.isDir()) {
            QStringList found;
            QDirIterator it(arg, QDir::Files | QDir::Hidden, QDirIterator::Subdirectories);
            while (it.hasNext()) {
                const QString path = it.next();
                if (MessageReaders::kindOf(path) != MessageReaders::Kind::Other) {
                    found.append(path);
                }
            }
            found.sort();
            files.append(found);
        } else if (info.isFile() && MessageReaders::kindOf(arg) != MessageReaders::Kind::Other) {
            files.append(arg);
        } else {
            notMessages.append(arg);
        }
    }
    return files;
}

int runImport(const QStringList& arguments, QTextStream& out, QTextStream& err)
{
    QStringList args = arguments;
    QString db;
    if (!CliArchive::takeDbOption(args, db, err, u"import"_s)) {
        return 2;
    }
    if (args.isEmpty()) {
        err << "usage: tidewell-cli import [--db PATH] FILE|DIR...\n";
        return 2;
    }
    QStringList notMessages;
    const QStringList files = collect(args, notMessages);
    for (const QString& path : std::as_const(notMessages)) {
        err << path << ": not a message file (.eml or .msg)\n";
    }
    const std::unique_ptr<TDm_Ldb> dm = CliArchive::open(db, err, u"import"_s);
    if (!dm) {
        return 1;
    }
    QTemporaryDir workFolder; // work copies of .msg files, as the window keeps them in mail_dat
    RecordingView view;
    ParameterTable parameters;
    for (int i = 1; i <= 10; ++i) {
        parameters.setValue(QString(u"MailAccount"_s + QString::number(i)), QString());
    }
    StreamPrompter prompter(err);
    MessageInfo message;
    InternetMessageReader reader(view, parameters, prompter, message);
    MessageReaders readers;
    readers.internet = [&reader](const QString& path) {
        reader.ReadInternetMessage(path);
    };
    MessageRegistrar registrar(dm->database().connectionName());

    int stored = 0;
    int updated = 0;
    int refused = static_cast<int>(notMessages.size());
    int groupStored = 0; // counted once their group is committed
    int groupUpdated = 0;
    const auto commitGroup = [&] {
        if (!registrar.endGroup()) {
            refused += groupStored + groupUpdated;
            groupStored = groupUpdated = 0;
            return false;
        }
        stored += groupStored;
        updated += groupUpdated;
        groupStored = groupUpdated = 0;
        return true;
    };
    const int total = static_cast<int>(files.size());
    QElapsedTimer clock;
    clock.start();
    bool ok = registrar.beginGroup();
    for (int i = 0; i < total && ok; ++i) {
        const QString& path = files.at(i);
        message.clearFields();
        message.MessageFile = path;
        message.awk_MessageFile.clear();
        if (MessageReaders::kindOf(path) == MessageReaders::Kind::Outlook) {
            message.awk_MessageFile = QDir(workFolder.path()).filePath(QFileInfo(path).fileName());
            QFile::remove(message.awk_MessageFile);
            QFile::copy(path, message.awk_MessageFile);
            readers.read(message.awk_MessageFile);
        } else {
            readers.read(path);
        }
        const MessageRegistrar::Result result = registrar.store(message);
        const auto tally =
            [&](const QString& file, const MessageRegistrar::Result& r, int& inserted, int& overwritten) {
                switch (r.outcome) {
                case MessageRegistrar::Outcome::Inserted:
                    ++inserted;
                    break;
                case MessageRegistrar::Outcome::Updated:
                    ++overwritten;
                    break;
                case MessageRegistrar::Outcome::Refused:
                case MessageRegistrar::Outcome::Failed:
                    ++refused;
                    err << file << ": " << r.error << '\n';
                    break;
                }
            };
        if (const std::optional<QList<MessageRegistrar::Replayed>> replayed = registrar.takeReplayed()) {
            // The group so far and this message were written again one by one and are committed now.
            groupStored = groupUpdated = 0;
            for (const MessageRegistrar::Replayed& again : *replayed) {
                tally(again.file, again.result, stored, updated);
            }
            tally(path, result, stored, updated);
        } else {
            tally(path, result, groupStored, groupUpdated);
        }
        if (!message.awk_MessageFile.isEmpty()) {
            QFile::remove(message.awk_MessageFile);
        }
        if ((i + 1) % kGroupSize == 0) {
            ok = commitGroup() && registrar.beginGroup();
        }
        if ((i + 1) % kProgressEvery == 0 || i + 1 == total) {
            out << "[" << (i + 1) << "/" << total << "] " << QFileInfo(path).fileName() << '\n';
            out.flush();
        }
    }
    if (ok) {
        ok = commitGroup();
    }
    if (!ok) {
        // The open group is lost: its messages count as refused, not as stored.
        err << "tidewell-cli import: commit failed: " << registrar.lastError() << '\n';
    }
    const double seconds = static_cast<double>(clock.elapsed()) / 1000.0;
    out << "stored " << stored << ", updated " << updated << ", refused " << refused << " ("
        << QString::number(seconds, 'f', 2) << " s)\n";
    return (ok && refused == 0) ? 0 : 1;
}

} // namespace

CliCommand importCommand()
{
    return {u"import"_s,
            u"import [--db PATH] FILE|DIR..."_s,
            u"register every .eml and .msg file named or found below the folders (recursively) in the "
            u"archive, as DB更新 does; without --db the archive of the settings file is used"_s,
            &runImport};
}
