#include <QFile>
#include <QProcess>
#include <QSqlQuery>
#include <QSqlRecord>
#include <QTemporaryDir>
#include <QTest>

#include "store/ArchiveCreator.h"
#include "store/StoreFixture.h"

using namespace Qt::StringLiterals;

// The archive's structure as the message store needs it, created by the real engine.
class TestArchiveCreator final : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void initTestCase();
    void cleanupTestCase();
    void columnsHaveOrderTypesAndWidths_data();
    void columnsHaveOrderTypesAndWidths();
    void viewListsTheTenFieldsInOrder();
    void keyIsUniqueInBothTables();
    void sameIdWithOtherDateIsAnotherRow();
    void textBeyondTheBasicPlaneStores();
    void pageSizeAndDateIndex();
    void refusesExistingPaths_data();
    void refusesExistingPaths();
    void cliCreatesAndNeverOverwrites();

private:
    QTemporaryDir m_dir;
    QString m_path;
    QSqlDatabase m_db;
};

void TestArchiveCreator::initTestCase()
{
    QVERIFY(m_dir.isValid());
    m_path = m_dir.filePath(u"archive.fdb"_s);
    QVERIFY(StoreFixture::createArchive(m_path));
    m_db = StoreFixture::open(m_path, u"schema"_s);
    QVERIFY(m_db.isOpen());
}

void TestArchiveCreator::cleanupTestCase()
{
    m_db.close();
    m_db = {};
    QSqlDatabase::removeDatabase(u"schema"_s);
}

void TestArchiveCreator::columnsHaveOrderTypesAndWidths_data()
{
    QTest::addColumn<QString>("table");
    QTest::addColumn<QStringList>("columns"); // NAME:TYPE:CHARACTERS
    QTest::addRow("index table") << u"MESSAGE_IDXTBL"_s
                                 << QStringList{u"MESSAGE_ID:VARCHAR:256"_s,
                                                u"MESSAGE_DATE:TIMESTAMP:"_s,
                                                u"ACCOUNT_KEY:VARCHAR:256"_s,
                                                u"SENDER_NAME:VARCHAR:64"_s,
                                                u"SENDER_ADDRESS:VARCHAR:256"_s,
                                                u"RECIEVE_NAME:VARCHAR:64"_s,
                                                u"RECIEVE_ADDRESS:VARCHAR:256"_s,
                                                u"MESSAGE_SUBJECT:VARCHAR:256"_s,
                                                u"MESSAGE_DTYPE:CHAR:1"_s,
                                                u"MESSAGE_FTYPE:CHAR:1"_s,
                                                u"MAILBODY:TEXTBLOB:"_s};
    QTest::addRow("data table") << u"MESSAGE_DATTBL"_s
                                << QStringList{u"MESSAGE_ID:VARCHAR:256"_s,
                                               u"MESSAGE_DATE:TIMESTAMP:"_s,
                                               u"MESSAGE_FILENAME:VARCHAR:256"_s,
                                               u"MESSAGE_FILEEXT:VARCHAR:16"_s,
                                               u"MAILDAT:BINARYBLOB:"_s};
    QTest::addRow("list view") << u"MAIL_VIEW"_s
                               << QStringList{u"MESSAGE_ID:VARCHAR:256"_s,
                                              u"MESSAGE_DATE:TIMESTAMP:"_s,
                                              u"ACCOUNT_KEY:VARCHAR:256"_s,
                                              u"SENDER_NAME:VARCHAR:64"_s,
                                              u"SENDER_ADDRESS:VARCHAR:256"_s,
                                              u"RECIEVE_NAME:VARCHAR:64"_s,
                                              u"RECIEVE_ADDRESS:VARCHAR:256"_s,
                                              u"MESSAGE_SUBJECT:VARCHAR:256"_s,
                                              u"MESSAGE_FILENAME:VARCHAR:256"_s,
                                              u"MAILBODY:TEXTBLOB:"_s};
}

