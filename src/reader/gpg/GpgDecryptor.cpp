#include "reader/gpg/GpgDecryptor.h"

#include <cmath>

#include <sys/stat.h>

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>
#include <QTemporaryFile>
#include <QTimer>

#include "app/core/Delay.h"
#include "app/core/FileChooser.h"
#include "app/core/ParameterTable.h"
#include "app/core/Prompter.h"
#include "reader/gpg/GpgDecryptedText.h"

using namespace Qt::StringLiterals;

namespace {

const QString kPgpMarker = u"-----BEGIN PGP MESSAGE-----"_s;
// A message box cannot usefully show more of a header block that is not one.
constexpr qsizetype kShownHeaderLimit = 2000;

QString startText()
{
    return QCoreApplication::translate(
        "GpgDecryptor",
        "［GnuPGP]復号処理エージェント起動中です -- お待ちください（起動に長時間がかかる場合があります）");
}

QString startTextAscii()
{
    return QCoreApplication::translate(
        "GpgDecryptor",
        "［GnuPGP]復号処理エージェント起動中です -- お待ちください(起動に長時間がかかる場合があります)");
}

// The extension with its dot, as a file-name function gives it ("a.tar.gz" -> ".gz").
QString extensionOf(const QString& name)
{
    const qsizetype dot = name.lastIndexOf(u'.');
    return dot < 0 ? QString() : name.mid(dot);
}

// The extension the input file gets: the caption's when it is a plain short one.
QString inputExtension(const QString& caption)
{
    const QString extension = extensionOf(caption).toLower();
    if (extension.size() < 2 || extension.size() > 9) {
        return u".dat"_s;
    }
    for (qsizetype i = 1; i < extension.size(); ++i) {
        const QChar c = extension.at(i);
        if (!((c >= u'a' && c <= u'z') || (c >= u'0' && c <= u'9'))) {
            return u".dat"_s;
        }
    }
    return extension;
}

// Attachments of a decrypted message as list II shows them. A nameless part is
// named "ver.dat", as list I names it, so that it can be looked up by caption.
QList<GpgListEntry> listParts(MimeMessage& message)
{
    QList<GpgListEntry> entries;
    int imageIndex = 0;
    QList<MimePart>& parts = message.parts();
    for (int index = 0; index < parts.size(); ++index) {
        MimePart& part = parts[index];
        if (part.kind() != MimePart::Kind::Attachment) {
            continue;
        }
        if (part.fileName().isEmpty()) {
            part.setFileName(u"ver.dat"_s);
        }
        const QString iconKey = part.fileName().contains(u"OpenPGP_signature"_s)
                                    ? QString::fromUtf16(GpgListEntry::kGenericIconKey)
                                    : extensionOf(part.fileName());
        entries.append({part.fileName(), iconKey, imageIndex, index, part.contentType()});
        ++imageIndex;
    }
    return entries;
}

QString joinLines(const QStringList& lines)
{
    QString text = lines.join(u'\n');
    text.replace(u"\r\n"_s, u"\n"_s);
    return text;
}

} // namespace

struct GpgDecryptor::Run
{
    Job job = Job::Body;
    MessageView::ArmorSource source = MessageView::ArmorSource::TextPart;
    QString input;  // MLItemFileStr
    QString output; // DcrMLItemFileStr
    QString caption;
    bool jisFlg = false;
    bool TerminateState = false;
    bool ended = false;
    bool failedToStart = false;
    bool abandoned = false;
    QProcess* process = nullptr;
};

GpgDecryptor::GpgDecryptor(
    ParameterTable& parameters, Prompter& prompter, FileChooser& files, const QString& workFolder, QObject* parent)
    : QObject(parent)
    , m_parameters(parameters)
    , m_prompter(prompter)
    , m_files(files)
    , m_workFolder(workFolder)
{
    qRegisterMetaType<GpgListEntry>();
    qRegisterMetaType<QList<GpgListEntry>>();
}

GpgDecryptor::~GpgDecryptor()
{
    for (const std::shared_ptr<Run>& job : std::as_const(m_running)) {
        if (job->process) {
            job->process->disconnect(this);
            job->process->kill();
            job->process->waitForFinished(3000);
            delete job->process;
            job->process = nullptr;
        }
        QFile::remove(job->output);
        QFile::remove(job->input);
        job->TerminateState = true;
    }
}

QString GpgDecryptor::programPath(const ParameterTable& parameters)
{
    if (!parameters.isSet(u"GPGPath")) {
        return QString();
    }
    const QString path = parameters.value(u"GPGPath").trimmed();
    const QFileInfo program(path);
    if (path.isEmpty() || !program.exists() || !program.isFile()) {
        return QString();
    }
    return path;
}

