#include "app/TFrmTdw.h"

#include <QAction>
#include <QActionGroup>
#include <QApplication>
#include <QCloseEvent>
#include <QDesktopServices>
#include <QDir>
#include <QFileInfo>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMenu>
#include <QMenuBar>
#include <QPlainTextEdit>
#include <QPrintDialog>
#include <QPrinter>
#include <QProcess>
#include <QScreen>
#include <QSplitter>
#include <QStatusBar>
#include <QStyle>
#include <QTabWidget>
#include <QTableView>
#include <QTextEdit>
#include <QToolBar>
#include <QUrl>
#include <QVBoxLayout>

#include "app/Appearance.h"
#include "app/FontBar.h"
#include "app/ParameterGrid.h"
#include "app/TAboutBox.h"
#include "app/WindowMessageView.h"
#include "app/WindowStoreHost.h"
#include "app/core/Delay.h"
#include "app/core/FileChooser.h"
#include "app/core/FolderTree.h"
#include "app/core/IniFile.h"
#include "app/core/Prompter.h"
#include "app/core/SideFile.h"
#include "reader/AttachmentListPanel.h"
#include "reader/AttachmentLists.h"
#include "reader/HtmlView.h"
#include "reader/HtmlZoom.h"
#include "reader/InternetMessageReader.h"
#include "reader/OpenAndWait.h"
#include "reader/OutlookMessageReader.h"
#include "reader/gpg/GpgDecryptor.h"
#include "store/DbConnectController.h"
#include "store/IntakeProgressBar.h"
#include "store/ListWindowDock.h"
#include "store/MessageDropZone.h"
#include "store/MessageIntake.h"
#include "store/SearchController.h"
#include "store/StoredMessageController.h"
#include "store/TDBListFrm.h"
#include "store/TDBSelectFrm.h"
#include "store/TDm_Ldb.h"

using namespace Qt::StringLiterals;

namespace {

QIcon themedIcon(const QString& name, QStyle::StandardPixmap fallback)
{
    return QIcon::fromTheme(name, QApplication::style()->standardIcon(fallback));
}

} // namespace

TFrmTdw::TFrmTdw(const DataFolders& folders,
                 Prompter& prompter,
                 FileChooser& files,
                 const StartupArguments& arguments,
                 QWidget* parent)
    : QMainWindow(parent)
    , m_folders(folders)
    , m_prompter(prompter)
    , m_files(files)
    , m_arguments(arguments)
{
    setObjectName(u"FrmTdw"_s);
    setWindowTitle(baseTitle());
    m_openUrl = [](const QUrl& url) {
        return QDesktopServices::openUrl(url);
    };
    m_restart = [] {
        QProcess::startDetached(QCoreApplication::applicationFilePath(), {});
    };

    createActions();
    createMenus();
    createCentralArea();
    createToolBars();
    createStatusBar();
    m_messageView = std::make_unique<WindowMessageView>(*this);
    m_reader =
        std::make_unique<InternetMessageReader>(*m_messageView, m_settings.parameters, m_prompter, m_messageInfo);
    m_gpg = std::make_unique<GpgDecryptor>(m_settings.parameters, m_prompter, m_files, m_folders.mailDat());
    connect(
        m_gpg.get(), &GpgDecryptor::statusTextChanged, this, [this](const QString& text) { setStatusText(2, text); });
    connect(m_gpg.get(), &GpgDecryptor::bodyTextReady, this, [this](const QString& text, GpgDecryptor::Job job) {
        m_messageText->setPlainText(text);
        if (job == GpgDecryptor::Job::Body || job == GpgDecryptor::Job::BareFile) {
            m_messageInfo.MailBody = text;
        }
    });
    connect(this, &TFrmTdw::messageViewCleared, m_gpg.get(), &GpgDecryptor::abandonRunningJobs);
    connectDecryptionToLists();

    // The theme chosen on the command line counts for this run only.
    if (m_arguments.theme) {
        m_appliedTheme = *m_arguments.theme;
        Appearance::apply(m_appliedTheme);
    }

    setTabVisible(m_dataTab, false);
    ClearMessageView();
    if (m_arguments.help) {
        // Nothing is loaded and nothing will be saved; the program ends after the usage text.
        createStore();
        createSearch();
        m_prompter.information(StartupArguments::usage());
        return;
    }
    m_state.common_ConfigFlg = true;
    loadSettings();
    measureScreen();
    restoreFromSettings();
    createStore();
    createSearch();
    createIntake();
    QDir().mkpath(m_folders.mailDat());
}

TFrmTdw::~TFrmTdw() = default;

QString TFrmTdw::baseTitle()
{
    return QCoreApplication::translate("TFrmTdw", "Tidewell 管理");
}

QAction* TFrmTdw::addAction(const QString& name, const QString& text, bool enabled)
{
    auto* action = new QAction(text, this);
    action->setObjectName(name);
    action->setEnabled(enabled);
    return action;
}

QAction* TFrmTdw::action(const QString& name) const
{
    return findChild<QAction*>(name, Qt::FindDirectChildrenOnly);
}

QWidget* TFrmTdw::tab(const QString& objectName) const
{
    for (int i = 0; i < m_pageControl->count(); ++i) {
        if (m_pageControl->widget(i)->objectName() == objectName) {
            return m_pageControl->widget(i);
        }
    }
    return nullptr;
}

bool TFrmTdw::isTabVisible(QWidget* page) const
{
    const int index = m_pageControl->indexOf(page);
    return index >= 0 && m_pageControl->isTabVisible(index);
}

