#include <memory>

#include <QDir>
#include <QFile>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>

#include "GpgTestKeyring.h"
#include "RecordingMessageView.h"
#include "app/core/ParameterTable.h"
#include "reader/InternetMessageReader.h"
#include "reader/gpg/GpgDecryptor.h"
#include "support/ScriptedFileChooser.h"
#include "support/ScriptedPrompter.h"
#include "testpaths.h"

using namespace Qt::StringLiterals;

namespace {

const QString kDone = u"復号完了"_s;
const QString kStart =
    u"［GnuPGP]復号処理エージェント起動中です -- お待ちください（起動に長時間がかかる場合があります）"_s;
const QString kStartAscii =
    u"［GnuPGP]復号処理エージェント起動中です -- お待ちください(起動に長時間がかかる場合があります)"_s;
const QString kNoGpg = u"GPG.exeのパス設定をしてください"_s;
const QString kNoGpg2 = u"GPG2.exeのパス設定をしてください"_s;
const QString kWatchdog =
    u"GPG(Kleopatra) が機能していません\r\nパスキー入力画面が表示しないときはKleopatraを起動して再度実行してください"_s;
const QString kNotGpgData = u"このデータはGPG暗号化データではありません"_s;

QByteArray readFile(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

bool writeFile(const QString& path, const QByteArray& data)
{
    QFile file(path);
    return file.open(QIODevice::WriteOnly) && file.write(data) == data.size();
}

// A PGP/MIME message as mail programs send it: the version part and the armored data.
QByteArray pgpMimeMessage(const QByteArray& armored)
{
    return "From: sender@example.com\r\nTo: receiver@example.com\r\nSubject: encrypted\r\n"
           "Date: Tue, 02 Jan 2024 09:30:00 +0900\r\nMIME-Version: 1.0\r\n"
           "Content-Type: multipart/encrypted; protocol=\"application/pgp-encrypted\"; boundary=\"outer\"\r\n\r\n"
           "--outer\r\nContent-Type: application/pgp-encrypted\r\n"
           "Content-Description: PGP/MIME version identification\r\n\r\nVersion: 1\r\n\r\n"
           "--outer\r\nContent-Type: application/octet-stream; name=\"encrypted.asc\"\r\n"
           "Content-Disposition: inline; filename=\"encrypted.asc\"\r\n\r\n"
           + armored + "\r\n--outer--\r\n";
}

// A message whose text part carries an armored block between ordinary lines.
QByteArray inlineMessage(const QByteArray& armored)
{
    return "From: sender@example.com\r\nTo: receiver@example.com\r\nSubject: inline\r\n"
           "Date: Tue, 02 Jan 2024 09:30:00 +0900\r\nMIME-Version: 1.0\r\n"
           "Content-Type: multipart/mixed; boundary=\"m\"\r\n\r\n"
           "--m\r\nContent-Type: text/plain; charset=us-ascii\r\n\r\n"
           + armored + "\r\n--m--\r\n";
}

// Puts an armor header line right after the first line ("-----BEGIN PGP MESSAGE-----").
QByteArray withArmorHeader(const QByteArray& armored, const QByteArray& header)
{
    const qsizetype end = armored.indexOf('\n');
    return armored.left(end + 1) + header + "\n" + armored.mid(end + 1);
}

const QByteArray kInnerWithAttachments =
    "Content-Type: multipart/mixed; boundary=\"inner\"\r\n\r\n"
    "--inner\r\nContent-Type: text/plain; charset=utf-8\r\nContent-Transfer-Encoding: 8bit\r\n\r\n"
    "\xE5\xBE\xA9\xE5\x8F\xB7\xE3\x81\x95\xE3\x82\x8C\xE3\x81\x9F\xE6\x9C\xAC\xE6\x96\x87\r\n" // 復号された本文
    "--inner\r\nContent-Type: application/pdf; name=\"report.pdf\"\r\n"
    "Content-Disposition: attachment; filename=\"report.pdf\"\r\nContent-Transfer-Encoding: base64\r\n\r\n"
    "JVBERi0xLjQK\r\n"
    "--inner\r\nContent-Type: application/pgp-signature; name=\"OpenPGP_signature.asc\"\r\n"
    "Content-Description: OpenPGP digital signature\r\n"
    "Content-Disposition: attachment; filename=\"OpenPGP_signature.asc\"\r\n\r\n"
    "-----BEGIN PGP SIGNATURE-----\r\n\r\niQEzBAEBCAAdFiEE\r\n-----END PGP SIGNATURE-----\r\n"
    "--inner--\r\n";

const QByteArray kInnerHtmlFirst = "Content-Type: multipart/alternative; boundary=\"alt\"\r\n\r\n"
                                   "--alt\r\nContent-Type: text/html; charset=utf-8\r\n\r\n<p>HTML</p>\r\n"
                                   "--alt\r\nContent-Type: text/plain; charset=utf-8\r\n\r\nplain\r\n"
                                   "--alt--\r\n";

QByteArray textEntity(const QString& text)
{
    return "Content-Type: text/plain; charset=utf-8\r\nContent-Transfer-Encoding: 8bit\r\n\r\n" + text.toUtf8()
           + "\r\n";
}

} // namespace

class TestGpgDecryptor final : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void initTestCase();
    void init();
    void cleanup();
    void cleanupTestCase();

