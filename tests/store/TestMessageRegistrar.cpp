#include <QDir>
#include <QFile>
#include <QMap>
#include <QSqlQuery>
#include <QTemporaryDir>
#include <QTest>

#include "reader/MessageInfo.h"
#include "store/DbListHost.h"
#include "store/MessageRegistrar.h"
#include "store/StoreFixture.h"
#include "support/ScriptedPrompter.h"

using namespace Qt::StringLiterals;

namespace {

class RecordingPanels final : public StatusPanels, public CommandSwitchboard
{
public:
    void setStatusText(int panel, const QString& text) override
    {
        if (panel == 2) {
            status2.append(text);
        }
    }
    bool isCommandEnabled(const QString& name) const override { return enabled.value(name, false); }
    void setCommandEnabled(const QString& name, bool on) override { enabled[name] = on; }
    void setCommandChecked(const QString&, bool) override {}
    void performCommand(const QString& name) override { performed.append(name); }
    void setConnectImage(int) override {}

    QStringList status2;
    QMap<QString, bool> enabled;
    QStringList performed;
};

struct Row
{
    QString subject;
    QString senderName;
    QString dtype;
    QString ftype;
    QString body;
    QString fileName;
    QString fileExt;
    QByteArray data;
};

} // namespace

// "DB更新" against a real archive: both rows of a message or neither, overwrite
// by key, cut values, failures never reported as success.
class TestMessageRegistrar final : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void init();
    void cleanup();

    void registeringTwiceLeavesOneUpdatedRowEach();
    void sameIdWithTwoDatesIsTwoMessages();
    void idWithSpacesIsStoredWithThem();
    void blankIdIsRefused();
    void valuesLongerThanTheirColumnAreCut_data();
    void valuesLongerThanTheirColumnAreCut();
    void fileRowDependsOnWorkCopy_data();
    void fileRowDependsOnWorkCopy();
    void failureInDataRowLeavesNothing();
    void failedIndexInsertIsNotReportedAsDone();
    void unreadableDateOrMissingFileWritesNothing_data();
    void unreadableDateOrMissingFileWritesNothing();
    void groupKeepsEachMessageWhole();
    void failedMessageHasItsGroupWrittenAgain();
    void parsesMessageDate_data();
    void parsesMessageDate();

private:
    MessageInfo message(const QString& id, const QString& date, const QString& subject);
    QString writeFile(const QString& name, const QByteArray& bytes);
    int count(const QString& table);
    std::optional<Row> row(const QString& id, const QDateTime& date);
    void addFailingTrigger(const QString& table, const QString& when);

    std::unique_ptr<QTemporaryDir> m_dir;
    QString m_connection;
    std::unique_ptr<MessageRegistrar> m_registrar;
    int m_round = 0;
};

void TestMessageRegistrar::init()
{
    m_dir = std::make_unique<QTemporaryDir>();
    const QString path = m_dir->filePath(u"archive.fdb"_s);
    QVERIFY(StoreFixture::createArchive(path));
    m_connection = u"registrar"_s + QString::number(++m_round);
    QSqlDatabase db = StoreFixture::open(path, m_connection);
    QVERIFY(db.isOpen());
    m_registrar = std::make_unique<MessageRegistrar>(m_connection);
}

void TestMessageRegistrar::cleanup()
{
    m_registrar.reset();
    QSqlDatabase::database(m_connection, false).close();
    QSqlDatabase::removeDatabase(m_connection);
    m_dir.reset();
}

QString TestMessageRegistrar::writeFile(const QString& name, const QByteArray& bytes)
{
    const QString path = m_dir->filePath(name);
    QFile file(path);
    if (file.open(QIODevice::WriteOnly)) {
        file.write(bytes);
    }
    return path;
}

MessageInfo TestMessageRegistrar::message(const QString& id, const QString& date, const QString& subject)
{
    MessageInfo info;
    info.Message_ID = id;
    info.Message_Date = date;
    info.Sender_Name = u"Alice"_s;
    info.Sender_Address = u"alice@example.com"_s;
    info.Message_Subject = subject;
    info.MailBody = u"body of "_s + subject;
    info.MDatType = 1;
    info.MessageFile = writeFile(u"opened.eml"_s, "From: alice@example.com\r\n\r\nbody\r\n");
    return info;
}