void TFrmTdw::setTabVisible(QWidget* page, bool visible)
{
    const int index = m_pageControl->indexOf(page);
    if (index >= 0) {
        m_pageControl->setTabVisible(index, visible);
    }
}

void TFrmTdw::createActions()
{
    auto* open = addAction(u"MessageOpen"_s, tr("メールを開く (&O)"), true);
    open->setIconText(tr("メールを開く"));
    open->setIcon(themedIcon(u"document-open"_s, QStyle::SP_DialogOpenButton));
    addAction(u"MessageSave"_s, tr("メールを保存する (&M)"), false);
    auto* fontBarShow = addAction(u"FontBarShow"_s, tr("フォントメニューバー表示 (&F)"), false);
    auto* buttonBarShow = addAction(u"ButtonBarShow"_s, tr("ボタンメニューバー表示 (&B)"), false);
    auto* exit = addAction(u"FileExit1"_s, tr("終了(&X)"), true);
    exit->setToolTip(tr("終了"));
    exit->setStatusTip(tr("アプリケーションを終了します"));
    exit->setIcon(themedIcon(u"application-exit"_s, QStyle::SP_DialogCloseButton));

    auto* update = addAction(u"DBUpdate"_s, tr("DB更新 (&D)"), false);
    update->setIconText(tr("DB更新"));
    update->setIcon(themedIcon(u"document-save"_s, QStyle::SP_DialogSaveButton));
    auto* connectDb = addAction(u"DBConnect"_s, tr("DB接続 (&C)"), true);
    connectDb->setIconText(tr("DB接続"));
    connectDb->setIcon(themedIcon(u"network-offline"_s, QStyle::SP_DriveNetIcon));
    auto* select = addAction(u"DBSelect"_s, tr("DB検索 (&R)"), true);
    select->setIconText(tr("DB検索"));
    select->setIcon(themedIcon(u"edit-find"_s, QStyle::SP_FileDialogContentsView));
    connectDb->setCheckable(true);
    addAction(u"DispMsgDat"_s, tr("メッセージの表示 (&M)"), false);
    addAction(u"ExprtMsgFile"_s, tr("メッセージファイルのエクスポート (&E)"), false);
    addAction(u"DelMsgDat"_s, tr("メッセージの削除 (&D)"), false);
    addAction(u"SetListFontSize"_s, tr("フォントサイズ"), false);
    auto* backup = addAction(u"DBBackup"_s, tr("DBファイルのバックアップ (&B)"), true);
    backup->setCheckable(true);
    auto* sender = addAction(u"MLSender"_s, tr("メールの一斉送信 (&S)"), true);
    sender->setCheckable(true);
    addAction(u"DBFileSet"_s, tr("DBファイル設定(&D)"), true);
    auto* tab1 = addAction(u"DispTAB1"_s, tr("書誌情報TAB(&T)"), true);
    tab1->setCheckable(true);
    tab1->setChecked(true);
    auto* tab3 = addAction(u"DispTAB3"_s, tr("パラメータ設定TAB(&A)"), true);
    tab3->setCheckable(true);

    const QStringList themeCaptions = {tr("システム設定を使用する(&Z)"),
                                       tr("ライト(&Y)"),
                                       tr("ダーク (&D)"),
                                       tr("オーロラ(&W)"),
                                       tr("クラシック(&X)")};
    auto* themes = new QActionGroup(this);
    for (int i = 0; i < themeCaptions.size(); ++i) {
        auto* theme = addAction(u"Theme"_s + QString::number(i), themeCaptions.at(i), true);
        theme->setCheckable(true);
        themes->addAction(theme);
        connect(theme, &QAction::triggered, this, [this, i] { chooseTheme(i); });
    }
    addAction(u"Hcontents"_s, tr("目次 (&I)"), true);
    addAction(u"Hkeyword"_s, tr("キーワード(&Y)"), true);
    addAction(u"About"_s, tr("バージョン情報 (&V)"), true);

    auto* zoomOut = addAction(u"Zoom_DecMgn"_s, tr("表示倍率－"), false);
    zoomOut->setIconText(tr("縮小表示"));
    zoomOut->setIcon(themedIcon(u"zoom-out"_s, QStyle::SP_ArrowDown));
    auto* zoomIn = addAction(u"Zoom_IncMgn"_s, tr("表示倍率＋"), false);
    zoomIn->setIconText(tr("拡大表示"));
    zoomIn->setIcon(themedIcon(u"zoom-in"_s, QStyle::SP_ArrowUp));
    createAttachmentLists();
    auto* print = addAction(u"EditorPrint"_s, tr("テキストメッセージ印刷 (&T)"), false);
    print->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_P));
    print->setShortcutContext(Qt::WindowShortcut);

    connect(exit, &QAction::triggered, this, &QWidget::close);
    connect(backup, &QAction::triggered, this, [this](bool on) { switchMode(u"DBBackup"_s, on); });
    connect(sender, &QAction::triggered, this, [this](bool on) { switchMode(u"MLSender"_s, on); });
    connect(open, &QAction::triggered, this, &TFrmTdw::openMessages);
    connect(zoomIn, &QAction::triggered, this, [this] { zoom(true); });
    connect(zoomOut, &QAction::triggered, this, [this] { zoom(false); });
    connect(tab1, &QAction::toggled, this, [this](bool on) { setTabVisible(m_bibliographyTab, on); });
    connect(tab3, &QAction::toggled, this, [this](bool on) { setTabVisible(m_parameterTab, on); });
    connect(action(u"Hcontents"_s), &QAction::triggered, this, [this] { openHelp(u"index.html"_s); });
    connect(action(u"Hkeyword"_s), &QAction::triggered, this, [this] { openHelp(u"keyword.html"_s); });
    connect(action(u"About"_s), &QAction::triggered, this, &TFrmTdw::showAbout);
    connect(fontBarShow, &QAction::triggered, this, [this, fontBarShow] {
        layOutBand();
        m_fontBar->show();
        fontBarShow->setEnabled(false);
    });
    connect(buttonBarShow, &QAction::triggered, this, [this, buttonBarShow] {
        layOutBand();
        m_buttonBar->show();
        buttonBarShow->setEnabled(false);
    });
    connect(print, &QAction::triggered, this, [this] {
        QPrinter printer;
        QPrintDialog dialog(&printer, this);
        if (dialog.exec() == QDialog::Accepted) {
            m_messageText->print(&printer);
        }
    });
}

