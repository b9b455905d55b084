#include <QAction>
#include <QApplication>
#include <QDir>
#include <QFileInfo>
#include <QLabel>
#include <QLineEdit>
#include <QMenuBar>
#include <QProcess>
#include <QStandardPaths>
#include <QTabWidget>
#include <QTableWidget>
#include <QTest>
#include <QToolBar>
#include <QUrl>

#include "app/TFrmTdw.h"
#include "app/core/IniFile.h"
#include "app/core/ParameterTable.h"
#include "app/core/SideFile.h"
#include "store/TDBListFrm.h"
#include "store/TDm_Ldb.h"
#include "support/ScriptedFileChooser.h"
#include "support/ScriptedPrompter.h"

using namespace Qt::StringLiterals;

class TestFrmTdw final : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void init();
    void cleanup();
    void firstRunOpensWithDefaults();
    void actionsStartEnabledAsListed_data();
    void actionsStartEnabledAsListed();
    void menusAndButtonBarInOrder();
    void tabsStartAsListed();
    void tabTogglesShowAndRemember();
    void parameterGridKeysAreFixed();
    void closingWritesEveryParameterRow();
    void closingRemovesWorkingFolders();
    void closingWithAFolderHeldShowsTheWarning();
    void storedSettingsAreRestored();
    void helpArgumentSavesNothing();
    void themeChoiceAsksBeforeRestarting_data();
    void themeChoiceAsksBeforeRestarting();
    void helpActionsOpenTheirPages();
    void clearMessageViewEmptiesAndHides();
    void dbConnectOpensAndClosesTheList();
    void listFloatsOnTabDoubleClickAndDocksBackWhenClosed();
    void workbenchAndSenderCloseTheList();

private:
    std::unique_ptr<TFrmTdw> makeWindow(const QStringList& arguments = {});
    [[nodiscard]] QString dataPath() const;
    [[nodiscard]] QString programPath() const;

    ScriptedPrompter m_prompter;
    ScriptedFileChooser m_files;
};

QString TestFrmTdw::dataPath() const
{
    return QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation) + u"/Kestrelon/TW_ArchiveDB"_s;
}

QString TestFrmTdw::programPath() const
{
    return QCoreApplication::applicationDirPath() + u"/tidewell"_s;
}

std::unique_ptr<TFrmTdw> TestFrmTdw::makeWindow(const QStringList& arguments)
{
    // As at start-up: the window, then the data module.
    auto window =
        std::make_unique<TFrmTdw>(DataFolders(programPath()), m_prompter, m_files, StartupArguments::parse(arguments));
    window->createDataModule();
    return window;
}

void TestFrmTdw::init()
{
    m_prompter.reset();
    QDir(dataPath()).removeRecursively();
    QVERIFY(QDir().mkpath(dataPath()));
}

void TestFrmTdw::cleanup()
{
    QVERIFY2(m_prompter.unexpected().isEmpty(), qPrintable(m_prompter.unexpected().join(u" | ")));
    QCOMPARE(m_prompter.unusedAnswers(), 0);
}

void TestFrmTdw::firstRunOpensWithDefaults()
{
    auto window = makeWindow();
    // A newcomer gets an archive in the data folder, opened embedded and named in the title.
    QCOMPARE(window->settings().Ldb_Path1, dataPath() + u"/Tidewell.fdb"_s);
    QCOMPARE(window->windowTitle(), u"Tidewell 管理 -- Tidewell.fdb"_s);
    QCOMPARE(SideFile::readText(dataPath() + u"/$FormTitle.txt"_s), u"Tidewell 管理 -- Tidewell.fdb"_s);
    QVERIFY(window->dataModule().Semafore_Flg());
    QVERIFY(window->action(u"DBConnect"_s)->isEnabled());
    QCOMPARE(window->pos(), QPoint(50, 50));
    QCOMPARE(window->size(), QSize(640, 480));
    QCOMPARE(window->folders().dataPath(), dataPath());
    QVERIFY(QFileInfo(dataPath() + u"/mail_dat"_s).isDir());
    QVERIFY(window->state().common_ConfigFlg);
    QCOMPARE(window->state().pmode, quint16(0));
}