    void bodyJobShowsDecryptedText_data();
    void bodyJobShowsDecryptedText();
    void commandLineDecryptsReaderBodies_data();
    void commandLineDecryptsReaderBodies();
    void attachmentJobFillsSecondList_data();
    void attachmentJobFillsSecondList();
    void saveJobsSaveDecryptedText();
    void missingProgramStartsNothing_data();
    void missingProgramStartsNothing();
    void failingGnuPgStillEndsTheJob_data();
    void failingGnuPgStillEndsTheJob();
    void watchdogEndsTheWait_data();
    void watchdogEndsTheWait();
    void attachmentChecksBeforeDecrypting();
    void corpusMessagesEndWithClearMessage();

private:
    [[nodiscard]] QStringList workFiles() const;
    [[nodiscard]] static QStringList lines(const QByteArray& text);
    // The attachment of that caption, as list I would hand it over after reading the message.
    [[nodiscard]] static QByteArray attachmentOf(const QByteArray& message, const QString& caption);
    [[nodiscard]] static QStringList statusTexts(const QSignalSpy& spy);

    std::unique_ptr<GpgTestKeyring> m_keyring;
    std::unique_ptr<QTemporaryDir> m_work;  // the decryptor's mail_dat
    std::unique_ptr<QTemporaryDir> m_files; // messages and stand-in programs
    std::unique_ptr<ParameterTable> m_parameters;
    ScriptedPrompter m_prompter;
    ScriptedFileChooser m_chooser;
    std::unique_ptr<GpgDecryptor> m_gpg;
};

void TestGpgDecryptor::initTestCase()
{
    m_keyring = std::make_unique<GpgTestKeyring>();
    QVERIFY2(m_keyring->ready(), "no test key could be made with gpg");
}

void TestGpgDecryptor::init()
{
    m_work = std::make_unique<QTemporaryDir>();
    m_files = std::make_unique<QTemporaryDir>();
    QVERIFY(m_work->isValid() && m_files->isValid());
    m_parameters = std::make_unique<ParameterTable>();
    m_parameters->setValue(u"GPGPath", m_keyring->program());
    m_prompter.reset();
    m_chooser = ScriptedFileChooser();
    m_gpg = std::make_unique<GpgDecryptor>(*m_parameters, m_prompter, m_chooser, m_work->path());
}

void TestGpgDecryptor::cleanup()
{
    m_gpg.reset();
    QVERIFY2(m_prompter.unexpected().isEmpty(), qPrintable(m_prompter.unexpected().join(u" | ")));
}

