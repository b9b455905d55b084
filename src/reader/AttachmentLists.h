#pragma once

#include <functional>

#include <QObject>
#include <QPointer>

#include "reader/AttachmentList.h"

class AttachmentListPanel;
class FileChooser;
class FileOpener;
class Prompter;
class QAction;
class QWidget;

// Attachment lists I and II with their actions and pop-up menus: the window
// creates one, gives it what it needs of the window, and puts its two panels
// on the tabs "添付ファイルⅠ" and "添付ファイルⅡ".
//
// The GnuPG entries exist here as actions (DecryptGpg, SaveToDiskDGpg,
// DecryptGpgA1, SaveToDiskDGpgA2) that are enabled by the list rules; their
// work is done by whoever connects to gpgRequested().
class AttachmentLists final : public QObject
{
    Q_OBJECT

public:
    // What the lists need of the window.
    struct Hooks
    {
        std::function<void(const QString&)> setStatus;       // status-bar panel 2
        std::function<void(int list, bool visible)> showTab; // list 1 or 2
        std::function<int()> currentList;                    // 1 or 2 when that tab is selected, else 0
        std::function<void(int page)> selectPage;
        std::function<bool()> tnefFlg;
        std::function<int()> dpi;
        std::function<void()> normalStyle; // the window stops being stay-on-top
    };

    enum class GpgAction
    {
        DecryptGpg,      // list I, "GnuPG復号"
        SaveToDiskDGpg,  // list I, "GnuPG復号して保存"
        DecryptGpgA1,    // list I, double click
        SaveToDiskDGpgA2 // list II, "GnuPG復号して保存 (&E)"
    };
    Q_ENUM(GpgAction)

    // actionOwner: the window; the actions become its children, named as the
    // program names them (SavetoDisk, OpenWith, OpenWithA1, ...).
    AttachmentLists(QWidget* actionOwner,
                    Prompter& prompter,
                    FileChooser& files,
                    FileOpener& opener,
                    const QString& workFolder,
                    Hooks hooks);
    ~AttachmentLists() override;

    // The two panels, created on first use with the given parent.
    AttachmentListPanel* listI(QWidget* parent = nullptr);
    AttachmentListPanel* listII(QWidget* parent = nullptr);
    AttachmentList& model() { return m_model; }

    // Both lists emptied (and ExecuteFile deleted).
    void clear();
    // A reader's attachment for list I: the first one of a reading starts a new FFileDetails.
    void addAttachment(const QString& caption, const QString& extension, int index);
    // Files for list II (from the second MIME message, or any other second-level files).
    void addSecondItem(const QString& caption, int index = -1);
    void enableOpenActions();

    // The actions' work.
    void SavetoDisk();
    void SaveToDiskA1();
    void SaveToDiskA2();
    void OpenWith();
    void OpenWithA1();
    void OpenWithA2();
    void DecryptTnefA1();

    [[nodiscard]] QAction* action(const QString& name) const;

Q_SIGNALS:
    // A GnuPG entry was chosen for the item with that caption.
    void gpgRequested(AttachmentLists::GpgAction action, const QString& caption);

private:
    QAction* makeAction(const QString& name, const QString& text);
    void selectedI();
    void selectedII();
    void leftI();
    void leftII();
    void doubleClickedI();
    void doubleClickedII();
    void setEnabled(const QStringList& names, bool enabled);
    [[nodiscard]] QList<AttachmentList::Item> itemsOfListI() const;
    void openFile(const QString& path);

    QWidget* m_owner;
    Prompter& m_prompter;
    FileChooser& m_files;
    FileOpener& m_opener;
    Hooks m_hooks;
    AttachmentList m_model;
    QPointer<AttachmentListPanel> m_listI;
    QPointer<AttachmentListPanel> m_listII;
    QList<QAction*> m_actions;
    bool m_listIStarted = false;
};