void TFrmTdw::createMenus()
{
    // The menu bar is one of the dockable bars of the band at the top, like the button and font bars.
    auto* menu = new QMenuBar(this);
    menu->setObjectName(u"MainMenuBar"_s);
    menu->setNativeMenuBar(false);
    m_menuBand = new QToolBar(tr("メニューバー"), this);
    m_menuBand->setObjectName(u"MenuBand"_s);
    m_menuBand->addWidget(menu);
    QMenu* file = menu->addMenu(tr("ファイル (&F)"));
    file->addAction(action(u"MessageOpen"_s));
    file->addAction(action(u"MessageSave"_s));
    file->addSeparator();
    file->addAction(action(u"FontBarShow"_s));
    file->addAction(action(u"ButtonBarShow"_s));
    file->addSeparator();
    file->addAction(action(u"FileExit1"_s));

    QMenu* operate = menu->addMenu(tr("操作 (&C)"));
    operate->addAction(action(u"DBUpdate"_s));
    operate->addAction(action(u"DBConnect"_s));
    operate->addAction(action(u"DBSelect"_s));
    operate->addSeparator();
    operate->addAction(action(u"DispMsgDat"_s));
    operate->addAction(action(u"ExprtMsgFile"_s));
    operate->addSeparator();
    operate->addAction(action(u"DBBackup"_s));
    operate->addAction(action(u"MLSender"_s));

    QMenu* settings = menu->addMenu(tr("設定 (&S)"));
    settings->addAction(action(u"DBFileSet"_s));
    settings->addSeparator();
    settings->addAction(action(u"DispTAB1"_s));
    settings->addAction(action(u"DispTAB3"_s));
    settings->addSeparator();
    QMenu* themes = settings->addMenu(tr("アプリ・テーマ設定 (&Z)"));
    themes->setObjectName(u"ThemeMenu"_s);
    for (int i = 0; i < Appearance::kThemes; ++i) {
        themes->addAction(action(u"Theme"_s + QString::number(i)));
    }

    QMenu* help = menu->addMenu(tr("ヘルプ (&H)"));
    help->addAction(action(u"Hcontents"_s));
    help->addAction(action(u"Hkeyword"_s));
    help->addSeparator();
    help->addAction(action(u"About"_s));
}

void TFrmTdw::createToolBars()
{
    m_fontBar = new FontBar(*m_messageText, this);
    m_buttonBar = new QToolBar(tr("ボタンメニューバー"), this);
    m_buttonBar->setObjectName(u"ButtonBar"_s);
    m_buttonBar->setToolButtonStyle(Qt::ToolButtonTextUnderIcon);
    for (const QString& name :
         {u"MessageOpen"_s, u"DBUpdate"_s, u"DBConnect"_s, u"DBSelect"_s, u"Zoom_DecMgn"_s, u"Zoom_IncMgn"_s}) {
        m_buttonBar->addAction(action(name));
    }

    for (auto [bar, show] : {std::pair<QToolBar*, QString>{m_buttonBar, u"ButtonBarShow"_s},
                             std::pair<QToolBar*, QString>{m_fontBar, u"FontBarShow"_s}}) {
        QAction* showAction = action(show);
        connect(bar, &QToolBar::topLevelChanged, showAction, [showAction](bool floating) {
            showAction->setEnabled(floating);
        });
        connect(bar, &QToolBar::visibilityChanged, showAction, [showAction, bar](bool visible) {
            showAction->setEnabled(!visible || bar->isFloating());
        });
    }
    layOutBand();
}

void TFrmTdw::layOutBand()
{
    // The menu bar and the font bar side by side, the button bar on the row below; a bar
    // that floats comes back to its place.
    for (QToolBar* bar : std::initializer_list<QToolBar*>{m_menuBand, m_fontBar, m_buttonBar}) {
        removeToolBar(bar);
    }
    addToolBar(Qt::TopToolBarArea, m_menuBand);
    addToolBar(Qt::TopToolBarArea, m_fontBar);
    addToolBarBreak(Qt::TopToolBarArea);
    addToolBar(Qt::TopToolBarArea, m_buttonBar);
    for (QToolBar* bar : std::initializer_list<QToolBar*>{m_menuBand, m_fontBar, m_buttonBar}) {
        bar->show();
    }
}

