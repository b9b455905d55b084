#include <QBuffer>
#include <QDir>
#include <QFile>
#include <QMap>
#include <QMimeData>
#include <QSignalSpy>
#include <QSqlQuery>
#include <QTemporaryDir>
#include <QTest>
#include <QUrl>
#include <QtEndian>

#include "app/core/Delay.h"
#include "app/core/ParameterTable.h"
#include "app/core/Settings.h"
#include "reader/InternetMessageReader.h"
#include "reader/MessageInfo.h"
#include "reader/RecordingMessageView.h"
#include "store/DbConnectController.h"
#include "store/MessageIntake.h"
#include "store/MimeDropItems.h"
#include "store/StoreFixture.h"
#include "store/TDm_Ldb.h"
#include "support/ScriptedFileChooser.h"
#include "support/ScriptedPrompter.h"
#include "testpaths.h"

using namespace Qt::StringLiterals;

namespace {

const QString kData = QStringLiteral(TIDEWELL_TEST_DATA_DIR "/store/intake/");

class RecordingHost final : public PmodeWord,
                            public CommandSwitchboard,
                            public ListWindowPlace,
                            public StatusPanels,
                            public ExclusiveModes
{
public:
    quint16 pmode() const override { return mode; }
    void setPmode(quint16 value) override { mode = value; }
    bool isCommandEnabled(const QString& name) const override { return enabled.value(name, false); }
    void setCommandEnabled(const QString& name, bool on) override { enabled[name] = on; }
    void setCommandChecked(const QString&, bool) override {}
    void performCommand(const QString& name) override { performed.append(name); }
    void setConnectImage(int) override {}
    void dockListWindow() override {}
    void closeListWindow() override {}
    void setListShortcut(const QString&, const QString&) override {}
    void setStatusText(int panel, const QString& text) override
    {
        if (panel == 2) {
            status2.append(text);
        }
    }
    void switchOffFileWorkbench() override { events.append(u"workbench off"_s); }
    void switchOffBulkSender() override {}
    void clearMessageView() override { events.append(u"clear view"_s); }

    DbListHost host() { return {*this, *this, *this, *this, *this}; }

    quint16 mode = 0x0001;
    QMap<QString, bool> enabled;
    QStringList performed;
    QStringList status2;
    QStringList events;
};

// Dropped items given by the test: a name and, unless null, the bytes of the stream.
class ListDropItems final : public DropItems
{
public:
    void add(const QString& name, const QByteArray& bytes) { m_items.append({name, bytes}); }
    int count() const override { return static_cast<int>(m_items.size()); }
    QString name(int index) const override { return m_items.at(index).first; }
    std::unique_ptr<QIODevice> contents(int index) override
    {
        if (m_items.at(index).second.isNull()) {
            return nullptr;
        }
        auto buffer = std::make_unique<QBuffer>();
        buffer->setData(m_items.at(index).second);
        buffer->open(QIODevice::ReadOnly);
        return buffer;
    }

private:
    QList<std::pair<QString, QByteArray>> m_items;
};

// A stream that announces a size, holds `available` bytes and delivers at most `perRead` per read.
class AnnouncingStream final : public QIODevice
{
public:
    AnnouncingStream(qint64 announced, qint64 available, qint64 perRead)
        : m_announced(announced)
        , m_available(available)
        , m_perRead(perRead)
    {
        open(QIODevice::ReadOnly | QIODevice::Unbuffered);
    }
    bool isSequential() const override { return false; }
    qint64 size() const override { return m_announced; }

protected:
    qint64 readData(char* data, qint64 maxSize) override
    {
        const qint64 n = std::min({maxSize, m_perRead, m_available - m_position});
        for (qint64 i = 0; i < n; ++i) {
            data[i] = static_cast<char>((m_position + i) % 251);
        }
        m_position += std::max<qint64>(0, n);
        return std::max<qint64>(0, n);
    }
    qint64 writeData(const char*, qint64) override { return -1; }

private:
    qint64 m_announced;
    qint64 m_available;
    qint64 m_perRead;
    qint64 m_position = 0;
};

// A file stand-in that records the size of every write.
class RecordingSink final : public QIODevice
{
public:
    RecordingSink() { open(QIODevice::WriteOnly | QIODevice::Unbuffered); }
    QList<qint64> blocks;
    QByteArray bytes;

protected:
    qint64 readData(char*, qint64) override { return -1; }
    qint64 writeData(const char* data, qint64 size) override
    {
        blocks.append(size);
        bytes.append(data, size);
        return size;
    }
};

QByteArray readAll(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

QString question(int remaining, const QString& name)
{
    return u"【ファイル名】<"_s + QString::number(remaining) + u">\r\n"_s + name
           + u"\r\nこのメールデータをDB登録しますか?"_s;
}

const QString kBatchQuestion = u"メールデータを確認せずに一括処理しますか? \r\n[はい]:一括処理\r\n[いいえ]：確認処理"_s;
const QString kNotMail = u"メールファイルではありません"_s;

} // namespace

// Opening and dropping messages, the registration questions, work copies and
// saving, with the real reader and a real archive.
class TestMessageIntake final : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void initTestCase();
    void init();
    void cleanup();

