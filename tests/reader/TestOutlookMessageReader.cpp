// The rules of the Outlook message reader, and readings of real .msg files.
#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>

#include "RecordingMessageView.h"
#include "app/core/Delay.h"
#include "app/core/ParameterTable.h"
#include "reader/OutlookMessageReader.h"
#include "support/ScriptedPrompter.h"
#include "testpaths.h"

using namespace Qt::StringLiterals;

class TestOutlookMessageReader final : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void initTestCase();
    void senderName_data();
    void senderName();
    void recieveName_data();
    void recieveName();
    void exchangeAddress_data();
    void exchangeAddress();
    void ownAccount_data();
    void ownAccount();
    void removeLF_data();
    void removeLF();
    void readsOnlyTheCopy();
    void showsHtmlWithoutAttachments();
    void listsAttachmentsByDisplayName();
    void notAMessageFileIsReported();

private:
    QString copyToWork(const QString& corpusName);
    QTemporaryDir m_dir;
};

void TestOutlookMessageReader::initTestCase()
{
    Delay::setScale(0.0);
}

QString TestOutlookMessageReader::copyToWork(const QString& corpusName)
{
    const QString target = m_dir.filePath(corpusName);
    QFile::remove(target);
    QFile::copy(QStringLiteral(TIDEWELL_CORPUS_DIR "/msg/") + corpusName, target);
    QFile(target).setPermissions(QFile::ReadOwner | QFile::WriteOwner);
    return target;
}

void TestOutlookMessageReader::senderName_data()
{
    QTest::addColumn<QString>("raw");
    QTest::addColumn<QString>("expected");
    QTest::addRow("address in angle brackets") << u"Taro <taro@example.jp>"_s << u"taro@example.jp"_s;
    QTest::addRow("full-width angle brackets") << u"Taro＜taro@example.jp＞"_s << u"taro@example.jp"_s;
    QTest::addRow("enclosing double quotes") << u"\"Yamada Taro\""_s << u"Yamada Taro"_s;
    QTest::addRow("brackets in the wrong order") << u"a > b < c"_s << u"a > b < c"_s;
    QTest::addRow("plain name") << u"山田 太郎"_s << u"山田 太郎"_s;
    QTest::addRow("empty") << QString() << QString();
}

void TestOutlookMessageReader::senderName()
{
    QFETCH(QString, raw);
    QFETCH(QString, expected);
    QCOMPARE(OutlookMessageReader::senderNameFrom(raw), expected);
}

void TestOutlookMessageReader::recieveName_data()
{
    QTest::addColumn<QString>("raw");
    QTest::addColumn<QString>("expected");
    QTest::addRow("text between the marks") << u"Hanako <hanako@example.jp>"_s << u"hanako@example.jp"_s;
    QTest::addRow("quoted text between the marks") << u"x <\"Hanako\">"_s << u"Hanako"_s;
    QTest::addRow("quoted name") << u"\"Suzuki Hanako\""_s << u"Suzuki Hanako"_s;
    QTest::addRow("plain name") << u"Suzuki Hanako"_s << u"Suzuki Hanako"_s;
}

void TestOutlookMessageReader::recieveName()
{
    QFETCH(QString, raw);
    QFETCH(QString, expected);
    QCOMPARE(OutlookMessageReader::recieveNameFrom(raw), expected);
}