int TestMessageRegistrar::count(const QString& table)
{
    QSqlQuery query(QSqlDatabase::database(m_connection, false));
    // The table name comes from the test itself, never from a message.
    if (!query.exec(u"select count(*) from "_s + table) || !query.next()) {
        return -1;
    }
    return query.value(0).toInt();
}

std::optional<Row> TestMessageRegistrar::row(const QString& id, const QDateTime& date)
{
    QSqlQuery query(QSqlDatabase::database(m_connection, false));
    query.prepare(u"select i.Message_Subject, i.Sender_Name, i.Message_dtype, i.Message_ftype, i.MailBody, "
                  "d.Message_FileName, d.Message_FileExt, d.MailDat from Message_IdxTbl i join Message_DatTBL d "
                  "on d.Message_ID = i.Message_ID and d.Message_Date = i.Message_Date "
                  "where i.Message_ID = ? and i.Message_Date = ?"_s);
    query.addBindValue(id);
    query.addBindValue(date);
    if (!query.exec() || !query.next()) {
        return std::nullopt;
    }
    return Row{query.value(0).toString(),
               query.value(1).toString(),
               // CHAR(1) in UTF8 comes back padded to four bytes by the driver.
               query.value(2).toString().trimmed(),
               query.value(3).toString().trimmed(),
               query.value(4).toString(),
               query.value(5).toString(),
               query.value(6).toString(),
               query.value(7).toByteArray()};
}

void TestMessageRegistrar::addFailingTrigger(const QString& table, const QString& when)
{
    QSqlDatabase db = QSqlDatabase::database(m_connection, false);
    QSqlQuery query(db);
    QVERIFY(query.exec(u"create exception refuse_message 'refused by the test trigger'"_s));
    QVERIFY(query.exec(u"create trigger refuse_"_s + table + u" for "_s + table + u" before "_s + when
                       + u" as begin exception refuse_message; end"_s));
}

void TestMessageRegistrar::registeringTwiceLeavesOneUpdatedRowEach()
{
    MessageInfo info = message(u"<twice@example.com>"_s, u"2024/04/01 10:00:00"_s, u"first words"_s);
    QCOMPARE(m_registrar->store(info).outcome, MessageRegistrar::Outcome::Inserted);
    info.Message_Subject = u"second words"_s;
    info.MDatType = 2;
    info.MessageFile = writeFile(u"other.eml"_s, "second file");
    QCOMPARE(m_registrar->store(info).outcome, MessageRegistrar::Outcome::Updated);

    QCOMPARE(count(u"Message_IdxTbl"_s), 1);
    QCOMPARE(count(u"Message_DatTBL"_s), 1);
    const auto stored = row(u"<twice@example.com>"_s, StoreFixture::at(u"2024-04-01 10:00:00"_s));
    QVERIFY(stored);
    QCOMPARE(stored->subject, u"second words"_s);
    QCOMPARE(stored->dtype, u"2"_s);
    QCOMPARE(stored->fileName, u"other.eml"_s);
    QCOMPARE(stored->data, QByteArray("second file"));
}

void TestMessageRegistrar::sameIdWithTwoDatesIsTwoMessages()
{
    QCOMPARE(m_registrar->store(message(u"<same@x>"_s, u"2024/04/01 10:00:00"_s, u"a"_s)).outcome,
             MessageRegistrar::Outcome::Inserted);
    QCOMPARE(m_registrar->store(message(u"<same@x>"_s, u"2024/04/01 10:00:01"_s, u"b"_s)).outcome,
             MessageRegistrar::Outcome::Inserted);
    QCOMPARE(count(u"Message_IdxTbl"_s), 2);
    QCOMPARE(count(u"Message_DatTBL"_s), 2);
}