    void openingAsksAndRegisters_data();
    void openingAsksAndRegisters();
    void openDialogGetsFiltersAndRemembers();
    void dropStopsAtNonMessage();
    void dropRefusesBlankId_data();
    void dropRefusesBlankId();
    void droppedNameStaysInsideMailDat_data();
    void droppedNameStaysInsideMailDat();
    void droppedItemWithoutContents();
    void copiesStreamInBlocks_data();
    void copiesStreamInBlocks();
    void openedMsgGoesToOutlookReaderAsWorkCopy();
    void openAfterDropStoresOpenedFile();
    void reconnectsAfterRegistration_data();
    void reconnectsAfterRegistration();
    void messageSave();
    void readsDroppedData();

private:
    int storedCount();
    QString storedFtype(const QString& id);
    QString storedFileName(const QString& id);

    std::unique_ptr<QTemporaryDir> m_dir;
    std::unique_ptr<TDm_Ldb> m_dm;
    RecordingHost m_host;
    ParameterTable m_parameters;
    Settings m_settings;
    MessageInfo m_info;
    RecordingMessageView m_view;
    ScriptedPrompter m_prompter;
    ScriptedFileChooser m_files;
    std::unique_ptr<InternetMessageReader> m_reader;
    std::unique_ptr<DbConnectController> m_dbConnect;
    std::unique_ptr<MessageIntake> m_intake;
    QStringList m_outlookReads;
    int m_round = 0;
};

void TestMessageIntake::initTestCase()
{
    Delay::setScale(0);
}

void TestMessageIntake::init()
{
    m_dir = std::make_unique<QTemporaryDir>();
    const QString archive = m_dir->filePath(u"archive.fdb"_s);
    QVERIFY(StoreFixture::createArchive(archive));
    TDm_Ldb::Options options;
    options.connectionName = u"intake"_s + QString::number(++m_round);
    m_dm = std::make_unique<TDm_Ldb>(options);
    m_dm->setTarget(QString(), archive);
    QVERIFY(m_dm->create());

    m_host = RecordingHost();
    m_settings = Settings();
    m_settings.ReconnectFlg = false;
    m_info = MessageInfo();
    m_prompter.reset();
    m_files = ScriptedFileChooser();
    m_outlookReads.clear();
    for (int i = 1; i <= 10; ++i) {
        m_parameters.setValue(QString(u"MailAccount"_s + QString::number(i)), QString());
    }
    m_reader = std::make_unique<InternetMessageReader>(m_view, m_parameters, m_prompter, m_info);
    m_dbConnect = std::make_unique<DbConnectController>(*m_dm, m_parameters, m_host.host());
    m_intake = std::make_unique<MessageIntake>(m_info,
                                               m_settings,
                                               m_dir->filePath(u"data/mail_dat"_s),
                                               m_host.host(),
                                               *m_dbConnect,
                                               m_prompter,
                                               m_files,
                                               options.connectionName);
    MessageReaders readers;
    readers.internet = [this](const QString& path) {
        m_reader->ReadInternetMessage(path);
    };
    readers.outlook = [this](const QString& path) {
        m_outlookReads.append(path);
    };
    m_intake->setReaders(readers);
}

