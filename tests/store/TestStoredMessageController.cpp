#include <QDir>
#include <QFile>
#include <QMap>
#include <QSqlQuery>
#include <QTemporaryDir>
#include <QTest>

#include "app/core/Delay.h"
#include "app/core/ParameterTable.h"
#include "reader/MessageInfo.h"
#include "store/ExportFileName.h"
#include "store/MessageListModel.h"
#include "store/StoreFixture.h"
#include "store/StoredMessageController.h"
#include "store/TDm_Ldb.h"
#include "support/ScriptedFileChooser.h"
#include "support/ScriptedPrompter.h"

using namespace Qt::StringLiterals;

namespace {

// The main window as the commands see it: records what it is told.
class RecordingWindow final : public PmodeWord, public CommandSwitchboard, public StatusPanels, public ShownMessagePlace
{
public:
    quint16 pmode() const override { return mode; }
    void setPmode(quint16 value) override { mode = value; }
    bool isCommandEnabled(const QString& name) const override { return enabled.value(name, false); }
    void setCommandEnabled(const QString& name, bool on) override { enabled[name] = on; }
    void setCommandChecked(const QString& name, bool on) override { checked[name] = on; }
    void performCommand(const QString&) override {}
    void setConnectImage(int) override {}
    void setStatusText(int panel, const QString& text) override { status[panel] = text; }
    bool isTabVisible(Tab tab) const override { return visibleTabs.contains(tab); }
    void activateTab(Tab tab) override { activated.append(tab); }
    void normalWindowStyle() override { ++normalStyleCalls; }

    quint16 mode = 0;
    QMap<QString, bool> enabled;
    QMap<QString, bool> checked;
    QMap<int, QString> status;
    QList<Tab> visibleTabs;
    QList<Tab> activated;
    int normalStyleCalls = 0;
};

} // namespace

// Showing, exporting and deleting the stored message of the list's current
// row, over a real archive.
class TestStoredMessageController final : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void initTestCase();
    void init();
    void cleanup();
    void exportNames_data();
    void exportNames();
    void exportWritesTheChosenFile_data();
    void exportWritesTheChosenFile();
    void exportCancelledKeepsTheWorkCopy();
    void exportCopyFailureIsReported();
    void displayReadsTheWorkCopyAndRemovesIt();
    void displayOfTheShownMessageOnlyBringsItsTab_data();
    void displayOfTheShownMessageOnlyBringsItsTab();
    void displayRefusesOtherFiles();
    void storedNameStaysInsideTheWorkFolder();
    void missingFileRowIsReported();
    void deleteAnsweredNoKeepsTheMessage();
    void deleteRemovesBothRowsAndRefreshes();
    void deletingTheLastMessageDisablesTheCommands();
    void failedDeletionKeepsBothRows();

private:
    void setStoredFile(const QString& id, const QString& fileName, const QString& ext);
    void selectRow(const QString& id);

    QTemporaryDir m_dir;
    QString m_path;
    QString m_mailDat;
    QString m_storePath;
    int m_row = -1;
    ScriptedPrompter m_prompter;
    ScriptedFileChooser m_files;
    std::unique_ptr<RecordingWindow> m_window;
    std::unique_ptr<TDm_Ldb> m_dm;
    std::unique_ptr<ParameterTable> m_parameters;
    std::unique_ptr<MessageInfo> m_info;
    std::unique_ptr<StoredMessageController> m_controller;
    QStringList m_read;
};

void TestStoredMessageController::initTestCase()
{
    Delay::setScale(0.01);
    m_mailDat = m_dir.filePath(u"data/mail_dat"_s);
    m_storePath = m_dir.filePath(u"export"_s);
    QVERIFY(QDir().mkpath(m_storePath));
}