void TFrmTdw::createCentralArea()
{
    m_splitter = new QSplitter(Qt::Vertical, this);
    m_splitter->setObjectName(u"Splitter1"_s);
    m_splitter->setChildrenCollapsible(false);

    m_upperPanel = new QWidget(m_splitter);
    m_upperPanel->setObjectName(u"Panel1"_s);
    auto* upperLayout = new QVBoxLayout(m_upperPanel);
    upperLayout->setContentsMargins(2, 2, 2, 2);
    upperLayout->setSpacing(2);
    m_dropHint = new QLabel(tr("ここにメッセージ(ファイル)をドロップしてください"), m_upperPanel);
    m_dropHint->setObjectName(u"DropHintLabel"_s);
    m_dropHint->setAutoFillBackground(true);
    m_dropHint->setBackgroundRole(QPalette::ToolTipBase);
    m_dropHint->setForegroundRole(QPalette::ToolTipText);
    m_dropHint->setContentsMargins(6, 3, 6, 3);
    m_messageText = new QTextEdit(m_upperPanel);
    m_messageText->setObjectName(u"MessageText"_s);
    m_messageText->setReadOnly(true);
    m_messageText->setContextMenuPolicy(Qt::ActionsContextMenu);
    m_messageText->addActions({action(u"EditorPrint"_s), action(u"FontBarShow"_s), action(u"ButtonBarShow"_s)});
    m_messageText->installEventFilter(this);
    upperLayout->addWidget(m_dropHint);
    upperLayout->addWidget(m_messageText, 1);
    connect(m_messageText, &QTextEdit::cursorPositionChanged, this, &TFrmTdw::updateCaretPosition);
    connect(m_messageText, &QTextEdit::textChanged, this, [this] { setStatusText(1, QString()); });

    m_pageControl = new QTabWidget(m_splitter);
    m_pageControl->setObjectName(u"PageControl1"_s);
    m_splitter->addWidget(m_upperPanel);
    m_splitter->addWidget(m_pageControl);
    m_splitter->setStretchFactor(1, 1);

    auto addPage = [this](const QString& name, const QString& caption) {
        auto* page = new QWidget(m_pageControl);
        page->setObjectName(name);
        m_pageControl->addTab(page, caption);
        return page;
    };
    m_htmlTab = addPage(u"HtmlTab"_s, u"HTML"_s);
    auto* htmlLayout = new QVBoxLayout(m_htmlTab);
    htmlLayout->setContentsMargins(0, 0, 0, 0);
    m_htmlView = new HtmlView(m_folders.webViewUserDataPath(), m_htmlTab);
    m_htmlView->setObjectName(u"HtmlView"_s);
    htmlLayout->addWidget(m_htmlView);

    m_attachment1Tab = addPage(u"Attachment1Tab"_s, tr("添付ファイルⅠ"));
    m_attachmentList1 = m_attachmentLists->listI(m_attachment1Tab);
    (new QVBoxLayout(m_attachment1Tab))->addWidget(m_attachmentList1);

    m_attachment2Tab = addPage(u"Attachment2Tab"_s, tr("添付ファイルⅡ"));
    m_attachmentList2 = m_attachmentLists->listII(m_attachment2Tab);
    (new QVBoxLayout(m_attachment2Tab))->addWidget(m_attachmentList2);

    m_bibliographyTab = addPage(u"BibliographyTab"_s, tr("書誌情報"));
    auto* form = new QFormLayout(m_bibliographyTab);
    const QStringList labels = {tr("メッセージ ID:"),
                                tr("受信日時:"),
                                tr("アカウント キー:"),
                                tr("送信名(差出人):"),
                                tr("送信アドレス(差出人):"),
                                tr("受信名(アカウント):"),
                                tr("受信アドレス(宛先):"),
                                tr("題目(メール件名):")};
    const QStringList fields = {u"Message_ID"_s,
                                u"Message_Date"_s,
                                u"Account_Key"_s,
                                u"Sender_Name"_s,
                                u"Sender_Address"_s,
                                u"Recieve_Name"_s,
                                u"Recieve_Address"_s,
                                u"Message_Subject"_s};
    for (int i = 0; i < labels.size(); ++i) {
        auto* edit = new QLineEdit(m_bibliographyTab);
        edit->setObjectName(fields.at(i) + u"Edit"_s);
        form->addRow(labels.at(i), edit);
        m_bibliography.append(edit);
    }

    m_parameterTab = addPage(u"ParameterTab"_s, tr("パラメータ設定"));
    m_parameterGrid = new ParameterGrid(m_settings.parameters, m_parameterTab);
    (new QVBoxLayout(m_parameterTab))->addWidget(m_parameterGrid);

    m_dataTab = addPage(u"DataTab"_s, u"Data"_s);
    auto* dataLayout = new QHBoxLayout(m_dataTab);
    m_rawMemo = new QPlainTextEdit(m_dataTab);
    m_rawMemo->setObjectName(u"Memo1"_s);
    m_bodyMemo = new QPlainTextEdit(m_dataTab);
    m_bodyMemo->setObjectName(u"Memo2"_s);
    dataLayout->addWidget(m_rawMemo);
    dataLayout->addWidget(m_bodyMemo);

    m_backupTab = addPage(u"BackupTab"_s, tr("DB File処理"));
    m_senderTab = addPage(u"SenderTab"_s, tr("Mail 送信"));
    setTabVisible(m_backupTab, false);
    setTabVisible(m_senderTab, false);
    setTabVisible(m_bibliographyTab, true);
    setTabVisible(m_parameterTab, false);

    setCentralWidget(m_splitter);
}

void TFrmTdw::createStatusBar()
{
    for (int i = 0; i < 3; ++i) {
        m_statusPanels[i] = new QLabel(this);
        m_statusPanels[i]->setObjectName(u"StatusPanel"_s + QString::number(i));
        statusBar()->addWidget(m_statusPanels[i], i == 2 ? 1 : 0);
    }
    statusBar()->installEventFilter(this);
}

