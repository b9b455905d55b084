#include <QDir>
#include <QFile>
#include <QProcess>
#include <QSqlDatabase>
#include <QSqlQuery>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>

#include "store/StoreFixture.h"
#include "testpaths.h"

using namespace Qt::StringLiterals;

namespace {

const QString kData = QStringLiteral(TIDEWELL_TEST_DATA_DIR "/store/intake/");

struct Run
{
    int exitCode = -1;
    QString out;
    QString err;
};

Run cli(const QStringList& args)
{
    QProcess process;
    process.start(QStringLiteral(TIDEWELL_CLI), args);
    process.waitForFinished(60000);
    return {process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1,
            QString::fromUtf8(process.readAllStandardOutput()),
            QString::fromUtf8(process.readAllStandardError())};
}

bool copyFixture(const QString& name, const QString& folder)
{
    QDir().mkpath(folder);
    return QFile::copy(kData + name, QDir(folder).filePath(name));
}

} // namespace

// tidewell-cli import and list against real archives.
class TestCliImport final : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void importsFoldersRecursivelyAndCounts();
    void refusedMessageFailsTheRun();
    void messageRefusedByTheArchiveCostsOnlyItself();
    void importsOutlookMessagesThroughWorkCopies();
    void failedCommitStopsAndCountsWhatWasNotImported();
    void listPrintsNewestFirst();
    void withoutDbUsesTheConfiguredArchive_data();
    void withoutDbUsesTheConfiguredArchive();
};

void TestCliImport::importsFoldersRecursivelyAndCounts()
{
    QTemporaryDir dir;
    const QString archive = dir.filePath(u"a.fdb"_s);
    QVERIFY(StoreFixture::createArchive(archive));
    const QString mail = dir.filePath(u"mail"_s);
    QVERIFY(copyFixture(u"first.eml"_s, mail));
    QVERIFY(copyFixture(u"second.eml"_s, mail + u"/2024/04"_s));
    QVERIFY(copyFixture(u"third.eml"_s, mail + u"/2024"_s));
    QVERIFY(copyFixture(u"note.txt"_s, mail)); // not a message: not looked at inside a folder

    Run run = cli({u"import"_s, u"--db"_s, archive, mail});
    QCOMPARE(run.exitCode, 0);
    QVERIFY2(run.out.contains(u"stored 3, updated 0, refused 0"_s), qPrintable(run.out + run.err));
    QVERIFY(run.out.contains(u"[3/3]"_s));
    {
        // What is stored is the file itself, byte for byte.
        QSqlDatabase db = StoreFixture::open(archive, u"counts"_s);
        QSqlQuery query(db);
        QVERIFY(query.exec(u"select MailDat from Message_DatTBL where Message_FileName = 'first.eml'"_s));
        QVERIFY(query.next());
        QFile file(kData + u"first.eml"_s);
        QVERIFY(file.open(QIODevice::ReadOnly));
        QCOMPARE(query.value(0).toByteArray(), file.readAll());
    }
    QSqlDatabase::removeDatabase(u"counts"_s);

    run = cli({u"import"_s, u"--db"_s, archive, mail});
    QCOMPARE(run.exitCode, 0);
    QVERIFY2(run.out.contains(u"stored 0, updated 3, refused 0"_s), qPrintable(run.out + run.err));
}

void TestCliImport::refusedMessageFailsTheRun()
{
    QTemporaryDir dir;
    const QString archive = dir.filePath(u"a.fdb"_s);
    QVERIFY(StoreFixture::createArchive(archive));
    const Run run = cli({u"import"_s, u"--db"_s, archive, kData + u"first.eml"_s, kData + u"no-id.eml"_s});
    QCOMPARE(run.exitCode, 1);
    QVERIFY2(run.out.contains(u"stored 1, updated 0, refused 1"_s), qPrintable(run.out + run.err));
    QVERIFY(run.err.contains(u"no-id.eml"_s));

    const Run text = cli({u"import"_s, u"--db"_s, archive, kData + u"note.txt"_s});
    QCOMPARE(text.exitCode, 1);
    QVERIFY(text.out.contains(u"refused 1"_s));

    const Run missing = cli({u"import"_s, u"--db"_s, dir.filePath(u"none.fdb"_s), kData + u"first.eml"_s});
    QCOMPARE(missing.exitCode, 1);
}