void TestFrmTdw::actionsStartEnabledAsListed_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("caption");
    QTest::addColumn<bool>("enabled");
    const QList<std::tuple<QString, QString, bool>> rows = {
        {u"MessageOpen"_s, u"メールを開く (&O)"_s, true},
        {u"MessageSave"_s, u"メールを保存する (&M)"_s, false},
        {u"FontBarShow"_s, u"フォントメニューバー表示 (&F)"_s, false},
        {u"ButtonBarShow"_s, u"ボタンメニューバー表示 (&B)"_s, false},
        {u"FileExit1"_s, u"終了(&X)"_s, true},
        {u"DBUpdate"_s, u"DB更新 (&D)"_s, false},
        {u"DBConnect"_s, u"DB接続 (&C)"_s, true},
        {u"DBSelect"_s, u"DB検索 (&R)"_s, true},
        {u"DispMsgDat"_s, u"メッセージの表示 (&M)"_s, false},
        {u"ExprtMsgFile"_s, u"メッセージファイルのエクスポート (&E)"_s, false},
        {u"DBBackup"_s, u"DBファイルのバックアップ (&B)"_s, true},
        {u"MLSender"_s, u"メールの一斉送信 (&S)"_s, true},
        {u"DBFileSet"_s, u"DBファイル設定(&D)"_s, true},
        {u"DispTAB1"_s, u"書誌情報TAB(&T)"_s, true},
        {u"DispTAB3"_s, u"パラメータ設定TAB(&A)"_s, true},
        {u"Theme0"_s, u"システム設定を使用する(&Z)"_s, true},
        {u"Theme1"_s, u"ライト(&Y)"_s, true},
        {u"Theme2"_s, u"ダーク (&D)"_s, true},
        {u"Theme3"_s, u"オーロラ(&W)"_s, true},
        {u"Theme4"_s, u"クラシック(&X)"_s, true},
        {u"Hcontents"_s, u"目次 (&I)"_s, true},
        {u"Hkeyword"_s, u"キーワード(&Y)"_s, true},
        {u"About"_s, u"バージョン情報 (&V)"_s, true},
        {u"Zoom_DecMgn"_s, u"表示倍率－"_s, false},
        {u"Zoom_IncMgn"_s, u"表示倍率＋"_s, false},
    };
    for (const auto& [name, caption, enabled] : rows) {
        QTest::addRow("%s", qPrintable(name)) << name << caption << enabled;
    }
}

void TestFrmTdw::actionsStartEnabledAsListed()
{
    QFETCH(QString, name);
    QFETCH(QString, caption);
    QFETCH(bool, enabled);
    auto window = makeWindow();
    QAction* action = window->action(name);
    QVERIFY2(action, qPrintable(u"no action named "_s + name));
    QCOMPARE(action->text(), caption);
    QCOMPARE(action->isEnabled(), enabled);
}

void TestFrmTdw::menusAndButtonBarInOrder()
{
    auto window = makeWindow();
    auto* menu = window->findChild<QMenuBar*>(u"MainMenuBar"_s);
    QVERIFY(menu);
    QStringList titles;
    for (QAction* item : menu->actions()) {
        titles.append(item->text());
    }
    QCOMPARE(titles, (QStringList{u"ファイル (&F)"_s, u"操作 (&C)"_s, u"設定 (&S)"_s, u"ヘルプ (&H)"_s}));
    auto* bar = window->findChild<QToolBar*>(u"ButtonBar"_s);
    QVERIFY(bar);
    QStringList buttons;
    for (QAction* item : bar->actions()) {
        buttons.append(item->objectName() + u'=' + item->iconText());
    }
    QCOMPARE(buttons,
             (QStringList{u"MessageOpen=メールを開く"_s,
                          u"DBUpdate=DB更新"_s,
                          u"DBConnect=DB接続"_s,
                          u"DBSelect=DB検索"_s,
                          u"Zoom_DecMgn=縮小表示"_s,
                          u"Zoom_IncMgn=拡大表示"_s}));
    QCOMPARE(window->action(u"EditorPrint"_s)->shortcut(), QKeySequence(u"Ctrl+P"_s));
}