void TestStoredMessageController::init()
{
    // A fresh archive for every test: some of them delete.
    m_path = m_dir.filePath(u"archive-%1.fdb"_s.arg(QString::fromLatin1(QTest::currentTestFunction())));
    QFile::remove(m_path);
    QVERIFY(StoreFixture::createArchive(m_path));
    {
        QSqlDatabase db = StoreFixture::open(m_path, u"fill"_s);
        using StoreFixture::at;
        QVERIFY(StoreFixture::insert(
            db,
            {
                {u"<report@x>"_s, at(u"2024-05-01 09:07:00"_s), u"Report"_s, u"佐藤"_s, u"b"_s, u"report.eml"_s},
                {u"<older@x>"_s, at(u"2024-04-01 08:00:00"_s), u"Older"_s, u"鈴木"_s, u"b"_s, u"older.eml"_s},
            }));
        db.close();
    }
    QSqlDatabase::removeDatabase(u"fill"_s);

    m_prompter.reset();
    m_window = std::make_unique<RecordingWindow>();
    TDm_Ldb::Options options;
    options.dataFolder = m_dir.path();
    m_dm = std::make_unique<TDm_Ldb>(options);
    m_dm->setTarget({}, m_path);
    QVERIFY(m_dm->create());
    QVERIFY(m_dm->openList());
    m_parameters = std::make_unique<ParameterTable>();
    m_info = std::make_unique<MessageInfo>();
    m_controller = std::make_unique<StoredMessageController>(StoredMessageController::Environment{*m_dm,
                                                                                                  *m_window,
                                                                                                  *m_window,
                                                                                                  *m_window,
                                                                                                  *m_window,
                                                                                                  *m_info,
                                                                                                  *m_parameters,
                                                                                                  m_storePath,
                                                                                                  m_mailDat,
                                                                                                  m_prompter,
                                                                                                  m_files});
    m_row = -1;
    m_controller->setCurrentRow([this] { return m_row; });
    m_read.clear();
    m_controller->setReaders({[this](const QString& path) {
                                  m_read << u"eml "_s + path;
                                  QVERIFY(QFile::exists(path));
                              },
                              [this](const QString& path) { m_read << u"msg "_s + path; },
                              [this] { m_read << u"reset counter"_s; },
                              [] {
                                  return QString();
                              }});
}

void TestStoredMessageController::cleanup()
{
    QVERIFY2(m_prompter.unexpected().isEmpty(), qPrintable(m_prompter.unexpected().join(u" | "_s)));
    QCOMPARE(m_prompter.unusedAnswers(), 0);
    m_controller.reset();
    m_dm.reset();
    QDir(m_mailDat).removeRecursively();
}

void TestStoredMessageController::setStoredFile(const QString& id, const QString& fileName, const QString& ext)
{
    QSqlQuery query(m_dm->database());
    QVERIFY(
        query.prepare(u"update Message_DatTBL set Message_FileName = ?, Message_FileExt = ? where Message_ID = ?"_s));
    query.addBindValue(fileName);
    query.addBindValue(ext);
    query.addBindValue(id);
    QVERIFY(query.exec());
}

void TestStoredMessageController::selectRow(const QString& id)
{
    const MessageListModel& list = m_dm->list();
    for (int row = 0; row < list.rowCount(); ++row) {
        if (list.keyAt(row).id == id) {
            m_row = row;
            return;
        }
    }
    QFAIL("row not listed");
}

