// The .msg layer: compressed RTF, RTF de-encapsulation, properties, and every
// corpus file against an independent converter (msgconvert).
#include <QDir>
#include <QFile>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>

#include "reader/JapaneseText.h"
#include "reader/MimeMessage.h"
#include "reader/outlook/CodePages.h"
#include "reader/outlook/CompoundFile.h"
#include "reader/outlook/CompressedRtf.h"
#include "reader/outlook/OutlookItem.h"
#include "reader/outlook/OutlookSession.h"
#include "reader/outlook/RtfDeencapsulator.h"
#include "testpaths.h"

using namespace Qt::StringLiterals;

namespace {

QByteArray bytesOf(std::initializer_list<int> values)
{
    QByteArray result;
    for (int v : values) {
        result.append(static_cast<char>(v));
    }
    return result;
}

QStringList corpusFiles()
{
    QStringList files;
    const QDir dir(QStringLiteral(TIDEWELL_CORPUS_DIR "/msg"));
    for (const QString& name : dir.entryList({u"*.msg"_s}, QDir::Files, QDir::Name)) {
        files.append(dir.filePath(name));
    }
    return files;
}

// The subject as msgconvert writes it: encoded words for Unicode text, else the raw bytes of
// Perl's Latin-1 characters.
QString subjectOf(const QByteArray& eml)
{
    const qsizetype headerEnd = eml.indexOf("\n\n");
    const QList<QByteArray> lines = eml.left(headerEnd < 0 ? eml.size() : headerEnd).split('\n');
    QByteArray value;
    bool inSubject = false;
    for (const QByteArray& line : lines) {
        if (inSubject && (line.startsWith(' ') || line.startsWith('\t'))) {
            value += line;
            continue;
        }
        if (inSubject) {
            break;
        }
        if (line.toLower().startsWith("subject:")) {
            inSubject = true;
            value = line.mid(8);
        }
    }
    value = value.trimmed();
    if (value.contains("=?")) {
        return JapaneseText::decodeHeader(value).trimmed();
    }
    return JapaneseText::isValidUtf8(value) ? QString::fromUtf8(value) : QString::fromLatin1(value);
}

} // namespace

class TestOutlookItem final : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void decompressesPublishedExamples_data();
    void decompressesPublishedExamples();
    void rejectsDamagedCompressedRtf_data();
    void rejectsDamagedCompressedRtf();
    void deencapsulatesHtmlAndText_data();
    void deencapsulatesHtmlAndText();
    void openSharedItemRefusesWhatIsNoMessage_data();
    void openSharedItemRefusesWhatIsNoMessage();
    void readsEightBitStringsWithTheCodePage_data();
    void readsEightBitStringsWithTheCodePage();
    void everyCorpusFileReads();
    void compressedRtfMatchesItsChecksum();
    void agreesWithMsgconvert();
    void savesEmbeddedMessageAsMsgOfItsOwn();

private:
    QTemporaryDir m_dir;
};

void TestOutlookItem::decompressesPublishedExamples_data()
{
    QTest::addColumn<QByteArray>("compressed");
    QTest::addColumn<QByteArray>("expected");
    // The two examples of the compressed RTF documentation: a simple text, and a run that
    // copies over the position being written.
    QTest::addRow("simple text") << bytesOf(
        {0x2d, 0x00, 0x00, 0x00, 0x2b, 0x00, 0x00, 0x00, 0x4c, 0x5a, 0x46, 0x75, 0xf1, 0xc5, 0xc7, 0xa7, 0x03,
         0x00, 0x0a, 0x00, 0x72, 0x63, 0x70, 0x67, 0x31, 0x32, 0x35, 0x42, 0x32, 0x0a, 0xf3, 0x20, 0x68, 0x65,
         0x6c, 0x09, 0x00, 0x20, 0x62, 0x77, 0x05, 0xb0, 0x6c, 0x64, 0x7d, 0x0a, 0x80, 0x0f, 0xa0})
                                 << QByteArray("{\\rtf1\\ansi\\ansicpg1252\\pard hello world}\r\n");
    QTest::addRow("run crossing the write position")
        << bytesOf({0x1a, 0x00, 0x00, 0x00, 0x1c, 0x00, 0x00, 0x00, 0x4c, 0x5a, 0x46, 0x75, 0xe2, 0xd4, 0x4b,
                    0x51, 0x41, 0x00, 0x04, 0x20, 0x57, 0x58, 0x59, 0x5a, 0x0d, 0x6e, 0x7d, 0x01, 0x0e, 0xb0})
        << QByteArray("{\\rtf1 WXYZWXYZWXYZWXYZWXYZ}");
    QTest::addRow("uncompressed") << (bytesOf({0x0e, 0, 0, 0, 0x02, 0, 0, 0, 0x4d, 0x45, 0x4c, 0x41, 0, 0, 0, 0})
                                      + QByteArray("{}"))
                                  << QByteArray("{}");
}