QStringList GpgDecryptor::arguments(const QString& outputFile, const QString& inputFile)
{
    // --batch: GnuPG never waits for an answer on a terminal (a pass phrase still
    // comes through its agent); --yes: a file left at the output path is replaced
    // instead of being a question nobody sees.
    return {u"--batch"_s, u"--yes"_s, u"--output"_s, outputFile, u"--quiet"_s, u"--decrypt"_s, inputFile};
}

int GpgDecryptor::watchdogInterval() const
{
    return m_watchdogInterval >= 0 ? m_watchdogInterval : Delay::scaled(kWatchdogMilliseconds);
}

void GpgDecryptor::abandonRunningJobs()
{
    for (const std::shared_ptr<Run>& job : std::as_const(m_running)) {
        job->abandoned = true;
    }
}

QString GpgDecryptor::pathMessage(Job job, MessageView::ArmorSource source) const
{
    if (job == Job::Body && source == MessageView::ArmorSource::TextPart) {
        return QCoreApplication::translate("GpgDecryptor", "GPG2.exeのパス設定をしてください");
    }
    return QCoreApplication::translate("GpgDecryptor", "GPG.exeのパス設定をしてください");
}

QString GpgDecryptor::writeInput(const QByteArray& data, const QString& extension)
{
    QDir().mkpath(m_workFolder);
    // A name of its own for every job: nothing else in the work folder is overwritten or deleted.
    QTemporaryFile file(QDir(m_workFolder).filePath(u"gpg_XXXXXX"_s + extension));
    file.setAutoRemove(false);
    if (!file.open()) {
        return QString();
    }
    if (file.write(data) != data.size() || !file.flush()) {
        file.close();
        file.remove();
        return QString();
    }
    file.close();
    return file.fileName();
}

bool GpgDecryptor::checkArmored(const QString& inputFile, const QByteArray& content)
{
    MimeMessage probe;
    probe.loadData(content);
    const QString header = probe.headerText();
    if (header.contains(kPgpMarker)) {
        return true;
    }
    if (!header.trimmed().isEmpty()) {
        m_prompter.information(header.left(kShownHeaderLimit));
    }
    m_prompter.information(QCoreApplication::translate("GpgDecryptor", "このデータはGPG暗号化データではありません"));
    QFile::remove(inputFile);
    return false;
}

bool GpgDecryptor::decryptBody(const QStringList& armoredText, bool jisFlg, MessageView::ArmorSource source)
{
    auto job = std::make_shared<Run>();
    job->job = source == MessageView::ArmorSource::TextPart ? Job::Body : Job::BareFile;
    job->source = source;
    job->jisFlg = jisFlg;
    if (programPath(m_parameters).isEmpty()) {
        m_prompter.information(pathMessage(job->job, source));
        return false;
    }
    job->input = writeInput((armoredText.join(u'\n') + u'\n').toUtf8(), u".asc"_s);
    if (job->input.isEmpty()) {
        return false;
    }
    run(job, startText());
    return true;
}

void GpgDecryptor::decryptAttachment(const QString& caption, const QByteArray& content)
{
    if (caption.contains(u"無題の添付ファイル"_s)) {
        Q_EMIT statusTextChanged(QCoreApplication::translate("GpgDecryptor", "復号済みです"));
        return;
    }
    Q_EMIT bodyTextReady(QString(), Job::Attachment);
    m_secondList.clear();
    Q_EMIT secondListChanged(m_secondList);
    Q_EMIT attachmentTabRequested();
    Q_EMIT actionsEnabledChanged({u"SavetoDisk"_s, u"OpenWith"_s}, false);
    if (caption.isEmpty()) {
        return;
    }
    auto job = std::make_shared<Run>();
    job->job = Job::Attachment;
    job->caption = caption;
    job->input = writeInput(content, inputExtension(caption));
    if (job->input.isEmpty() || !checkArmored(job->input, content)) {
        return;
    }
    run(job, startTextAscii());
}

void GpgDecryptor::decryptAttachmentAndSave(const QString& caption, const QByteArray& content)
{
    Q_EMIT actionsEnabledChanged({u"SavetoDisk"_s, u"SaveToDiskA2"_s, u"OpenWith"_s, u"OpenWithA2"_s}, false);
    if (caption.isEmpty()) {
        return;
    }
    if (content.isNull()) {
        Q_EMIT statusTextChanged(QCoreApplication::translate("GpgDecryptor", "処理ファイルはありません）"));
        return;
    }
    auto job = std::make_shared<Run>();
    job->job = Job::AttachmentSave;
    job->caption = caption;
    job->input = writeInput(content, inputExtension(caption));
    if (job->input.isEmpty() || !checkArmored(job->input, content)) {
        return;
    }
    run(job, startText());
}

