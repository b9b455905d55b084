#include <QDir>
#include <QFile>
#include <QProcess>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>

#include "app/core/Delay.h"
#include "store/ConnectionTarget.h"
#include "store/FirebirdEngine.h"
#include "store/MessageListModel.h"
#include "store/SemaforeLock.h"
#include "store/StoreFixture.h"
#include "store/TDm_Ldb.h"

using namespace Qt::StringLiterals;

// The data module against the real embedded engine: modes, title and title
// file, the lock file, the upgrade step and what a bad target does.
class TestDm_Ldb final : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void initTestCase();
    void init();
    void cleanup();
    void modeAndTitleFollowTheHost_data();
    void modeAndTitleFollowTheHost();
    void createOpensEmbeddedAndWritesTitleFile();
    void badTargetsLeavePlainTitleAndClosedConnection_data();
    void badTargetsLeavePlainTitleAndClosedConnection();
    void titleFileWriteFailureIsIgnored();
    void lockFileIsExclusive();
    void lockFileGoesWithItsHolder();
    void lockOnlyForEmptyHost_data();
    void lockOnlyForEmptyHost();
    void lockedFileStillOpens();
    void lockFolderSetWhenUnset();
    void previousGenerationIsUpgradedWithoutAQuestion();
    void currentGenerationIsNotUpgraded();
    void gfixFollowsTheEngineFolderRule();
    void connectionCheckAdoptsTargetAndClosesAgain();
    void defaultArchiveIsCreatedAndAdopted();

private:
    [[nodiscard]] TDm_Ldb::Options options(const QString& connection = u"FD_Message"_s) const;
    [[nodiscard]] QString writeStandInGfix(int exitCode) const;
    [[nodiscard]] static QString readFile(const QString& path);

    QTemporaryDir m_shared; // one archive for the read-only cases
    QString m_archive;
    std::unique_ptr<QTemporaryDir> m_dir;
};

void TestDm_Ldb::initTestCase()
{
    Delay::setScale(0.0);
    m_archive = m_shared.filePath(u"shared.fdb"_s);
    QVERIFY(StoreFixture::createArchive(m_archive));
}

void TestDm_Ldb::init()
{
    m_dir = std::make_unique<QTemporaryDir>();
    QVERIFY(m_dir->isValid());
}

void TestDm_Ldb::cleanup()
{
    m_dir.reset();
}

TDm_Ldb::Options TestDm_Ldb::options(const QString& connection) const
{
    TDm_Ldb::Options result;
    result.connectionName = connection;
    result.dataFolder = m_dir->path();
    result.programFolder = m_dir->path();
    result.workingFolder = m_dir->path();
    result.serverTimeoutMs = 500;
    return result;
}

QString TestDm_Ldb::readFile(const QString& path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        return u"<missing>"_s;
    }
    return QString::fromUtf8(file.readAll());
}

