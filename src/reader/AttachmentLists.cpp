#include "reader/AttachmentLists.h"

#include <QAction>
#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QWidget>

#include "app/core/FileChooser.h"
#include "app/core/Prompter.h"
#include "reader/AttachmentListPanel.h"
#include "reader/OpenAndWait.h"

using namespace Qt::StringLiterals;
using AttachmentRules::extensionOf;

namespace {

const QString kCannotOpen = u"このファイルは起動できる規定のプログラムがありません"_s;

} // namespace

AttachmentLists::AttachmentLists(QWidget* actionOwner,
                                 Prompter& prompter,
                                 FileChooser& files,
                                 FileOpener& opener,
                                 const QString& workFolder,
                                 Hooks hooks)
    : QObject(actionOwner)
    , m_owner(actionOwner)
    , m_prompter(prompter)
    , m_files(files)
    , m_opener(opener)
    , m_hooks(std::move(hooks))
    , m_model(workFolder, prompter)
{
    connect(
        makeAction(u"SavetoDisk"_s, tr("名前をつけて保存 (&N)")), &QAction::triggered, this, [this] { SavetoDisk(); });
    connect(
        makeAction(u"SaveToDiskA1"_s, tr("名前をつけて保存")), &QAction::triggered, this, [this] { SaveToDiskA1(); });
    connect(
        makeAction(u"SaveToDiskA2"_s, tr("名前をつけて保存")), &QAction::triggered, this, [this] { SaveToDiskA2(); });
    connect(makeAction(u"OpenWith"_s, tr("規定のプログラムで開く (&W)")), &QAction::triggered, this, [this] {
        OpenWith();
    });
    connect(
        makeAction(u"OpenWithA1"_s, tr("規定のプログラムで開く")), &QAction::triggered, this, [this] { OpenWithA1(); });
    connect(
        makeAction(u"OpenWithA2"_s, tr("規定のプログラムで開く")), &QAction::triggered, this, [this] { OpenWithA2(); });
    connect(makeAction(u"DecryptTnefA1"_s, tr("TNEF展開")), &QAction::triggered, this, [this] { DecryptTnefA1(); });
    const QList<std::pair<GpgAction, std::pair<QString, QString>>> gpg = {
        {GpgAction::DecryptGpg, {u"DecryptGpg"_s, tr("GnuPG復号 (&G)")}},
        {GpgAction::SaveToDiskDGpg, {u"SaveToDiskDGpg"_s, tr("GnuPG復号して保存 (&H)")}},
        {GpgAction::DecryptGpgA1, {u"DecryptGpgA1"_s, tr("GnuPG復号")}},
        {GpgAction::SaveToDiskDGpgA2, {u"SaveToDiskDGpgA2"_s, tr("GnuPG復号して保存 (&E)")}},
    };
    for (const auto& [kind, names] : gpg) {
        QAction* gpgAction = makeAction(names.first, names.second);
        const bool secondList = kind == GpgAction::SaveToDiskDGpgA2;
        connect(gpgAction, &QAction::triggered, this, [this, kind, secondList] {
            const QString caption = secondList ? listII()->selectedCaption() : listI()->selectedCaption();
            if (!caption.isEmpty()) {
                Q_EMIT gpgRequested(kind, caption);
            }
        });
    }
}

AttachmentLists::~AttachmentLists() = default;

QAction* AttachmentLists::makeAction(const QString& name, const QString& text)
{
    auto* created = new QAction(text, m_owner);
    created->setObjectName(name);
    created->setEnabled(false);
    m_actions.append(created);
    return created;
}

QAction* AttachmentLists::action(const QString& name) const
{
    for (QAction* candidate : m_actions) {
        if (candidate->objectName() == name) {
            return candidate;
        }
    }
    return nullptr;
}

void AttachmentLists::setEnabled(const QStringList& names, bool enabled)
{
    for (const QString& name : names) {
        if (QAction* target = action(name)) {
            target->setEnabled(enabled);
        }
    }
}

AttachmentListPanel* AttachmentLists::listI(QWidget* parent)
{
    if (!m_listI) {
        m_listI = new AttachmentListPanel(parent);
        m_listI->setObjectName(u"ListView1"_s);
        m_listI->addActions(
            {action(u"SavetoDisk"_s), action(u"OpenWith"_s), action(u"DecryptGpg"_s), action(u"SaveToDiskDGpg"_s)});
        connect(m_listI, &QListWidget::itemSelectionChanged, this, &AttachmentLists::selectedI);
        connect(m_listI, &QListWidget::itemDoubleClicked, this, &AttachmentLists::doubleClickedI);
        connect(m_listI, &AttachmentListPanel::left, this, &AttachmentLists::leftI);
    }
    return m_listI;
}

