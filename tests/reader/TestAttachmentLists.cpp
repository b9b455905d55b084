// Attachment lists in the main window: TNEF unpacking into list II, saving and opening.
#include <QAction>
#include <QDir>
#include <QFile>
#include <QSignalSpy>
#include <QStandardPaths>
#include <QTabWidget>
#include <QTemporaryDir>
#include <QTest>

#include "app/TFrmTdw.h"
#include "app/core/DataFolders.h"
#include "app/core/Delay.h"
#include "app/core/StartupArguments.h"
#include "reader/AttachmentListPanel.h"
#include "reader/AttachmentLists.h"
#include "reader/OpenAndWait.h"
#include "support/ScriptedFileChooser.h"
#include "support/ScriptedPrompter.h"
#include "testpaths.h"

using namespace Qt::StringLiterals;

class TestAttachmentLists final : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void initTestCase();
    void init();
    void cleanup();
    void tnefAttachmentFillsListII();
    void savesTheSelectedAttachment();
    void refusesToOpenPgpFiles();

private:
    QString writeMessage(const QList<std::tuple<QString, QString, QByteArray>>& parts);
    QString dataPath() const;

    QTemporaryDir m_dir;
    ScriptedPrompter m_prompter;
    ScriptedFileChooser m_files;
    std::unique_ptr<TFrmTdw> m_window;
};

void TestAttachmentLists::initTestCase()
{
    Delay::setScale(0.0);
}

QString TestAttachmentLists::dataPath() const
{
    return QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation) + u"/Kestrelon/TW_ArchiveDB"_s;
}

void TestAttachmentLists::init()
{
    m_prompter.reset();
    QDir(dataPath()).removeRecursively();
    QVERIFY(QDir().mkpath(dataPath()));
    m_window = std::make_unique<TFrmTdw>(DataFolders(QCoreApplication::applicationDirPath() + u"/tidewell"_s),
                                         m_prompter,
                                         m_files,
                                         StartupArguments::parse({}));
}

void TestAttachmentLists::cleanup()
{
    m_window.reset();
}

// A multipart message with the given attachments (file name, content type, bytes).
QString TestAttachmentLists::writeMessage(const QList<std::tuple<QString, QString, QByteArray>>& parts)
{
    QByteArray text = "From: a@example.jp\r\nTo: b@example.jp\r\nSubject: attachments\r\n"
                      "Message-ID: <lists@example.jp>\r\nDate: Mon, 1 Jan 2024 10:00:00 +0900\r\n"
                      "MIME-Version: 1.0\r\nContent-Type: multipart/mixed; boundary=\"b\"\r\n\r\n"
                      "--b\r\nContent-Type: text/plain; charset=us-ascii\r\n\r\nsee attached\r\n";
    for (const auto& [name, type, bytes] : parts) {
        text += "--b\r\nContent-Type: " + type.toUtf8() + "; name=\"" + name.toUtf8()
                + "\"\r\nContent-Disposition: attachment; filename=\"" + name.toUtf8()
                + "\"\r\nContent-Transfer-Encoding: base64\r\n\r\n" + bytes.toBase64() + "\r\n";
    }
    text += "--b--\r\n";
    const QString path = m_dir.filePath(u"message.eml"_s);
    QFile file(path);
    file.open(QIODevice::WriteOnly);
    file.write(text);
    return path;
}