void TestGpgDecryptor::cleanupTestCase()
{
    m_keyring.reset();
}

QStringList TestGpgDecryptor::workFiles() const
{
    return QDir(m_work->path()).entryList(QDir::Files | QDir::Hidden | QDir::NoDotAndDotDot);
}

QStringList TestGpgDecryptor::lines(const QByteArray& text)
{
    return MimeMessage::splitLines(QString::fromUtf8(text));
}

QByteArray TestGpgDecryptor::attachmentOf(const QByteArray& message, const QString& caption)
{
    RecordingMessageView view;
    ParameterTable parameters;
    ScriptedPrompter prompter;
    MessageInfo info;
    InternetMessageReader reader(view, parameters, prompter, info);
    reader.readMessageData(message);
    for (const RecordingMessageView::Attachment& item : std::as_const(view.attachments)) {
        if (item.caption == caption) {
            return reader.message().parts().at(item.partIndex).content();
        }
    }
    return QByteArray();
}

QStringList TestGpgDecryptor::statusTexts(const QSignalSpy& spy)
{
    QStringList texts;
    for (const QList<QVariant>& call : spy) {
        texts.append(call.at(0).toString());
    }
    return texts;
}

void TestGpgDecryptor::bodyJobShowsDecryptedText_data()
{
    QTest::addColumn<QByteArray>("plain");
    QTest::addColumn<bool>("jisFlg");
    QTest::addColumn<MessageView::ArmorSource>("source");
    QTest::addColumn<QString>("expected");

    const QByteArray jis = readFile(QStringLiteral(TIDEWELL_TEST_DATA_DIR "/reader/gpg/body-iso2022jp.txt"));
    QVERIFY(!jis.isEmpty());
    QTest::addRow("UTF-8 text part") << u"日本語の本文\r\n二行目 ①㈱\r\n"_s.toUtf8() << false
                                     << MessageView::ArmorSource::TextPart << u"日本語の本文\n二行目 ①㈱\n"_s;
    QTest::addRow("ISO-2022-JP text part with Windows characters")
        << jis << true << MessageView::ArmorSource::TextPart << u"こんにちは①㈱テスト\n二行目です\n"_s;
    QTest::addRow("bare armored file") << u"bare body\n"_s.toUtf8() << false << MessageView::ArmorSource::BareFile
                                       << u"bare body\n"_s;
}

void TestGpgDecryptor::bodyJobShowsDecryptedText()
{
    QFETCH(QByteArray, plain);
    QFETCH(bool, jisFlg);
    QFETCH(MessageView::ArmorSource, source);
    QFETCH(QString, expected);

    const QByteArray armored = m_keyring->encrypt(plain);
    QVERIFY(!armored.isEmpty());
    QSignalSpy body(m_gpg.get(), &GpgDecryptor::bodyTextReady);
    QSignalSpy status(m_gpg.get(), &GpgDecryptor::statusTextChanged);

    QStringList armoredText{u"Text before the block"_s};
    armoredText.append(lines(armored));
    QVERIFY(m_gpg->decryptBody(armoredText, jisFlg, source));

    QCOMPARE(body.count(), 1);
    QCOMPARE(body.at(0).at(0).toString(), expected);
    QCOMPARE(body.at(0).at(1).value<GpgDecryptor::Job>(),
             source == MessageView::ArmorSource::TextPart ? GpgDecryptor::Job::Body : GpgDecryptor::Job::BareFile);
    QCOMPARE(statusTexts(status), (QStringList{kStart, QString()}));
    QCOMPARE(m_prompter.texts(), QStringList{kDone});
    QVERIFY(m_gpg->TerminateState());
    QCOMPARE(workFiles(), QStringList());
}