void TestArchiveCreator::columnsHaveOrderTypesAndWidths()
{
    QFETCH(QString, table);
    QFETCH(QStringList, columns);
    // Field types: 37 VARCHAR, 14 CHAR, 35 TIMESTAMP, 261 BLOB (sub type 1 text, 0 binary); charset 4 = UTF8.
    QSqlQuery query(m_db);
    QVERIFY(query.prepare(
        u"select trim(rf.RDB$FIELD_NAME), f.RDB$FIELD_TYPE, f.RDB$FIELD_SUB_TYPE, f.RDB$CHARACTER_LENGTH, "
        "f.RDB$CHARACTER_SET_ID from RDB$RELATION_FIELDS rf join RDB$FIELDS f on f.RDB$FIELD_NAME = "
        "rf.RDB$FIELD_SOURCE where rf.RDB$RELATION_NAME = ? order by rf.RDB$FIELD_POSITION"_s));
    query.addBindValue(table);
    QVERIFY(query.exec());
    QStringList actual;
    while (query.next()) {
        const int type = query.value(1).toInt();
        QString kind;
        switch (type) {
        case 37:
            kind = u"VARCHAR"_s;
            break;
        case 14:
            kind = u"CHAR"_s;
            break;
        case 35:
            kind = u"TIMESTAMP"_s;
            break;
        case 261:
            kind = query.value(2).toInt() == 1 ? u"TEXTBLOB"_s : u"BINARYBLOB"_s;
            break;
        default:
            kind = QString::number(type);
        }
        const bool text = type == 37 || type == 14 || (type == 261 && query.value(2).toInt() == 1);
        if (text) {
            QCOMPARE(query.value(4).toInt(), 4); // UTF8, not UNICODE_FSS (3)
        }
        const QString width = (type == 37 || type == 14) ? query.value(3).toString() : QString();
        actual.append(query.value(0).toString() + u':' + kind + u':' + width);
    }
    QCOMPARE(actual, columns);
}

void TestArchiveCreator::viewListsTheTenFieldsInOrder()
{
    QVERIFY(StoreFixture::insert(m_db,
                                 {{u"<view@example>"_s,
                                   StoreFixture::at(u"2024-05-01 09:00:00"_s),
                                   u"件名"_s,
                                   u"送信者"_s,
                                   u"本文"_s,
                                   u"view.eml"_s}}));
    QSqlQuery query(m_db);
    QVERIFY(query.exec(u"select * from MAIL_VIEW where MESSAGE_ID = '<view@example>'"_s));
    QVERIFY(query.next());
    const QSqlRecord record = query.record();
    QStringList names;
    for (int i = 0; i < record.count(); ++i) {
        names.append(record.fieldName(i));
    }
    QCOMPARE(names,
             (QStringList{u"MESSAGE_ID"_s,
                          u"MESSAGE_DATE"_s,
                          u"ACCOUNT_KEY"_s,
                          u"SENDER_NAME"_s,
                          u"SENDER_ADDRESS"_s,
                          u"RECIEVE_NAME"_s,
                          u"RECIEVE_ADDRESS"_s,
                          u"MESSAGE_SUBJECT"_s,
                          u"MESSAGE_FILENAME"_s,
                          u"MAILBODY"_s}));
    QCOMPARE(query.value(u"MESSAGE_FILENAME"_s).toString(), u"view.eml"_s);
    QCOMPARE(query.value(u"MAILBODY"_s).toString(), u"本文"_s);
}

void TestArchiveCreator::keyIsUniqueInBothTables()
{
    const QDateTime date = StoreFixture::at(u"2024-05-02 10:00:00"_s);
    QVERIFY(StoreFixture::insert(m_db, {{u"<dup@example>"_s, date, u"a"_s, {}, {}, {}}}));
    for (const QString& table : {u"Message_IdxTbl"_s, u"Message_DatTBL"_s}) {
        QSqlQuery query(m_db);
        QVERIFY(query.prepare(u"insert into "_s + table + u" (Message_ID, Message_Date) values (?, ?)"_s));
        query.addBindValue(u"<dup@example>"_s);
        query.addBindValue(date);
        QVERIFY2(!query.exec(), qPrintable(table));
    }
}

void TestArchiveCreator::sameIdWithOtherDateIsAnotherRow()
{
    QVERIFY(StoreFixture::insert(m_db,
                                 {{u"<twice@example>"_s, StoreFixture::at(u"2024-05-03 10:00:00"_s), {}, {}, {}, {}},
                                  {u"<twice@example>"_s, StoreFixture::at(u"2024-05-03 10:00:01"_s), {}, {}, {}, {}}}));
    QSqlQuery query(m_db);
    QVERIFY(query.exec(u"select count(*) from MAIL_VIEW where MESSAGE_ID = '<twice@example>'"_s));
    QVERIFY(query.next());
    QCOMPARE(query.value(0).toInt(), 2);
}