void TestAttachmentLists::tnefAttachmentFillsListII()
{
    QFile tnef(QStringLiteral(TIDEWELL_CORPUS_DIR "/tnef/vtnef_two-files.tnef"));
    QVERIFY(tnef.open(QIODevice::ReadOnly));
    // A PDF before the TNEF attachment must not stop the unpacking.
    const QString path = writeMessage({{u"report.pdf"_s, u"application/pdf"_s, QByteArray("%PDF-1.4 tiny")},
                                       {u"winmail.dat"_s, u"application/ms-tnef"_s, tnef.readAll()}});
    m_window->readMessageFile(path);

    auto* listII = m_window->findChild<AttachmentListPanel*>(u"ListView2"_s);
    QVERIFY(listII);
    QVERIFY2(m_prompter.texts().isEmpty(), qPrintable(m_prompter.texts().join(u" | "_s)));
    const QString second = m_window->folders().mailDat2nd();
    const QStringList unpacked = QDir(second).entryList(QDir::Files, QDir::Name);
    QVERIFY(unpacked.size() >= 2);
    QStringList captions;
    for (int i = 0; i < listII->count(); ++i) {
        captions.append(listII->item(i)->text());
    }
    QCOMPARE(captions, unpacked);
    QVERIFY(m_window->isTabVisible(m_window->tab(u"Attachment2Tab"_s)));
    QVERIFY(m_window->state().TnefFlg);
    // Every file written lies inside the work folder.
    QVERIFY(QFile::exists(m_window->folders().mailDat() + u"/winmail.dat"_s));
    QVERIFY(!QFile::exists(m_window->folders().mailDat() + u"/report.pdf"_s));

    // Saving from list II copies the unpacked file.
    listII->setCurrentRow(0);
    const QString target = m_dir.filePath(u"copy-of-"_s + captions.first());
    m_files.setNextFiles({target});
    auto* pages = m_window->findChild<QTabWidget*>(u"PageControl1"_s);
    pages->setCurrentWidget(m_window->tab(u"Attachment2Tab"_s));
    m_window->action(u"SavetoDisk"_s)->trigger();
    QVERIFY(QFile::exists(target));
}

void TestAttachmentLists::savesTheSelectedAttachment()
{
    const QString path = writeMessage({{u"first.txt"_s, u"text/plain"_s, QByteArray("one")},
                                       {u"second.bin"_s, u"application/octet-stream"_s, QByteArray("two")}});
    m_window->readMessageFile(path);
    auto* listI = m_window->findChild<AttachmentListPanel*>(u"ListView1"_s);
    QCOMPARE(listI->count(), 2);
    listI->setCurrentRow(1);
    QVERIFY(m_window->action(u"SavetoDisk"_s)->isEnabled());
    QCOMPARE(m_window->statusText(2), u"second.bin"_s);
    const QString target = m_dir.filePath(u"saved.bin"_s);
    m_files.setNextFiles({target});
    m_window->findChild<QTabWidget*>(u"PageControl1"_s)->setCurrentWidget(m_window->tab(u"Attachment1Tab"_s));
    m_window->action(u"SavetoDisk"_s)->trigger();
    QFile saved(target);
    QVERIFY(saved.open(QIODevice::ReadOnly));
    QCOMPARE(saved.readAll(), QByteArray("two"));
    QCOMPARE(m_files.requests().last().fileName, u"second.bin"_s);
}

void TestAttachmentLists::refusesToOpenPgpFiles()
{
    const QString path = writeMessage({{u"secret.pgp"_s, u"application/octet-stream"_s, QByteArray("x")}});
    m_window->readMessageFile(path);
    auto* listI = m_window->findChild<AttachmentListPanel*>(u"ListView1"_s);
    listI->setCurrentRow(0);
    QVERIFY(!m_window->action(u"OpenWith"_s)->isEnabled());
    QVERIFY(m_window->action(u"DecryptGpg"_s)->isEnabled());
    QSignalSpy gpg(m_window->attachmentLists(), &AttachmentLists::gpgRequested);
    m_window->action(u"DecryptGpg"_s)->trigger();
    QCOMPARE(gpg.count(), 1);
    m_prompter.reset(); // the decryption job's own messages (no GnuPG configured here)
    m_window->action(u"OpenWithA1"_s)->setEnabled(true);
    m_window->action(u"OpenWithA1"_s)->trigger();
    QCOMPARE(m_prompter.texts(), QStringList{u"このファイルは起動できる規定のプログラムがありません"_s});
}

QTEST_MAIN(TestAttachmentLists)
#include "TestAttachmentLists.moc"