// A stand-in for the engine's gfix: records its arguments, ends with exitCode.
QString TestDm_Ldb::writeStandInGfix(int exitCode) const
{
    const QString path = m_dir->filePath(u"gfix-stand-in.sh"_s);
    QFile script(path);
    if (!script.open(QIODevice::WriteOnly)) {
        return {};
    }
    script.write("#!/bin/sh\nprintf '%s\\n' \"$@\" > \"" + QFile::encodeName(m_dir->filePath(u"gfix-args.txt"_s))
                 + "\"\nexit " + QByteArray::number(exitCode) + "\n");
    script.close();
    script.setPermissions(QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    return path;
}

void TestDm_Ldb::modeAndTitleFollowTheHost_data()
{
    QTest::addColumn<QString>("host");
    QTest::addColumn<QString>("path");
    QTest::addColumn<bool>("embedded");
    QTest::addColumn<QString>("databaseName");
    QTest::addColumn<QString>("title");
    QTest::addRow("empty host is embedded") << u""_s << u"/data/mail/Tidewell.fdb"_s << true
                                            << u"/data/mail/Tidewell.fdb"_s << u"Tidewell 管理 -- Tidewell.fdb"_s;
    QTest::addRow("localhost in capitals is embedded")
        << u"LOCALHOST"_s << u"/data/a.fdb"_s << true << u"/data/a.fdb"_s << u"Tidewell 管理 -- a.fdb"_s;
    QTest::addRow("mixed-case localhost is embedded")
        << u"LocalHost"_s << u"/data/a.fdb"_s << true << u"/data/a.fdb"_s << u"Tidewell 管理 -- a.fdb"_s;
    QTest::addRow("other host is a server") << u"dbhost"_s << u"/srv/fb/mail.fdb"_s << false
                                            << u"dbhost:/srv/fb/mail.fdb"_s << u"Tidewell 管理 -- dbhost:mail.fdb"_s;
    QTest::addRow("server with port") << u"10.0.0.5/3051"_s << u"/srv/fb/mail.fdb"_s << false
                                      << u"10.0.0.5/3051:/srv/fb/mail.fdb"_s
                                      << u"Tidewell 管理 -- 10.0.0.5/3051:mail.fdb"_s;
    QTest::addRow("windows path on a server") << u"winbox"_s << u"C:\\DB\\Mail.FDB"_s << false
                                              << u"winbox:C:\\DB\\Mail.FDB"_s << u"Tidewell 管理 -- winbox:Mail.FDB"_s;
}

void TestDm_Ldb::modeAndTitleFollowTheHost()
{
    QFETCH(QString, host);
    QFETCH(QString, path);
    QFETCH(bool, embedded);
    QFETCH(QString, databaseName);
    QFETCH(QString, title);
    const ConnectionTarget target(host, path);
    QCOMPARE(target.isEmbedded(), embedded);
    QCOMPARE(target.databaseName(), databaseName);
    QCOMPARE(target.title(), title);
}

void TestDm_Ldb::createOpensEmbeddedAndWritesTitleFile()
{
    TDm_Ldb dm(options());
    QSignalSpy connection(&dm, &TDm_Ldb::connectionChanged);
    dm.setTarget({}, m_archive);
    QVERIFY(dm.create());
    QVERIFY(dm.isConnected());
    QCOMPARE(dm.database().connectionName(), u"FD_Message"_s);
    QCOMPARE(connection.last().first().toBool(), true);
    QCOMPARE(dm.title(), u"Tidewell 管理 -- shared.fdb"_s);
    QCOMPARE(readFile(m_dir->filePath(u"$FormTitle.txt"_s)), u"Tidewell 管理 -- shared.fdb"_s);
    QVERIFY(dm.openList());
    QCOMPARE(dm.list().indexFieldNames(), u"MESSAGE_DATE:D"_s);
}

void TestDm_Ldb::badTargetsLeavePlainTitleAndClosedConnection_data()
{
    QTest::addColumn<QString>("host");
    QTest::addColumn<QString>("fileName");   // inside the test folder; empty: none configured
    QTest::addColumn<QByteArray>("content"); // written first unless null
    QTest::addColumn<QString>("titleFile");
    QTest::addRow("missing file") << u""_s << u"missing.fdb"_s << QByteArray() << u"Tidewell 管理"_s;
    QTest::addRow("not a database") << u""_s << u"text.fdb"_s << QByteArray("Subject: hello\r\n\r\nplain text\r\n")
                                    << u"Tidewell 管理"_s;
    QTest::addRow("empty file") << u""_s << u"empty.fdb"_s << QByteArray("") << u"Tidewell 管理"_s;
    // Port 1 on the loopback refuses at once: a server that does not answer.
    QTest::addRow("server does not answer")
        << u"127.0.0.1/1"_s << u"remote.fdb"_s << QByteArray() << u"Tidewell 管理"_s;
    QTest::addRow("server address that nobody answers")
        << u"10.255.255.1/3050"_s << u"remote.fdb"_s << QByteArray() << u"Tidewell 管理"_s;
    QTest::addRow("no file configured") << u""_s << u""_s << QByteArray() << u"<missing>"_s;
}

void TestDm_Ldb::badTargetsLeavePlainTitleAndClosedConnection()
{
    QFETCH(QString, host);
    QFETCH(QString, fileName);
    QFETCH(QByteArray, content);
    QFETCH(QString, titleFile);
    const QString path = fileName.isEmpty() ? QString() : m_dir->filePath(fileName);
    if (!content.isNull()) {
        QFile file(path);
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write(content);
    }
    TDm_Ldb dm(options());
    QSignalSpy connection(&dm, &TDm_Ldb::connectionChanged);
    dm.setTarget(host, path);
    QVERIFY(!dm.create());
    QVERIFY(!dm.isConnected());
    QVERIFY(!dm.openList());
    QCOMPARE(connection.last().first().toBool(), false); // DBConnect stays disabled
    QCOMPARE(dm.title(), u"Tidewell 管理"_s);
    QCOMPARE(readFile(m_dir->filePath(u"$FormTitle.txt"_s)), titleFile);
    if (!content.isNull()) {
        QFile file(path);
        QVERIFY(file.open(QIODevice::ReadOnly));
        QCOMPARE(file.readAll(), content); // never altered
    } else if (!path.isEmpty()) {
        QVERIFY(!QFileInfo::exists(path)); // never created
    }
}

void TestDm_Ldb::titleFileWriteFailureIsIgnored()
{
    TDm_Ldb::Options opts = options();
    opts.dataFolder = m_dir->filePath(u"no/such/folder"_s);
    TDm_Ldb dm(opts);
    dm.setTarget({}, m_archive);
    QVERIFY(dm.create());
    QVERIFY(!dm.writeTitleFile());
    QCOMPARE(dm.title(), u"Tidewell 管理 -- shared.fdb"_s);
}

void TestDm_Ldb::lockFileIsExclusive()
{
    const QString db = m_dir->filePath(u"locked.fdb"_s);
    QVERIFY(StoreFixture::createArchive(db));
    TDm_Ldb first(options(u"first"_s));
    first.setTarget({}, db);
    first.acquireLock();
    QVERIFY(first.emb_Flg());
    QVERIFY(first.Semafore_Flg());
    QVERIFY(QFileInfo::exists(m_dir->filePath(u"Semafore"_s)));

    // A second start in the same process cannot take it ...
    TDm_Ldb second(options(u"second"_s));
    second.setTarget({}, db);
    second.acquireLock();
    QVERIFY(!second.Semafore_Flg());
    // ... nor can a second program.
    QProcess other;
    other.start(QStringLiteral(STORE_LOCK_HELPER), {m_dir->path()});
    QVERIFY(other.waitForFinished(30000));
    QCOMPARE(other.exitCode(), 3);

    // Released at exit: the file goes, and the others may take it.
    first.releaseLock();
    QVERIFY(!first.Semafore_Flg());
    QVERIFY(!QFileInfo::exists(m_dir->filePath(u"Semafore"_s)));
    other.start(QStringLiteral(STORE_LOCK_HELPER), {m_dir->path()});
    QVERIFY(other.waitForFinished(30000));
    QCOMPARE(other.exitCode(), 0);
    second.acquireLock();
    QVERIFY(second.Semafore_Flg());
}

void TestDm_Ldb::lockFileGoesWithItsHolder()
{
    // A holder that dies leaves the file behind but not the lock.
    SemaforeLock holder;
    QVERIFY(holder.acquire(m_dir->path()));
    QProcess other;
    other.start(QStringLiteral(STORE_LOCK_HELPER), {m_dir->path()});
    QVERIFY(other.waitForFinished(30000));
    QCOMPARE(other.exitCode(), 3);
    holder.release(false); // as the system does for a dead process
    QVERIFY(QFileInfo::exists(m_dir->filePath(u"Semafore"_s)));
    other.start(QStringLiteral(STORE_LOCK_HELPER), {m_dir->path()});
    QVERIFY(other.waitForFinished(30000));
    QCOMPARE(other.exitCode(), 0);
}

void TestDm_Ldb::lockOnlyForEmptyHost_data()
{
    QTest::addColumn<QString>("host");
    QTest::addColumn<bool>("fileExists");
    QTest::addColumn<bool>("embFlg");
    QTest::addColumn<bool>("held");
    QTest::addRow("empty host, file present") << u""_s << true << true << true;
    QTest::addRow("empty host, no file") << u""_s << false << true << false;
    QTest::addRow("LOCALHOST connects embedded without the lock") << u"LOCALHOST"_s << true << false << false;
}

void TestDm_Ldb::lockOnlyForEmptyHost()
{
    QFETCH(QString, host);
    QFETCH(bool, fileExists);
    QFETCH(bool, embFlg);
    QFETCH(bool, held);
    const QString db = m_dir->filePath(u"x.fdb"_s);
    if (fileExists) {
        QFile file(db);
        QVERIFY(file.open(QIODevice::WriteOnly));
    }
    TDm_Ldb dm(options());
    dm.setTarget(host, db);
    dm.acquireLock();
    QCOMPARE(dm.emb_Flg(), embFlg);
    QCOMPARE(dm.Semafore_Flg(), held);
    dm.releaseLock();
    QVERIFY(!QFileInfo::exists(m_dir->filePath(u"Semafore"_s))); // released and deleted at exit, or never made
}

void TestDm_Ldb::lockedFileStillOpens()
{
    // Another installation holding "Semafore": start-up goes on silently.
    SemaforeLock other;
    QVERIFY(other.acquire(m_shared.path()));
    TDm_Ldb dm(options());
    dm.setTarget({}, m_archive);
    dm.acquireLock();
    QVERIFY(!dm.Semafore_Flg());
    QVERIFY(dm.create());
    other.release(true);
}

void TestDm_Ldb::lockFolderSetWhenUnset()
{
    const QByteArray saved = qgetenv("FIREBIRD_LOCK");
    QVERIFY(!saved.isEmpty());                                                   // set by the test environment
    QCOMPARE(FirebirdEngine::ensureLockFolder(), QString::fromLocal8Bit(saved)); // left alone when set

    qunsetenv("FIREBIRD_LOCK");
    const QString folder = FirebirdEngine::ensureLockFolder();
    QCOMPARE(qEnvironmentVariable("FIREBIRD_LOCK"), folder);
    // Per user: below this user's own cache folder, created private.
    QVERIFY2(folder.startsWith(qEnvironmentVariable("XDG_CACHE_HOME") + u'/'), qPrintable(folder));
    QVERIFY(QFileInfo(folder).isDir());
    QCOMPARE(QFileInfo(folder).permissions() & (QFile::ReadOther | QFile::WriteOther), QFile::Permissions());
    qputenv("FIREBIRD_LOCK", saved);
}

void TestDm_Ldb::previousGenerationIsUpgradedWithoutAQuestion()
{
    const QString db = m_dir->filePath(u"old.fdb"_s);
    QVERIFY(StoreFixture::createArchive(db));
    TDm_Ldb::Options opts = options();
    opts.gfixProgram = writeStandInGfix(0);
    opts.previousGeneration = {12, 0}; // what this engine writes, standing in for the previous generation
    TDm_Ldb dm(opts);
    QSignalSpy connection(&dm, &TDm_Ldb::connectionChanged);
    dm.setTarget({}, db);
    QVERIFY(dm.create());
    QVERIFY(dm.TerminateState());
    QCOMPARE(readFile(m_dir->filePath(u"gfix-args.txt"_s)),
             u"-upgrade\n"_s + db + u"\n-user\nsysdba\n-pass\nquaxbrine\n"_s);
    // Closed for the upgrade, open again afterwards.
    QList<bool> states;
    for (const QList<QVariant>& signal : connection) {
        states.append(signal.first().toBool());
    }
    QCOMPARE(states, (QList<bool>{false, true, false, true}));
    QVERIFY(dm.isConnected());
    QCOMPARE(dm.title(), u"Tidewell 管理 -- old.fdb"_s);
}

void TestDm_Ldb::currentGenerationIsNotUpgraded()
{
    TDm_Ldb::Options opts = options();
    opts.gfixProgram = writeStandInGfix(0);
    TDm_Ldb dm(opts); // previous generation 13.0, this engine writes 12.0
    dm.setTarget({}, m_archive);
    QVERIFY(dm.create());
    QVERIFY(!QFileInfo::exists(m_dir->filePath(u"gfix-args.txt"_s)));
}

void TestDm_Ldb::gfixFollowsTheEngineFolderRule()
{
    // Without an engine folder beside the program: the system's gfix.
    QCOMPARE(QFileInfo(FirebirdEngine::gfixPath(m_dir->path())).fileName(), u"gfix"_s);
    QVERIFY(!FirebirdEngine::gfixPath(m_dir->path()).startsWith(m_dir->path()));
    // With it: the one in the engine folder.
    QVERIFY(QDir(m_dir->path()).mkpath(u"FB5(x64)"_s));
    QFile tool(m_dir->filePath(u"FB5(x64)/gfix"_s));
    QVERIFY(tool.open(QIODevice::WriteOnly));
    tool.close();
    QCOMPARE(FirebirdEngine::gfixPath(m_dir->path()), m_dir->filePath(u"FB5(x64)/gfix"_s));
    // The client side looks in the working folder and points the engine there, unless FIREBIRD is set.
    const QByteArray savedRoot = qgetenv("FIREBIRD");
    qunsetenv("FIREBIRD");
    QCOMPARE(FirebirdEngine::applyClientFolder(m_dir->filePath(u"elsewhere"_s)), QString());
    QVERIFY(qEnvironmentVariableIsEmpty("FIREBIRD"));
    QCOMPARE(FirebirdEngine::applyClientFolder(m_dir->path()), m_dir->filePath(u"FB5(x64)"_s));
    QCOMPARE(qEnvironmentVariable("FIREBIRD"), m_dir->filePath(u"FB5(x64)"_s));
    if (savedRoot.isEmpty()) {
        qunsetenv("FIREBIRD");
    } else {
        qputenv("FIREBIRD", savedRoot);
    }
    // A failing or missing tool ends the wait and reports failure.
    TDm_Ldb::Options opts = options();
    opts.gfixProgram = writeStandInGfix(1);
    TDm_Ldb failing(opts);
    failing.setTarget({}, m_archive);
    QVERIFY(!failing.upgrade());
    opts.connectionName = u"missing"_s;
    opts.gfixProgram = m_dir->filePath(u"no-such-gfix"_s);
    TDm_Ldb missing(opts);
    missing.setTarget({}, m_archive);
    QVERIFY(!missing.upgrade());
    QVERIFY(missing.TerminateState());
}

void TestDm_Ldb::connectionCheckAdoptsTargetAndClosesAgain()
{
    TDm_Ldb dm(options());
    dm.setTarget({}, m_archive);
    QVERIFY(dm.create());
    QVERIFY(dm.connectionCheck(u""_s, m_archive));
    QVERIFY(!dm.isConnected());
    QCOMPARE(readFile(m_dir->filePath(u"$FormTitle.txt"_s)), u"Tidewell 管理 -- shared.fdb"_s);
    // Empty boxes clear the configured file.
    QVERIFY(!dm.connectionCheck(u""_s, u""_s));
    QCOMPARE(dm.Ldb_Path1(), QString());
}

void TestDm_Ldb::defaultArchiveIsCreatedAndAdopted()
{
    const QString data = m_dir->filePath(u"profile"_s);
    QString host = u"localhost"_s;
    QString path;
    QString error;
    QVERIFY2(TDm_Ldb::adoptDefaultArchive(host, path, data, &error), qPrintable(error));
    QCOMPARE(host, QString());
    QCOMPARE(path, data + u"/Tidewell.fdb"_s);
    QVERIFY(QFileInfo(path).isFile());
    const QDateTime created = QFileInfo(path).lastModified();
    // A later start with an empty setting adopts the same file without touching it.
    QString host2 = u"localhost"_s;
    QString path2;
    QVERIFY(TDm_Ldb::adoptDefaultArchive(host2, path2, data, &error));
    QCOMPARE(path2, path);
    QCOMPARE(QFileInfo(path).lastModified(), created);
    // A configured file is left as it is.
    QString host3 = u"dbhost"_s;
    QString path3 = u"/srv/mail.fdb"_s;
    QVERIFY(TDm_Ldb::adoptDefaultArchive(host3, path3, data, &error));
    QCOMPARE(host3, u"dbhost"_s);
    QCOMPARE(path3, u"/srv/mail.fdb"_s);
    TDm_Ldb dm(options());
    dm.setTarget(host, path);
    QVERIFY(dm.create());
    QCOMPARE(dm.title(), u"Tidewell 管理 -- Tidewell.fdb"_s);
}

QTEST_GUILESS_MAIN(TestDm_Ldb)
#include "TestDm_Ldb.moc"