void TestArchiveCreator::textBeyondTheBasicPlaneStores()
{
    // 𠮟 and an emoji need four bytes in UTF-8; subjects of 256 such characters must fit.
    const QString subject = u"𠮟られた😀"_s + QString(250, u'あ');
    const QString body = u"本文 😀 𠮟"_s;
    QVERIFY(StoreFixture::insert(
        m_db, {{u"<emoji@example>"_s, StoreFixture::at(u"2024-05-04 10:00:00"_s), subject, u"😀"_s, body, {}}}));
    QSqlQuery query(m_db);
    QVERIFY(query.exec(
        u"select MESSAGE_SUBJECT, SENDER_NAME, MAILBODY from MAIL_VIEW where MESSAGE_ID = '<emoji@example>'"_s));
    QVERIFY(query.next());
    QCOMPARE(query.value(0).toString(), subject);
    QCOMPARE(query.value(1).toString(), u"😀"_s);
    QCOMPARE(query.value(2).toString(), body);
}

void TestArchiveCreator::pageSizeAndDateIndex()
{
    QSqlQuery query(m_db);
    QVERIFY(query.exec(u"select MON$PAGE_SIZE from MON$DATABASE"_s));
    QVERIFY(query.next());
    QCOMPARE(query.value(0).toInt(), 16384);
    // A descending index whose first segment is the received date.
    QVERIFY(query.exec(u"select count(*) from RDB$INDICES i join RDB$INDEX_SEGMENTS s on s.RDB$INDEX_NAME = "
                       "i.RDB$INDEX_NAME where i.RDB$RELATION_NAME = 'MESSAGE_IDXTBL' and i.RDB$INDEX_TYPE = 1 "
                       "and s.RDB$FIELD_POSITION = 0 and s.RDB$FIELD_NAME = 'MESSAGE_DATE'"_s));
    QVERIFY(query.next());
    QCOMPARE(query.value(0).toInt(), 1);
}

void TestArchiveCreator::refusesExistingPaths_data()
{
    QTest::addColumn<QString>("kind");
    QTest::addRow("a plain file") << u"file"_s;
    QTest::addRow("an existing archive") << u"archive"_s;
    QTest::addRow("a folder") << u"folder"_s;
    QTest::addRow("a dangling link") << u"link"_s;
}

void TestArchiveCreator::refusesExistingPaths()
{
    QFETCH(QString, kind);
    QTemporaryDir dir;
    const QString path = dir.filePath(u"target.fdb"_s);
    QByteArray before;
    if (kind == u"file"_s) {
        QFile file(path);
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write("not a database, keep me");
        file.close();
    } else if (kind == u"archive"_s) {
        QVERIFY(ArchiveCreator::create(path));
    } else if (kind == u"folder"_s) {
        QVERIFY(QDir().mkpath(path));
    } else {
        QVERIFY(QFile::link(dir.filePath(u"nowhere.fdb"_s), path));
    }
    if (QFileInfo(path).isFile()) {
        QFile file(path);
        QVERIFY(file.open(QIODevice::ReadOnly));
        before = file.readAll();
    }
    QString error;
    QVERIFY(!ArchiveCreator::create(path, &error));
    QVERIFY(!error.isEmpty());
    QVERIFY(!QFileInfo::exists(dir.filePath(u"nowhere.fdb"_s)));
    if (!before.isEmpty()) {
        QFile file(path);
        QVERIFY(file.open(QIODevice::ReadOnly));
        QCOMPARE(file.readAll(), before);
    }
}

void TestArchiveCreator::cliCreatesAndNeverOverwrites()
{
    QTemporaryDir dir;
    const QString path = dir.filePath(u"cli.fdb"_s);
    QProcess first;
    first.start(QStringLiteral(TIDEWELL_CLI), {u"create-db"_s, path});
    QVERIFY(first.waitForFinished(60000));
    QCOMPARE(first.exitCode(), 0);
    QVERIFY(QFileInfo(path).isFile());
    const QDateTime modified = QFileInfo(path).lastModified();
    const qint64 size = QFileInfo(path).size();

    QProcess second;
    second.start(QStringLiteral(TIDEWELL_CLI), {u"create-db"_s, path});
    QVERIFY(second.waitForFinished(60000));
    QVERIFY(second.exitCode() != 0);
    QCOMPARE(QFileInfo(path).lastModified(), modified);
    QCOMPARE(QFileInfo(path).size(), size);
}

QTEST_GUILESS_MAIN(TestArchiveCreator)
#include "TestArchiveCreator.moc"
