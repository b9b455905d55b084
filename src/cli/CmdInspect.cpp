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
#include "cli/RecordingView.h"
#include "reader/InternetMessageReader.h"
#include "reader/MessageInfo.h"
#include "reader/MessageView.h"
#include "reader/OutlookMessageReader.h"
#include "reader/gpg/GpgDecryptor.h"

using namespace Qt::StringLiterals;

namespace {

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
    ParameterTable parameters = commandLineParameters();
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
