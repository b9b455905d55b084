#include "app/WindowMessageView.h"

#include <QAction>
#include <QApplication>
#include <QLineEdit>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QStyle>
#include <QTabWidget>
#include <QTextEdit>

#include "app/TFrmTdw.h"
#include "reader/AttachmentLists.h"
#include "reader/HtmlView.h"
#include "reader/InternetMessageReader.h"
#include "reader/MessageInfo.h"
#include "reader/OutlookMessageReader.h"
#include "reader/gpg/GpgDecryptor.h"
#include "reader/outlook/OutlookItem.h"

using namespace Qt::StringLiterals;

WindowMessageView::WindowMessageView(TFrmTdw& window)
    : m_window(window)
{
}

void WindowMessageView::clearMessageView()
{
    m_window.ClearMessageView();
}

void WindowMessageView::showMessageInfo(const MessageInfo& info)
{
    const QStringList values = {info.Message_ID,
                                info.Message_Date,
                                info.Account_Key,
                                info.Sender_Name,
                                info.Sender_Address,
                                info.Recieve_Name,
                                info.Recieve_Address,
                                info.Message_Subject};
    for (int i = 0; i < values.size() && i < m_window.m_bibliography.size(); ++i) {
        m_window.m_bibliography.at(i)->setText(values.at(i));
        m_window.m_bibliography.at(i)->setCursorPosition(0);
    }
}

void WindowMessageView::setBodyText(const QString& text)
{
    m_window.m_messageText->setPlainText(text);
}

void WindowMessageView::setDataViews(const QString& left, const QString& right)
{
    m_window.m_rawMemo->setPlainText(left);
    m_window.m_bodyMemo->setPlainText(right);
}

void WindowMessageView::selectPage(int index)
{
    QTabWidget* pages = m_window.m_pageControl;
    if (index >= 0 && index < pages->count() && pages->isTabVisible(index)) {
        pages->setCurrentIndex(index);
    }
}

void WindowMessageView::showAttachmentTab()
{
    m_window.setTabVisible(m_window.m_attachment1Tab, true);
}

void WindowMessageView::addAttachment(const QString& caption, const QString& iconKey, int /*imageIndex*/, int partIndex)
{
    // The key is an extension (".pdf") or a file name ("ver.dat") whose extension counts.
    const QString extension = iconKey.startsWith(u'.') ? iconKey : AttachmentRules::extensionOf(iconKey);
    m_window.m_attachmentLists->addAttachment(caption, extension, partIndex);
}

void WindowMessageView::enableOpenActions()
{
    m_window.m_attachmentLists->enableOpenActions();
}

void WindowMessageView::enableDbUpdate()
{
    m_window.action(u"DBUpdate"_s)->setEnabled(true);
}

void WindowMessageView::showHtmlText(const QString& html, double zoomFactor)
{
    m_window.setTabVisible(m_window.m_htmlTab, true);
    selectPage(0);
    if (m_window.m_attachmentLists->model().source() == AttachmentList::Source::Outlook) {
        m_window.m_htmlView->setResources(outlookResources());
    } else if (m_window.m_reader) {
        m_window.m_htmlView->setResources(HtmlView::resourcesOf(m_window.m_reader->message()));
    }
    m_window.action(u"Zoom_DecMgn"_s)->setEnabled(true);
    m_window.action(u"Zoom_IncMgn"_s)->setEnabled(true);
    m_window.m_htmlView->showHtml(html, zoomFactor);
}

void WindowMessageView::setStatusText(const QString& text)
{
    m_window.setStatusText(2, text);
}

void WindowMessageView::unpackTnef(int /*partIndex*/)
{
    m_window.m_state.TnefFlg = true;
    m_window.m_attachmentLists->DecryptTnefA1();
}

QHash<QString, HtmlView::Resource> WindowMessageView::outlookResources() const
{
    // Inline pictures of an Outlook item: the attachments that carry a content id.
    QHash<QString, HtmlView::Resource> resources;
    const OutlookMailItem* item = m_window.m_outlookReader ? m_window.m_outlookReader->item() : nullptr;
    if (!item) {
        return resources;
    }
    for (int i = 1; i <= item->attachmentCount(); ++i) {
        const OutlookAttachment* attachment = item->Item(i);
        const QString id = attachment->GetProperty(0x3712001F).value_or(QString());
        if (!id.isEmpty()) {
            resources.insert(id, {attachment->mimeTag().toLatin1(), attachment->data()});
        }
    }
    return resources;
}

void WindowMessageView::decryptArmoredText(const QStringList& armoredText, bool jisFlg, ArmorSource source)
{
    // The window shows the result through the decryptor's bodyTextReady signal.
    m_window.gpg().decryptBody(armoredText, jisFlg, source);
}

bool WindowMessageView::fromStore() const
{
    return (m_window.state().pmode & TFrmTdw::kFromStore) != 0;
}