void TestMessageRegistrar::idWithSpacesIsStoredWithThem()
{
    QCOMPARE(m_registrar->store(message(u" <spaced@x> "_s, u"2024/04/01"_s, u"a"_s)).outcome,
             MessageRegistrar::Outcome::Inserted);
    QVERIFY(row(u" <spaced@x> "_s, StoreFixture::at(u"2024-04-01 00:00:00"_s)));
}

void TestMessageRegistrar::blankIdIsRefused()
{
    RecordingPanels panels;
    panels.enabled[u"DBUpdate"_s] = true;
    ScriptedPrompter prompter;
    const auto outcome = m_registrar->DBUpdate(message(u"   "_s, u"2024/04/01"_s, u"a"_s), panels, panels, prompter);
    QCOMPARE(outcome, MessageRegistrar::Outcome::Refused);
    QCOMPARE(panels.status2, QStringList{u"このメールデータはDB更新できません"_s});
    QVERIFY(panels.enabled.value(u"DBUpdate"_s)); // unchanged
    QVERIFY(prompter.shown().isEmpty());
    QCOMPARE(count(u"Message_IdxTbl"_s), 0);
}

void TestMessageRegistrar::valuesLongerThanTheirColumnAreCut_data()
{
    QTest::addColumn<QString>("subject");
    QTest::addColumn<QString>("senderName");
    QTest::addColumn<QString>("expectedSubject");
    QTest::addColumn<QString>("expectedSenderName");
    const QString longSubject = QString(300, u'件');
    const QString longName = QString(100, u'n');
    QTest::addRow("subject of 300 characters keeps 256")
        << longSubject << u"Alice"_s << longSubject.left(256) << u"Alice"_s;
    QTest::addRow("sender name of 100 characters keeps 64")
        << u"short"_s << longName << u"short"_s << longName.left(64);
    // Characters outside the basic plane are one character each to the engine.
    QString emoji;
    for (int i = 0; i < 70; ++i) {
        emoji += u"😀"_s;
    }
    QString emoji64;
    for (int i = 0; i < 64; ++i) {
        emoji64 += u"😀"_s;
    }
    QTest::addRow("emoji sender name keeps 64 whole characters") << u"s"_s << emoji << u"s"_s << emoji64;
    QTest::addRow("exactly 256 stays whole") << QString(256, u'a') << u"A"_s << QString(256, u'a') << u"A"_s;
}

void TestMessageRegistrar::valuesLongerThanTheirColumnAreCut()
{
    QFETCH(QString, subject);
    QFETCH(QString, senderName);
    QFETCH(QString, expectedSubject);
    QFETCH(QString, expectedSenderName);
    MessageInfo info = message(u"<long@x>"_s, u"2024/04/01 09:00:00"_s, subject);
    info.Sender_Name = senderName;
    const MessageRegistrar::Result result = m_registrar->store(info);
    QVERIFY2(result.outcome == MessageRegistrar::Outcome::Inserted, qPrintable(result.error));
    const auto stored = row(u"<long@x>"_s, StoreFixture::at(u"2024-04-01 09:00:00"_s));
    QVERIFY(stored);
    QCOMPARE(stored->subject, expectedSubject);
    QCOMPARE(stored->senderName, expectedSenderName);
}

void TestMessageRegistrar::fileRowDependsOnWorkCopy_data()
{
    QTest::addColumn<QString>("workCopy"); // name of the work copy, empty for none
    QTest::addColumn<QString>("expectedFtype");
    QTest::addColumn<QString>("expectedName");
    QTest::addColumn<QString>("expectedExt");
    QTest::addColumn<QByteArray>("expectedData");
    QTest::addRow("eml read in place") << QString() << u"0"_s << u"opened.eml"_s << u".eml"_s
                                       << QByteArray("From: alice@example.com\r\n\r\nbody\r\n");
    QTest::addRow("dropped eml work copy")
        << u"dropped.eml"_s << u"1"_s << u"dropped.eml"_s << u".eml"_s << QByteArray("work copy");
    QTest::addRow("msg work copy, upper case")
        << u"Outlook.MSG"_s << u"2"_s << u"Outlook.MSG"_s << u".MSG"_s << QByteArray("work copy");
    QTest::addRow("work copy of another kind")
        << u"mail.txt"_s << u"0"_s << u"mail.txt"_s << u".txt"_s << QByteArray("work copy");
}

