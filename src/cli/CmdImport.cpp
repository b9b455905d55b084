#include <memory>
#include <utility>

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
    RecordingView view;
    ParameterTable parameters = commandLineParameters();
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

// What became of the files of one import. The messages of the open group
// count as stored or updated only once their group is committed.
class Counts final
{
public:
    explicit Counts(QTextStream& err)
        : m_err(err)
    {
    }
    int stored = 0;
    int updated = 0;
    int refused = 0;

    // A result of the open group, or (committed) one already committed on its own.
    void add(const QString& file, const MessageRegistrar::Result& result, bool committed)
    {
        switch (result.outcome) {
        case MessageRegistrar::Outcome::Inserted:
            ++(committed ? stored : m_groupStored);
            break;
        case MessageRegistrar::Outcome::Updated:
            ++(committed ? updated : m_groupUpdated);
            break;
        case MessageRegistrar::Outcome::Refused:
        case MessageRegistrar::Outcome::Failed:
            ++refused;
            m_err << file << ": " << result.error << '\n';
            break;
        }
    }
    // The group was written again one message at a time: its results come anew.
    void groupReplayed() { m_groupStored = m_groupUpdated = 0; }
    void groupCommitted()
    {
        stored += std::exchange(m_groupStored, 0);
        updated += std::exchange(m_groupUpdated, 0);
    }
    void groupLost() { refused += std::exchange(m_groupStored, 0) + std::exchange(m_groupUpdated, 0); }

private:
    QTextStream& m_err;
    int m_groupStored = 0;
    int m_groupUpdated = 0;
};

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

    Counts counts(err);
    counts.refused = static_cast<int>(notMessages.size());
    const auto commitGroup = [&] {
        if (!registrar.endGroup()) {
            counts.groupLost();
            return false;
        }
        counts.groupCommitted();
        return true;
    };
    const int total = static_cast<int>(files.size());
    QElapsedTimer clock;
    clock.start();
    bool ok = registrar.beginGroup();
    int done = 0; // files taken from the reader
    while (done < total && ok) {
        const BulkReader::Item item = reader.next();
        ++done;
        const QString& path = item.path;
        for (const QString& note : item.notes) {
            err << note << '\n';
        }
        const MessageRegistrar::Result result = registrar.store(item.message, item.data);
        if (const std::optional<QList<MessageRegistrar::Replayed>> replayed = registrar.takeReplayed()) {
            // The group so far and this message were written again one by one and are committed now.
            counts.groupReplayed();
            for (const MessageRegistrar::Replayed& again : *replayed) {
                counts.add(again.file, again.result, true);
            }
            counts.add(path, result, true);
        } else {
            counts.add(path, result, false);
        }
        if (!item.message.awk_MessageFile.isEmpty()) {
            QDir(QFileInfo(item.message.awk_MessageFile).path()).removeRecursively();
        }
        if (done % kGroupSize == 0) {
            ok = commitGroup() && registrar.beginGroup();
        }
        if (done % kProgressEvery == 0 || done == total) {
            out << "[" << done << "/" << total << "] " << QFileInfo(path).fileName() << '\n';
            out.flush();
        }
    }
    if (ok) {
        ok = commitGroup();
    }
    if (!ok) {
        // The open group is lost: its messages count as refused, not as stored, and so do the
        // files never reached.
        err << "tidewell-cli import: commit failed: " << registrar.lastError() << '\n';
        if (done < total) {
            err << "tidewell-cli import: stopped; " << (total - done) << " more files were not imported\n";
            counts.refused += total - done;
        }
    }
    const double seconds = static_cast<double>(clock.elapsed()) / 1000.0;
    out << "stored " << counts.stored << ", updated " << counts.updated << ", refused " << counts.refused << " ("
        << QString::number(seconds, 'f', 2) << " s)\n";
    return (ok && counts.refused == 0) ? 0 : 1;
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