void TestStoredMessageController::exportNames_data()
{
    QTest::addColumn<QString>("nameTemplate");
    QTest::addColumn<QString>("subject");
    QTest::addColumn<QString>("storedName");
    QTest::addColumn<QString>("proposed");
    QTest::addRow("default template") << u"[Subject]_[DateTime]"_s << u"Report"_s << u"a.eml"_s
                                      << u"Report_202405010907.eml"_s;
    QTest::addRow("date in any letter case, .msg")
        << u"[date]-[Subject]"_s << u"Report"_s << u"a.msg"_s << u"20240501-Report.msg"_s;
    QTest::addRow("DateTime only as written") << u"[datetime]"_s << u"Report"_s << u"a.eml"_s << u"[datetime].eml"_s;
    QTest::addRow("subject in any letter case") << u"[SUBJECT] [subject]"_s << u"R"_s << u"a.eml"_s << u"R R.eml"_s;
    QTest::addRow("subject kept as it is") << u"[Subject]"_s << u"a/b:c"_s << u"a.eml"_s << u"a/b:c.eml"_s;
    QTest::addRow("no extension stored") << u"[Date]"_s << u"x"_s << u"noext"_s << u"20240501"_s;
}

void TestStoredMessageController::exportNames()
{
    QFETCH(QString, nameTemplate);
    QFETCH(QString, subject);
    QFETCH(QString, storedName);
    QFETCH(QString, proposed);
    const QDateTime date(QDate(2024, 5, 1), QTime(9, 7));
    QCOMPARE(ExportFileName::proposedName(ExportFileName::build(nameTemplate, subject, date), storedName), proposed);
    QCOMPARE(ExportFileName::proposedName(QString(), storedName), storedName);
}

void TestStoredMessageController::exportWritesTheChosenFile_data()
{
    QTest::addColumn<QString>("parameter");
    QTest::addColumn<QString>("storedName");
    QTest::addColumn<QString>("storedExt");
    QTest::addColumn<QString>("proposed");
    QTest::addColumn<QString>("filter");
    QTest::addRow("unset template becomes the default")
        << u"Dummy Data"_s << u"report.eml"_s << u".eml"_s << u"Report_202405010907.eml"_s << u"emlファイル (*.eml)"_s;
    QTest::addRow("empty template becomes the default")
        << QString() << u"report.EML"_s << u".EML"_s << u"Report_202405010907.EML"_s << u"emlファイル (*.eml)"_s;
    QTest::addRow("msg file") << u"[date]-[Subject]"_s << u"report.msg"_s << u".msg"_s << u"20240501-Report.msg"_s
                              << u"msgファイル (*.msg)"_s;
    QTest::addRow("other file") << u"[Subject]"_s << u"report.txt"_s << u".txt"_s << u"Report.txt"_s
                                << u"textファイル (*.txt)"_s;
}

void TestStoredMessageController::exportWritesTheChosenFile()
{
    QFETCH(QString, parameter);
    QFETCH(QString, storedName);
    QFETCH(QString, storedExt);
    QFETCH(QString, proposed);
    QFETCH(QString, filter);
    m_parameters->setValue(u"ExpFileName", parameter);
    setStoredFile(u"<report@x>"_s, storedName, storedExt);
    selectRow(u"<report@x>"_s);
    const QString chosen = QDir(m_storePath).filePath(proposed);
    QFile::remove(chosen);
    m_files.setNextFiles({chosen});
    m_controller->ExprtMsgFile();

    const FileChooser::Request request = m_files.requests().last();
    QCOMPARE(request.fileName, proposed);
    QCOMPARE(request.filters, QStringList{filter});
    QCOMPARE(request.folder, m_storePath);
    if (parameter.isEmpty() || parameter == u"Dummy Data"_s) {
        QCOMPARE(m_parameters->value(u"ExpFileName"), u"[Subject]_[DateTime]"_s);
    }
    QFile written(chosen);
    QVERIFY(written.open(QIODevice::ReadOnly));
    QCOMPARE(written.readAll(), QByteArray("From: a@example.com\r\n\r\nbody\r\n"));
    QCOMPARE(m_window->status.value(2), u"保存完了"_s);
    QVERIFY(QDir(m_mailDat).isEmpty());
}