void TestMessageRegistrar::fileRowDependsOnWorkCopy()
{
    QFETCH(QString, workCopy);
    QFETCH(QString, expectedFtype);
    QFETCH(QString, expectedName);
    QFETCH(QString, expectedExt);
    QFETCH(QByteArray, expectedData);
    MessageInfo info = message(u"<file@x>"_s, u"2024/04/01 09:00:00"_s, u"s"_s);
    if (!workCopy.isEmpty()) {
        QDir().mkpath(m_dir->filePath(u"mail_dat"_s));
        info.awk_MessageFile = writeFile(u"mail_dat/"_s + workCopy, "work copy");
    }
    QCOMPARE(m_registrar->store(info).outcome, MessageRegistrar::Outcome::Inserted);
    const auto stored = row(u"<file@x>"_s, StoreFixture::at(u"2024-04-01 09:00:00"_s));
    QVERIFY(stored);
    QCOMPARE(stored->ftype, expectedFtype);
    QCOMPARE(stored->fileName, expectedName);
    QCOMPARE(stored->fileExt, expectedExt);
    QCOMPARE(stored->data, expectedData);
    QCOMPARE(stored->body, u"body of s"_s);
    QCOMPARE(stored->dtype, u"1"_s);
}

void TestMessageRegistrar::failureInDataRowLeavesNothing()
{
    addFailingTrigger(u"Message_DatTBL"_s, u"insert"_s);
    RecordingPanels panels;
    ScriptedPrompter prompter;
    const auto outcome =
        m_registrar->DBUpdate(message(u"<half@x>"_s, u"2024/04/01 10:00:00"_s, u"a"_s), panels, panels, prompter);
    QCOMPARE(outcome, MessageRegistrar::Outcome::Failed);
    QCOMPARE(count(u"Message_IdxTbl"_s), 0);
    QCOMPARE(count(u"Message_DatTBL"_s), 0);
    QCOMPARE(prompter.texts().size(), 1);
    QVERIFY(prompter.texts().first().startsWith(u"UPdate できませんでした(Message_DatTBL)"_s));
    QVERIFY(prompter.texts().first().contains(u"refused by the test trigger"_s));
    QVERIFY(!panels.status2.contains(u"DB更新が完了しました"_s));
    QCOMPARE(panels.status2.constLast(), QString());
    QVERIFY(panels.enabled.value(u"DBUpdate"_s)); // the user may try again
}

void TestMessageRegistrar::failedIndexInsertIsNotReportedAsDone()
{
    addFailingTrigger(u"Message_IdxTbl"_s, u"insert"_s);
    RecordingPanels panels;
    ScriptedPrompter prompter;
    const auto outcome =
        m_registrar->DBUpdate(message(u"<idx@x>"_s, u"2024/04/01 10:00:00"_s, u"a"_s), panels, panels, prompter);
    QCOMPARE(outcome, MessageRegistrar::Outcome::Failed);
    QCOMPARE(panels.status2.first(), u"DB更新中です"_s);
    QVERIFY(!panels.status2.contains(u"DB更新が完了しました"_s));
    QCOMPARE(prompter.texts().size(), 1);
    QVERIFY(prompter.texts().first().startsWith(u"更新できませんでした(Message_IdxTbl)"_s));
    QVERIFY(prompter.texts().first().contains(u"refused by the test trigger"_s));
    QCOMPARE(count(u"Message_DatTBL"_s), 0);
}

void TestMessageRegistrar::unreadableDateOrMissingFileWritesNothing_data()
{
    QTest::addColumn<QString>("date");
    QTest::addColumn<bool>("fileExists");
    QTest::addRow("date in another order") << u"01.04.2024 10:00:00"_s << true;
    QTest::addRow("empty date") << QString() << true;
    QTest::addRow("no such day") << u"2024/02/30"_s << true;
    QTest::addRow("message file gone") << u"2024/04/01 10:00:00"_s << false;
}

