#include <QFile>
#include <QTemporaryDir>
#include <QTest>

#include "ReaderHarness.h"
#include "testpaths.h"

using namespace Qt::StringLiterals;

namespace {

struct Harness : ReaderHarness
{
    void read(const QByteArray& data) { reader.readMessageData(data); }
    void readFixture(const QString& name)
    {
        reader.ReadInternetMessage(QStringLiteral(TIDEWELL_TEST_DATA_DIR) + u"/reader/"_s + name);
    }
};

QByteArray headersOnly(const QByteArray& headers)
{
    return headers + "Subject: probe\r\n\r\nbody\r\n";
}

} // namespace

class TestInternetMessageReader : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void recieveFields_data();
    void recieveFields();
    void senderFields_data();
    void senderFields();
    void messageDate_data();
    void messageDate();
    void zoomParameters_data();
    void zoomParameters();
    void rawHeaderFields();
    void dataViews();
    void endStep_data();
    void endStep();
    void alternativeParts();
    void attachmentList();
    void pgpMimeVersionPart();
    void inlineArmorWithoutGnuPG();
    void inlineArmorWithGnuPG();
    void bareArmoredFile();
    void singleBodyTypes_data();
    void singleBodyTypes();
    void unreadableFile();
};

void TestInternetMessageReader::recieveFields_data()
{
    QTest::addColumn<QByteArray>("to");
    QTest::addColumn<QStringList>("accounts"); // MailAccount1, 2, ...
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("address");

    const QStringList none;
    QTest::addRow("bare address matches MailAccount3")
        << QByteArray("taro@example.jp") << QStringList{QString(), QString(), u"Taro (home) <taro@example.jp>"_s}
        << u"Taro (home)"_s << u"taro@example.jp"_s;
    QTest::addRow("bare address, no account")
        << QByteArray("taro@example.jp") << none << QString() << u"taro@example.jp"_s;
    QTest::addRow("double quotes removed")
        << QByteArray("\"Hanako\" <hanako@example.jp>") << none << u"Hanako"_s << u"hanako@example.jp"_s;
    QTest::addRow("apostrophes kept") << QByteArray("'Captain Foo' <foo@example.com>") << none << u"'Captain Foo'"_s
                                      << u"foo@example.com"_s;
    QTest::addRow("apostrophe and backslash removed")
        << QByteArray("'Taro\\ <t@example.jp>") << none << u"Taro"_s << u"t@example.jp"_s;
    QTest::addRow("UTF-8 B word decoded in full")
        << QByteArray("=?UTF-8?B?6Iqx5a2Q?= <hanako@example.jp>") << none << u"花子"_s << u"hanako@example.jp"_s;
    QTest::addRow("ISO-2022-JP B word with NEC characters")
        << QByteArray("=?iso-2022-jp?B?GyRCLSEtanxiGyhC?= <x@example.jp>") << none << u"①㈱髙"_s << u"x@example.jp"_s;
    QTest::addRow("split ISO-2022-JP words")
        << QByteArray("=?ISO-2022-JP?B?GyRCJDMkcxsoQg==?=\r\n =?ISO-2022-JP?B?GyRCJEskQSRPGyhC?= <k@example.jp>")
        << none << u"こんにちは"_s << u"k@example.jp"_s;
    QTest::addRow("quoted encoded word") << QByteArray("\"=?UTF-8?B?6Iqx5a2Q?=\" <hanako@example.jp>") << none
                                         << u"花子"_s << u"hanako@example.jp"_s;
    QTest::addRow("name with @ matches an account")
        << QByteArray("taro@example.com <taro@example.com>") << QStringList{u"Taro Yamada(TY)<taro@example.com>"_s}
        << u"Taro Yamada(TY)"_s << u"taro@example.com"_s;
    QTest::addRow("account match ignores letter case")
        << QByteArray("TARO@EXAMPLE.JP") << QStringList{u"山田 太郎 <taro@example.jp>"_s} << u"山田 太郎"_s
        << u"TARO@EXAMPLE.JP"_s;
    QTest::addRow("first matching account wins")
        << QByteArray("t@example.jp")
        << QStringList{u"Other <o@example.jp>"_s, u"First <t@example.jp>"_s, u"Second <t@example.jp>"_s} << u"First"_s
        << u"t@example.jp"_s;
    QTest::addRow("display name keeps priority over accounts")
        << QByteArray("Hanako <t@example.jp>") << QStringList{u"Taro <t@example.jp>"_s} << u"Hanako"_s
        << u"t@example.jp"_s;
    QTest::addRow("\">\" before \"<\" gives the whole value")
        << QByteArray("a> b <c@example.jp>") << none << u"a> b"_s << u"a> b <c@example.jp>"_s;
    QTest::addRow("no To header") << QByteArray() << none << QString() << QString();
}