void GpgDecryptor::decryptSecondListAttachmentAndSave(const QString& caption)
{
    Q_EMIT actionsEnabledChanged({u"SavetoDisk"_s, u"OpenWith"_s, u"OpenWithA1"_s}, false);
    if (caption.isEmpty()) {
        return;
    }
    const QString extension = extensionOf(caption).toUpper();
    if (extension != u".ASC"_s && extension != u".GPG"_s && extension != u".PGP"_s) {
        m_prompter.information(QCoreApplication::translate("GpgDecryptor", "暗号化ファイルではありません"));
        return;
    }
    const MimePart* found = nullptr;
    for (const MimePart& part : m_secondMessage.parts()) {
        if (part.kind() == MimePart::Kind::Attachment && part.fileName() == caption) {
            found = &part;
            break;
        }
    }
    if (!found) {
        Q_EMIT statusTextChanged(QCoreApplication::translate("GpgDecryptor", "処理ファイルはありません）"));
        return;
    }
    auto job = std::make_shared<Run>();
    job->job = Job::SecondListSave;
    job->caption = caption;
    job->input = writeInput(found->content(), inputExtension(caption));
    if (job->input.isEmpty()) {
        return;
    }
    run(job, startText());
}

void GpgDecryptor::run(const std::shared_ptr<Run>& job, const QString& text)
{
    const QString program = programPath(m_parameters);
    if (program.isEmpty()) {
        m_prompter.information(pathMessage(job->job, job->source));
        QFile::remove(job->input);
        return;
    }
    job->output = QDir(m_workFolder).filePath(u"Dcr_"_s + QFileInfo(job->input).completeBaseName() + u".txt"_s);
    QFile::remove(job->output);

    Q_EMIT statusTextChanged(text);
    job->TerminateState = false;

    auto* process = new QProcess(this);
    job->process = process;
    process->setProgram(program);
    process->setArguments(arguments(job->output, job->input));
    process->setStandardInputFile(QProcess::nullDevice());
    process->setStandardOutputFile(QProcess::nullDevice());
    process->setStandardErrorFile(QProcess::nullDevice());
    // The decrypted file is for this user only.
    process->setChildProcessModifier([] { ::umask(077); });
    connect(process, &QProcess::finished, this, [this, job] { processEnded(job); });
    connect(process, &QProcess::errorOccurred, this, [this, job](QProcess::ProcessError error) {
        if (error == QProcess::FailedToStart) {
            job->failedToStart = true;
            processEnded(job);
        }
    });

    QTimer watchdog;
    watchdog.setSingleShot(true);
    watchdog.setInterval(watchdogInterval());
    connect(&watchdog, &QTimer::timeout, this, [this, job] { watchdogFired(job); });

    m_running.append(job);
    ++m_waiting;
    watchdog.start();
    process->start();
    while (!job->TerminateState) {
        Delay::wait(10);
    }
    watchdog.stop();
    --m_waiting;
    if (job->failedToStart) {
        // The path names a file that is not a program this user can start.
        m_prompter.information(pathMessage(job->job, job->source));
    } else {
        m_prompter.information(QCoreApplication::translate("GpgDecryptor", "復号完了"));
    }
}

void GpgDecryptor::watchdogFired(const std::shared_ptr<Run>& job)
{
    if (job->TerminateState) {
        return;
    }
    m_prompter.information(
        QCoreApplication::translate("GpgDecryptor",
                                    "GPG(Kleopatra) が機能していません\r\n"
                                    "パスキー入力画面が表示しないときはKleopatraを起動して再度実行してください"));
    job->TerminateState = true;
}

void GpgDecryptor::processEnded(const std::shared_ptr<Run>& job)
{
    if (job->ended) {
        return;
    }
    job->ended = true;
    m_running.removeOne(job);
    if (job->process) {
        job->process->deleteLater();
        job->process = nullptr;
    }

    // The decrypted file is read and deleted before anything is shown or asked,
    // so that nothing decrypted stays in the work folder while a dialog is open.
    QByteArray output;
    bool hasOutput = false;
    QFile file(job->output);
    if (file.exists() && file.open(QIODevice::ReadOnly)) {
        output = file.readAll();
        hasOutput = true;
        file.close();
    }
    QFile::remove(job->output);
    QFile::remove(job->input);

    if (!job->abandoned) {
        const QByteArray* result = hasOutput ? &output : nullptr;
        switch (job->job) {
        case Job::Body:
        case Job::BareFile:
            endBody(*job, result);
            break;
        case Job::Attachment:
            endAttachment(result);
            break;
        case Job::AttachmentSave:
        case Job::SecondListSave:
            endSave(*job, result);
            break;
        }
        Q_EMIT statusTextChanged(QString());
    }
    job->TerminateState = true;
}

