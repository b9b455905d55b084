#pragma once

#include <functional>
#include <memory>

#include <QMainWindow>
#include <QStringList>

#include "app/core/DataFolders.h"
#include "app/core/Settings.h"
#include "app/core/StartupArguments.h"
#include "reader/MessageInfo.h"

class AttachmentLists;
class FileChooser;
class DbConnectController;
class FileOpener;
class FontBar;
class GpgDecryptor;
class HtmlView;
class InternetMessageReader;
class ListWindowDock;
class OutlookMessageReader;
class MessageDropZone;
class MessageIntake;
class ParameterGrid;
class Prompter;
class SearchController;
class ShownMessagePlace;
class StoredMessageController;
class WindowMessageView;
class QLabel;
class QLineEdit;
class QListWidget;
class QPlainTextEdit;
class QSplitter;
class QTabWidget;
class QTextEdit;
class QToolBar;
class TDBListFrm;
class TDm_Ldb;
class WindowStoreHost;

// The main window: it owns the program state and wires the panels and
// controllers of every subsystem together. The work itself lives in those.
class TFrmTdw final : public QMainWindow
{
    Q_OBJECT

public:
    // Program state shared by the subsystems (names as the rest of the program uses them).
    struct State
    {
        quint16 pmode = 0; // 0x0001 shown message from the store, 0x0010 list open, 0x0100 list undocked
        QString MessageFile;
        QString old_MessageFile;
        bool OlkFlg = false;
        bool TerminateState = false;
        bool TnefFlg = false;
        bool EditorEnterOn = false;
        int CDpi = 96;
        double CFunc = 1.0;
        int StartDocNum = 0;
        int srtcnum = 0;
        bool common_ConfigFlg = false;
    };

    static constexpr quint16 kFromStore = 0x0001;
    static constexpr quint16 kListOpen = 0x0010;
    static constexpr quint16 kListUndocked = 0x0100;

    TFrmTdw(const DataFolders& folders,
            Prompter& prompter,
            FileChooser& files,
            const StartupArguments& arguments,
            QWidget* parent = nullptr);
    ~TFrmTdw() override;

    [[nodiscard]] static QString baseTitle(); // "Tidewell 管理"

    State& state() { return m_state; }
    MessageInfo& messageInfo() { return m_messageInfo; }
    // Reads an internet message file into the view, as every intake does.
    void readMessageFile(const QString& path);
    // Reads an Outlook message file (.msg) into the view.
    void ReadOutlookMessage(const QString& path);
    // Attachment lists I and II with their actions (the GnuPG jobs connect to its gpgRequested()).
    AttachmentLists* attachmentLists() const { return m_attachmentLists; }
    // The current message with the "書誌情報" boxes as they show now (the user may have edited them).
    [[nodiscard]] MessageInfo shownMessageInfo() const;
    // Open, drop, save and DB更新 of messages.
    [[nodiscard]] MessageIntake& intake() const { return *m_intake; }
    Settings& settings() { return m_settings; }
    // The GnuPG decryption jobs (body, attachments of list I and II).
    GpgDecryptor& gpg() { return *m_gpg; }
    [[nodiscard]] const DataFolders& folders() const { return m_folders; }
    [[nodiscard]] QAction* action(const QString& name) const;
    [[nodiscard]] QWidget* tab(const QString& objectName) const;
    [[nodiscard]] bool isTabVisible(QWidget* page) const;
    void setTabVisible(QWidget* page, bool visible);
    // The theme in force for this run (the command line may differ from the stored one).
    [[nodiscard]] int appliedTheme() const { return m_appliedTheme; }

    void setStatusText(int panel, const QString& text);
    [[nodiscard]] QString statusText(int panel) const;

    // Empties every field of the shown message and hides what belongs to it.
    void ClearMessageView();
    // Removes a folder with all its content; tells the user when something is left behind.
    bool RemoveFolderTree(const QString& path);
    // Puts the message list window into the page control as "DB List View".
    void DockListWindow();
    // Takes the list window away, docked or floating.
    void closeListWindow();
    // Lets the docked list window float on its own.
    void floatListWindow();
    [[nodiscard]] TDBListFrm* listWindow() const;