void TestGpgDecryptor::commandLineDecryptsReaderBodies_data()
{
    QTest::addColumn<QByteArray>("eml");
    QTest::addColumn<QString>("gpg");
    QTest::addColumn<int>("mDatType");
    QTest::addColumn<QString>("mailBody");
    QTest::addColumn<QString>("shown");

    const QByteArray jis = readFile(QStringLiteral(TIDEWELL_TEST_DATA_DIR "/reader/gpg/body-iso2022jp.txt"));
    const QByteArray utf8 = m_keyring->encrypt(u"暗号化された本文 ①\n"_s.toUtf8());
    const QByteArray jisArmored = withArmorHeader(m_keyring->encrypt(jis), "Charset: ISO-2022-JP");
    QVERIFY(!utf8.isEmpty() && !jisArmored.isEmpty());
    const QString gpg = m_keyring->program();

    QTest::addRow("UTF-8 text part") << inlineMessage(utf8) << gpg << 3 << u"暗号化された本文 ①\n"_s << kDone;
    QTest::addRow("text part whose armor announces ISO-2022-JP")
        << inlineMessage(jisArmored) << gpg << 3 << u"こんにちは①㈱テスト\n二行目です\n"_s << kDone;
    QTest::addRow("bare armored file") << utf8 << gpg << 3 << u"暗号化された本文 ①\n"_s << kDone;
    QTest::addRow("GnuPG path that names nothing")
        << inlineMessage(utf8) << u"/nonexistent/gpg"_s << 1 << QString() << kNoGpg2;
}

void TestGpgDecryptor::commandLineDecryptsReaderBodies()
{
    QFETCH(QByteArray, eml);
    QFETCH(QString, gpg);
    QFETCH(int, mDatType);
    QFETCH(QString, mailBody);
    QFETCH(QString, shown);

    const QString path = m_files->filePath(u"message.eml"_s);
    QVERIFY(writeFile(path, eml));
    QProcess cli;
    cli.start(QStringLiteral(TIDEWELL_BINARY_DIR "/src/cli/tidewell-cli"), {u"inspect"_s, u"--gpg"_s, gpg, path});
    QVERIFY(cli.waitForFinished(60000));
    QCOMPARE(cli.exitCode(), 0);
    const QString err = QString::fromUtf8(cli.readAllStandardError());
    const QJsonObject result = QJsonDocument::fromJson(cli.readAllStandardOutput()).object();
    QCOMPARE(result.value(u"MDatType"_s).toInt(), mDatType);
    QCOMPARE(result.value(u"MailBody"_s).toString(), mailBody);
    QVERIFY2(err.contains(shown), qPrintable(err));
}

void TestGpgDecryptor::attachmentJobFillsSecondList_data()
{
    QTest::addColumn<QByteArray>("inner");
    QTest::addColumn<QStringList>("captions");
    QTest::addColumn<QStringList>("iconKeys");
    QTest::addColumn<QString>("body");
    QTest::addColumn<QString>("html");

    QTest::addRow("body, attachment and signature")
        << kInnerWithAttachments << QStringList{u"report.pdf"_s, u"OpenPGP_signature.asc"_s}
        << QStringList{u".pdf"_s, u"dat"_s} << u"復号された本文"_s << QString();
    QTest::addRow("HTML part before the plain one")
        << kInnerHtmlFirst << QStringList() << QStringList() << QString() << u"<p>HTML</p>"_s;
    QTest::addRow("single text entity") << textEntity(u"一つだけの本文"_s) << QStringList() << QStringList()
                                        << u"一つだけの本文"_s << QString();
}