void TestOutlookItem::decompressesPublishedExamples()
{
    QFETCH(QByteArray, compressed);
    QFETCH(QByteArray, expected);
    const auto rtf = CompressedRtf::decompress(compressed);
    QVERIFY(rtf);
    QCOMPARE(*rtf, expected);
    QCOMPARE(CompressedRtf::initialDictionary().size(), 207);
}

void TestOutlookItem::rejectsDamagedCompressedRtf_data()
{
    QTest::addColumn<QByteArray>("stream");
    QTest::addRow("shorter than the header") << QByteArray("LZFu");
    QTest::addRow("unknown type") << (bytesOf({0x10, 0, 0, 0, 0x10, 0, 0, 0}) + QByteArray("ABCD") + QByteArray(4, 0));
    QTest::addRow("reference cut off") << bytesOf(
        {0x11, 0, 0, 0, 0x10, 0, 0, 0, 0x4c, 0x5a, 0x46, 0x75, 0, 0, 0, 0, 0x01, 0x00});
}

void TestOutlookItem::rejectsDamagedCompressedRtf()
{
    QFETCH(QByteArray, stream);
    QVERIFY(!CompressedRtf::decompress(stream));
}

void TestOutlookItem::deencapsulatesHtmlAndText_data()
{
    QTest::addColumn<QByteArray>("rtf");
    QTest::addColumn<int>("kind");
    QTest::addColumn<QString>("expected");
    QTest::addRow("html tags, text and suppressed RTF")
        << QByteArray("{\\rtf1\\ansi\\ansicpg1252\\fromhtml1 \\deff0{\\fonttbl{\\f0\\fswiss Arial;}}"
                      "{\\*\\htmltag64 <html>}{\\*\\htmltag64 <body>}\\htmlrtf {\\b\\htmlrtf0 "
                      "{\\*\\htmltag84 <b>}Hello \\'e9t\\'e9\\htmlrtf }\\htmlrtf0 {\\*\\htmltag92 </b>}"
                      "{\\*\\htmltag0 \\par }{\\*\\htmltag72 </body>}{\\*\\htmltag64 </html>}}")
        << int(RtfDeencapsulator::Kind::Html) << u"<html><body><b>Hello été</b>\r\n</body></html>"_s;
    QTest::addRow("unicode escapes skip their stand-ins")
        << QByteArray("{\\rtf1\\ansi\\fromhtml1 {\\*\\htmltag0 <p>}\\uc1\\u26085?\\u26412?{\\*\\htmltag0 </p>}}")
        << int(RtfDeencapsulator::Kind::Html) << u"<p>日本</p>"_s;
    QTest::addRow("Japanese code page") << QByteArray(
        "{\\rtf1\\ansi\\ansicpg932\\fromhtml1 {\\*\\htmltag0 <p>}\\'93\\'fa\\'96\\'7b{\\*\\htmltag0 </p>}}")
                                        << int(RtfDeencapsulator::Kind::Html) << u"<p>日本</p>"_s;
    QTest::addRow("encapsulated text") << QByteArray(
        "{\\rtf1\\ansi\\fromtext \\deff0{\\fonttbl{\\f0 Courier;}}Line one\\par Line two}")
                                       << int(RtfDeencapsulator::Kind::Text) << u"Line one\r\nLine two"_s;
    QTest::addRow("plain RTF carries nothing")
        << QByteArray("{\\rtf1\\ansi\\deff0 Hello\\par}") << int(RtfDeencapsulator::Kind::None) << QString();
}