void TFrmTdw::measureScreen()
{
    const QScreen* current = screen() ? screen() : QGuiApplication::primaryScreen();
    m_state.CDpi = current ? qRound(current->logicalDotsPerInch()) : 96;
    m_state.CFunc = m_state.CDpi / 96.0;
    m_statusPanels[0]->setFixedWidth(qRound(140 * m_state.CFunc));
    m_statusPanels[1]->setFixedWidth(qRound(50 * m_state.CFunc));
    m_splitter->setHandleWidth(qRound(5 * m_state.CFunc));
    const int icon = m_state.CDpi <= 120 ? 24 : (m_state.CDpi <= 191 ? 32 : 48);
    m_buttonBar->setIconSize(QSize(icon, icon));
}

void TFrmTdw::loadSettings()
{
    const IniFile ini(m_folders.iniFilePath());
    const QStringList recipients = SideFile::readLines(m_folders.sideFile(u"$MailAddressList.txt"_s));
    const QScreen* current = QGuiApplication::primaryScreen();
    m_settings.load(ini, {current ? current->availableVirtualGeometry() : QRect(), int(recipients.size())});
    if (!m_arguments.theme) {
        m_appliedTheme = m_settings.StyleNum;
        Appearance::apply(m_appliedTheme);
    }
}

void TFrmTdw::restoreFromSettings()
{
    const Settings& s = m_settings;
    move(s.windowGeometry.topLeft());
    resize(s.windowGeometry.size());
    m_splitter->setSizes({s.panel1Height, std::max(1, s.windowGeometry.height() - s.panel1Height)});
    action(u"DispTAB1"_s)->setChecked(s.tab1Visible);
    action(u"DispTAB3"_s)->setChecked(s.tab3Visible);
    setTabVisible(m_bibliographyTab, s.tab1Visible);
    setTabVisible(m_parameterTab, s.tab3Visible);
    if (QAction* theme = action(u"Theme"_s + QString::number(m_appliedTheme))) {
        theme->setChecked(true);
    }
    m_fontBar->setColorChoiceShown(m_appliedTheme == 0);
    m_fontBar->restore(s.fontName, s.fontSize, s.fontColor);
    m_parameterGrid->refresh();
}

void TFrmTdw::collectSettings()
{
    Settings& s = m_settings;
    s.windowGeometry = QRect(pos(), size());
    if (!m_splitter->sizes().isEmpty()) {
        s.panel1Height = std::max(10, m_splitter->sizes().first());
    }
    s.tab1Visible = isTabVisible(m_bibliographyTab);
    s.tab3Visible = isTabVisible(m_parameterTab);
    s.fontName = m_messageText->font().family();
    s.fontSize = m_messageText->font().pointSize();
    s.fontColor = m_fontBar->colorRef();
    if (m_dm) {
        s.Ldb_Host1 = m_dm->Ldb_Host1();
        s.Ldb_Path1 = m_dm->Ldb_Path1();
    }
    if (m_listDock) {
        m_listDock->writeSettings(s);
    }
}

void TFrmTdw::saveSettings()
{
    m_dm->releaseLock();
    collectSettings();
    IniFile ini(m_folders.iniFilePath());
    m_settings.save(ini);
    // A settings file that cannot be written must not keep the side files from being saved.
    (void)ini.save();
}

void TFrmTdw::chooseTheme(int theme)
{
    QAction* chosen = action(u"Theme"_s + QString::number(theme));
    if (theme == m_appliedTheme && theme == m_settings.StyleNum) {
        chosen->setChecked(true);
        return;
    }
    if (m_prompter.question(tr("スタイル変更を有効にするために\r\nプログラムを再起動します"))
        != Prompter::Answer::Yes) {
        chosen->setChecked(false);
        if (QAction* previous = action(u"Theme"_s + QString::number(m_appliedTheme))) {
            previous->setChecked(true);
        }
        return;
    }
    m_settings.StyleNum = static_cast<quint16>(theme);
    if (theme == 0) {
        m_fontBar->chooseDefaultColor();
    } else if (theme == 4) {
        m_fontBar->chooseBlack();
    }
    close();
    m_restart();
    QCoreApplication::quit();
}

void TFrmTdw::openHelp(const QString& page)
{
    const QString path = m_folders.programFolder() + u"/help/"_s + page;
    m_openUrl(QUrl::fromLocalFile(path));
}

void TFrmTdw::showAbout()
{
    TAboutBox box(this);
    box.exec();
}

void TFrmTdw::setStatusText(int panel, const QString& text)
{
    if (panel >= 0 && panel < 3) {
        m_statusPanels[panel]->setText(text);
    }
}

QString TFrmTdw::statusText(int panel) const
{
    return (panel >= 0 && panel < 3) ? m_statusPanels[panel]->text() : QString();
}

void TFrmTdw::updateCaretPosition()
{
    if (m_messageText->document()->isEmpty()) {
        setStatusText(0, QString());
        return;
    }
    const QTextCursor cursor = m_messageText->textCursor();
    setStatusText(0, QString::asprintf("Line: %3d Col: %3d", cursor.blockNumber() + 1, cursor.positionInBlock() + 1));
}

