#include <QTemporaryDir>
#include <QTest>

#include "store/FirebirdServer.h"
#include "store/MessageListModel.h"
#include "store/StoreFixture.h"
#include "store/TDm_Ldb.h"

using namespace Qt::StringLiterals;

// Server mode: a private Firebird server on a free loopback port, and the data
// module connecting through it exactly as it does embedded.
class TestServerMode final : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void initTestCase();
    void cleanupTestCase();
    void connectsThroughTheServer();
    void wrongPasswordIsRefused();

private:
    QTemporaryDir m_dir;
    QString m_archive;
    std::unique_ptr<FirebirdServer> m_server;
};

void TestServerMode::initTestCase()
{
    const QString reason = FirebirdServer::unavailableReason();
    if (!reason.isEmpty()) {
        QSKIP(qPrintable(reason));
    }
    QVERIFY(m_dir.isValid());
    m_archive = m_dir.filePath(u"served.fdb"_s);
    QVERIFY(StoreFixture::createArchive(m_archive));
    {
        QSqlDatabase db = StoreFixture::open(m_archive, u"fill"_s);
        QVERIFY(StoreFixture::insert(
            db, {{u"<s@x>"_s, StoreFixture::at(u"2024-07-01 12:00:00"_s), u"サーバー経由 😀"_s, {}, u"b"_s, {}}}));
        db.close();
    }
    QSqlDatabase::removeDatabase(u"fill"_s);
    m_server = std::make_unique<FirebirdServer>(m_dir.filePath(u"server"_s));
    QVERIFY2(m_server->start(TDm_Ldb::userName(), TDm_Ldb::password()), qPrintable(m_server->error()));
}

void TestServerMode::cleanupTestCase()
{
    if (m_server) {
        m_server->stop();
    }
}

void TestServerMode::connectsThroughTheServer()
{
    TDm_Ldb::Options options;
    options.dataFolder = m_dir.path();
    TDm_Ldb dm(options);
    dm.setTarget(m_server->host(), m_archive);
    dm.acquireLock();
    QVERIFY(!dm.emb_Flg());
    QVERIFY(!dm.Semafore_Flg()); // the lock file belongs to embedded use only
    QVERIFY2(dm.create(), qPrintable(dm.lastError()));
    QCOMPARE(dm.title(), u"Tidewell 管理 -- "_s + m_server->host() + u":served.fdb"_s);
    QVERIFY(dm.openList());
    QCOMPARE(dm.list().rowCount(), 1);
    QCOMPARE(dm.list().fieldValue(0, u"MESSAGE_SUBJECT"_s).toString(), u"サーバー経由 😀"_s);
}

void TestServerMode::wrongPasswordIsRefused()
{
    QSqlDatabase db = QSqlDatabase::addDatabase(u"QIBASE"_s, u"intruder"_s);
    db.setDatabaseName(m_server->host() + u':' + m_archive);
    db.setUserName(TDm_Ldb::userName());
    db.setPassword(u"wrong"_s);
    QVERIFY(!db.open());
    db = {};
    QSqlDatabase::removeDatabase(u"intruder"_s);
}

QTEST_GUILESS_MAIN(TestServerMode)
#include "TestServerMode.moc"