void TestOutlookItem::deencapsulatesHtmlAndText()
{
    QFETCH(QByteArray, rtf);
    QFETCH(int, kind);
    QFETCH(QString, expected);
    const RtfDeencapsulator::Result result = RtfDeencapsulator::deencapsulate(rtf);
    QCOMPARE(int(result.kind), kind);
    QCOMPARE(result.text, expected);
}

void TestOutlookItem::openSharedItemRefusesWhatIsNoMessage_data()
{
    QTest::addColumn<QString>("path");
    QTest::addRow("a text file") << QStringLiteral(TIDEWELL_TEST_DATA_DIR "/reader/attachments.eml");
    QTest::addRow("a missing file") << u"/nonexistent/none.msg"_s;
    QTest::addRow("a compound file without message streams") << u"storage-only"_s;
}

void TestOutlookItem::openSharedItemRefusesWhatIsNoMessage()
{
    QFETCH(QString, path);
    if (path == u"storage-only"_s) {
        CompoundEntry root;
        root.isStorage = true;
        root.children.append({u"WordDocument"_s, false, QByteArray("not a message"), {}});
        path = m_dir.filePath(u"document.msg"_s);
        QVERIFY(CompoundFile::write(root, path));
    }
    OutlookSession session;
    QVERIFY(session.Connect());
    QVERIFY(session.GetNameSpace(u"MAPI"_s));
    QVERIFY(!session.OpenSharedItem(path));
    QVERIFY(!OutlookSession::isRunning());
}

void TestOutlookItem::readsEightBitStringsWithTheCodePage_data()
{
    QTest::addColumn<int>("codePage");
    QTest::addColumn<QByteArray>("subject");
    QTest::addColumn<QString>("expected");
    const QByteArray sjis("\x93\xfa\x96\x7b\x8c\xea"); // 日本語 in code page 932
    QTest::addRow("code page 932") << 932 << sjis << u"日本語"_s;
    QTest::addRow("50220 stands for 932 in stored strings") << 50220 << sjis << u"日本語"_s;
    QTest::addRow("missing code page") << 0 << sjis << u"日本語"_s;
    QTest::addRow("Cyrillic 1251") << 1251 << QByteArray("\xcf\xf0\xe8\xe2\xe5\xf2") << u"Привет"_s;
}

void TestOutlookItem::readsEightBitStringsWithTheCodePage()
{
    QFETCH(int, codePage);
    QFETCH(QByteArray, subject);
    QFETCH(QString, expected);
    // A minimal message: the property stream (32-byte header, one entry per property) and one value stream.
    QByteArray properties(32, '\0');
    auto entry = [&properties](quint32 tag, quint32 value) {
        QByteArray e(16, '\0');
        for (int i = 0; i < 4; ++i) {
            e[i] = static_cast<char>((tag >> (8 * i)) & 0xFF);
            e[8 + i] = static_cast<char>((value >> (8 * i)) & 0xFF);
        }
        properties.append(e);
    };
    entry(0x0037001E, quint32(subject.size() + 1));
    if (codePage != 0) {
        entry(0x3FFD0003, quint32(codePage));
    }
    CompoundEntry root;
    root.isStorage = true;
    root.children.append({u"__properties_version1.0"_s, false, properties, {}});
    root.children.append({u"__substg1.0_0037001E"_s, false, subject + '\0', {}});
    QByteArray file;
    QVERIFY(CompoundFile::write(root, file));
    const auto item = OutlookMailItem::fromData(file);
    QVERIFY(item);
    QCOMPARE(item->Subject(), expected);
    QCOMPARE(item->GetProperty(u"http://schemas.microsoft.com/mapi/proptag/0x0037001F"_s).value_or(QString()),
             expected);
    QVERIFY(!item->GetProperty(0x1035001F)); // no message id: an error for the caller
}

