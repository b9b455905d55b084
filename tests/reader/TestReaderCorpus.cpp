#include <QDir>
#include <QFile>
#include <QRandomGenerator>
#include <QTest>

#include "ReaderHarness.h"
#include "testpaths.h"

using namespace Qt::StringLiterals;

namespace {

using Harness = ReaderHarness;

QString corpusFile(const QString& name)
{
    return QStringLiteral(TIDEWELL_CORPUS_DIR) + u"/eml/"_s + name;
}

QByteArray readAll(const QString& path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        return QByteArray();
    }
    return file.readAll();
}

} // namespace

// Real messages: the expected fields were read off the files by hand (the
// tests run in Asia/Tokyo, so dates are shown at +0900).
class TestReaderCorpus : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void knownMessages_data();
    void knownMessages();
    void wholeCorpus();
    void badInput_data();
    void badInput();
    void truncatedCorpus();
};

void TestReaderCorpus::knownMessages_data()
{
    QTest::addColumn<QString>("file");
    QTest::addColumn<QStringList>("fields"); // the eight fields in their order
    QTest::addColumn<int>("type");
    QTest::addColumn<QString>("bodyStart");
    QTest::addColumn<bool>("html");
    QTest::addColumn<QStringList>("attachments");

    QTest::addRow("ISO-2022-JP body, apostrophes in To")
        << u"cyrus_iso-2022-jp.eml"_s
        << QStringList{QString(),
                       u"2019/05/09 17:35:26"_s,
                       QString(),
                       u"Private Bar"_s,
                       u"bar@example.com"_s,
                       u"'Captain Foo'"_s,
                       u"foo@example.com"_s,
                       u"RE: Hello"_s}
        << 1 << u"シニアソフトウェアエンジニア"_s << false << QStringList();
    QTest::addRow("split ISO-2022-JP subject")
        << u"mimekit_japanese.eml"_s
        << QStringList{u"<55AE6D15.4010805@veritas-vos-liberabit.com>"_s,
                       u"2015/07/22 01:02:29"_s,
                       QString(),
                       u"Atsushi Eno"_s,
                       u"x@x.com"_s,
                       u"Jeffrey Stedfast"_s,
                       u"x@x.com"_s,
                       u"日本語メールテスト (testing Japanese emails)"_s}
        << 1 << u"Let's see if both subject and body works fine...\n\n日本語が\n正常に\n送れているか\nテスト."_s
        << false << QStringList();
    QTest::addRow("Shift_JIS body") << u"rubymail_multi_charset-japanese_shift_jis.eml"_s
                                    << QStringList{u"<xxxxx@docomo.ne.jp>"_s,
                                                   u"2014/05/28 17:18:19"_s,
                                                   QString(),
                                                   QString(),
                                                   u"xxxxxxx@docomo.ne.jp"_s,
                                                   QString(),
                                                   u"unknown@example.com"_s,
                                                   u"test"_s}
                                    << 1 << u"あいうえお\n\nこのメールはテスト用のメールです。"_s << false
                                    << QStringList();
    QTest::addRow("multipart alternative") << u"deltachat_text_alt_plain_html.eml"_s
                                           << QStringList{u"12345@testrun.org"_s,
                                                          u"2019/12/08 04:00:27"_s,
                                                          QString(),
                                                          QString(),
                                                          u"sender@testrun.org"_s,
                                                          QString(),
                                                          u"alice@example.org"_s,
                                                          u"mime-modified test"_s}
                                           << 2 << u"this is plain"_s << true << QStringList();
    QTest::addRow("attachment") << u"enmime_attachment.eml"_s
                                << QStringList{u"<07B7061D-2676-487E-942E-C341CE4D13DC@makita.skynet>"_s,
                                               u"2012/10/19 14:48:39"_s,
                                               QString(),
                                               u"James Hillyerd"_s,
                                               u"james@makita.skynet"_s,
                                               QString(),
                                               u"greg@inbucket"_s,
                                               u"Attachment"_s}
                                << 1 << u"A text section"_s << false << QStringList{u"test.html"_s};
    QTest::addRow("TNEF attachment, KOI8-R body")
        << u"mimekit_tnef-ukr.eml"_s
        << QStringList{u"<AM0PR0702MB3522C04E8C4950FA9976EC23E12B0@AM0PR0702MB3522.eurprd07.prod.outlook.com>"_s,
                       u"2017/11/13 17:01:13"_s,
                       QString(),
                       u"RR Tester 1"_s,
                       u"rrtest1@xink.io"_s,
                       u"ems365sync"_s,
                       u"ems365sync@xink.io"_s,
                       u"rr test 7"_s}
        << 1 << u"шостий"_s << false << QStringList{u"winmail.dat"_s};
    QTest::addRow("empty Date, X-Apparently-To")
        << u"rubymail_error_emails-bad_date_header.eml"_s
        << QStringList{QString(),
                       u"2010/12/10 19:20:19"_s,
                       QString(),
                       u"Grants-Notification"_s,
                       u"infoz@reactive-outpost.com"_s,
                       QString(),
                       u"someone@yahoo.com"_s,
                       u"You may_be Eligible for Legitimate_Cash from_GovAgencies!"_s}
        << 2 << QString() << true << QStringList();
    QTest::addRow("PGP/MIME version part") << u"deltachat_thunderbird_encrypted_signed.eml"_s
                                           << QStringList{u"<619b4cc5-1b76-2bfc-02ee-631b774bcb4a@example.org>"_s,
                                                          u"2023/11/02 14:25:44"_s,
                                                          QString(),
                                                          u"Alice"_s,
                                                          u"alice@example.org"_s,
                                                          QString(),
                                                          u"bob@example.net"_s,
                                                          u"..."_s}
                                           << 0 << QString() << false << QStringList{u"ver.dat"_s, u"encrypted.asc"_s};
}

