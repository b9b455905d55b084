#include <QFile>
#include <QFileInfo>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QTemporaryDir>

#include "app/core/FileChooser.h"
#include "app/core/ParameterTable.h"
#include "app/core/Prompter.h"
#include "cli/CliCommand.h"
#include "reader/InternetMessageReader.h"
#include "reader/MessageInfo.h"
#include "reader/MessageView.h"
#include "reader/OutlookMessageReader.h"
#include "reader/gpg/GpgDecryptor.h"

using namespace Qt::StringLiterals;

namespace {

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

// Messages the reader would show in a box go to standard error.
class StreamPrompter final : public Prompter
{
public:
    explicit StreamPrompter(QTextStream& err)
        : m_err(err)
    {
    }
    void information(const QString& text) override { m_err << text << '\n'; }
    void warning(const QString& text) override { m_err << text << '\n'; }
    void error(const QString& text) override { m_err << text << '\n'; }
    Answer question(const QString& text, Answer defaultAnswer) override
    {
        m_err << text << '\n';
        return defaultAnswer;
    }
    Answer questionWithCancel(const QString& text, Answer defaultAnswer) override
    {
        m_err << text << '\n';
        return defaultAnswer;
    }

private:
    QTextStream& m_err;
};

// No dialog can be shown here: every save is cancelled.
class NoFileChooser final : public FileChooser
{
public:
    QStringList openFiles(Request&) override { return {}; }
    QString saveFile(Request&) override { return {}; }
    QString chooseFolder(const QString&, const QString&) override { return {}; }
};

int runInspect(const QStringList& args, QTextStream& out, QTextStream& err)
{
    QString gpgPath;
    QStringList rest = args;
    if (rest.size() == 3 && rest.first() == u"--gpg"_s) {
        gpgPath = rest.at(1);
        rest = rest.mid(2);
    }
    if (rest.size() != 1) {
        err << "usage: tidewell-cli inspect [--gpg PATH] FILE\n";
        return 2;
    }
    const QString path = rest.first();
    const QFileInfo info(path);
    if (!info.exists() || !info.isFile()) {
        err << "tidewell-cli inspect: no such file: " << path << '\n';
        return 1;
    }
    RecordingView view;
    ParameterTable parameters;
    // No account of a user is known here: the own-account rule must not rename anyone.
    for (int i = 1; i <= 10; ++i) {
        parameters.setValue(QString(u"MailAccount"_s + QString::number(i)), QString());
    }
    parameters.setValue(u"GPGPath", gpgPath);
    StreamPrompter prompter(err);
    MessageInfo message;
    message.MessageFile = path;

    // GnuPG's input and output live in a private folder that is removed at the end.
    QTemporaryDir workFolder;
    NoFileChooser noFiles;
    GpgDecryptor gpg(parameters, prompter, noFiles, workFolder.path());
    QObject::connect(&gpg, &GpgDecryptor::bodyTextReady, &gpg, [&message](const QString& text, GpgDecryptor::Job job) {
        if (job == GpgDecryptor::Job::Body || job == GpgDecryptor::Job::BareFile) {
            message.MailBody = text;
        }
    });
    if (!gpgPath.isEmpty() && workFolder.isValid()) {
        view.gpg = &gpg;
    }
    if (info.suffix().compare(u"msg"_s, Qt::CaseInsensitive) == 0) {
        // The reader opens a copy beside the file it is given; make that beside a copy of our own,
        // so that inspecting never writes into the folder of the file.
        QTemporaryDir work;
        const QString copy = work.path() + u"/"_s + info.fileName();
        if (!work.isValid() || !QFile::copy(path, copy)) {
            err << "tidewell-cli inspect: cannot copy " << path << '\n';
            return 1;
        }
        OutlookMessageReader reader(view, parameters, prompter, message);
        reader.ReadOutlookMessage(copy);
    } else {
        InternetMessageReader reader(view, parameters, prompter, message);
        reader.ReadInternetMessage(path);
    }

    QJsonArray attachments;
    for (const QString& caption : std::as_const(view.attachments)) {
        attachments.append(caption);
    }
    const QJsonObject result{
        {u"Message_ID"_s, message.Message_ID},
        {u"Message_Date"_s, message.Message_Date},
        {u"Account_Key"_s, message.Account_Key},
        {u"Sender_Name"_s, message.Sender_Name},
        {u"Sender_Address"_s, message.Sender_Address},
        {u"Recieve_Name"_s, message.Recieve_Name},
        {u"Recieve_Address"_s, message.Recieve_Address},
        {u"Message_Subject"_s, message.Message_Subject},
        {u"MDatType"_s, message.MDatType},
        {u"MailBody"_s, message.MailBody},
        {u"HasHtml"_s, view.hasHtml},
        {u"HtmlLength"_s, view.html.size()},
        {u"Attachments"_s, attachments},
    };
    out << QString::fromUtf8(QJsonDocument(result).toJson(QJsonDocument::Indented));
    return 0;
}

} // namespace

CliCommand inspectCommand()
{
    return {u"inspect"_s,
            u"inspect [--gpg PATH] FILE"_s,
            u"read an internet message (.eml) or an Outlook message (.msg) and print what the reader takes from it "
            u"as JSON; with --gpg, armored bodies are decrypted with the GnuPG program at PATH"_s,
            &runInspect};
}