void TestOutlookItem::everyCorpusFileReads()
{
    const QStringList files = corpusFiles();
    QVERIFY(files.size() > 60);
    int opened = 0;
    for (const QString& path : files) {
        const auto item = OutlookMailItem::open(path);
        if (!item) {
            continue;
        }
        ++opened;
        (void)item->Subject();
        (void)item->body();
        (void)item->htmlbody();
        (void)item->ReceivedTime();
        for (int i = 1; i <= item->attachmentCount(); ++i) {
            (void)item->Item(i)->displayName();
            (void)item->Item(i)->data();
        }
    }
    // Only the two damaged files of a fuzzing corpus may fail to open.
    QVERIFY2(opened >= files.size() - 2, qPrintable(QString::number(opened)));
}

void TestOutlookItem::compressedRtfMatchesItsChecksum()
{
    int checked = 0;
    for (const QString& path : corpusFiles()) {
        const auto item = OutlookMailItem::open(path);
        if (!item) {
            continue;
        }
        const auto stream = item->properties().bytes(0x10090102);
        if (!stream || stream->size() < 16) {
            continue;
        }
        const QByteArray& s = *stream;
        const quint32 type = quint32(quint8(s[8])) | quint32(quint8(s[9])) << 8 | quint32(quint8(s[10])) << 16
                             | quint32(quint8(s[11])) << 24;
        if (type != CompressedRtf::kCompressed) {
            continue;
        }
        const quint32 stored = quint32(quint8(s[12])) | quint32(quint8(s[13])) << 8 | quint32(quint8(s[14])) << 16
                               | quint32(quint8(s[15])) << 24;
        const quint32 compSize = quint32(quint8(s[0])) | quint32(quint8(s[1])) << 8 | quint32(quint8(s[2])) << 16
                                 | quint32(quint8(s[3])) << 24;
        QCOMPARE(CompressedRtf::crc(s.left(qsizetype(compSize) + 4), 16), stored);
        const QByteArray rtf = item->rtfBody();
        QVERIFY2(rtf.startsWith("{\\rtf"), qPrintable(path));
        ++checked;
    }
    QVERIFY(checked > 20);
}