void TestMessageIntake::cleanup()
{
    QVERIFY2(m_prompter.unexpected().isEmpty(), qPrintable(m_prompter.unexpected().join(u" | "_s)));
    QCOMPARE(m_prompter.unusedAnswers(), 0);
    m_intake.reset();
    m_dbConnect.reset();
    m_reader.reset();
    m_dm.reset();
    m_dir.reset();
}

int TestMessageIntake::storedCount()
{
    QSqlQuery query(m_dm->database());
    if (!query.exec(u"select count(*) from Message_IdxTbl i join Message_DatTBL d on d.Message_ID = i.Message_ID "
                    "and d.Message_Date = i.Message_Date"_s)
        || !query.next()) {
        return -1;
    }
    return query.value(0).toInt();
}

QString TestMessageIntake::storedFtype(const QString& id)
{
    QSqlQuery query(m_dm->database());
    query.prepare(u"select Message_ftype from Message_IdxTbl where Message_ID = ?"_s);
    query.addBindValue(id);
    return query.exec() && query.next() ? query.value(0).toString().trimmed() : QString();
}

QString TestMessageIntake::storedFileName(const QString& id)
{
    QSqlQuery query(m_dm->database());
    query.prepare(u"select Message_FileName from Message_DatTBL where Message_ID = ?"_s);
    query.addBindValue(id);
    return query.exec() && query.next() ? query.value(0).toString() : QString();
}

void TestMessageIntake::openingAsksAndRegisters_data()
{
    QTest::addColumn<QStringList>("files");
    QTest::addColumn<QString>("answers");           // Y yes, N no, in the order asked
    QTest::addColumn<QStringList>("expectedTexts"); // every text shown, in order
    QTest::addColumn<int>("expectedStored");
    const QStringList three = {u"first.eml"_s, u"second.eml"_s, u"third.eml"_s};
    QTest::addRow("batch yes registers all three, the last included")
        << three << u"Y"_s << QStringList{kBatchQuestion} << 3;
    QTest::addRow("batch no asks per message, numbered 3 2 1") << three << u"NYYY"_s
                                                               << QStringList{kBatchQuestion,
                                                                              question(3, u"first.eml"_s),
                                                                              question(2, u"second.eml"_s),
                                                                              question(1, u"third.eml"_s)}
                                                               << 3;
    QTest::addRow("no to one message leaves it out") << three << u"NYNY"_s
                                                     << QStringList{kBatchQuestion,
                                                                    question(3, u"first.eml"_s),
                                                                    question(2, u"second.eml"_s),
                                                                    question(1, u"third.eml"_s)}
                                                     << 2;
    QTest::addRow("a text file among them is refused and counted off")
        << QStringList{u"first.eml"_s, u"note.txt"_s, u"second.eml"_s} << u"NYY"_s
        << QStringList{kBatchQuestion, question(3, u"first.eml"_s), kNotMail, question(1, u"second.eml"_s)} << 2;
    QTest::addRow("an unreadable first item means no batch question")
        << QStringList{u"note.txt"_s, u"first.eml"_s, u"second.eml"_s} << u"YY"_s
        << QStringList{kNotMail, question(2, u"first.eml"_s), question(1, u"second.eml"_s)} << 2;
    QTest::addRow("a single file asks nothing and stores nothing")
        << QStringList{u"first.eml"_s} << QString() << QStringList{} << 0;
}