void TestGpgDecryptor::attachmentJobFillsSecondList()
{
    QFETCH(QByteArray, inner);
    QFETCH(QStringList, captions);
    QFETCH(QStringList, iconKeys);
    QFETCH(QString, body);
    QFETCH(QString, html);

    const QByteArray armored = m_keyring->encrypt(inner);
    QVERIFY(!armored.isEmpty());
    const QByteArray content = attachmentOf(pgpMimeMessage(armored), u"encrypted.asc"_s);
    QVERIFY(!content.isEmpty());

    QSignalSpy bodySpy(m_gpg.get(), &GpgDecryptor::bodyTextReady);
    QSignalSpy htmlSpy(m_gpg.get(), &GpgDecryptor::htmlTextReady);
    QSignalSpy listSpy(m_gpg.get(), &GpgDecryptor::secondListChanged);
    QSignalSpy status(m_gpg.get(), &GpgDecryptor::statusTextChanged);
    QSignalSpy actions(m_gpg.get(), &GpgDecryptor::actionsEnabledChanged);
    QSignalSpy tab(m_gpg.get(), &GpgDecryptor::attachmentTabRequested);
    m_parameters->setValue(u"ZOOM", u"120"_s);

    m_gpg->decryptAttachment(u"encrypted.asc"_s, content);

    QCOMPARE(m_prompter.texts(), QStringList{kDone});
    QCOMPARE(workFiles(), QStringList());
    QCOMPARE(statusTexts(status), (QStringList{kStartAscii, QString()}));
    QCOMPARE(tab.count(), 1);
    QVERIFY(actions.count() >= 2);
    QCOMPARE(actions.first().at(1).toBool(), false);
    QCOMPARE(actions.last().at(0).toStringList(), (QStringList{u"SavetoDisk"_s, u"OpenWith"_s}));
    QCOMPARE(actions.last().at(1).toBool(), true);

    // The body pane is cleared first; the decrypted body (if any) follows.
    QVERIFY(!bodySpy.isEmpty());
    QCOMPARE(bodySpy.first().at(0).toString(), QString());
    QCOMPARE(bodySpy.last().at(0).toString(), body);
    if (html.isEmpty()) {
        QCOMPARE(htmlSpy.count(), 0);
    } else {
        QCOMPARE(htmlSpy.count(), 1);
        QCOMPARE(htmlSpy.first().at(0).toString(), html);
        QCOMPARE(htmlSpy.first().at(1).toDouble(), 1.2);
    }

    const QList<GpgListEntry> entries = listSpy.last().at(0).value<QList<GpgListEntry>>();
    QCOMPARE(entries, m_gpg->secondList());
    QStringList shownCaptions;
    QStringList shownKeys;
    for (qsizetype i = 0; i < entries.size(); ++i) {
        const GpgListEntry& entry = entries.at(i);
        shownCaptions.append(entry.caption);
        shownKeys.append(entry.iconKey);
        QCOMPARE(entry.imageIndex, i);
        const MimePart& part = m_gpg->secondMessage().parts().at(entry.partIndex);
        QCOMPARE(part.fileName(), entry.caption);
        QCOMPARE(part.contentType(), entry.contentType);
    }
    QCOMPARE(shownCaptions, captions);
    QCOMPARE(shownKeys, iconKeys);
    if (captions.contains(u"report.pdf"_s)) {
        QCOMPARE(m_gpg->secondMessage().parts().at(entries.first().partIndex).content(), QByteArray("%PDF-1.4\n"));
        QCOMPARE(entries.first().contentType, u"application/pdf"_s);
    }
}