void TestMessageRegistrar::unreadableDateOrMissingFileWritesNothing()
{
    QFETCH(QString, date);
    QFETCH(bool, fileExists);
    MessageInfo info = message(u"<bad@x>"_s, date, u"a"_s);
    if (!fileExists) {
        QFile::remove(info.MessageFile);
    }
    RecordingPanels panels;
    ScriptedPrompter prompter;
    QCOMPARE(m_registrar->DBUpdate(info, panels, panels, prompter), MessageRegistrar::Outcome::Failed);
    QCOMPARE(prompter.texts().size(), 1);
    QVERIFY(!panels.status2.contains(u"DB更新が完了しました"_s));
    QVERIFY(panels.enabled.value(u"DBUpdate"_s));
    QCOMPARE(count(u"Message_IdxTbl"_s), 0);
    QCOMPARE(count(u"Message_DatTBL"_s), 0);
}

void TestMessageRegistrar::groupKeepsEachMessageWhole()
{
    // The data row of the message whose file name says so is refused; its index row must go too.
    QSqlQuery query(QSqlDatabase::database(m_connection, false));
    QVERIFY(query.exec(u"create exception refuse_message 'refused by the test trigger'"_s));
    QVERIFY(query.exec(u"create trigger refuse_some for Message_DatTBL before insert as begin "
                       "if (new.Message_FileName = 'refuse.eml') then exception refuse_message; end"_s));
    QVERIFY(m_registrar->beginGroup());
    MessageInfo first = message(u"<g1@x>"_s, u"2024/04/01 10:00:00"_s, u"a"_s);
    QCOMPARE(m_registrar->store(first).outcome, MessageRegistrar::Outcome::Inserted);
    MessageInfo refused = message(u"<g2@x>"_s, u"2024/04/01 10:00:00"_s, u"b"_s);
    refused.MessageFile = writeFile(u"refuse.eml"_s, "x");
    QCOMPARE(m_registrar->store(refused).outcome, MessageRegistrar::Outcome::Failed);
    MessageInfo third = message(u"<g3@x>"_s, u"2024/04/01 10:00:00"_s, u"c"_s);
    QCOMPARE(m_registrar->store(third).outcome, MessageRegistrar::Outcome::Inserted);
    QVERIFY(m_registrar->endGroup());
    QCOMPARE(count(u"Message_IdxTbl"_s), 2);
    QCOMPARE(count(u"Message_DatTBL"_s), 2);
    QVERIFY(!row(u"<g2@x>"_s, StoreFixture::at(u"2024-04-01 10:00:00"_s)));

    // The next group, and a single message after it, go on storing.
    QVERIFY(m_registrar->beginGroup());
    QCOMPARE(m_registrar->store(message(u"<g4@x>"_s, u"2024/04/01 10:00:00"_s, u"d"_s)).outcome,
             MessageRegistrar::Outcome::Inserted);
    QCOMPARE(m_registrar->store(first).outcome, MessageRegistrar::Outcome::Updated);
    QVERIFY(m_registrar->endGroup());
    QCOMPARE(m_registrar->store(message(u"<g5@x>"_s, u"2024/04/01 10:00:00"_s, u"e"_s)).outcome,
             MessageRegistrar::Outcome::Inserted);
    QCOMPARE(count(u"Message_IdxTbl"_s), 4);
    QCOMPARE(count(u"Message_DatTBL"_s), 4);
}