void TestInternetMessageReader::recieveFields()
{
    QFETCH(QByteArray, to);
    QFETCH(QStringList, accounts);
    QFETCH(QString, name);
    QFETCH(QString, address);

    Harness h;
    for (int i = 0; i < accounts.size(); ++i) {
        h.parameters.setValue(QString(u"MailAccount"_s + QString::number(i + 1)), accounts.at(i));
    }
    h.read(headersOnly(to.isNull() ? QByteArray() : "To: " + to + "\r\n"));
    QCOMPARE(h.info.Recieve_Name, name);
    QCOMPARE(h.info.Recieve_Address, address);
    QCOMPARE(h.view.shownInfo.Recieve_Name, name);
}

void TestInternetMessageReader::senderFields_data()
{
    QTest::addColumn<QByteArray>("from");
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("address");

    QTest::addRow("apostrophes removed") << QByteArray("'Taro' <taro@example.jp>") << u"Taro"_s << u"taro@example.jp"_s;
    QTest::addRow("quoted apostrophes removed")
        << QByteArray("\"'Taro'\" <taro@example.jp>") << u"Taro"_s << u"taro@example.jp"_s;
    QTest::addRow("full-width angle brackets removed")
        << QByteArray("＜Taro＞ <taro@example.jp>") << u"Taro"_s << u"taro@example.jp"_s;
    QTest::addRow("ASCII angle brackets kept")
        << QByteArray("\"<Taro>\" <taro@example.jp>") << u"<Taro>"_s << u"taro@example.jp"_s;
    QTest::addRow("encoded name") << QByteArray("=?ISO-2022-JP?B?GyRCOzNFRBsoQg==?= <yamada@example.jp>") << u"山田"_s
                                  << u"yamada@example.jp"_s;
    QTest::addRow("split encoded name") << QByteArray("=?UTF-8?B?5pel5g==?= =?UTF-8?B?nKw=?= <n@example.jp>")
                                        << u"日本"_s << u"n@example.jp"_s;
    QTest::addRow("address with comment") << QByteArray("taro@example.jp (Taro)") << u"Taro"_s << u"taro@example.jp"_s;
    QTest::addRow("bare address") << QByteArray("taro@example.jp") << QString() << u"taro@example.jp"_s;
    QTest::addRow("first of several") << QByteArray("A <a@example.jp>, B <b@example.jp>") << u"A"_s
                                      << u"a@example.jp"_s;
    QTest::addRow("group") << QByteArray("Team: Taro <t@example.jp>, h@example.jp;") << u"Taro"_s << u"t@example.jp"_s;
    QTest::addRow("no From") << QByteArray() << QString() << QString();
}

void TestInternetMessageReader::senderFields()
{
    QFETCH(QByteArray, from);
    QFETCH(QString, name);
    QFETCH(QString, address);

    Harness h;
    h.read(headersOnly(from.isNull() ? QByteArray() : "From: " + from + "\r\n"));
    QCOMPARE(h.info.Sender_Name, name);
    QCOMPARE(h.info.Sender_Address, address);
}

void TestInternetMessageReader::messageDate_data()
{
    QTest::addColumn<QByteArray>("headers");
    QTest::addColumn<QString>("date");

    // The tests run in Asia/Tokyo (+0900).
    QTest::addRow("local date") << QByteArray("Date: Sat, 30 Aug 2008 21:14:37 +0900\r\n") << u"2008/08/30 21:14:37"_s;
    QTest::addRow("converted to local time")
        << QByteArray("Date: Sat, 30 Aug 2008 21:14:37 -0700\r\n") << u"2008/08/31 13:14:37"_s;
    QTest::addRow("midnight gives the date only")
        << QByteArray("Date: Mon, 1 Sep 2008 00:00:00 +0900\r\n") << u"2008/09/01"_s;
    QTest::addRow("X-Apparently-To, offset ignored")
        << QByteArray("X-Apparently-To: user@example.com via 192.0.2.1; Sat, 30 Aug 2008 21:14:37 -0700\r\n")
        << u"2008/08/30 21:14:37"_s;
    QTest::addRow("X-Apparently-To with Sept")
        << QByteArray("X-Apparently-To: u@example.com; Tue, 30 Sept 2008 10:00:00 +0000\r\n")
        << u"2008/09/30 10:00:00"_s;
    QTest::addRow("X-Apparently-To unknown month")
        << QByteArray("X-Apparently-To: u@example.com; Tue, 30 Foo 2008 10:00:00 +0000\r\n") << QString();
    QTest::addRow("X-Apparently-To too short")
        << QByteArray("X-Apparently-To: u@example.com; Tue, 30 Aug\r\n") << QString();
    QTest::addRow("unreadable Date falls back to X-Apparently-To")
        << QByteArray("Date: yesterday\r\nX-Apparently-To: u@example.com; Sat, 30 Aug 2008 21:14:37 -0700\r\n")
        << u"2008/08/30 21:14:37"_s;
    QTest::addRow("unreadable Date alone") << QByteArray("Date: yesterday\r\n") << QString();
    QTest::addRow("nothing") << QByteArray() << QString();
}