void TestCliImport::messageRefusedByTheArchiveCostsOnlyItself()
{
    QTemporaryDir dir;
    const QString archive = dir.filePath(u"a.fdb"_s);
    QVERIFY(StoreFixture::createArchive(archive));
    {
        QSqlDatabase db = StoreFixture::open(archive, u"refusing"_s);
        QVERIFY(db.isOpen());
        QSqlQuery query(db);
        QVERIFY(query.exec(u"create exception refuse_message 'refused by the test trigger'"_s));
        QVERIFY(query.exec(u"create trigger refuse_some for Message_DatTBL before insert or update as begin "
                           "if (new.Message_FileName = 'second.eml') then exception refuse_message; end"_s));
        query.finish();
        db.close();
    }
    QSqlDatabase::removeDatabase(u"refusing"_s);
    const QString mail = dir.filePath(u"mail"_s);
    QVERIFY(copyFixture(u"first.eml"_s, mail));
    QVERIFY(copyFixture(u"second.eml"_s, mail));
    QVERIFY(copyFixture(u"third.eml"_s, mail));

    Run run = cli({u"import"_s, u"--db"_s, archive, mail});
    QCOMPARE(run.exitCode, 1);
    QVERIFY2(run.out.contains(u"stored 2, updated 0, refused 1"_s), qPrintable(run.out + run.err));
    QVERIFY(run.err.contains(u"second.eml"_s));
    QVERIFY(!run.err.contains(u"first.eml"_s));

    run = cli({u"import"_s, u"--db"_s, archive, mail});
    QCOMPARE(run.exitCode, 1);
    QVERIFY2(run.out.contains(u"stored 0, updated 2, refused 1"_s), qPrintable(run.out + run.err));
}

void TestCliImport::importsOutlookMessagesThroughWorkCopies()
{
    // Two different Outlook messages under one file name, one without an Internet message id, one damaged.
    const QString corpus = QStringLiteral(TIDEWELL_CORPUS_DIR "/msg/");
    QTemporaryDir dir;
    const QString mail = dir.filePath(u"mail"_s);
    const QStringList sources{corpus + u"eomp_plain_jpeg_attached.msg"_s, corpus + u"msgreader_HtmlSampleEmail.msg"_s};
    for (const QString& folder : {u"a"_s, u"b"_s}) {
        QVERIFY(QDir().mkpath(mail + u'/' + folder));
        QVERIFY(QFile::copy(sources.at(folder == u"a"_s ? 0 : 1), mail + u'/' + folder + u"/same.msg"_s));
    }
    QVERIFY(QFile::copy(corpus + u"poi_msgClassTask.msg"_s, mail + u"/task.MSG"_s));
    QVERIFY(QFile::copy(corpus + u"poi_clusterfuzz-testcase-minimized-POIHSMFFuzzer-4735011465854976.msg"_s,
                        mail + u"/damaged.msg"_s));
    const QString archive = dir.filePath(u"a.fdb"_s);
    QVERIFY(StoreFixture::createArchive(archive));

    const Run run = cli({u"import"_s, u"--db"_s, archive, mail});
    QCOMPARE(run.exitCode, 1);
    QVERIFY2(run.out.contains(u"stored 2, updated 0, refused 2"_s), qPrintable(run.out + run.err));
    QVERIFY2(run.err.contains(u"task.MSG: このメールデータはDB更新できません"_s), qPrintable(run.err));
    // A damaged file is named once, not followed by the compound-file library's own complaints.
    QVERIFY2(run.err.contains(u"damaged.msg: このメールデータはDB更新できません"_s), qPrintable(run.err));
    QVERIFY2(!run.err.contains(u"libgsf"_s), qPrintable(run.err));

    QSqlDatabase db = StoreFixture::open(archive, u"outlook"_s);
    {
        QSqlQuery query(db);
        QVERIFY(
            query.exec(u"select d.MailDat, i.Message_ftype, d.Message_FileName from Message_DatTBL d "
                       "join Message_IdxTbl i on i.Message_ID = d.Message_ID and i.Message_Date = d.Message_Date"_s));
        QList<QByteArray> stored;
        while (query.next()) {
            QCOMPARE(query.value(1).toString().trimmed(), u"2"_s);
            QCOMPARE(query.value(2).toString(), u"same.msg"_s);
            stored.append(query.value(0).toByteArray());
        }
        QCOMPARE(stored.size(), 2);
        // Each message is stored with its own file, though both work copies had one name.
        for (const QString& source : sources) {
            QFile file(source);
            QVERIFY(file.open(QIODevice::ReadOnly));
            QVERIFY2(stored.contains(file.readAll()), qPrintable(source));
        }
    }
    db.close();
    db = QSqlDatabase();
    QSqlDatabase::removeDatabase(u"outlook"_s);
}