    // The data module: opens the archive, upgrades it when needed, names it in the title.
    void createDataModule();
    [[nodiscard]] TDm_Ldb& dataModule() const { return *m_dm; }
    [[nodiscard]] DbConnectController& dbConnect() const { return *m_dbConnect; }

    // The file workbench ("DBBackup") and the bulk sender ("MLSender") shown or not.
    void setModeShown(const QString& action, bool shown);

    // How the help pages are opened; tests replace it.
    void setUrlOpener(std::function<bool(const QUrl&)> opener) { m_openUrl = std::move(opener); }
    // Restarting after a theme change; tests replace it.
    void setRestarter(std::function<void()> restarter) { m_restart = std::move(restarter); }

Q_SIGNALS:
    void messageViewCleared();

protected:
    void closeEvent(QCloseEvent* event) override;
    void showEvent(QShowEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    friend class WindowMessageView;

    void createActions();
    void createAttachmentLists();
    void openMessages();
    void zoom(bool in);
    void createStore();
    void connectDecryptionToLists();
    void createSearch();
    void createIntake();
    void switchMode(const QString& action, bool shown);
    void createMenus();
    void createToolBars();
    void createCentralArea();
    void createStatusBar();
    void measureScreen();
    void loadSettings();
    void restoreFromSettings();
    void collectSettings();
    void saveSettings();
    void chooseTheme(int theme);
    void openHelp(const QString& page);
    void showAbout();
    void updateCaretPosition();
    void layOutBand();
    QAction* addAction(const QString& name, const QString& text, bool enabled);

    DataFolders m_folders;
    Prompter& m_prompter;
    FileChooser& m_files;
    StartupArguments m_arguments;
    State m_state;
    Settings m_settings;
    int m_appliedTheme = 0;
    bool m_closingDone = false;

    // regions
    QToolBar* m_menuBand = nullptr;
    QToolBar* m_buttonBar = nullptr;
    FontBar* m_fontBar = nullptr;
    QSplitter* m_splitter = nullptr;
    QWidget* m_upperPanel = nullptr;
    QLabel* m_dropHint = nullptr;
    QTextEdit* m_messageText = nullptr;
    QTabWidget* m_pageControl = nullptr;
    QWidget* m_htmlTab = nullptr;
    QWidget* m_attachment1Tab = nullptr;
    QWidget* m_attachment2Tab = nullptr;
    QWidget* m_bibliographyTab = nullptr;
    QWidget* m_parameterTab = nullptr;
    QWidget* m_dataTab = nullptr;
    QWidget* m_backupTab = nullptr;
    QWidget* m_senderTab = nullptr;
    QList<QLineEdit*> m_bibliography;
    QPlainTextEdit* m_rawMemo = nullptr;
    QPlainTextEdit* m_bodyMemo = nullptr;
    QListWidget* m_attachmentList1 = nullptr;
    QListWidget* m_attachmentList2 = nullptr;
    ParameterGrid* m_parameterGrid = nullptr;
    std::array<QLabel*, 3> m_statusPanels{};
    ListWindowDock* m_listDock = nullptr;
    TDm_Ldb* m_dm = nullptr;
    DbConnectController* m_dbConnect = nullptr;
    std::unique_ptr<WindowStoreHost> m_storeHost;
    std::unique_ptr<SearchController> m_search;
    std::unique_ptr<ShownMessagePlace> m_shownMessagePlace;
    std::unique_ptr<StoredMessageController> m_storedMessages;
    HtmlView* m_htmlView = nullptr;
    MessageInfo m_messageInfo;
    std::unique_ptr<WindowMessageView> m_messageView;
    std::unique_ptr<InternetMessageReader> m_reader;
    std::unique_ptr<GpgDecryptor> m_gpg;
    std::unique_ptr<OutlookMessageReader> m_outlookReader;
    std::unique_ptr<FileOpener> m_opener;
    AttachmentLists* m_attachmentLists = nullptr;
    MessageIntake* m_intake = nullptr;
    MessageDropZone* m_dropZone = nullptr;

    std::function<bool(const QUrl&)> m_openUrl;
    std::function<void()> m_restart;
};