void TestOutlookItem::agreesWithMsgconvert()
{
    const QString msgconvert = QStandardPaths::findExecutable(u"msgconvert"_s);
    if (msgconvert.isEmpty()) {
        QSKIP("msgconvert (libemail-outlook-message-perl) is not installed");
    }
    int compared = 0;
    int attachmentsCompared = 0;
    int rtfCompared = 0;
    for (const QString& path : corpusFiles()) {
        const auto item = OutlookMailItem::open(path);
        if (!item) {
            continue;
        }
        const QString out = m_dir.filePath(QFileInfo(path).completeBaseName() + u".eml"_s);
        QProcess convert;
        convert.start(msgconvert, {u"--outfile"_s, out, path});
        QVERIFY(convert.waitForFinished(60000));
        MimeMessage theirs;
        if (convert.exitCode() != 0 || !theirs.load(out)) {
            continue; // the converter gives up on some files (appointments, damaged files)
        }
        ++compared;
        const QString name = QFileInfo(path).fileName();
        // msgconvert writes the subject as it is, so a subject with non-ASCII characters is
        // raw UTF-8 in its header; our decoder reads raw UTF-8 too.
        // (A folded header keeps its folding blank in front when read back, hence trimmed.)
        // For 8-bit strings it sometimes ignores the file's code page and reads Latin-1; we read
        // them in that code page, so its text may also be taken back to the bytes and through ours.
        const QString theirSubject = subjectOf(theirs.rawData());
        QString viaCodePage = theirSubject;
        if (!item->properties().bytes(0x0037001F) && item->properties().bytes(0x0037001E)) {
            viaCodePage =
                JapaneseText::decodeText(theirSubject.toLatin1(), CodePages::charsetName(item->stringCodePage()));
        }
        const QString ourSubject = item->Subject().trimmed();
        QVERIFY2(theirSubject == ourSubject || viaCodePage == ourSubject,
                 qPrintable(name + u": "_s + theirs.subject()));
        const QString ourId = item->GetProperty(0x1035001F).value_or(QString());
        if (!theirs.headerValue(u"Message-Id").isEmpty()) {
            QVERIFY2(theirs.headerValue(u"Message-Id").trimmed() == ourId, qPrintable(name));
        }
        // It builds "From" from the SMTP sender address; an Exchange (X.500) address is dropped.
        const QString ourSender = item->GetProperty(0x0C1F001F).value_or(QString());
        // Its "From" is the one the message was sent for (PR_SENT_REPRESENTING), which may differ
        // from the sender that sent it on that one's behalf.
        const QString representing = item->GetProperty(0x0065001F).value_or(QString());
        if (ourSender.contains(u'@') && !theirs.senderAddress().isEmpty()) {
            QVERIFY2(theirs.senderAddress().compare(ourSender, Qt::CaseInsensitive) == 0
                         || theirs.senderAddress().compare(representing, Qt::CaseInsensitive) == 0,
                     qPrintable(name + u": "_s + theirs.senderAddress() + u" / "_s + ourSender));
        }
        // Attachments: every file it writes under a name we list carries our bytes. It names
        // files by the long file name; embedded messages become message/rfc822 parts, which we
        // save as .msg files instead, so those are not compared.
        for (const MimePart& part : theirs.parts()) {
            if (part.contentType() == u"application/rtf"_s && !part.content().isEmpty()) {
                // Its RTF part turns our CR LF into LF CR, so line ends are left out of the comparison.
                auto withoutLineEnds = [](QByteArray bytes) {
                    bytes.replace('\r', QByteArray());
                    bytes.replace('\n', QByteArray());
                    return bytes;
                };
                QCOMPARE(withoutLineEnds(part.content()), withoutLineEnds(item->rtfBody()));
                ++rtfCompared;
                continue;
            }
            if (part.fileName().isEmpty() || part.contentType() == u"message/rfc822"_s) {
                continue;
            }
            bool found = false;
            for (int i = 1; i <= item->attachmentCount() && !found; ++i) {
                const OutlookAttachment* attachment = item->Item(i);
                if (attachment->isEmbeddedMessage()
                    || MimeMessage::plainFileName(attachment->longFileName()) != part.fileName()) {
                    continue;
                }
                found = attachment->data() == part.content();
            }
            QVERIFY2(found, qPrintable(name + u": "_s + part.fileName()));
            ++attachmentsCompared;
        }
    }
    qInfo("msgconvert: %d files, %d attachments, %d RTF bodies compared", compared, attachmentsCompared, rtfCompared);
    QVERIFY(compared > 40);
    QVERIFY(attachmentsCompared > 20);
}

void TestOutlookItem::savesEmbeddedMessageAsMsgOfItsOwn()
{
    const auto item = OutlookMailItem::open(QStringLiteral(TIDEWELL_CORPUS_DIR "/msg/hiraoka_msgInMsg.msg"));
    QVERIFY(item);
    QCOMPARE(item->attachmentCount(), 2);
    const OutlookAttachment* embedded = item->Item(1);
    QVERIFY(embedded->isEmbeddedMessage());
    QCOMPARE(embedded->displayName(), u"Microsoft Outlook テスト メッセージ"_s);
    const QString saved = m_dir.filePath(u"embedded.msg"_s);
    QVERIFY(embedded->SaveAsFile(saved));
    const auto reopened = OutlookMailItem::open(saved);
    QVERIFY(reopened);
    QCOMPARE(reopened->Subject(), embedded->embeddedItem()->Subject());
    QCOMPARE(reopened->body(), embedded->embeddedItem()->body());
    // The independent converter reads the saved file as a message of its own.
    const QString msgconvert = QStandardPaths::findExecutable(u"msgconvert"_s);
    if (!msgconvert.isEmpty()) {
        const QString out = m_dir.filePath(u"embedded.eml"_s);
        QProcess convert;
        convert.start(msgconvert, {u"--outfile"_s, out, saved});
        QVERIFY(convert.waitForFinished(60000));
        QCOMPARE(convert.exitCode(), 0);
        MimeMessage theirs;
        QVERIFY(theirs.load(out));
        QCOMPARE(theirs.subject().trimmed(), reopened->Subject());
    }
}

QTEST_GUILESS_MAIN(TestOutlookItem)
#include "TestOutlookItem.moc"