void TestFrmTdw::tabsStartAsListed()
{
    auto window = makeWindow();
    auto* pages = window->findChild<QTabWidget*>(u"PageControl1"_s);
    QVERIFY(pages);
    QStringList captions;
    for (int i = 0; i < pages->count(); ++i) {
        captions.append(pages->tabText(i) + (pages->isTabVisible(i) ? u"+"_s : u"-"_s));
    }
    // First run: the two optional tabs follow their settings, which default to hidden.
    QCOMPARE(captions,
             (QStringList{u"HTML-"_s,
                          u"添付ファイルⅠ-"_s,
                          u"添付ファイルⅡ-"_s,
                          u"書誌情報-"_s,
                          u"パラメータ設定-"_s,
                          u"Data-"_s,
                          u"DB File処理-"_s,
                          u"Mail 送信-"_s}));
}

void TestFrmTdw::tabTogglesShowAndRemember()
{
    {
        auto window = makeWindow();
        QAction* tab3 = window->action(u"DispTAB3"_s);
        QVERIFY(!tab3->isChecked());
        tab3->trigger();
        QVERIFY(tab3->isChecked());
        QVERIFY(window->isTabVisible(window->tab(u"ParameterTab"_s)));
        window->close();
    }
    const IniFile ini(dataPath() + u"/tidewell.ini"_s);
    QCOMPARE(ini.readString(u"Condition", u"TAB3_Visible"), u"1"_s);
    QCOMPARE(ini.readString(u"Condition", u"TAB1_Visible"), u"0"_s);
    auto again = makeWindow();
    QVERIFY(again->action(u"DispTAB3"_s)->isChecked());
    QVERIFY(again->isTabVisible(again->tab(u"ParameterTab"_s)));
    again->action(u"DispTAB3"_s)->trigger();
    QVERIFY(!again->isTabVisible(again->tab(u"ParameterTab"_s)));
}

void TestFrmTdw::parameterGridKeysAreFixed()
{
    auto window = makeWindow();
    auto* grid = window->findChild<QTableWidget*>(u"ValueListEditor1"_s);
    QVERIFY(grid);
    QCOMPARE(grid->rowCount(), ParameterTable::keys().size());
    QCOMPARE(grid->item(0, 0)->text(), u"ExpFileName"_s);
    QVERIFY(!(grid->item(0, 0)->flags() & Qt::ItemIsEditable));
    QVERIFY(grid->item(0, 1)->flags() & Qt::ItemIsEditable);
    QCOMPARE(grid->item(0, 1)->text(), u"Dummy Data"_s);
    grid->item(7, 1)->setText(u"120"_s); // ZOOM
    QCOMPARE(window->settings().parameters.value(u"ZOOM"), u"120"_s);
    window->settings().parameters.setValue(u"ZOOM", u"70"_s); // a consumer writing its default back
    QCOMPARE(grid->item(7, 1)->text(), u"70"_s);
}

void TestFrmTdw::closingWritesEveryParameterRow()
{
    makeWindow()->close();
    const IniFile ini(dataPath() + u"/tidewell.ini"_s);
    for (const QString& key : ParameterTable::keys()) {
        QCOMPARE(ini.readString(u"Condition", key), key == u"Reconnect"_s ? u"1"_s : u"Dummy Data"_s);
    }
    QCOMPARE(ini.readString(u"Window", u"Left"), u"50"_s);
    QCOMPARE(ini.readString(u"DBGrid", u"FieldName_9"), u"MAILBODY"_s);
}

void TestFrmTdw::closingRemovesWorkingFolders()
{
    auto window = makeWindow();
    const QString web = dataPath() + u"/tidewell.WebView2/EBWebView"_s;
    QVERIFY(QDir().mkpath(web));
    QVERIFY(QDir().mkpath(dataPath() + u"/mail_dat/2nd"_s));
    window->close();
    QVERIFY(!QFileInfo::exists(dataPath() + u"/tidewell.WebView2"_s));
    QVERIFY(!QFileInfo::exists(dataPath() + u"/mail_dat"_s));
}