void TestStoredMessageController::exportCancelledKeepsTheWorkCopy()
{
    m_files.setNextFiles({QString()});
    m_controller->ExprtMsgFile(); // no current row chosen: the first (newest) row counts
    QCOMPARE(m_files.requests().last().fileName, u"Report_202405010907.eml"_s);
    QVERIFY(QFile::exists(QDir(m_mailDat).filePath(u"report.eml"_s)));
    QVERIFY(m_window->status.value(2).isEmpty());
}

void TestStoredMessageController::exportCopyFailureIsReported()
{
    m_files.setNextFiles({m_dir.filePath(u"no/such/folder/x.eml"_s)});
    m_controller->ExprtMsgFile();
    QCOMPARE(m_prompter.texts(u"error"_s).size(), 1);
    QVERIFY(m_prompter.texts(u"error"_s).first().startsWith(u"Error executing copyFile "_s));
    QVERIFY(QDir(m_mailDat).isEmpty());
}

void TestStoredMessageController::displayReadsTheWorkCopyAndRemovesIt()
{
    selectRow(u"<older@x>"_s);
    m_controller->DispMsgDat();
    const QString workCopy = QDir(m_mailDat).filePath(u"older.eml"_s);
    QCOMPARE(m_read, (QStringList{u"reset counter"_s, u"eml "_s + workCopy}));
    QCOMPARE(m_info->awk_MessageFile, workCopy);
    QVERIFY(!QFile::exists(workCopy));
    QCOMPARE(m_window->mode & StoredMessageController::fromStore, StoredMessageController::fromStore);
    QCOMPARE(m_window->status.value(2), u"メッセージを読込中です -- お待ちください"_s);
    QVERIFY(m_window->enabled.value(u"MessageSave"_s));
}

void TestStoredMessageController::displayOfTheShownMessageOnlyBringsItsTab_data()
{
    using Tab = ShownMessagePlace::Tab;
    QTest::addColumn<QList<ShownMessagePlace::Tab>>("visible");
    QTest::addColumn<QList<ShownMessagePlace::Tab>>("activated");
    QTest::addRow("HTML first") << QList{Tab::Bibliography, Tab::Attachment1, Tab::Html} << QList{Tab::Html};
    QTest::addRow("then attachments") << QList{Tab::Bibliography, Tab::Attachment1} << QList{Tab::Attachment1};
    QTest::addRow("then bibliography") << QList{Tab::Bibliography} << QList{Tab::Bibliography};
    QTest::addRow("nothing visible") << QList<Tab>{} << QList<Tab>{};
}

void TestStoredMessageController::displayOfTheShownMessageOnlyBringsItsTab()
{
    QFETCH(QList<ShownMessagePlace::Tab>, visible);
    QFETCH(QList<ShownMessagePlace::Tab>, activated);
    m_window->visibleTabs = visible;
    // The same id with another date counts as shown: only the id is compared.
    m_info->Message_ID = u"<report@x>"_s;
    selectRow(u"<report@x>"_s);
    m_controller->DispMsgDat();
    QCOMPARE(m_read, QStringList{u"reset counter"_s});
    QCOMPARE(m_window->activated, activated);
    QVERIFY(!QFileInfo::exists(m_mailDat) || QDir(m_mailDat).isEmpty());
}

void TestStoredMessageController::displayRefusesOtherFiles()
{
    setStoredFile(u"<report@x>"_s, u"report.txt"_s, u".txt"_s);
    m_controller->DispMsgDat();
    QCOMPARE(m_prompter.texts(u"error"_s), QStringList{u"メールファイルではありません"_s});
    QVERIFY(QDir(m_mailDat).isEmpty());
    QVERIFY(m_window->enabled.value(u"MessageSave"_s));
}

void TestStoredMessageController::storedNameStaysInsideTheWorkFolder()
{
    setStoredFile(u"<report@x>"_s, u"../../escaped.eml"_s, u".eml"_s);
    m_controller->DispMsgDat();
    QCOMPARE(m_read.last(), u"eml "_s + QDir(m_mailDat).filePath(u"escaped.eml"_s));
    QVERIFY(!QFile::exists(m_dir.filePath(u"escaped.eml"_s)));
}