void TFrmTdw::ClearMessageView()
{
    for (QLineEdit* edit : std::as_const(m_bibliography)) {
        edit->clear();
    }
    m_rawMemo->clear();
    m_bodyMemo->clear();
    m_messageText->clear();
    m_messageInfo.clearFields();
    action(u"Zoom_DecMgn"_s)->setEnabled(false);
    action(u"Zoom_IncMgn"_s)->setEnabled(false);
    m_htmlView->close();
    m_attachmentLists->clear();
    setTabVisible(m_attachment1Tab, false);
    setTabVisible(m_attachment2Tab, false);
    setTabVisible(m_htmlTab, false);
    m_state.old_MessageFile.clear();
    action(u"MessageSave"_s)->setEnabled(false);
    m_state.TnefFlg = false;
    Q_EMIT messageViewCleared();
}

bool TFrmTdw::RemoveFolderTree(const QString& path)
{
    if (FolderTree::remove(path)) {
        return true;
    }
    m_prompter.error(tr("フォルダーが残されています"));
    return false;
}

void TFrmTdw::DockListWindow()
{
    if (m_listDock) {
        m_listDock->dock();
    }
}

TDBListFrm* TFrmTdw::listWindow() const
{
    return m_listDock ? m_listDock->listWindow() : nullptr;
}

void TFrmTdw::floatListWindow()
{
    if (m_listDock) {
        m_listDock->floatOut();
    }
}

void TFrmTdw::closeListWindow()
{
    if (m_listDock) {
        m_listDock->close();
    }
}

void TFrmTdw::createStore()
{
    // A newcomer gets an archive of their own in the data folder.
    QString host = m_settings.Ldb_Host1;
    QString path = m_settings.Ldb_Path1;
    if (!m_arguments.help && path.trimmed().isEmpty()) {
        QString error;
        if (TDm_Ldb::adoptDefaultArchive(host, path, m_folders.dataPath(), &error)) {
            m_settings.Ldb_Host1 = host;
            m_settings.Ldb_Path1 = path;
        }
    }
    TDm_Ldb::Options options;
    options.dataFolder = m_folders.dataPath();
    options.programFolder = m_folders.programFolder();
    options.workingFolder = QDir::currentPath();
    m_dm = new TDm_Ldb(options, this);
    m_dm->setTarget(m_settings.Ldb_Host1, m_settings.Ldb_Path1);
    if (!m_arguments.help) {
        m_dm->acquireLock();
    }
    connect(m_dm, &TDm_Ldb::titleChanged, this, &QWidget::setWindowTitle);
    m_storeHost = std::make_unique<WindowStoreHost>(*this);
    m_dbConnect = new DbConnectController(*m_dm, m_settings.parameters, m_storeHost->host(), this);
    connect(action(u"DBConnect"_s), &QAction::triggered, m_dbConnect, &DbConnectController::toggle);
    connect(m_parameterGrid, &ParameterGrid::left, m_dbConnect, &DbConnectController::applyAutoViewShortcuts);
    m_listDock = new ListWindowDock(
        *m_pageControl,
        *m_dm,
        m_settings,
        *m_storeHost,
        *m_dbConnect,
        {action(u"DispMsgDat"_s), action(u"ExprtMsgFile"_s), action(u"DelMsgDat"_s), action(u"SetListFontSize"_s)},
        this);
}

void TFrmTdw::createSearch()
{
    // The message tabs as the redisplay of a stored message brings them forward.
    class Place final : public ShownMessagePlace
    {
    public:
        explicit Place(TFrmTdw& window)
            : m_window(window)
        {
        }
        [[nodiscard]] QWidget* page(Tab tab) const
        {
            return tab == Tab::Html
                       ? m_window.m_htmlTab
                       : (tab == Tab::Attachment1 ? m_window.m_attachment1Tab : m_window.m_bibliographyTab);
        }
        [[nodiscard]] bool isTabVisible(Tab tab) const override { return m_window.isTabVisible(page(tab)); }
        void activateTab(Tab tab) override { m_window.m_pageControl->setCurrentWidget(page(tab)); }
        void normalWindowStyle() override
        {
            if (m_window.windowFlags().testFlag(Qt::WindowStaysOnTopHint)) {
                m_window.setWindowFlag(Qt::WindowStaysOnTopHint, false);
                m_window.show();
            }
        }

    private:
        TFrmTdw& m_window;
    };
    m_shownMessagePlace = std::make_unique<Place>(*this);

    m_search = std::make_unique<SearchController>(SearchController::Environment{*m_dm,
                                                                                *m_dbConnect,
                                                                                m_settings.parameters,
                                                                                m_settings.DSelRGIdx,
                                                                                *m_storeHost,
                                                                                *m_storeHost,
                                                                                m_folders.dataPath(),
                                                                                m_prompter});
    m_storedMessages =
        std::make_unique<StoredMessageController>(StoredMessageController::Environment{*m_dm,
                                                                                       *m_storeHost,
                                                                                       *m_storeHost,
                                                                                       *m_storeHost,
                                                                                       *m_shownMessagePlace,
                                                                                       m_messageInfo,
                                                                                       m_settings.parameters,
                                                                                       m_settings.MLStore_Path,
                                                                                       m_folders.mailDat(),
                                                                                       m_prompter,
                                                                                       m_files});
    m_storedMessages->setCurrentRow([this] {
        const TDBListFrm* list = listWindow();
        return list ? list->grid()->currentIndex().row() : -1;
    });
    m_storedMessages->setReaders({[this](const QString& path) { readMessageFile(path); },
                                  [this](const QString& path) { ReadOutlookMessage(path); },
                                  [this] {
                                      if (m_outlookReader) {
                                          m_outlookReader->resetReadCounter();
                                      }
                                  },
                                  [this] {
                                      return m_outlookReader ? m_outlookReader->workCopy() : QString();
                                  }});

    QAction* select = action(u"DBSelect"_s);
    select->setCheckable(true);
    connect(select, &QAction::triggered, this, [this] {
        TDBSelectFrm::start(*m_search, this, [this] { m_pageControl->setCurrentIndex(m_pageControl->count() - 1); });
    });
    connect(action(u"DispMsgDat"_s), &QAction::triggered, this, [this] { m_storedMessages->DispMsgDat(); });
    connect(action(u"ExprtMsgFile"_s), &QAction::triggered, this, [this] { m_storedMessages->ExprtMsgFile(); });
    connect(action(u"DelMsgDat"_s), &QAction::triggered, this, [this] { m_storedMessages->DelMsgDat(); });
}