void TestFrmTdw::closingWithAFolderHeldShowsTheWarning()
{
    auto window = makeWindow();
    const QString held = dataPath() + u"/mail_dat/held.eml"_s;
    QFile file(held);
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.close();
    // An immutable file stands in for a file another program keeps open; root cannot delete it either.
    if (QProcess::execute(u"chattr"_s, {u"+i"_s, held}) != 0) {
        QSKIP("this file system cannot mark a file immutable");
    }
    window->close();
    QProcess::execute(u"chattr"_s, {u"-i"_s, held});
    QCOMPARE(m_prompter.texts(u"error"_s), QStringList{u"フォルダーが残されています"_s});
    QVERIFY(!window->isVisible());
    // The settings were still written.
    QVERIFY(QFileInfo::exists(dataPath() + u"/tidewell.ini"_s));
}

void TestFrmTdw::storedSettingsAreRestored()
{
    QFile ini(dataPath() + u"/tidewell.ini"_s);
    QVERIFY(ini.open(QIODevice::WriteOnly));
    ini.write("[Window]\r\nLeft=120\r\nTop=80\r\nWidth=600\r\nHeight=400\r\nPanel1Height=200\r\n"
              "[Condition]\r\nTAB1_Visible=1\r\nZOOM=90\r\nFontSize=12\r\n");
    ini.close();
    auto window = makeWindow();
    QCOMPARE(window->pos(), QPoint(120, 80));
    QCOMPARE(window->size(), QSize(600, 400));
    QVERIFY(window->isTabVisible(window->tab(u"BibliographyTab"_s)));
    QVERIFY(window->action(u"DispTAB1"_s)->isChecked());
    QCOMPARE(window->settings().parameters.value(u"ZOOM"), u"90"_s);
    window->close();
    const IniFile saved(dataPath() + u"/tidewell.ini"_s);
    QCOMPARE(saved.readString(u"Condition", u"FontSize"), u"12"_s);
    QCOMPARE(saved.readString(u"Window", u"Width"), u"600"_s);
}

void TestFrmTdw::helpArgumentSavesNothing()
{
    auto window = makeWindow({u"--HELP"_s});
    QCOMPARE(m_prompter.texts(u"information"_s),
             QStringList{u"コマンドライン引数\r\n0:Win/1:ライト/2:ダーク/3:Win10"_s});
    QVERIFY(!window->state().common_ConfigFlg);
    window->close();
    QVERIFY(!QFileInfo::exists(dataPath() + u"/tidewell.ini"_s));
}

void TestFrmTdw::themeChoiceAsksBeforeRestarting_data()
{
    QTest::addColumn<int>("chosen");
    QTest::addColumn<int>("answer");
    QTest::addColumn<bool>("restarted");
    QTest::addRow("same theme asks nothing") << 0 << -1 << false;
    QTest::addRow("No keeps the previous theme") << 2 << int(Prompter::Answer::No) << false;
    QTest::addRow("Yes saves the theme and restarts") << 2 << int(Prompter::Answer::Yes) << true;
}

void TestFrmTdw::themeChoiceAsksBeforeRestarting()
{
    QFETCH(int, chosen);
    QFETCH(int, answer);
    QFETCH(bool, restarted);
    auto window = makeWindow();
    bool didRestart = false;
    window->setRestarter([&] { didRestart = true; });
    if (answer >= 0) {
        m_prompter.expect(static_cast<Prompter::Answer>(answer));
    }
    window->show();
    window->action(u"Theme"_s + QString::number(chosen))->trigger();
    QCOMPARE(didRestart, restarted);
    QCOMPARE(m_prompter.texts().size(), answer >= 0 ? 1 : 0);
    if (answer >= 0) {
        QCOMPARE(m_prompter.texts().first(), u"スタイル変更を有効にするために\r\nプログラムを再起動します"_s);
    }
    QCOMPARE(window->action(u"Theme0"_s)->isChecked(), !restarted);
    if (restarted) {
        QCOMPARE(IniFile(dataPath() + u"/tidewell.ini"_s).readString(u"Condition", u"Theme"), u"2"_s);
    }
}

void TestFrmTdw::helpActionsOpenTheirPages()
{
    auto window = makeWindow();
    QList<QUrl> opened;
    window->setUrlOpener([&](const QUrl& url) {
        opened.append(url);
        return true;
    });
    window->action(u"Hcontents"_s)->trigger();
    window->action(u"Hkeyword"_s)->trigger();
    QCOMPARE(opened.size(), 2);
    QVERIFY(opened.at(0).toLocalFile().endsWith(u"/help/index.html"_s));
    QVERIFY(opened.at(1).toLocalFile().endsWith(u"/help/keyword.html"_s));
}