AttachmentListPanel* AttachmentLists::listII(QWidget* parent)
{
    if (!m_listII) {
        m_listII = new AttachmentListPanel(parent);
        m_listII->setObjectName(u"ListView2"_s);
        m_listII->addActions({action(u"SavetoDisk"_s), action(u"OpenWith"_s), action(u"SaveToDiskDGpgA2"_s)});
        connect(m_listII, &QListWidget::itemSelectionChanged, this, &AttachmentLists::selectedII);
        connect(m_listII, &QListWidget::itemDoubleClicked, this, &AttachmentLists::doubleClickedII);
        connect(m_listII, &AttachmentListPanel::left, this, &AttachmentLists::leftII);
    }
    return m_listII;
}

void AttachmentLists::clear()
{
    m_model.removeExecuteFile();
    listI()->clear();
    listII()->clear();
    m_listIStarted = false;
    m_model.setSecondMessage(nullptr);
}

void AttachmentLists::addAttachment(const QString& caption, const QString& extension, int index)
{
    if (!m_listIStarted) {
        listI()->startDetails(m_hooks.dpi ? m_hooks.dpi() : 96);
        m_listIStarted = true;
    }
    listI()->addAttachment(caption, extension, index);
}

void AttachmentLists::addSecondItem(const QString& caption, int index)
{
    if (listII()->count() == 0) {
        listII()->startDetails(m_hooks.dpi ? m_hooks.dpi() : 96);
    }
    listII()->addAttachment(caption, extensionOf(caption), index);
}

void AttachmentLists::enableOpenActions()
{
    setEnabled({u"OpenWithA1"_s, u"OpenWith"_s}, true);
}

QList<AttachmentList::Item> AttachmentLists::itemsOfListI() const
{
    QList<AttachmentList::Item> items;
    for (int i = 0; i < m_listI->count(); ++i) {
        const QListWidgetItem* item = m_listI->item(i);
        items.append({item->text(), item->data(AttachmentListPanel::kIndexRole).toInt()});
    }
    return items;
}

void AttachmentLists::selectedI()
{
    const QString caption = listI()->selectedCaption();
    if (caption.isEmpty()) {
        return;
    }
    m_hooks.setStatus(caption);
    setEnabled({u"SavetoDisk"_s, u"SaveToDiskA1"_s}, true);
    const AttachmentRules::SelectionI state = AttachmentRules::selectionOfListI(caption);
    setEnabled({u"OpenWith"_s}, state.openWith);
    setEnabled({u"DecryptGpg"_s, u"SaveToDiskDGpg"_s, u"DecryptGpgA1"_s}, state.gpg);
}

void AttachmentLists::selectedII()
{
    const QString caption = listII()->selectedCaption();
    if (caption.isEmpty()) {
        return;
    }
    setEnabled({u"SavetoDisk"_s, u"SaveToDiskA2"_s}, true);
    setEnabled({u"OpenWith"_s, u"OpenWithA2"_s}, AttachmentRules::openWithOfListII(caption));
}

void AttachmentLists::leftI()
{
    if (listI()->selectedItems().isEmpty()) {
        setEnabled({u"SavetoDisk"_s, u"OpenWith"_s, u"DecryptGpg"_s, u"SaveToDiskDGpg"_s}, false);
    }
}

void AttachmentLists::leftII()
{
    if (listII()->selectedItems().isEmpty()) {
        setEnabled({u"SavetoDisk"_s, u"SaveToDiskA2"_s, u"OpenWith"_s, u"OpenWithA2"_s}, false);
    }
}

void AttachmentLists::doubleClickedI()
{
    const QString caption = listI()->selectedCaption();
    if (caption.isEmpty()) {
        return;
    }
    m_hooks.setStatus(caption);
    if (AttachmentRules::doubleClickDecrypts(caption)) {
        Q_EMIT gpgRequested(GpgAction::DecryptGpgA1, caption);
    } else {
        OpenWithA1();
    }
}

void AttachmentLists::doubleClickedII()
{
    const QString caption = listII()->selectedCaption();
    if (!caption.isEmpty() && AttachmentRules::openWithOfListII(caption)) {
        OpenWithA2();
    }
}