void TFrmTdw::createDataModule()
{
    m_dm->create();
}

void TFrmTdw::switchMode(const QString& name, bool shown)
{
    // The list, the workbench and the sender exclude each other.
    m_dbConnect->closeList();
    setModeShown(name == u"DBBackup"_s ? u"MLSender"_s : u"DBBackup"_s, false);
    setModeShown(name, shown);
}

void TFrmTdw::setModeShown(const QString& name, bool shown)
{
    QAction* mode = action(name);
    if (!mode) {
        return;
    }
    mode->setChecked(shown);
    setTabVisible(name == u"DBBackup"_s ? m_backupTab : m_senderTab, shown);
    if (shown) {
        m_pageControl->setCurrentWidget(name == u"DBBackup"_s ? m_backupTab : m_senderTab);
    }
}

void TFrmTdw::readMessageFile(const QString& path)
{
    m_attachmentLists->model().setMimeSource(&m_reader->message());
    m_reader->ReadInternetMessage(path);
}

void TFrmTdw::openMessages()
{
    if (m_intake) {
        m_intake->openMessages();
    }
}

void TFrmTdw::createAttachmentLists()
{
    m_opener = std::make_unique<OpenAndWait>();
    AttachmentLists::Hooks hooks;
    hooks.setStatus = [this](const QString& text) {
        setStatusText(2, text);
    };
    hooks.showTab = [this](int list, bool visible) {
        setTabVisible(list == 1 ? m_attachment1Tab : m_attachment2Tab, visible);
    };
    hooks.currentList = [this] {
        QWidget* current = m_pageControl->currentWidget();
        return current == m_attachment1Tab ? 1 : (current == m_attachment2Tab ? 2 : 0);
    };
    hooks.selectPage = [this](int page) {
        m_messageView->selectPage(page);
    };
    hooks.tnefFlg = [this] {
        return m_state.TnefFlg;
    };
    hooks.dpi = [this] {
        return m_state.CDpi;
    };
    m_attachmentLists =
        new AttachmentLists(this, m_prompter, m_files, *m_opener, m_folders.mailDat(), std::move(hooks));
}

void TFrmTdw::connectDecryptionToLists()
{
    // The GnuPG entries of the attachment lists start the decryption jobs; a decrypted
    // PGP/MIME message fills list II and, with an HTML body, the HTML view.
    connect(m_attachmentLists,
            &AttachmentLists::gpgRequested,
            this,
            [this](AttachmentLists::GpgAction kind, const QString& caption) {
                if (kind == AttachmentLists::GpgAction::SaveToDiskDGpgA2) {
                    m_gpg->decryptSecondListAttachmentAndSave(caption);
                    return;
                }
                QByteArray content;
                QString contentType;
                if (!m_attachmentLists->model().contentOf({caption, -1}, content, contentType)) {
                    content = QByteArray();
                }
                if (kind == AttachmentLists::GpgAction::SaveToDiskDGpg) {
                    m_gpg->decryptAttachmentAndSave(caption, content);
                } else {
                    m_gpg->decryptAttachment(caption, content);
                }
            });
    connect(m_gpg.get(), &GpgDecryptor::secondListChanged, this, [this](const QList<GpgListEntry>& entries) {
        m_attachmentLists->listII()->clear();
        m_attachmentLists->model().setSecondMessage(entries.isEmpty() ? nullptr : &m_gpg->secondMessage());
        for (const GpgListEntry& entry : entries) {
            m_attachmentLists->addSecondItem(entry.caption, entry.partIndex);
        }
        if (!entries.isEmpty()) {
            setTabVisible(m_attachment2Tab, true);
            m_pageControl->setCurrentWidget(m_attachment2Tab);
        }
    });
    connect(m_gpg.get(), &GpgDecryptor::htmlTextReady, this, [this](const QString& html, double zoomFactor) {
        setTabVisible(m_htmlTab, true);
        m_htmlView->setResources(HtmlView::resourcesOf(m_gpg->secondMessage()));
        action(u"Zoom_DecMgn"_s)->setEnabled(true);
        action(u"Zoom_IncMgn"_s)->setEnabled(true);
        m_htmlView->showHtml(html, zoomFactor);
    });
    connect(
        m_gpg.get(), &GpgDecryptor::attachmentTabRequested, this, [this] { setTabVisible(m_attachment1Tab, true); });
    connect(m_gpg.get(), &GpgDecryptor::actionsEnabledChanged, this, [this](const QStringList& names, bool enabled) {
        for (const QString& name : names) {
            if (QAction* named = action(name)) {
                named->setEnabled(enabled);
            }
        }
    });
}