void TestFrmTdw::clearMessageViewEmptiesAndHides()
{
    auto window = makeWindow();
    window->setTabVisible(window->tab(u"HtmlTab"_s), true);
    window->setTabVisible(window->tab(u"Attachment1Tab"_s), true);
    window->action(u"MessageSave"_s)->setEnabled(true);
    window->action(u"Zoom_IncMgn"_s)->setEnabled(true);
    window->state().TnefFlg = true;
    auto* subject = window->findChild<QLineEdit*>(u"Message_SubjectEdit"_s);
    QVERIFY(subject);
    subject->setText(u"件名"_s);
    window->ClearMessageView();
    QVERIFY(subject->text().isEmpty());
    QVERIFY(!window->isTabVisible(window->tab(u"HtmlTab"_s)));
    QVERIFY(!window->isTabVisible(window->tab(u"Attachment1Tab"_s)));
    QVERIFY(!window->action(u"MessageSave"_s)->isEnabled());
    QVERIFY(!window->action(u"Zoom_IncMgn"_s)->isEnabled());
    QVERIFY(!window->state().TnefFlg);
}

void TestFrmTdw::dbConnectOpensAndClosesTheList()
{
    auto window = makeWindow();
    window->show();
    QAction* connectDb = window->action(u"DBConnect"_s);
    connectDb->trigger();
    QVERIFY(window->state().pmode & TFrmTdw::kListOpen);
    QVERIFY(connectDb->isChecked());
    QCOMPARE(window->statusText(2), u"DBと接続しました"_s);
    auto* pages = window->findChild<QTabWidget*>(u"PageControl1"_s);
    QCOMPARE(pages->tabText(pages->currentIndex()), u"DB List View"_s);
    QVERIFY(window->listWindow());
    // An empty archive offers nothing to show, export or delete.
    QVERIFY(!window->action(u"DispMsgDat"_s)->isEnabled());
    connectDb->trigger();
    QVERIFY(!(window->state().pmode & TFrmTdw::kListOpen));
    QVERIFY(!connectDb->isChecked());
    QCOMPARE(pages->indexOf(window->listWindow()), -1);
    window->close();
    // The lock file beside the archive is gone with the window.
    QVERIFY(!QFileInfo::exists(dataPath() + u"/Semafore"_s));
}

void TestFrmTdw::listFloatsOnTabDoubleClickAndDocksBackWhenClosed()
{
    auto window = makeWindow();
    window->show();
    window->action(u"DBConnect"_s)->trigger();
    auto* pages = window->findChild<QTabWidget*>(u"PageControl1"_s);
    TDBListFrm* list = window->listWindow();
    QVERIFY(list);
    Q_EMIT pages->tabBarDoubleClicked(pages->indexOf(list));
    QVERIFY(list->isWindow());
    QCOMPARE(pages->indexOf(list), -1);
    QVERIFY(window->state().pmode & TFrmTdw::kListUndocked);
    list->resize(500, 300); // a floating size is remembered for the next start

    list->close();
    QTRY_VERIFY(pages->indexOf(list) >= 0);
    QVERIFY(!list->isWindow());
    QCOMPARE(pages->currentWidget(), list);
    window->close();
    const IniFile ini(dataPath() + u"/tidewell.ini"_s);
    QCOMPARE(ini.readInteger(u"LWindow", u"Width", 0), 500);
}

void TestFrmTdw::workbenchAndSenderCloseTheList()
{
    auto window = makeWindow();
    window->action(u"DBConnect"_s)->trigger();
    QVERIFY(window->state().pmode & TFrmTdw::kListOpen);
    window->action(u"MLSender"_s)->trigger();
    QVERIFY(!(window->state().pmode & TFrmTdw::kListOpen));
    QVERIFY(window->isTabVisible(window->tab(u"SenderTab"_s)));
    window->action(u"DBBackup"_s)->trigger();
    QVERIFY(!window->action(u"MLSender"_s)->isChecked());
    QVERIFY(!window->isTabVisible(window->tab(u"SenderTab"_s)));
    QVERIFY(window->isTabVisible(window->tab(u"BackupTab"_s)));
}

QTEST_MAIN(TestFrmTdw)
#include "TestFrmTdw.moc"