void TestMessageIntake::openingAsksAndRegisters()
{
    QFETCH(QStringList, files);
    QFETCH(QString, answers);
    QFETCH(QStringList, expectedTexts);
    QFETCH(int, expectedStored);
    for (QString& file : files) {
        file = kData + file;
    }
    for (const QChar answer : std::as_const(answers)) {
        m_prompter.expect(answer == u'Y' ? Prompter::Answer::Yes : Prompter::Answer::No);
    }
    m_files.setNextFiles(files);
    m_intake->openMessages();
    QCOMPARE(m_prompter.texts(), expectedTexts);
    QCOMPARE(storedCount(), expectedStored);
    if (expectedStored > 0) {
        QCOMPARE(storedFtype(u"<first@example.com>"_s), u"0"_s); // read where it lies
        QCOMPARE(storedFileName(u"<first@example.com>"_s), u"first.eml"_s);
    }
    QCOMPARE(m_host.mode & 0x0001, 0); // what was read is not from the store
    QVERIFY(m_host.enabled.value(u"MessageSave"_s));
}

void TestMessageIntake::openDialogGetsFiltersAndRemembers()
{
    m_settings.MLRead_Path = u"/somewhere"_s;
    m_files.setNextFiles({kData + u"first.eml"_s});
    m_intake->openMessages();
    QCOMPARE(m_files.requests().size(), 1);
    const FileChooser::Request request = m_files.requests().first();
    QCOMPARE(request.filters,
             (QStringList{u"テキストファイル (*.txt)"_s,
                          u"E-Mailファイル(*.eml)"_s,
                          u"Outlook-Msgファイル(*.msg)"_s,
                          u"ASCファイル(*.asc)"_s,
                          u"DATファイル(*.dat)"_s,
                          u"全てのファイル(*.*)"_s}));
    QVERIFY(request.multiple);
    QCOMPARE(request.folder, u"/somewhere"_s);
    QCOMPARE(m_settings.MLRead_Path, QDir(kData).absolutePath());
    QCOMPARE(m_host.events, (QStringList{u"workbench off"_s, u"clear view"_s}));
    QCOMPARE(m_info.MessageFile, kData + u"first.eml"_s);
    QVERIFY(m_info.awk_MessageFile.isEmpty());

    // Cancelled: nothing is read, the view was cleared all the same.
    m_host.events.clear();
    m_intake->openMessages();
    QCOMPARE(m_host.events, (QStringList{u"workbench off"_s, u"clear view"_s}));
}

void TestMessageIntake::dropStopsAtNonMessage()
{
    ListDropItems items;
    items.add(u"first.eml"_s, readAll(kData + u"first.eml"_s));
    items.add(u"report.pdf"_s, QByteArray("%PDF-1.4"));
    items.add(u"second.eml"_s, readAll(kData + u"second.eml"_s));
    m_prompter.expect(Prompter::Answer::Yes);
    m_intake->drop(items);
    QCOMPARE(m_prompter.texts(), (QStringList{kBatchQuestion, kNotMail}));
    QCOMPARE(storedCount(), 1);
    QCOMPARE(storedFtype(u"<first@example.com>"_s), u"1"_s); // stored from its work copy
    QVERIFY(!QFileInfo::exists(m_dir->filePath(u"data/mail_dat/second.eml"_s)));
    QVERIFY(!QFileInfo::exists(m_dir->filePath(u"data/mail_dat/report.pdf"_s)));
}

void TestMessageIntake::dropRefusesBlankId_data()
{
    QTest::addColumn<QString>("answers"); // Y yes, N no, in the order asked
    QTest::addColumn<QStringList>("expectedTexts");
    QTest::addRow("batch: status text, next message stored") << u"Y"_s << QStringList{kBatchQuestion};
    QTest::addRow("per message: a message box")
        << u"NYY"_s
        << QStringList{kBatchQuestion,
                       question(2, u"no-id.eml"_s),
                       u"MessageIDが不明です\r\nこのメールデータはDB更新できません"_s,
                       question(1, u"first.eml"_s)};
}