void TestStoredMessageController::missingFileRowIsReported()
{
    QSqlQuery query(m_dm->database());
    QVERIFY(query.exec(u"delete from Message_DatTBL where Message_ID = '<report@x>'"_s));
    m_controller->DispMsgDat();
    QCOMPARE(m_prompter.texts(u"error"_s).size(), 1);
    QCOMPARE(m_read, QStringList{u"reset counter"_s});
}

void TestStoredMessageController::deleteAnsweredNoKeepsTheMessage()
{
    m_prompter.expect(Prompter::Answer::No);
    m_controller->DelMsgDat();
    QCOMPARE(
        m_prompter.texts(u"question"_s),
        QStringList{
            u"【件名】：Report\r\n【日時】：2024/05/01 9:07:00\r\n【送信者】：佐藤\r\nこのメールデータを削除しますか?"_s});
    QCOMPARE(m_window->status.value(2), u"削除処理をキャンセルしました"_s);
    QCOMPARE(m_dm->list().rowCount(), 2);
}

void TestStoredMessageController::deleteRemovesBothRowsAndRefreshes()
{
    selectRow(u"<report@x>"_s);
    m_prompter.expect(Prompter::Answer::Yes);
    m_controller->DelMsgDat();
    QCOMPARE(m_window->status.value(2), u"メッセージデータを削除しました"_s);
    QCOMPARE(m_dm->list().rowCount(), 1);
    QCOMPARE(m_dm->list().keyAt(0).id, u"<older@x>"_s);
    QSqlQuery query(m_dm->database());
    QVERIFY(query.exec(u"select count(*) from Message_DatTBL"_s) && query.next());
    QCOMPARE(query.value(0).toInt(), 1);
    for (const QString& name :
         {u"DBSelect"_s, u"DispMsgDat"_s, u"DelMsgDat"_s, u"ExprtMsgFile"_s, u"SetListFontSize"_s}) {
        QVERIFY2(m_window->enabled.value(name), qPrintable(name));
    }
}

void TestStoredMessageController::deletingTheLastMessageDisablesTheCommands()
{
    m_prompter.expect(Prompter::Answer::Yes);
    m_controller->DelMsgDat();
    m_prompter.expect(Prompter::Answer::Yes);
    m_controller->DelMsgDat();
    QCOMPARE(m_dm->list().rowCount(), 0);
    for (const QString& name :
         {u"DBSelect"_s, u"DispMsgDat"_s, u"DelMsgDat"_s, u"ExprtMsgFile"_s, u"SetListFontSize"_s}) {
        QVERIFY2(m_window->enabled.contains(name) && !m_window->enabled.value(name), qPrintable(name));
    }
}

void TestStoredMessageController::failedDeletionKeepsBothRows()
{
    // The index row refuses to go: the file row must not be gone either.
    QSqlQuery ddl(m_dm->database());
    QVERIFY(ddl.exec(u"create exception keep_index 'index rows stay'"_s));
    QVERIFY(ddl.exec(u"create trigger keep_index_rows for Message_IdxTbl before delete as "
                     "begin exception keep_index; end"_s));
    m_prompter.expect(Prompter::Answer::Yes);
    m_controller->DelMsgDat();
    QCOMPARE(m_prompter.texts(u"error"_s).size(), 1);
    QVERIFY(m_prompter.texts(u"error"_s).first().endsWith(u"\r\n削除できませんでした。"_s));
    QSqlQuery query(m_dm->database());
    QVERIFY(query.exec(u"select count(*) from Message_DatTBL"_s) && query.next());
    QCOMPARE(query.value(0).toInt(), 2);
    QCOMPARE(m_dm->list().rowCount(), 2);
}

QTEST_GUILESS_MAIN(TestStoredMessageController)
#include "TestStoredMessageController.moc"