void TestReaderCorpus::knownMessages()
{
    QFETCH(QString, file);
    QFETCH(QStringList, fields);
    QFETCH(int, type);
    QFETCH(QString, bodyStart);
    QFETCH(bool, html);
    QFETCH(QStringList, attachments);

    Harness h;
    h.reader.ReadInternetMessage(corpusFile(file));
    const MessageInfo& i = h.info;
    QCOMPARE(i.Message_ID, fields.at(0));
    QCOMPARE(i.Message_Date, fields.at(1));
    QCOMPARE(i.Account_Key, fields.at(2));
    QCOMPARE(i.Sender_Name, fields.at(3));
    QCOMPARE(i.Sender_Address, fields.at(4));
    QCOMPARE(i.Recieve_Name, fields.at(5));
    QCOMPARE(i.Recieve_Address, fields.at(6));
    QCOMPARE(i.Message_Subject.trimmed(), fields.at(7));
    QCOMPARE(i.MDatType, type);
    QVERIFY2(i.MailBody.startsWith(bodyStart), qPrintable(i.MailBody.left(200)));
    QCOMPARE(!h.view.htmlTexts.isEmpty(), html);
    QCOMPARE(h.view.captions(), attachments);
    QCOMPARE(h.view.statusText, u"メッセージを表示しました"_s);
}

void TestReaderCorpus::wholeCorpus()
{
    const QDir dir(QStringLiteral(TIDEWELL_CORPUS_DIR) + u"/eml"_s);
    const QStringList files = dir.entryList({u"*.eml"_s}, QDir::Files, QDir::Name);
    QVERIFY(files.size() > 100);
    for (const QString& name : files) {
        Harness h;
        h.reader.ReadInternetMessage(dir.filePath(name));
        // Either the reading reached its end or it stopped for the missing GnuPG.
        const bool ended = h.view.statusText == u"メッセージを表示しました"_s;
        QVERIFY2(ended || !h.prompter.texts().isEmpty(), qPrintable(name));
        QVERIFY2(!h.view.dataLeft.isEmpty(), qPrintable(name));
    }
}

void TestReaderCorpus::badInput_data()
{
    QTest::addColumn<QByteArray>("data");

    QRandomGenerator random(4711);
    QByteArray binary(64 * 1024, Qt::Uninitialized);
    for (char& c : binary) {
        c = static_cast<char>(random.bounded(256));
    }
    QByteArray nested = "Content-Type: multipart/mixed; boundary=b0\r\n\r\n";
    for (int depth = 1; depth < 3000; ++depth) {
        nested += "--b" + QByteArray::number(depth - 1) + "\r\nContent-Type: multipart/mixed; boundary=b"
                  + QByteArray::number(depth) + "\r\n\r\n";
    }
    QByteArray manyParts = "Content-Type: multipart/mixed; boundary=x\r\n\r\n";
    for (int i = 0; i < 5000; ++i) {
        manyParts += "--x\r\nContent-Type: application/octet-stream\r\n\r\n.\r\n";
    }

    QTest::addRow("empty") << QByteArray();
    QTest::addRow("one newline") << QByteArray("\n");
    QTest::addRow("NUL bytes") << QByteArray(4096, '\0');
    QTest::addRow("random binary") << binary;
    QTest::addRow("headers without end") << QByteArray("From: a@example.jp\r\nSubject: =?UTF-8?B?");
    QTest::addRow("long header line") << QByteArray("Subject: " + QByteArray(1 << 20, 'x') + "\r\n\r\nbody");
    QTest::addRow("many encoded words") << QByteArray(
        "Subject: " + QByteArray("=?ISO-2022-JP?B?GyRCJDMkcxsoQg==?= ").repeated(20000) + "\r\n\r\n");
    QTest::addRow("deep nesting") << nested;
    QTest::addRow("many parts") << manyParts;
    QTest::addRow("boundary never closed")
        << QByteArray("Content-Type: multipart/mixed; boundary=q\r\n\r\n--q\r\nContent-Type: text/plain\r\n\r\nab");
    QTest::addRow("bad base64") << QByteArray("Content-Type: text/plain\r\nContent-Transfer-Encoding: base64\r\n\r\n"
                                              "!!!*&^%$====abc");
    QTest::addRow("JIS escape at the end")
        << QByteArray("Content-Type: text/plain; charset=iso-2022-jp\r\n\r\nab\x1b$");
}

void TestReaderCorpus::badInput()
{
    QFETCH(QByteArray, data);
    Harness h;
    h.reader.readMessageData(data);
    QVERIFY(h.reader.completed());
}

void TestReaderCorpus::truncatedCorpus()
{
    const QStringList files = {u"mimekit_japanese.eml"_s,
                               u"enmime_attachment.eml"_s,
                               u"deltachat_text_alt_plain_html.eml"_s,
                               u"mimekit_tnef-ukr.eml"_s,
                               u"rubymail_multi_charset-japanese_attachment_long_name.eml"_s};
    for (const QString& name : files) {
        const QByteArray data = readAll(corpusFile(name));
        QVERIFY2(!data.isEmpty(), qPrintable(name));
        const qsizetype step = std::max<qsizetype>(1, data.size() / 97);
        for (qsizetype length = 0; length < data.size(); length += step) {
            Harness h;
            h.reader.readMessageData(data.left(length));
            QVERIFY2(h.reader.completed(), qPrintable(name + u" at "_s + QString::number(length)));
        }
    }
}

QTEST_GUILESS_MAIN(TestReaderCorpus)
#include "TestReaderCorpus.moc"