void TestMessageIntake::dropRefusesBlankId()
{
    QFETCH(QString, answers);
    QFETCH(QStringList, expectedTexts);
    for (const QChar answer : std::as_const(answers)) {
        m_prompter.expect(answer == u'Y' ? Prompter::Answer::Yes : Prompter::Answer::No);
    }
    ListDropItems items;
    items.add(u"no-id.eml"_s, readAll(kData + u"no-id.eml"_s));
    items.add(u"first.eml"_s, readAll(kData + u"first.eml"_s));
    m_intake->drop(items);
    QCOMPARE(m_prompter.texts(), expectedTexts);
    QCOMPARE(storedCount(), 1);
    if (expectedTexts.size() == 1) {
        QVERIFY(m_host.status2.contains(u"このメールデータはDB更新できません"_s));
    }
}

void TestMessageIntake::droppedNameStaysInsideMailDat_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("expected");
    QTest::addRow("parent folders") << u"../../evil.eml"_s << u"evil.eml"_s;
    QTest::addRow("absolute path") << u"/tmp/absolute.eml"_s << u"absolute.eml"_s;
    QTest::addRow("backslashes") << u"..\\..\\windows.eml"_s << u"windows.eml"_s;
    QTest::addRow("sub folder") << u"sub/dir/deep.eml"_s << u"deep.eml"_s;
}

void TestMessageIntake::droppedNameStaysInsideMailDat()
{
    QFETCH(QString, name);
    QFETCH(QString, expected);
    const QByteArray bytes = readAll(kData + u"first.eml"_s);
    ListDropItems items;
    items.add(name, bytes);
    m_intake->drop(items); // a single item: shown, nothing asked
    const QString mailDat = m_dir->filePath(u"data/mail_dat"_s);
    QCOMPARE(m_info.awk_MessageFile, mailDat + u'/' + expected);
    QCOMPARE(readAll(m_info.awk_MessageFile), bytes);
    QCOMPARE(QDir(mailDat).entryList(QDir::Files), QStringList{expected});
    QVERIFY(!QFileInfo::exists(m_dir->filePath(expected)));
    QVERIFY(m_info.MessageFile.isEmpty());
    QVERIFY(m_host.enabled.value(u"DBUpdate"_s));
    QCOMPARE(m_intake->DBUpdate(), MessageRegistrar::Outcome::Inserted);
    QCOMPARE(storedFileName(u"<first@example.com>"_s), expected);
    QCOMPARE(storedFtype(u"<first@example.com>"_s), u"1"_s);
}

void TestMessageIntake::droppedItemWithoutContents()
{
    ListDropItems items;
    items.add(u"lost.eml"_s, QByteArray());
    m_intake->drop(items);
    QCOMPARE(m_prompter.texts(), QStringList{u"** メール内容が読めませんでした **"_s});
    const QFileInfo work(m_dir->filePath(u"data/mail_dat/lost.eml"_s));
    QVERIFY(work.exists());
    QCOMPARE(work.size(), 0);
}

void TestMessageIntake::copiesStreamInBlocks_data()
{
    QTest::addColumn<qint64>("announced");
    QTest::addColumn<qint64>("available");
    QTest::addColumn<qint64>("perRead");
    QTest::addColumn<QList<qint64>>("expectedBlocks");
    QTest::addRow("300000 bytes") << qint64(300000) << qint64(300000) << qint64(1 << 30)
                                  << QList<qint64>{131072, 131072, 37856};
    QTest::addRow("300000 bytes in small reads")
        << qint64(300000) << qint64(300000) << qint64(1000) << QList<qint64>{131072, 131072, 37856};
    QTest::addRow("small item") << qint64(100) << qint64(100) << qint64(1 << 30) << QList<qint64>{100};
    QTest::addRow("stream ends early: what was read is kept")
        << qint64(300000) << qint64(200000) << qint64(1 << 30) << QList<qint64>{131072, 68928};
    QTest::addRow("bytes beyond the announced size are not read")
        << qint64(1000) << qint64(5000) << qint64(1 << 30) << QList<qint64>{1000};
    QTest::addRow("announces nothing") << qint64(0) << qint64(0) << qint64(1 << 30) << QList<qint64>{};
}