void GpgDecryptor::endBody(const Run& job, const QByteArray* output)
{
    if (output) {
        Q_EMIT bodyTextReady(GpgDecryptedText::decodeBody(*output, job.jisFlg), job.job);
    }
}

double GpgDecryptor::zoomFactor()
{
    const QString zoom = m_parameters.valueOr(u"ZOOM", u"70"_s, true).trimmed();
    m_parameters.valueOr(u"ZoomFixed", u"1"_s, true);
    bool ok = false;
    const double percent = zoom.toDouble(&ok);
    if (!ok || !std::isfinite(percent) || percent <= 0) {
        m_parameters.setValue(u"ZOOM", u"70"_s);
        return 0.7;
    }
    return percent / 100.0;
}

QStringList GpgDecryptor::rebuild(const MimeMessage& message, bool searchBoundary)
{
    QString delimiter = m_parameters.valueOr(u"DLMTDStr1", u"--=-="_s, true);
    m_parameters.valueOr(u"DLMTDStr2", u"=-="_s, true);
    const QStringList lines = message.bodyLines();
    if (searchBoundary) {
        const QString announced = GpgDecryptedText::boundaryDelimiter(lines);
        if (!announced.isEmpty()) {
            delimiter = announced;
        }
    }
    return GpgDecryptedText::rebuildFirstAlternative(lines, delimiter, m_parameters.value(u"RemoveLF") == u"1"_s);
}

void GpgDecryptor::endAttachment(const QByteArray* output)
{
    m_secondList.clear();
    Q_EMIT secondListChanged(m_secondList);
    const double zoom = zoomFactor();
    m_secondMessage.clear();
    if (output) {
        m_secondMessage.loadData(*output);
    }
    if (m_secondMessage.hasParts()) {
        m_secondList = listParts(m_secondMessage);
        bool bodyShown = false;
        for (const MimePart& part : m_secondMessage.parts()) {
            if (bodyShown || part.kind() != MimePart::Kind::Text) {
                continue;
            }
            const QString type = part.contentType();
            if (type.contains(u"text/html"_s, Qt::CaseInsensitive)) {
                Q_EMIT htmlTextReady(part.text(), zoom);
                bodyShown = true;
            }
            if (type.contains(u"text/plain"_s, Qt::CaseInsensitive)) {
                Q_EMIT bodyTextReady(joinLines(part.textLines()), Job::Attachment);
                bodyShown = true;
            }
        }
        if (!m_secondList.isEmpty()) {
            Q_EMIT secondListChanged(m_secondList);
        }
    } else {
        Q_EMIT bodyTextReady(joinLines(rebuild(m_secondMessage, true)), Job::Attachment);
    }
    Q_EMIT actionsEnabledChanged({u"SavetoDisk"_s, u"OpenWith"_s}, true);
}

void GpgDecryptor::endSave(const Run& job, const QByteArray* output)
{
    QStringList target;
    const bool listing = job.job == Job::AttachmentSave;
    MimeMessage local;
    MimeMessage& message = listing ? m_secondMessage : local;
    if (listing) {
        // List II shows the second message, so both are replaced together.
        m_secondList.clear();
        Q_EMIT secondListChanged(m_secondList);
        m_secondMessage.clear();
    }
    if (!output) {
        // GnuPG wrote nothing: there is nothing to save, so no empty file is offered.
        return;
    }
    message.loadData(*output);
    if (message.hasParts()) {
        if (listing) {
            m_secondList = listParts(message);
            for (const MimePart& part : message.parts()) {
                if (part.kind() == MimePart::Kind::Text
                    && part.contentType().contains(u"text/plain"_s, Qt::CaseInsensitive)) {
                    target = part.textLines();
                    break;
                }
            }
            if (!m_secondList.isEmpty()) {
                Q_EMIT secondListChanged(m_secondList);
            }
        }
    } else {
        target = rebuild(message, false);
    }
    offerSave(job.caption, target);
}

void GpgDecryptor::offerSave(const QString& caption, const QStringList& target)
{
    FileChooser::Request request;
    request.fileName = GpgDecryptedText::proposedTextName(caption);
    QString path = m_files.saveFile(request);
    if (path.isEmpty()) {
        return;
    }
    if (QFileInfo(path).suffix().isEmpty()) {
        path += u".txt"_s; // the dialog's default extension
    }
    QString text = joinLines(target);
    if (!text.isEmpty()) {
        text += u'\n';
    }
    QSaveFile file(path);
    if (file.open(QIODevice::WriteOnly)) {
        file.write(text.toUtf8());
        file.commit();
    }
}