void TestGpgDecryptor::saveJobsSaveDecryptedText()
{
    // List I: a decrypted single text is saved under the proposed name.
    const QByteArray single = m_keyring->encrypt(textEntity(u"保存する本文"_s));
    QVERIFY(!single.isEmpty());
    const QString firstTarget = m_files->filePath(u"first.txt"_s);
    m_chooser.setNextFiles({firstTarget});
    m_gpg->decryptAttachmentAndSave(u"secret.asc"_s, single);
    QCOMPARE(m_prompter.texts(), QStringList{kDone});
    QCOMPARE(m_chooser.requests().size(), 1);
    QCOMPARE(m_chooser.requests().at(0).fileName, u"secret.txt"_s);
    QCOMPARE(QString::fromUtf8(readFile(firstTarget)), u"保存する本文\n"_s);
    QCOMPARE(workFiles(), QStringList());

    // List I: a decrypted multipart lists its attachments in list II and saves its text part.
    const QByteArray innerArmored = m_keyring->encrypt(textEntity(u"内側の本文"_s));
    const QByteArray outerInner = "Content-Type: multipart/mixed; boundary=\"b\"\r\n\r\n--b\r\n"
                                  + textEntity(u"外側の本文"_s)
                                  + "--b\r\nContent-Type: application/octet-stream; name=\"inner.asc\"\r\n"
                                    "Content-Disposition: attachment; filename=\"inner.asc\"\r\n\r\n"
                                  + innerArmored + "\r\n--b--\r\n";
    const QByteArray outer = m_keyring->encrypt(outerInner);
    QVERIFY(!innerArmored.isEmpty() && !outer.isEmpty());
    m_prompter.reset();
    const QString secondTarget = m_files->filePath(u"second"_s);
    m_chooser.setNextFiles({secondTarget});
    m_gpg->decryptAttachmentAndSave(u"mail.pgp"_s, outer);
    QCOMPARE(m_prompter.texts(), QStringList{kDone});
    QCOMPARE(m_chooser.requests().at(1).fileName, u"mail.txt"_s);
    QCOMPARE(QString::fromUtf8(readFile(secondTarget + u".txt"_s)), u"外側の本文\n"_s);
    QCOMPARE(m_gpg->secondList().size(), 1);
    QCOMPARE(m_gpg->secondList().first().caption, u"inner.asc"_s);

    // List II: the inner encrypted attachment is decrypted and saved; list II stays as it is.
    m_prompter.reset();
    const QString thirdTarget = m_files->filePath(u"third.txt"_s);
    m_chooser.setNextFiles({thirdTarget});
    m_gpg->decryptSecondListAttachmentAndSave(u"inner.asc"_s);
    QCOMPARE(m_prompter.texts(), QStringList{kDone});
    QCOMPARE(m_chooser.requests().at(2).fileName, u"inner.txt"_s);
    QCOMPARE(QString::fromUtf8(readFile(thirdTarget)), u"内側の本文\n"_s);
    QCOMPARE(m_gpg->secondList().size(), 1);
    QCOMPARE(workFiles(), QStringList());

    // List II: only .asc, .gpg and .pgp are decrypted.
    m_prompter.reset();
    m_gpg->decryptSecondListAttachmentAndSave(u"report.pdf"_s);
    QCOMPARE(m_prompter.texts(), QStringList{u"暗号化ファイルではありません"_s});
    QCOMPARE(m_chooser.requests().size(), 3);
}

void TestGpgDecryptor::missingProgramStartsNothing_data()
{
    QTest::addColumn<QString>("gpgPath");
    QTest::addRow("unset") << QString();
    QTest::addRow("Dummy Data") << u"Dummy Data"_s;
    QTest::addRow("no such file") << u"/nonexistent/gpg"_s;
    QTest::addRow("a folder") << u"/tmp"_s;
    QTest::addRow("a file that is not a program") << u"NOT_A_PROGRAM"_s;
}

void TestGpgDecryptor::missingProgramStartsNothing()
{
    QFETCH(QString, gpgPath);
    if (gpgPath == u"NOT_A_PROGRAM"_s) {
        gpgPath = m_files->filePath(u"gpg"_s);
        QVERIFY(writeFile(gpgPath, "not a program\n"));
    }
    m_parameters->setValue(u"GPGPath", gpgPath);
    QSignalSpy body(m_gpg.get(), &GpgDecryptor::bodyTextReady);
    const QByteArray armored = "-----BEGIN PGP MESSAGE-----\n\nhQEMA1234\n-----END PGP MESSAGE-----\n";

    m_gpg->decryptBody(lines(armored), false, MessageView::ArmorSource::TextPart);
    m_gpg->decryptBody(lines(armored), false, MessageView::ArmorSource::BareFile);
    m_gpg->decryptAttachment(u"encrypted.asc"_s, armored);
    m_gpg->decryptAttachmentAndSave(u"encrypted.asc"_s, armored);

    QCOMPARE(m_prompter.texts(), (QStringList{kNoGpg2, kNoGpg, kNoGpg, kNoGpg}));
    for (const QList<QVariant>& call : std::as_const(body)) {
        QCOMPARE(call.at(0).toString(), QString()); // only the clearing of the body pane
    }
    QVERIFY(m_chooser.requests().isEmpty());
    QCOMPARE(workFiles(), QStringList());
}