void TestMessageIntake::copiesStreamInBlocks()
{
    QFETCH(qint64, announced);
    QFETCH(qint64, available);
    QFETCH(qint64, perRead);
    QFETCH(QList<qint64>, expectedBlocks);
    AnnouncingStream stream(announced, available, perRead);
    RecordingSink sink;
    MessageIntake::copyStream(stream, sink);
    QCOMPARE(sink.blocks, expectedBlocks);
    for (qsizetype i = 0; i < sink.bytes.size(); i += 4099) {
        QCOMPARE(static_cast<unsigned char>(sink.bytes.at(i)), static_cast<unsigned char>(i % 251));
    }
}

void TestMessageIntake::openedMsgGoesToOutlookReaderAsWorkCopy()
{
    const QString chosen = m_dir->filePath(u"Outlook Item.msg"_s);
    QFile file(chosen);
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write("not really a compound file");
    file.close();
    m_files.setNextFiles({chosen});
    m_intake->openMessages();
    const QString work = m_dir->filePath(u"data/mail_dat/Outlook Item.msg"_s);
    QCOMPARE(m_outlookReads, QStringList{work});
    QCOMPARE(readAll(work), QByteArray("not really a compound file"));
    QCOMPARE(m_info.MessageFile, chosen);
    QCOMPARE(m_info.awk_MessageFile, work);
    QVERIFY(m_prompter.texts().isEmpty());
}

void TestMessageIntake::openAfterDropStoresOpenedFile()
{
    ListDropItems items;
    items.add(u"first.eml"_s, readAll(kData + u"first.eml"_s));
    m_intake->drop(items);
    m_files.setNextFiles({kData + u"second.eml"_s});
    m_intake->openMessages();
    QCOMPARE(m_intake->DBUpdate(), MessageRegistrar::Outcome::Inserted);
    QCOMPARE(storedCount(), 1);
    QCOMPARE(storedFileName(u"<second@example.jp>"_s), u"second.eml"_s);
    QCOMPARE(storedFtype(u"<second@example.jp>"_s), u"0"_s);
}

void TestMessageIntake::reconnectsAfterRegistration_data()
{
    QTest::addColumn<bool>("reconnect");
    QTest::addColumn<bool>("batch");
    QTest::addRow("Reconnect 1 opens the list") << true << false;
    QTest::addRow("Reconnect 0 leaves it closed") << false << false;
    QTest::addRow("a batch opens the list once, at its end") << true << true;
}

void TestMessageIntake::reconnectsAfterRegistration()
{
    QFETCH(bool, reconnect);
    QFETCH(bool, batch);
    m_settings.ReconnectFlg = reconnect;
    if (batch) {
        QSignalSpy running(m_intake.get(), &MessageIntake::runningChanged);
        m_prompter.expect(Prompter::Answer::Yes);
        m_files.setNextFiles({kData + u"first.eml"_s, kData + u"second.eml"_s, kData + u"third.eml"_s});
        m_intake->openMessages();
        QCOMPARE(storedCount(), 3);
        QCOMPARE(m_host.performed, QStringList{u"DBConnect"_s});
        QCOMPARE(running.size(), 2);
        return;
    }
    m_files.setNextFiles({kData + u"third.eml"_s});
    m_intake->openMessages();
    QCOMPARE(m_intake->DBUpdate(), MessageRegistrar::Outcome::Inserted);
    QCOMPARE(m_host.status2.constLast(), u"DB更新が完了しました"_s);
    QVERIFY(!m_host.enabled.value(u"DBUpdate"_s));
    QCOMPARE(m_host.performed.contains(u"DBConnect"_s), reconnect);
}