void TestOutlookMessageReader::exchangeAddress_data()
{
    QTest::addColumn<QString>("address");
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("account2");
    QTest::addColumn<QString>("expected");
    const QString exchange = u"/o=First Organization/ou=Exchange Administrative Group/cn=Recipients/cn=taro"_s;
    QTest::addRow("internet address stays")
        << u"taro@example.jp"_s << u"Taro Yamada"_s << QString() << u"taro@example.jp"_s;
    QTest::addRow("Exchange address, account names the receiver and Outlook")
        << exchange << u"Taro Yamada"_s << u"TaroYamada (Outlook) <taro@example.jp>"_s << u"taro@example.jp"_s;
    QTest::addRow("Exchange address, letter case ignored")
        << u"/O=EXCHANGELABS/OU=EXCHANGE ADMINISTRATIVE GROUP/CN=taro"_s << u"taro yamada"_s
        << u"TAROYAMADA (outlook) <taro@example.jp>"_s << u"taro@example.jp"_s;
    QTest::addRow("Exchange address, account without Outlook")
        << exchange << u"Taro Yamada"_s << u"TaroYamada <taro@example.jp>"_s << QString();
    QTest::addRow("Exchange address, account without brackets")
        << exchange << u"Taro Yamada"_s << u"TaroYamada Outlook taro@example.jp"_s << QString();
    QTest::addRow("Exchange address without receiver name")
        << exchange << QString() << u"TaroYamada (Outlook) <taro@example.jp>"_s << QString();
}

void TestOutlookMessageReader::exchangeAddress()
{
    QFETCH(QString, address);
    QFETCH(QString, name);
    QFETCH(QString, account2);
    QFETCH(QString, expected);
    ParameterTable parameters;
    for (int i = 1; i <= 10; ++i) {
        parameters.setValue(QString(u"MailAccount"_s + QString::number(i)), QString());
    }
    parameters.setValue(u"MailAccount2", account2);
    QCOMPARE(OutlookMessageReader::recieveAddressFrom(address, name, parameters), expected);
}

void TestOutlookMessageReader::ownAccount_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("address");
    QTest::addColumn<QString>("expectedName");
    QTest::addRow("found by address when the name is empty") << QString() << u"me@example.jp"_s << u"私のアカウント"_s;
    QTest::addRow("found by a name that is an address") << u"ME@example.jp"_s << QString() << u"私のアカウント"_s;
    QTest::addRow("a real name stays") << u"Someone"_s << u"me@example.jp"_s << u"Someone"_s;
    QTest::addRow("unknown address") << QString() << u"other@example.jp"_s << QString();
}

void TestOutlookMessageReader::ownAccount()
{
    QFETCH(QString, name);
    QFETCH(QString, address);
    QFETCH(QString, expectedName);
    ParameterTable parameters;
    for (int i = 1; i <= 10; ++i) {
        parameters.setValue(QString(u"MailAccount"_s + QString::number(i)), QString());
    }
    parameters.setValue(u"MailAccount3", u"私のアカウント <me@example.jp>"_s);
    MessageInfo info;
    info.Recieve_Name = name;
    info.Recieve_Address = address;
    OutlookMessageReader::applyOwnAccount(info, parameters);
    QCOMPARE(info.Recieve_Name, expectedName);
}

void TestOutlookMessageReader::removeLF_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("expected");
    QTest::addRow("blank line") << u"a\r\n\r\nb"_s << u"a\r\nb"_s;
    QTest::addRow("CR LF then LF") << u"a\r\n\nb"_s << u"a\r\nb"_s;
    QTest::addRow("single line ends stay") << u"a\r\nb\r\n"_s << u"a\r\nb\r\n"_s;
}

void TestOutlookMessageReader::removeLF()
{
    QFETCH(QString, text);
    QFETCH(QString, expected);
    QCOMPARE(OutlookMessageReader::removeBlankLines(text), expected);
}