void TestMessageRegistrar::failedMessageHasItsGroupWrittenAgain()
{
    QSqlQuery query(QSqlDatabase::database(m_connection, false));
    QVERIFY(query.exec(u"create exception refuse_message 'refused by the test trigger'"_s));
    QVERIFY(query.exec(u"create trigger refuse_some for Message_DatTBL before insert or update as begin "
                       "if (new.Message_FileName = 'refuse.eml') then exception refuse_message; end"_s));
    const QString date = u"2024/05/01 09:00:00"_s;
    const QDateTime at = StoreFixture::at(u"2024-05-01 09:00:00"_s);
    QCOMPARE(m_registrar->store(message(u"<old@x>"_s, date, u"before"_s)).outcome, MessageRegistrar::Outcome::Inserted);
    MessageInfo refused = message(u"<bad@x>"_s, date, u"bad"_s);
    refused.MessageFile = writeFile(u"refuse.eml"_s, "x");

    // The first message of a group fails: nothing before it to write again.
    QVERIFY(m_registrar->beginGroup());
    QCOMPARE(m_registrar->store(refused).outcome, MessageRegistrar::Outcome::Failed);
    std::optional<QList<MessageRegistrar::Replayed>> replayed = m_registrar->takeReplayed();
    QVERIFY(replayed);
    QVERIFY(replayed->isEmpty());

    // A message in the middle fails: the two before it are written again with
    // the outcomes they had, the one after it joins the group's new transaction.
    QCOMPARE(m_registrar->store(message(u"<old@x>"_s, date, u"after"_s)).outcome, MessageRegistrar::Outcome::Updated);
    QVERIFY(!m_registrar->takeReplayed());
    QCOMPARE(m_registrar->store(message(u"<new1@x>"_s, date, u"one"_s)).outcome, MessageRegistrar::Outcome::Inserted);
    QCOMPARE(m_registrar->store(refused).outcome, MessageRegistrar::Outcome::Failed);
    replayed = m_registrar->takeReplayed();
    QVERIFY(replayed);
    QCOMPARE(replayed->size(), 2);
    QCOMPARE(replayed->at(0).result.outcome, MessageRegistrar::Outcome::Updated);
    QCOMPARE(replayed->at(1).result.outcome, MessageRegistrar::Outcome::Inserted);
    QCOMPARE(m_registrar->store(message(u"<new2@x>"_s, date, u"two"_s)).outcome, MessageRegistrar::Outcome::Inserted);
    QVERIFY(!m_registrar->takeReplayed());
    QVERIFY(m_registrar->endGroup());

    QCOMPARE(count(u"Message_IdxTbl"_s), 3);
    QCOMPARE(count(u"Message_DatTBL"_s), 3);
    QVERIFY(!row(u"<bad@x>"_s, at));
    const std::optional<Row> old = row(u"<old@x>"_s, at);
    QVERIFY(old);
    QCOMPARE(old->subject, u"after"_s);
    QVERIFY(row(u"<new1@x>"_s, at));
    QVERIFY(row(u"<new2@x>"_s, at));
}

void TestMessageRegistrar::parsesMessageDate_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<QDateTime>("expected"); // invalid: refused
    QTest::addRow("date and time") << u"2024/04/01 10:20:30"_s << StoreFixture::at(u"2024-04-01 10:20:30"_s);
    QTest::addRow("midnight is the date alone") << u"2024/04/01"_s << StoreFixture::at(u"2024-04-01 00:00:00"_s);
    QTest::addRow("one-digit parts") << u"2024/4/1 9:05:07"_s << StoreFixture::at(u"2024-04-01 09:05:07"_s);
    QTest::addRow("no seconds") << u"2024/04/01 10:20"_s << StoreFixture::at(u"2024-04-01 10:20:00"_s);
    QTest::addRow("hyphens are not the separator") << u"2024-04-01 10:20:30"_s << QDateTime();
    QTest::addRow("hour 24") << u"2024/04/01 24:00:00"_s << QDateTime();
    QTest::addRow("trailing words") << u"2024/04/01 10:20:30 JST"_s << QDateTime();
}

void TestMessageRegistrar::parsesMessageDate()
{
    QFETCH(QString, text);
    QFETCH(QDateTime, expected);
    const std::optional<QDateTime> parsed = MessageRegistrar::parseMessageDate(text);
    QCOMPARE(parsed.has_value(), expected.isValid());
    if (parsed) {
        QCOMPARE(*parsed, expected);
    }
}

QTEST_GUILESS_MAIN(TestMessageRegistrar)
#include "TestMessageRegistrar.moc"
