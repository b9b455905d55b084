#pragma once

#include <QList>
#include <QString>
#include <QStringList>

#include "reader/MessageInfo.h"
#include "reader/MessageView.h"

// A message view for tests: remembers everything the reader asked of it.
class RecordingMessageView final : public MessageView
{
public:
    struct Attachment
    {
        QString caption;
        QString iconKey;
        int imageIndex = -1;
        int partIndex = -1;
    };
    struct Decryption
    {
        QStringList armoredText;
        bool jisFlg = false;
        ArmorSource source = ArmorSource::TextPart;
    };

    int clears = 0;
    MessageInfo shownInfo;
    QString bodyText;
    QString dataLeft;
    QString dataRight;
    QList<int> pages;
    bool attachmentTabShown = false;
    QList<Attachment> attachments;
    bool openActionsEnabled = false;
    bool dbUpdateEnabled = false;
    QStringList htmlTexts;
    QList<double> htmlZooms;
    QString statusText;
    QList<int> tnefParts;
    QList<Decryption> decryptions;
    bool storeMode = false;

    void clearMessageView() override
    {
        ++clears;
        shownInfo = MessageInfo();
        bodyText.clear();
        dataLeft.clear();
        dataRight.clear();
        attachmentTabShown = false;
        attachments.clear();
        htmlTexts.clear();
        htmlZooms.clear();
    }
    void showMessageInfo(const MessageInfo& info) override { shownInfo = info; }
    void setBodyText(const QString& text) override { bodyText = text; }
    void setDataViews(const QString& left, const QString& right) override
    {
        dataLeft = left;
        dataRight = right;
    }
    void selectPage(int index) override { pages.append(index); }
    void showAttachmentTab() override { attachmentTabShown = true; }
    void addAttachment(const QString& caption, const QString& iconKey, int imageIndex, int partIndex) override
    {
        attachments.append({caption, iconKey, imageIndex, partIndex});
    }
    void enableOpenActions() override { openActionsEnabled = true; }
    void enableDbUpdate() override { dbUpdateEnabled = true; }
    void showHtmlText(const QString& html, double zoomFactor) override
    {
        htmlTexts.append(html);
        htmlZooms.append(zoomFactor);
    }
    void setStatusText(const QString& text) override { statusText = text; }
    void unpackTnef(int partIndex) override { tnefParts.append(partIndex); }
    void decryptArmoredText(const QStringList& armoredText, bool jisFlg, ArmorSource source) override
    {
        decryptions.append({armoredText, jisFlg, source});
    }
    bool fromStore() const override { return storeMode; }

    [[nodiscard]] QStringList captions() const
    {
        QStringList result;
        for (const Attachment& a : attachments) {
            result.append(a.caption);
        }
        return result;
    }
};