void TestInternetMessageReader::messageDate()
{
    QFETCH(QByteArray, headers);
    QFETCH(QString, date);

    Harness h;
    h.read(headersOnly(headers + "From: a@example.jp\r\n"));
    QCOMPARE(h.info.Message_Date, date);
    // Whatever the date did, the later fields are still filled.
    QCOMPARE(h.info.Sender_Address, u"a@example.jp"_s);
    QCOMPARE(h.info.Message_Subject, u"probe"_s);
}

void TestInternetMessageReader::zoomParameters_data()
{
    QTest::addColumn<QString>("zoom");
    QTest::addColumn<QString>("zoomFixed");
    QTest::addColumn<double>("factor");
    QTest::addColumn<QString>("zoomAfter");
    QTest::addColumn<bool>("fixed");
    QTest::addColumn<QString>("zoomFixedAfter");

    QTest::addRow("unset") << QString() << QString() << 0.7 << u"70"_s << true << u"1"_s;
    QTest::addRow("Dummy Data") << u"Dummy Data"_s << u"Dummy Data"_s << 0.7 << u"70"_s << true << u"1"_s;
    QTest::addRow("set") << u"125"_s << u"0"_s << 1.25 << u"125"_s << false << u"0"_s;
    QTest::addRow("not a number") << u"abc"_s << u"1"_s << 0.7 << u"70"_s << true << u"1"_s;
}

void TestInternetMessageReader::zoomParameters()
{
    QFETCH(QString, zoom);
    QFETCH(QString, zoomFixed);
    QFETCH(double, factor);
    QFETCH(QString, zoomAfter);
    QFETCH(bool, fixed);
    QFETCH(QString, zoomFixedAfter);

    Harness h;
    h.parameters.setValue(u"ZOOM", zoom);
    h.parameters.setValue(u"ZoomFixed", zoomFixed);
    h.readFixture(u"single_html.eml"_s);
    QCOMPARE(h.reader.zoomFactor(), factor);
    QCOMPARE(h.parameters.value(u"ZOOM"), zoomAfter);
    QCOMPARE(h.reader.zoomFixed(), fixed);
    QCOMPARE(h.parameters.value(u"ZoomFixed"), zoomFixedAfter);
    QCOMPARE(h.view.htmlZooms, QList<double>{factor});
}

void TestInternetMessageReader::rawHeaderFields()
{
    Harness h;
    h.read("Message-Id: <abc@example.jp>\r\nX-Account-Key: account2\r\nSubject: =?UTF-8?B?44OG44K544OI?=\r\n\r\nx");
    QCOMPARE(h.info.Message_ID, u"<abc@example.jp>"_s);
    QCOMPARE(h.info.Account_Key, u"account2"_s);
    QCOMPARE(h.info.Message_Subject, u"テスト"_s);
}

void TestInternetMessageReader::dataViews()
{
    Harness h;
    const QByteArray data = "From: a@example.jp\r\nSubject: folded\r\n continued\r\n\r\nline 1\r\nline 2\r\n";
    h.read(data);
    QCOMPARE(h.view.dataLeft, QString::fromUtf8(data));
    // The header block has three lines; the right view starts at the blank line after it.
    QCOMPARE(h.view.dataRight, u"\r\nline 1\r\nline 2"_s);
    QCOMPARE(h.info.Message_Subject, u"folded continued"_s);
}

void TestInternetMessageReader::endStep_data()
{
    QTest::addColumn<bool>("fromStore");
    QTest::addColumn<bool>("dbUpdate");

    QTest::addRow("opened from disk") << false << true;
    QTest::addRow("shown from the store") << true << false;
}