void TFrmTdw::ReadOutlookMessage(const QString& path)
{
    if (!m_outlookReader) {
        m_outlookReader =
            std::make_unique<OutlookMessageReader>(*m_messageView, m_settings.parameters, m_prompter, m_messageInfo);
    }
    // A reading the user asks for starts a new count of re-readings.
    m_outlookReader->resetReadCounter();
    m_attachmentLists->model().setOutlookSource([this] { return m_outlookReader->item(); });
    m_outlookReader->ReadOutlookMessage(path);
    m_attachmentLists->model().setOutlookSource([this] { return m_outlookReader->item(); });
    m_state.OlkFlg = m_state.OlkFlg || m_outlookReader->olkFlg();
    if (m_outlookReader->completed()) {
        m_state.old_MessageFile = m_messageInfo.awk_MessageFile;
    }
}

MessageInfo TFrmTdw::shownMessageInfo() const
{
    MessageInfo info = m_messageInfo;
    const std::array<QString*, 8> fields = {&info.Message_ID,
                                            &info.Message_Date,
                                            &info.Account_Key,
                                            &info.Sender_Name,
                                            &info.Sender_Address,
                                            &info.Recieve_Name,
                                            &info.Recieve_Address,
                                            &info.Message_Subject};
    for (qsizetype i = 0; i < qsizetype(fields.size()) && i < m_bibliography.size(); ++i) {
        *fields.at(i) = m_bibliography.at(i)->text();
    }
    return info;
}

void TFrmTdw::createIntake()
{
    m_intake = new MessageIntake(m_messageInfo,
                                 m_settings,
                                 m_folders.mailDat(),
                                 m_storeHost->host(),
                                 *m_dbConnect,
                                 m_prompter,
                                 m_files,
                                 m_dm->database().connectionName(),
                                 this);
    MessageReaders readers;
    readers.internet = [this](const QString& path) {
        readMessageFile(path);
    };
    readers.outlook = [this](const QString& path) {
        ReadOutlookMessage(path);
    };
    m_intake->setReaders(readers);
    MessageIntake::Window window;
    window.plainTextMode = [this] {
        m_messageText->setAcceptRichText(false);
    };
    window.clearAttachmentsAndBody = [this] {
        m_attachmentLists->clear();
        m_messageText->clear();
    };
    window.hideAttachmentTabs = [this] {
        setTabVisible(m_attachment1Tab, false);
        setTabVisible(m_attachment2Tab, false);
    };
    window.showBodyPane = [this](bool shown) {
        m_messageText->setVisible(shown);
        m_messageText->repaint();
    };
    window.dataMemoText = [this] {
        return m_rawMemo->toPlainText();
    };
    window.shownMessage = [this] {
        return shownMessageInfo();
    };
    m_intake->setWindow(window);
    connect(action(u"MessageSave"_s), &QAction::triggered, m_intake, &MessageIntake::MessageSave);
    connect(action(u"DBUpdate"_s), &QAction::triggered, m_intake, [this] { m_intake->DBUpdate(); });
    m_dropZone = new MessageDropZone(*m_intake, m_upperPanel, m_messageText, this);
    connect(action(u"MLSender"_s), &QAction::toggled, m_dropZone, [this](bool on) { m_dropZone->setEnabled(!on); });
    statusBar()->addPermanentWidget(new IntakeProgressBar(*m_intake, this));
}

void TFrmTdw::zoom(bool in)
{
    if (m_pageControl->currentWidget() != m_htmlTab && isTabVisible(m_htmlTab)) {
        m_pageControl->setCurrentWidget(m_htmlTab);
    }
    const double factor = in ? m_htmlView->zoomIn() : m_htmlView->zoomOut();
    HtmlZoom::storeZoom(m_settings.parameters, m_reader->zoomFixed(), factor);
}

void TFrmTdw::showEvent(QShowEvent* event)
{
    QMainWindow::showEvent(event);
    m_messageText->setFocus();
}

bool TFrmTdw::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == m_messageText) {
        if (event->type() == QEvent::Enter) {
            action(u"EditorPrint"_s)->setEnabled(!m_messageText->document()->isEmpty());
        } else if (event->type() == QEvent::FocusIn) {
            m_state.EditorEnterOn = true;
        } else if (event->type() == QEvent::FocusOut) {
            m_state.EditorEnterOn = false;
        }
    } else if (watched == statusBar() && event->type() == QEvent::MouseButtonDblClick) {
        // The title bar belongs to the window manager here, so the database path is asked for on the status bar.
        if (!m_settings.Ldb_Path1.isEmpty()) {
            setStatusText(2, m_settings.Ldb_Path1);
        }
    }
    return QMainWindow::eventFilter(watched, event);
}

void TFrmTdw::closeEvent(QCloseEvent* event)
{
    if (!m_closingDone) {
        m_closingDone = true;
        const QString webData = m_folders.webViewDataPath();
        if (QFileInfo(webData).isDir()) {
            action(u"Zoom_DecMgn"_s)->setEnabled(false);
            action(u"Zoom_IncMgn"_s)->setEnabled(false);
            m_htmlView->close();
            Delay::wait(100);
            // The browser may still be finishing its writes: give it a moment before giving up.
            for (int attempt = 0; attempt < 20 && !FolderTree::remove(webData); ++attempt) {
                Delay::wait(100);
            }
            RemoveFolderTree(webData);
        }
        if (QFileInfo(m_folders.mailDat()).exists()) {
            RemoveFolderTree(m_folders.mailDat());
        }
        if (m_state.common_ConfigFlg) {
            saveSettings();
        }
    }
    event->accept();
}