void TestGpgDecryptor::failingGnuPgStillEndsTheJob_data()
{
    QTest::addColumn<QString>("program");
    QTest::addColumn<QByteArray>("armored");

    const QByteArray foreign = readFile(QStringLiteral(TIDEWELL_CORPUS_DIR "/pgp/pgpy_block-message.encrypted.asc"));
    QVERIFY(foreign.contains("-----BEGIN PGP MESSAGE-----"));
    QTest::addRow("no secret key") << m_keyring->program() << foreign;
    QTest::addRow("program that fails") << u"/bin/false"_s << m_keyring->encrypt("secret\n");
}

void TestGpgDecryptor::failingGnuPgStillEndsTheJob()
{
    QFETCH(QString, program);
    QFETCH(QByteArray, armored);
    m_parameters->setValue(u"GPGPath", program);
    QSignalSpy body(m_gpg.get(), &GpgDecryptor::bodyTextReady);

    m_gpg->decryptBody(lines(armored), false, MessageView::ArmorSource::TextPart);
    QCOMPARE(body.count(), 0);
    QCOMPARE(m_prompter.texts(), QStringList{kDone});
    QCOMPARE(workFiles(), QStringList());

    m_prompter.reset();
    m_gpg->decryptAttachment(u"encrypted.asc"_s, armored);
    QCOMPARE(m_prompter.texts(), QStringList{kDone});
    QVERIFY(m_gpg->secondList().isEmpty());
    QCOMPARE(body.last().at(0).toString(), QString());
    QCOMPARE(workFiles(), QStringList());

    // Nothing was decrypted, so nothing is offered for saving.
    m_prompter.reset();
    m_gpg->decryptAttachmentAndSave(u"encrypted.asc"_s, armored);
    QCOMPARE(m_prompter.texts(), QStringList{kDone});
    QVERIFY(m_chooser.requests().isEmpty());
    QCOMPARE(workFiles(), QStringList());
}

void TestGpgDecryptor::watchdogEndsTheWait_data()
{
    QTest::addColumn<bool>("abandon");
    QTest::addRow("late end still shows its result") << false;
    QTest::addRow("late end after another message drops its result") << true;
}

void TestGpgDecryptor::watchdogEndsTheWait()
{
    QFETCH(bool, abandon);
    // A stand-in for gpg that answers late: it writes the output file (the fourth argument) after a while.
    const QString program = m_files->filePath(u"slow-gpg"_s);
    QVERIFY(writeFile(program, "#!/bin/sh\nsleep 2\nprintf 'late text' > \"$4\"\n"));
    QVERIFY(QFile::setPermissions(program, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner));
    m_parameters->setValue(u"GPGPath", program);
    m_gpg->setWatchdogInterval(100);
    QSignalSpy body(m_gpg.get(), &GpgDecryptor::bodyTextReady);

    m_gpg->decryptBody({u"-----BEGIN PGP MESSAGE-----"_s}, false, MessageView::ArmorSource::TextPart);
    QCOMPARE(m_prompter.texts(), (QStringList{kWatchdog, kDone}));
    QVERIFY(m_gpg->TerminateState());
    QCOMPARE(body.count(), 0);
    QVERIFY(!workFiles().isEmpty()); // the process still has its input

    if (abandon) {
        m_gpg->abandonRunningJobs();
    }
    QTRY_VERIFY_WITH_TIMEOUT(workFiles().isEmpty(), 20000);
    if (abandon) {
        QCOMPARE(body.count(), 0);
    } else {
        QCOMPARE(body.count(), 1);
        QCOMPARE(body.first().at(0).toString(), u"late text"_s);
    }
    QCOMPARE(m_prompter.texts().size(), 2);
}