void TestMessageIntake::messageSave()
{
    // A message from the store is exported from the store.
    m_host.mode = 0x0001;
    m_intake->MessageSave();
    QCOMPARE(m_host.performed, QStringList{u"ExprtMsgFile"_s});
    QVERIFY(m_files.requests().isEmpty());

    // An opened file is copied as it is.
    m_files.setNextFiles({kData + u"first.eml"_s});
    m_intake->openMessages();
    const QString target = m_dir->filePath(u"saved/copy.eml"_s);
    QDir().mkpath(m_dir->filePath(u"saved"_s));
    m_files.setNextFiles({target});
    m_intake->MessageSave();
    QCOMPARE(m_files.requests().constLast().fileName, u"first.eml"_s);
    QCOMPARE(readAll(target), readAll(kData + u"first.eml"_s));
    QCOMPARE(m_settings.MLStore_Path, m_dir->filePath(u"saved"_s));

    // After a drop the raw text of the Data tab is written, UTF-8 with a byte-order mark and CR LF.
    MessageIntake::Window window;
    window.dataMemoText = [] {
        return u"line one\nline two"_s;
    };
    m_intake->setWindow(window);
    ListDropItems items;
    items.add(u"first.eml"_s, readAll(kData + u"first.eml"_s));
    m_intake->drop(items);
    const QString memoTarget = m_dir->filePath(u"saved/memo.txt"_s);
    m_files.setNextFiles({memoTarget});
    m_intake->MessageSave();
    QCOMPARE(readAll(memoTarget), QByteArray("\xEF\xBB\xBFline one\r\nline two\r\n"));
}

void TestMessageIntake::readsDroppedData()
{
    // A wide file group descriptor naming two items, and the first item's contents.
    QByteArray descriptor(4 + 2 * 592, '\0');
    qToLittleEndian<quint32>(2, descriptor.data());
    const QStringList names = {u"件名.eml"_s, u"second.msg"_s};
    for (int i = 0; i < names.size(); ++i) {
        char* name = descriptor.data() + 4 + i * 592 + 72;
        for (int k = 0; k < names.at(i).size(); ++k) {
            qToLittleEndian<char16_t>(names.at(i).at(k).unicode(), name + 2 * k);
        }
    }
    QMimeData virtualFiles;
    virtualFiles.setData(u"FileGroupDescriptorW"_s, descriptor);
    virtualFiles.setData(u"FileContents"_s, QByteArray("Message-ID: <x@y>\r\n\r\nbody"));
    QVERIFY(MimeDropItems::canRead(virtualFiles));
    MimeDropItems fromVirtual(virtualFiles);
    QCOMPARE(fromVirtual.count(), 2);
    QCOMPARE(fromVirtual.name(0), u"件名.eml"_s);
    QCOMPARE(fromVirtual.name(1), u"second.msg"_s);
    std::unique_ptr<QIODevice> first = fromVirtual.contents(0);
    QVERIFY(first);
    QCOMPARE(first->readAll(), QByteArray("Message-ID: <x@y>\r\n\r\nbody"));

    // Files from a file manager.
    QMimeData files;
    files.setUrls({QUrl::fromLocalFile(kData + u"first.eml"_s), QUrl(u"https://example.com/x.eml"_s)});
    QVERIFY(MimeDropItems::canRead(files));
    MimeDropItems fromFiles(files);
    QCOMPARE(fromFiles.count(), 1);
    QCOMPARE(fromFiles.name(0), u"first.eml"_s);
    std::unique_ptr<QIODevice> stream = fromFiles.contents(0);
    QVERIFY(stream);
    QCOMPARE(stream->readAll(), readAll(kData + u"first.eml"_s));

    QMimeData text;
    text.setText(u"plain text"_s);
    QVERIFY(!MimeDropItems::canRead(text));
}

QTEST_GUILESS_MAIN(TestMessageIntake)
#include "TestMessageIntake.moc"
