#include <memory>

#include <QDir>
#include <QDirIterator>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <QThread>

#include "app/core/Delay.h"
#include "app/core/ParameterTable.h"
#include "cli/CliArchive.h"
#include "cli/CliCommand.h"
#include "cli/RecordingView.h"
#include "reader/InternetMessageReader.h"
#include "reader/MessageInfo.h"
#include "reader/OutlookMessageReader.h"
#include "store/BulkReader.h"
#include "store/MessageReaders.h"
#include "store/MessageRegistrar.h"
#include "store/TDm_Ldb.h"

using namespace Qt::StringLiterals;

namespace {

// Messages per transaction: one commit (and fsync) per group instead of per message.
constexpr int kGroupSize = 500;
constexpr int kProgressEvery = 1000;
// Messages read ahead of the one being written; bounds the memory a large import takes.
constexpr int kReadAhead = 64;

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

// One set of readers per worker thread: a reader keeps the state of the message it read last.
struct ThreadReaders
{
    ThreadReaders()
    {
        for (int i = 1; i <= 10; ++i) {
            parameters.setValue(QString(u"MailAccount"_s + QString::number(i)), QString());
        }
    }
    RecordingView view;
    ParameterTable parameters;
    QStringList notes;
    StreamPrompter prompter{notes};
    MessageInfo message;
    InternetMessageReader internet{view, parameters, prompter, message};
    OutlookMessageReader outlook{view, parameters, prompter, message};
};

// Reads one file as DB更新 would find it after opening: an Outlook message through a work
// copy (the reader opens a copy beside the file it is given, so each gets a folder of its own).
BulkReader::ReaderFactory readerFactory(const QString& workFolder)
{
    return [workFolder] {
        auto readers = std::make_shared<ThreadReaders>();
        return [readers, workFolder](BulkReader::Item& item) {
            MessageInfo& message = readers->message;
            readers->notes.clear();
            message.clearFields();
            message.MessageFile = item.path;
            message.awk_MessageFile.clear();
            if (MessageReaders::kindOf(item.path) == MessageReaders::Kind::Outlook) {
                const QString folder = QDir(workFolder).filePath(QString::number(item.index));
                QDir().mkpath(folder);
                message.awk_MessageFile = QDir(folder).filePath(QFileInfo(item.path).fileName());
                QFile::copy(item.path, message.awk_MessageFile);
                readers->outlook.ReadOutlookMessage(message.awk_MessageFile);
                QFile stored(MessageRegistrar::messageFileOf(message));
                if (stored.open(QIODevice::ReadOnly)) {
                    item.data = stored.readAll();
                }
            } else {
                // The bytes read are the bytes stored: the file is opened once.
                QFile file(item.path);
                const bool loaded = file.open(QIODevice::ReadOnly);
                if (loaded) {
                    item.data = file.readAll();
                }
                readers->internet.readMessageData(item.data, loaded);
            }
            item.message = message;
            item.notes = readers->notes;
        };
    };
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
    // The readers pause here and there to let the window repaint and a decryption finish; an
    // import has neither window nor decryption, and the pauses would cost a .msg file 0.3 s.
    Delay::setScale(0.0);
    // Parsing runs on worker threads while this thread writes: the archive takes one writer.
    BulkReader reader(files, readerFactory(workFolder.path()), QThread::idealThreadCount(), kReadAhead);
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
        const BulkReader::Item item = reader.next();
        const QString& path = item.path;
        for (const QString& note : item.notes) {
            err << note << '\n';
        }
        const MessageRegistrar::Result result = registrar.store(item.message, item.data);
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
        if (!item.message.awk_MessageFile.isEmpty()) {
            QDir(QFileInfo(item.message.awk_MessageFile).path()).removeRecursively();
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