void TestGpgDecryptor::attachmentChecksBeforeDecrypting()
{
    QSignalSpy status(m_gpg.get(), &GpgDecryptor::statusTextChanged);

    // An item already decrypted is not decrypted again.
    m_gpg->decryptAttachment(u"無題の添付ファイル 1"_s, "-----BEGIN PGP MESSAGE-----\n");
    QCOMPARE(statusTexts(status), QStringList{u"復号済みです"_s});
    QVERIFY(m_prompter.texts().isEmpty());

    // Data whose header block holds no armored message: the header text, then the refusal.
    m_gpg->decryptAttachment(u"notes.asc"_s, "Subject: notes\nX-Note: plain\n\nbody\n");
    QCOMPARE(m_prompter.texts().size(), 2);
    QVERIFY(m_prompter.texts().at(0).contains(u"X-Note: plain"_s));
    QCOMPARE(m_prompter.texts().at(1), kNotGpgData);
    QCOMPARE(workFiles(), QStringList());

    // Saving an attachment the list could not find.
    status.clear();
    m_prompter.reset();
    m_gpg->decryptAttachmentAndSave(u"gone.asc"_s, QByteArray());
    QCOMPARE(statusTexts(status), QStringList{u"処理ファイルはありません）"_s});
    QVERIFY(m_prompter.texts().isEmpty());
}

void TestGpgDecryptor::corpusMessagesEndWithClearMessage()
{
    // Real encrypted messages whose keys we do not hold: every job ends with a
    // message and leaves nothing behind.
    m_gpg->setWatchdogInterval(30000);
    int jobs = 0;
    const QDir pgp(QStringLiteral(TIDEWELL_CORPUS_DIR "/pgp"));
    for (const QString& name : pgp.entryList({u"*.asc"_s}, QDir::Files)) {
        const QByteArray data = readFile(pgp.filePath(name));
        if (!data.contains("-----BEGIN PGP MESSAGE-----")) {
            continue;
        }
        m_prompter.reset();
        m_gpg->decryptAttachment(name, data);
        QVERIFY2(!m_prompter.texts().isEmpty(), qPrintable(name));
        const QString last = m_prompter.texts().constLast();
        QVERIFY2(last == kDone || last == kNotGpgData, qPrintable(name + u": "_s + last));
        QVERIFY2(workFiles().isEmpty(), qPrintable(name));
        ++jobs;
    }
    const QDir eml(QStringLiteral(TIDEWELL_CORPUS_DIR "/eml"));
    for (const QString& name : eml.entryList({u"*.eml"_s}, QDir::Files)) {
        const QByteArray data = readFile(eml.filePath(name));
        if (!data.contains("-----BEGIN PGP MESSAGE-----")) {
            continue;
        }
        RecordingMessageView view;
        ParameterTable parameters;
        ScriptedPrompter prompter;
        MessageInfo info;
        InternetMessageReader reader(view, parameters, prompter, info);
        reader.readMessageData(data);
        for (const RecordingMessageView::Attachment& item : std::as_const(view.attachments)) {
            const QByteArray content = reader.message().parts().at(item.partIndex).content();
            if (!content.contains("-----BEGIN PGP MESSAGE-----")) {
                continue;
            }
            m_prompter.reset();
            m_gpg->decryptAttachment(item.caption, content);
            QVERIFY2(!m_prompter.texts().isEmpty(), qPrintable(name));
            const QString last = m_prompter.texts().constLast();
            QVERIFY2(last == kDone || last == kNotGpgData, qPrintable(name + u": "_s + last));
            QVERIFY2(workFiles().isEmpty(), qPrintable(name));
            ++jobs;
        }
    }
    QVERIFY(jobs > 0); // the corpus was found
}

QTEST_GUILESS_MAIN(TestGpgDecryptor)
#include "TestGpgDecryptor.moc"
