#pragma once

#include <QHash>

#include "reader/HtmlView.h"
#include "reader/MessageView.h"

class TFrmTdw;

// The main window's widgets as the message readers see them.
class WindowMessageView final : public MessageView
{
public:
    explicit WindowMessageView(TFrmTdw& window);

    void clearMessageView() override;
    void showMessageInfo(const MessageInfo& info) override;
    void setBodyText(const QString& text) override;
    void setDataViews(const QString& left, const QString& right) override;
    void selectPage(int index) override;
    void showAttachmentTab() override;
    void addAttachment(const QString& caption, const QString& iconKey, int imageIndex, int partIndex) override;
    void enableOpenActions() override;
    void enableDbUpdate() override;
    void showHtmlText(const QString& html, double zoomFactor) override;
    void setStatusText(const QString& text) override;
    void unpackTnef(int partIndex) override;
    void decryptArmoredText(const QStringList& armoredText, bool jisFlg, ArmorSource source) override;
    [[nodiscard]] bool fromStore() const override;

private:
    [[nodiscard]] QHash<QString, HtmlView::Resource> outlookResources() const;

    TFrmTdw& m_window;
};