void TestInternetMessageReader::endStep()
{
    QFETCH(bool, fromStore);
    QFETCH(bool, dbUpdate);

    Harness h;
    h.view.storeMode = fromStore;
    h.readFixture(u"no_content_type.eml"_s);
    QCOMPARE(h.view.clears, 1);
    QCOMPARE(h.view.dbUpdateEnabled, dbUpdate);
    QCOMPARE(h.view.statusText, u"メッセージを表示しました"_s);
    QVERIFY(h.reader.completed());
}

void TestInternetMessageReader::alternativeParts()
{
    Harness h;
    h.readFixture(u"multipart_alternative.eml"_s);
    QCOMPARE(h.info.MDatType, 2);
    QCOMPARE(h.info.MailBody, u"こんにちは\n①㈱"_s);
    QCOMPARE(h.view.bodyText, u"こんにちは\n①㈱"_s);
    QCOMPARE(h.view.htmlTexts, QStringList{u"<html><body><p>こんにちは</p></body></html>"_s});
    QCOMPARE(h.info.Sender_Name, u"山田"_s);
    QCOMPARE(h.info.Recieve_Name, u"Hanako"_s);
    QCOMPARE(h.info.Message_Subject, u"日本語"_s);
    QCOMPARE(h.info.Message_ID, u"<alt-1@example.jp>"_s);
    QCOMPARE(h.info.Account_Key, u"account3"_s);
    QCOMPARE(h.info.Message_Date, u"2024/01/02 09:30:00"_s);
    QVERIFY(h.view.attachments.isEmpty());
}

void TestInternetMessageReader::attachmentList()
{
    Harness h;
    h.readFixture(u"attachments.eml"_s);
    QCOMPARE(h.view.captions(),
             (QStringList{u"report.pdf"_s, u"README"_s, u"ver.dat"_s, u"evil.txt"_s, u"資料.txt"_s, u"winmail.dat"_s}));
    QStringList keys;
    QList<int> images;
    for (const auto& a : h.view.attachments) {
        keys.append(a.iconKey);
        images.append(a.imageIndex);
    }
    QCOMPARE(keys, (QStringList{u".pdf"_s, u".dat"_s, u"ver.dat"_s, u".txt"_s, u".txt"_s, u".dat"_s}));
    QCOMPARE(images, (QList<int>{0, 1, 2, 3, 4, 5}));
    QVERIFY(h.view.attachmentTabShown);
    QVERIFY(h.view.openActionsEnabled);
    QCOMPARE(h.info.MDatType, 1);
    QCOMPARE(h.info.MailBody, u"body text"_s);

    // The list saves attachments through the part index it was given.
    const int tnefPart = h.view.attachments.last().partIndex;
    QCOMPARE(h.view.tnefParts, QList<int>{tnefPart});
    QVERIFY(h.reader.tnefFlg());
    const MimePart& pdf = h.reader.message().parts().at(h.view.attachments.first().partIndex);
    QCOMPARE(pdf.content(), QByteArray("%PDF-1.4\n"));
    QTemporaryDir dir;
    QVERIFY(pdf.saveTo(dir.filePath(pdf.fileName())));
    QFile saved(dir.filePath(u"report.pdf"_s));
    QVERIFY(saved.open(QIODevice::ReadOnly));
    QCOMPARE(saved.readAll(), QByteArray("%PDF-1.4\n"));
}

void TestInternetMessageReader::pgpMimeVersionPart()
{
    Harness h;
    h.readFixture(u"pgp_mime.eml"_s);
    QCOMPARE(h.view.captions(), (QStringList{u"ver.dat"_s, u"encrypted.asc"_s}));
    QCOMPARE(h.view.attachments.first().iconKey, u"ver.dat"_s);
    QCOMPARE(h.info.MDatType, 0);
    QVERIFY(!h.reader.tnefFlg());
    QVERIFY(h.view.dbUpdateEnabled);
}

void TestInternetMessageReader::inlineArmorWithoutGnuPG()
{
    Harness h;
    h.parameters.setValue(u"GPGPath", u"/nonexistent/gpg"_s);
    h.readFixture(u"pgp_inline.eml"_s);
    QCOMPARE(h.prompter.texts(), QStringList{u"GPG2.exeのパス設定をしてください"_s});
    // The reading ended at once: no later parts, no end step.
    QCOMPARE(h.info.MDatType, 1);
    QVERIFY(h.view.attachments.isEmpty());
    QVERIFY(!h.view.dbUpdateEnabled);
    QVERIFY(h.view.statusText.isEmpty());
    QVERIFY(!h.reader.completed());
    QVERIFY(h.view.decryptions.isEmpty());
    QCOMPARE(h.view.shownInfo.Message_Subject, u"inline"_s);
}