void AttachmentLists::SavetoDisk()
{
    const int list = m_hooks.currentList ? m_hooks.currentList() : 0;
    if (list == 1) {
        const QString caption = listI()->selectedCaption();
        if (m_model.source() == AttachmentList::Source::Outlook
            && extensionOf(caption).compare(u".asc"_s, Qt::CaseInsensitive) == 0) {
            m_prompter.information(tr("ascファイルは未対応です"));
            return;
        }
        SaveToDiskA1();
    } else if (list == 2) {
        SaveToDiskA2();
    }
}

void AttachmentLists::SaveToDiskA1()
{
    const QString caption = listI()->selectedCaption();
    if (listI()->count() == 0 || caption.isEmpty()) {
        return;
    }
    const AttachmentList::Item item{caption, listI()->selectedIndex()};
    QByteArray content;
    QString contentType;
    if (!m_model.contentOf(item, content, contentType)) {
        m_hooks.setStatus(tr("処理ファイルはありません）"));
        setEnabled({u"SavetoDisk"_s, u"SaveToDiskA1"_s}, false);
        return;
    }
    FileChooser::Request request;
    request.caption = tr("名前をつけて保存");
    request.fileName = AttachmentRules::AttachmentDisplayName(caption);
    const QString target = m_files.saveFile(request);
    if (!target.isEmpty()) {
        m_model.saveItem(item, target);
    }
}

void AttachmentLists::SaveToDiskA2()
{
    const QString caption = listII()->selectedCaption();
    if (caption.isEmpty()) {
        return;
    }
    FileChooser::Request request;
    request.caption = tr("名前をつけて保存");
    request.fileName = AttachmentRules::AttachmentDisplayName(caption);
    const QString target = m_files.saveFile(request);
    if (target.isEmpty()) {
        return;
    }
    if (!m_model.saveSecondItem(caption, target)
        && m_model.copyUnpacked(caption, target) == AttachmentList::CopyResult::SourceMissing) {
        m_prompter.error(tr("Save Data がみつかりません\r\nプログラムの修正が必要です"));
    }
}

void AttachmentLists::OpenWith()
{
    if (m_hooks.normalStyle) {
        m_hooks.normalStyle();
    }
    const int list = m_hooks.currentList ? m_hooks.currentList() : 0;
    if (list == 1) {
        OpenWithA1();
    } else if (list == 2) {
        OpenWithA2();
    }
}

void AttachmentLists::openFile(const QString& path)
{
    if (!m_opener.openAndWait(path)) {
        m_prompter.error(tr("プログラムが起動できませんでした"));
    }
}

void AttachmentLists::OpenWithA1()
{
    const QString caption = listI()->selectedCaption();
    if (caption.isEmpty()) {
        return;
    }
    m_model.setExecuteFile(m_model.workFile(caption));
    if (AttachmentRules::openingRefused(caption, false)) {
        m_prompter.information(kCannotOpen);
        return;
    }
    QDir().mkpath(m_model.workFolder());
    if (!m_model.saveItem({caption, listI()->selectedIndex()}, m_model.executeFile())) {
        m_prompter.error(tr("プログラムが起動できませんでした"));
        return;
    }
    openFile(m_model.executeFile());
}

void AttachmentLists::OpenWithA2()
{
    const QString caption = listII()->selectedCaption();
    const bool tnef = m_hooks.tnefFlg && m_hooks.tnefFlg();
    m_model.setExecuteFile(tnef ? m_model.secondFile(caption) : m_model.workFile(caption));
    if (caption.isEmpty()) {
        return;
    }
    if (AttachmentRules::openingRefused(caption, true)) {
        m_prompter.information(kCannotOpen);
        return;
    }
    QDir().mkpath(QFileInfo(m_model.executeFile()).absolutePath());
    m_model.saveSecondItem(caption, m_model.executeFile());
    if (!QFileInfo(m_model.executeFile()).isFile()) {
        m_prompter.error(tr("プログラムが起動できませんでした"));
        return;
    }
    openFile(m_model.executeFile());
}

void AttachmentLists::DecryptTnefA1()
{
    listII()->clear();
    m_hooks.showTab(1, true);
    setEnabled({u"SavetoDisk"_s, u"OpenWith"_s}, false);
    const QStringList files = m_model.unpackTnef(itemsOfListI());
    listII()->startDetails(m_hooks.dpi ? m_hooks.dpi() : 96);
    for (const QString& file : files) {
        m_hooks.showTab(2, true);
        m_hooks.selectPage(2);
        listII()->addAttachment(file, extensionOf(file), -1);
        QCoreApplication::processEvents();
    }
}