void TestOutlookMessageReader::readsOnlyTheCopy()
{
    const QString path = copyToWork(u"poi_quick.msg"_s);
    const QByteArray before = [&path] {
        QFile f(path);
        f.open(QIODevice::ReadOnly);
        return f.readAll();
    }();
    RecordingMessageView view;
    ParameterTable parameters;
    ScriptedPrompter prompter;
    MessageInfo info;
    OutlookMessageReader reader(view, parameters, prompter, info);
    reader.ReadOutlookMessage(path);
    QVERIFY(reader.completed());
    QCOMPARE(reader.workCopy(), m_dir.filePath(u"tmp_poi_quick.msg"_s));
    QVERIFY(QFile::exists(reader.workCopy()));
    QCOMPARE(reader.readCounter(), 1);
    QFile original(path);
    QVERIFY(original.open(QIODevice::ReadOnly));
    QCOMPARE(original.readAll(), before);
    QCOMPARE(info.Message_Subject, u"Test the content transformer"_s);
    QCOMPARE(info.Message_ID, u"<B17B1CFF4282214AB8BAADDDC20711220E0C025E@THHS2EXBE1X.hostedservice2.net>"_s);
    QCOMPARE(info.Sender_Name, u"Kevin Roast"_s);
    QCOMPARE(info.MDatType, 1);
    QCOMPARE(info.MailBody, u"The quick brown fox jumps over the lazy dog\n"_s);
    QCOMPARE(view.statusText, u"メッセージを表示しました"_s);
    QVERIFY(view.dbUpdateEnabled);
    QVERIFY(view.dataLeft.isEmpty() || view.dataLeft.contains(u"Received"_s, Qt::CaseInsensitive));
    reader.ReadOutlookMessage(path);
    QCOMPARE(reader.readCounter(), 2);
}

void TestOutlookMessageReader::showsHtmlWithoutAttachments()
{
    const QString path = copyToWork(u"msgreader_HtmlSampleEmail.msg"_s);
    RecordingMessageView view;
    ParameterTable parameters;
    parameters.setValue(u"ZOOM", u"80"_s);
    ScriptedPrompter prompter;
    MessageInfo info;
    OutlookMessageReader reader(view, parameters, prompter, info);
    reader.ReadOutlookMessage(path);
    QCOMPARE(info.MDatType, 2);
    QCOMPARE(view.htmlTexts.size(), 1);
    QVERIFY(view.htmlTexts.first().contains(u"<html"_s, Qt::CaseInsensitive));
    QCOMPARE(view.htmlZooms.first(), 0.8);
    QVERIFY(view.bodyText.startsWith(u"BOOK ONE: 1805"_s));
    QVERIFY(view.attachments.isEmpty());
}

void TestOutlookMessageReader::listsAttachmentsByDisplayName()
{
    const QString path = copyToWork(u"hiraoka_msgInMsg.msg"_s);
    RecordingMessageView view;
    ParameterTable parameters;
    ScriptedPrompter prompter;
    MessageInfo info;
    OutlookMessageReader reader(view, parameters, prompter, info);
    reader.ReadOutlookMessage(path);
    QCOMPARE(view.captions(), (QStringList{u"Microsoft Outlook テスト メッセージ"_s, u"green.png"_s}));
    QCOMPARE(view.attachments.at(1).iconKey, u".png"_s);
    QCOMPARE(view.attachments.at(1).imageIndex, 1);
    QCOMPARE(view.attachments.at(1).partIndex, 2);
    QVERIFY(view.openActionsEnabled);
    QVERIFY(view.pages.contains(1));
}

void TestOutlookMessageReader::notAMessageFileIsReported()
{
    const QString path = m_dir.filePath(u"broken.msg"_s);
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write("This is not a compound file.");
    file.close();
    RecordingMessageView view;
    ParameterTable parameters;
    ScriptedPrompter prompter;
    MessageInfo info;
    OutlookMessageReader reader(view, parameters, prompter, info);
    reader.ReadOutlookMessage(path);
    QVERIFY(!reader.completed());
    QCOMPARE(prompter.texts().size(), 1);
    QVERIFY(prompter.texts().first().startsWith(u"このメッセージが何度も表示する場合は\r\n"_s));
    QVERIFY(!view.dbUpdateEnabled);
    QCOMPARE(view.clears, 1);
}

QTEST_GUILESS_MAIN(TestOutlookMessageReader)
#include "TestOutlookMessageReader.moc"
