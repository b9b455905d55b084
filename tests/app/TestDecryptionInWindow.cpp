#include <QDir>
#include <QFile>
#include <QListWidget>
#include <QStandardPaths>
#include <QTabWidget>
#include <QTest>

#include "app/TFrmTdw.h"
#include "reader/GpgTestKeyring.h"
#include "support/ScriptedFileChooser.h"
#include "support/ScriptedPrompter.h"

using namespace Qt::StringLiterals;

// Decryption as a user meets it in the window: an encrypted attachment is
// double-clicked and the attachments of the decrypted message appear in list II.
class TestDecryptionInWindow final : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void initTestCase();
    void doubleClickedAttachmentFillsListTwo();

private:
    std::unique_ptr<GpgTestKeyring> m_keyring;
    ScriptedPrompter m_prompter;
    ScriptedFileChooser m_files;
};

void TestDecryptionInWindow::initTestCase()
{
    m_keyring = std::make_unique<GpgTestKeyring>();
    if (!m_keyring->ready()) {
        QSKIP("GnuPG could not make a test key");
    }
}

void TestDecryptionInWindow::doubleClickedAttachmentFillsListTwo()
{
    const QString data =
        QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation) + u"/Kestrelon/TW_ArchiveDB"_s;
    QDir(data).removeRecursively();
    QVERIFY(QDir().mkpath(data));
    QFile ini(data + u"/tidewell.ini"_s);
    QVERIFY(ini.open(QIODevice::WriteOnly));
    ini.write("[Condition]\r\nGPGPath=" + m_keyring->program().toUtf8() + "\r\n");
    ini.close();

    const QByteArray inner = "Content-Type: multipart/mixed; boundary=\"inner\"\r\n\r\n"
                             "--inner\r\nContent-Type: text/plain; charset=utf-8\r\n\r\n本文\r\n"
                             "--inner\r\nContent-Type: application/pdf; name=\"report.pdf\"\r\n"
                             "Content-Disposition: attachment; filename=\"report.pdf\"\r\n"
                             "Content-Transfer-Encoding: base64\r\n\r\nJVBERi0xLjQK\r\n"
                             "--inner--\r\n";
    const QByteArray armored = m_keyring->encrypt(inner);
    QVERIFY(!armored.isEmpty());
    const QByteArray message = "From: sender@example.com\r\nTo: receiver@example.com\r\nSubject: encrypted\r\n"
                               "Date: Tue, 02 Jan 2024 09:30:00 +0900\r\nMIME-Version: 1.0\r\n"
                               "Content-Type: multipart/mixed; boundary=\"outer\"\r\n\r\n"
                               "--outer\r\nContent-Type: text/plain; charset=us-ascii\r\n\r\nsee attachment\r\n"
                               "--outer\r\nContent-Type: application/octet-stream; name=\"encrypted.asc\"\r\n"
                               "Content-Disposition: attachment; filename=\"encrypted.asc\"\r\n\r\n"
                               + armored + "\r\n--outer--\r\n";
    QTemporaryDir folder;
    const QString path = folder.filePath(u"encrypted.eml"_s);
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write(message);
    file.close();

    TFrmTdw window(DataFolders(QCoreApplication::applicationDirPath() + u"/tidewell"_s),
                   m_prompter,
                   m_files,
                   StartupArguments::parse({}));
    window.show();
    window.readMessageFile(path);
    auto* listOne = window.findChild<QListWidget*>(u"ListView1"_s);
    auto* listTwo = window.findChild<QListWidget*>(u"ListView2"_s);
    QVERIFY(listOne && listTwo);
    const QList<QListWidgetItem*> found = listOne->findItems(u"encrypted.asc"_s, Qt::MatchExactly);
    QCOMPARE(found.size(), 1);
    listOne->setCurrentItem(found.first());
    Q_EMIT listOne->itemDoubleClicked(found.first());

    QTRY_COMPARE_WITH_TIMEOUT(listTwo->count(), 1, 30000);
    QCOMPARE(listTwo->item(0)->text(), u"report.pdf"_s);
    QVERIFY(window.isTabVisible(window.tab(u"Attachment2Tab"_s)));
    QVERIFY(m_prompter.texts(u"information"_s).contains(u"復号完了"_s));
    // Nothing decrypted is left in the work folder.
    const QStringList left = QDir(window.folders().mailDat()).entryList(QDir::Files);
    for (const QString& name : left) {
        QVERIFY2(!name.startsWith(u"Dcr_"_s) && !name.startsWith(u"gpg_"_s), qPrintable(name));
    }
    window.close();
}

QTEST_MAIN(TestDecryptionInWindow)
#include "TestDecryptionInWindow.moc"