void TestCliImport::failedCommitStopsAndCountsWhatWasNotImported()
{
    // A commit that fails (a full disk, say) loses its group; the files after it are never
    // reached. Both must show in the counts, not vanish from them.
    QTemporaryDir dir;
    const QString archive = dir.filePath(u"a.fdb"_s);
    QVERIFY(StoreFixture::createArchive(archive));
    {
        QSqlDatabase db = StoreFixture::open(archive, u"breaking"_s);
        QSqlQuery query(db);
        QVERIFY(query.exec(u"create exception refuse_commit 'commit refused by the test trigger'"_s));
        QVERIFY(query.exec(u"create trigger refuse_commit on transaction commit as begin "
                           "if (exists(select 1 from Message_IdxTbl where Message_Subject = 'breaks the commit')) "
                           "then exception refuse_commit; end"_s));
        query.finish();
        db.close();
    }
    QSqlDatabase::removeDatabase(u"breaking"_s);
    const QString mail = dir.filePath(u"mail"_s);
    QVERIFY(QDir().mkpath(mail));
    for (int i = 0; i < 700; ++i) {
        QFile file(mail + u"/%1.eml"_s.arg(i, 4, 10, QLatin1Char('0')));
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write(QStringLiteral("Message-ID: <%1@example.org>\r\nDate: Tue, 2 Apr 2024 10:00:00 +0900\r\n"
                                  "From: a@example.org\r\nSubject: %2\r\n\r\nbody\r\n")
                       .arg(i)
                       .arg(i == 10 ? u"breaks the commit"_s : u"fine"_s)
                       .toUtf8());
    }

    const Run run = cli({u"import"_s, u"--db"_s, archive, mail});
    QCOMPARE(run.exitCode, 1);
    QVERIFY2(run.out.contains(u"stored 0, updated 0, refused 700"_s), qPrintable(run.out + run.err));
    QVERIFY2(run.err.contains(u"commit failed"_s), qPrintable(run.err));
    QVERIFY2(run.err.contains(u"200 more files were not imported"_s), qPrintable(run.err));
}

void TestCliImport::listPrintsNewestFirst()
{
    QTemporaryDir dir;
    const QString archive = dir.filePath(u"a.fdb"_s);
    QVERIFY(StoreFixture::createArchive(archive));
    QCOMPARE(cli({u"import"_s, u"--db"_s, archive, kData}).exitCode, 1); // no-id.eml is refused
    const Run run = cli({u"list"_s, u"--db"_s, archive, u"--limit"_s, u"2"_s});
    QCOMPARE(run.exitCode, 0);
    const QStringList lines = run.out.split(u'\n', Qt::SkipEmptyParts);
    QCOMPARE(lines.size(), 3); // title line and two rows
    QVERIFY2(lines.at(1).startsWith(u"2024/04/03 12:45:30\tCarol\tcarol@example.org\tthird message\tthird.eml"_s),
             qPrintable(lines.at(1)));
    QVERIFY2(lines.at(2).startsWith(u"2024/04/02 11:30:00\t山田太郎\ttaro@example.jp\t二番目のメール"_s),
             qPrintable(lines.at(2)));
}

void TestCliImport::withoutDbUsesTheConfiguredArchive_data()
{
    QTest::addColumn<bool>("configured");
    QTest::addRow("DBPath of the settings file") << true;
    QTest::addRow("Tidewell.fdb in the data folder") << false;
}

void TestCliImport::withoutDbUsesTheConfiguredArchive()
{
    QFETCH(bool, configured);
    // The per-user data folder of the sealed test home.
    const QString dataFolder =
        QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation) + u"/Kestrelon/TW_ArchiveDB"_s;
    QDir(dataFolder).removeRecursively();
    QVERIFY(QDir().mkpath(dataFolder));
    QTemporaryDir dir;
    QString archive = QDir(dataFolder).filePath(u"Tidewell.fdb"_s);
    if (configured) {
        archive = dir.filePath(u"elsewhere.fdb"_s);
        QFile ini(QDir(dataFolder).filePath(u"tidewell.ini"_s));
        QVERIFY(ini.open(QIODevice::WriteOnly));
        ini.write(QStringLiteral("[MailDB]\nServer=\nDBPath=%1\n").arg(archive).toUtf8());
    }
    QVERIFY(StoreFixture::createArchive(archive));
    QCOMPARE(cli({u"import"_s, kData + u"first.eml"_s}).exitCode, 0);
    const Run run = cli({u"list"_s, u"--db"_s, archive});
    QVERIFY2(run.out.contains(u"<first@example.com>"_s), qPrintable(run.out + run.err));
    QDir(dataFolder).removeRecursively();
}

QTEST_GUILESS_MAIN(TestCliImport)
#include "TestCliImport.moc"
