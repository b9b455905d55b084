#pragma once

#include <functional>

#include <QStringList>
#include <QTextStream>

#include "app/core/FileChooser.h"
#include "app/core/ParameterTable.h"
#include "app/core/Prompter.h"
#include "reader/MessageView.h"
#include "reader/gpg/GpgDecryptor.h"

// What the command line gives the message readers in place of the main window.

// A message view that only remembers what the reader showed.
class RecordingView final : public MessageView
{
public:
    QString html;
    bool hasHtml = false;
    QStringList attachments;
    GpgDecryptor* gpg = nullptr; // decrypts armored bodies when a GnuPG program was given

    void clearMessageView() override
    {
        html.clear();
        hasHtml = false;
        attachments.clear();
    }
    void showMessageInfo(const MessageInfo&) override {}
    void setBodyText(const QString&) override {}
    void setDataViews(const QString&, const QString&) override {}
    void selectPage(int) override {}
    void showAttachmentTab() override {}
    void addAttachment(const QString& caption, const QString&, int, int) override { attachments.append(caption); }
    void enableOpenActions() override {}
    void enableDbUpdate() override {}
    void showHtmlText(const QString& text, double) override
    {
        html = text;
        hasHtml = true;
    }
    void setStatusText(const QString&) override {}
    void unpackTnef(int) override {}
    void decryptArmoredText(const QStringList& armoredText, bool jisFlg, ArmorSource source) override
    {
        if (gpg) {
            gpg->decryptBody(armoredText, jisFlg, source);
        }
    }
    bool fromStore() const override { return false; }
};

// Messages the reader would show in a box go to standard error, or to a list
// when the reading runs on a worker thread.
class StreamPrompter final : public Prompter
{
public:
    explicit StreamPrompter(QTextStream& err)
        : m_say([&err](const QString& text) { err << text << '\n'; })
    {
    }
    explicit StreamPrompter(QStringList& notes)
        : m_say([&notes](const QString& text) { notes.append(text); })
    {
    }
    void information(const QString& text) override { m_say(text); }
    void warning(const QString& text) override { m_say(text); }
    void error(const QString& text) override { m_say(text); }
    Answer question(const QString& text, Answer defaultAnswer) override
    {
        m_say(text);
        return defaultAnswer;
    }
    Answer questionWithCancel(const QString& text, Answer defaultAnswer) override
    {
        m_say(text);
        return defaultAnswer;
    }

private:
    std::function<void(const QString&)> m_say;
};

// The readers' parameters here: the defaults, but no account of a user is known,
// so the own-account rule must not rename anyone after the sample accounts.
inline ParameterTable commandLineParameters()
{
    ParameterTable parameters;
    for (int i = 1; i <= 10; ++i) {
        parameters.setValue(QString(QStringLiteral("MailAccount") + QString::number(i)), QString());
    }
    return parameters;
}

// No dialog can be shown here: every save is cancelled.
class NoFileChooser final : public FileChooser
{
public:
    QStringList openFiles(Request&) override { return {}; }
    QString saveFile(Request&) override { return {}; }
    QString chooseFolder(const QString&, const QString&) override { return {}; }
};