void TestInternetMessageReader::inlineArmorWithGnuPG()
{
    QTemporaryDir dir;
    const QString gpg = dir.filePath(u"gpg"_s);
    QFile program(gpg);
    QVERIFY(program.open(QIODevice::WriteOnly));
    program.close();

    Harness h;
    h.parameters.setValue(u"GPGPath", gpg);
    h.readFixture(u"pgp_inline.eml"_s);
    QVERIFY(h.prompter.texts().isEmpty());
    QCOMPARE(h.view.decryptions.size(), 1);
    const auto& job = h.view.decryptions.first();
    QCOMPARE(job.source, MessageView::ArmorSource::TextPart);
    QVERIFY(job.jisFlg); // "Charset: ISO-2022-JP" two lines after the marker
    QCOMPARE(job.armoredText.first(), u"-----BEGIN PGP MESSAGE-----"_s);
    QCOMPARE(job.armoredText.last(), u"-----END PGP MESSAGE-----"_s);
    QCOMPARE(h.view.captions(), QStringList{u"after.txt"_s});
    QCOMPARE(h.info.MDatType, 3);
    QVERIFY(h.view.dbUpdateEnabled);
}

void TestInternetMessageReader::bareArmoredFile()
{
    Harness h;
    h.readFixture(u"pgp_bare.eml"_s);
    QCOMPARE(h.prompter.texts(), QStringList{u"GPG.exeのパス設定をしてください"_s});
    QCOMPARE(h.info.MDatType, 1);
    QVERIFY(!h.view.dbUpdateEnabled);

    QTemporaryDir dir;
    const QString gpg = dir.filePath(u"gpg"_s);
    QFile program(gpg);
    QVERIFY(program.open(QIODevice::WriteOnly));
    program.close();
    Harness g;
    g.parameters.setValue(u"GPGPath", gpg);
    g.readFixture(u"pgp_bare.eml"_s);
    QCOMPARE(g.view.decryptions.size(), 1);
    const auto& job = g.view.decryptions.first();
    QCOMPARE(job.source, MessageView::ArmorSource::BareFile);
    QVERIFY(!job.jisFlg);
    QCOMPARE(
        job.armoredText,
        (QStringList{
            u"-----BEGIN PGP MESSAGE-----"_s, QString(), u"hQEMA1234"_s, u"=abcd"_s, u"-----END PGP MESSAGE-----"_s}));
    QCOMPARE(g.info.MDatType, 3);
}

void TestInternetMessageReader::singleBodyTypes_data()
{
    QTest::addColumn<QString>("fixture");
    QTest::addColumn<int>("type");
    QTest::addColumn<QString>("body");
    QTest::addColumn<QString>("html");

    QTest::addRow("HTML in Shift_JIS") << u"single_html.eml"_s << 2 << QString()
                                       << u"<html><body>山田①</body></html>"_s;
    QTest::addRow("no Content-Type is plain text")
        << u"no_content_type.eml"_s << 1 << u"first line\nsecond line"_s << QString();
}

void TestInternetMessageReader::singleBodyTypes()
{
    QFETCH(QString, fixture);
    QFETCH(int, type);
    QFETCH(QString, body);
    QFETCH(QString, html);

    Harness h;
    h.readFixture(fixture);
    QCOMPARE(h.info.MDatType, type);
    QCOMPARE(h.view.bodyText, body);
    QCOMPARE(h.info.MailBody, body);
    QCOMPARE(h.view.htmlTexts.isEmpty() ? QString() : h.view.htmlTexts.first().trimmed(), html);
}

void TestInternetMessageReader::unreadableFile()
{
    Harness h;
    h.info.MessageFile = u"/somewhere/x.eml"_s;
    h.reader.ReadInternetMessage(u"/nonexistent/file.eml"_s);
    QCOMPARE(h.info.Message_ID, QString());
    QCOMPARE(h.info.MessageFile, u"/somewhere/x.eml"_s); // the intake's paths stay
    QVERIFY(h.view.dataLeft.isEmpty());
    QVERIFY(h.reader.completed());
}

QTEST_GUILESS_MAIN(TestInternetMessageReader)
#include "TestInternetMessageReader.moc"
