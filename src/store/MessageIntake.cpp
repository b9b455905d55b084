#include "store/MessageIntake.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QIODevice>
#include <QSaveFile>

#include "app/core/Delay.h"
#include "app/core/FileChooser.h"
#include "app/core/Prompter.h"
#include "app/core/Settings.h"
#include "reader/MessageInfo.h"
#include "reader/MimeMessage.h"
#include "store/DbConnectController.h"

using namespace Qt::StringLiterals;

namespace {

const QString kDBUpdate = u"DBUpdate"_s;
const QString kMessageSave = u"MessageSave"_s;

using Kind = MessageReaders::Kind;

Kind kindOf(const QString& name)
{
    return MessageReaders::kindOf(name);
}

} // namespace

MessageIntake::MessageIntake(MessageInfo& info,
                             Settings& settings,
                             const QString& mailDat,
                             const DbListHost& host,
                             DbConnectController& dbConnect,
                             Prompter& prompter,
                             FileChooser& files,
                             const QString& connectionName,
                             QObject* parent)
    : QObject(parent)
    , m_info(info)
    , m_settings(settings)
    , m_mailDat(mailDat)
    , m_host(host)
    , m_dbConnect(dbConnect)
    , m_prompter(prompter)
    , m_files(files)
    , m_registrar(connectionName)
{
}

MessageIntake::~MessageIntake() = default;

QStringList MessageIntake::openFilters()
{
    return {tr("テキストファイル (*.txt)"),
            tr("E-Mailファイル(*.eml)"),
            tr("Outlook-Msgファイル(*.msg)"),
            tr("ASCファイル(*.asc)"),
            tr("DATファイル(*.dat)"),
            tr("全てのファイル(*.*)")};
}

QString MessageIntake::workCopyPath(const QString& name) const
{
    QString plain = MimeMessage::plainFileName(name);
    if (plain.isEmpty()) {
        plain = u"message"_s;
    }
    return QDir(m_mailDat).absoluteFilePath(plain);
}

qint64 MessageIntake::copyStream(QIODevice& stream, QIODevice& file)
{
    const qint64 size = stream.size();
    qint64 expected = static_cast<qint32>(static_cast<quint32>(size & 0xFFFFFFFF));
    stream.seek(0);
    if (expected <= 0) {
        return 0;
    }
    QByteArray buffer(static_cast<qsizetype>(std::min(expected, kCopyBlock)), Qt::Uninitialized);
    qint64 filled = 0;
    qint64 written = 0;
    const auto flush = [&] {
        if (filled > 0) {
            written += std::max<qint64>(0, file.write(buffer.constData(), filled));
            filled = 0;
        }
    };
    while (expected > 0) {
        const qint64 room = std::min<qint64>(buffer.size() - filled, expected);
        const qint64 got = stream.read(buffer.data() + filled, room);
        if (got <= 0) {
            break;
        }
        filled += got;
        expected -= got;
        if (filled == buffer.size() || expected == 0) {
            flush();
        }
    }
    flush(); // a copy that ended early keeps what was read
    return written;
}

void MessageIntake::setRunning(bool running, int items)
{
    if (m_running == running) {
        return;
    }
    m_running = running;
    if (running) {
        m_stopRequested = false;
        m_reconnectPending = false;
        m_runItems = items;
    } else {
        m_runItems = 0;
        // The list opens once after a selection of several messages, with all of them in it.
        if (m_reconnectPending && !m_dbConnect.isListOpen()) {
            m_host.commands.performCommand(u"DBConnect"_s);
        }
        m_reconnectPending = false;
    }
    Q_EMIT runningChanged(running);
}

void MessageIntake::step(int done, int total)
{
    if (total > 1) {
        Q_EMIT progressChanged(done, total);
        // Let the window paint the progress and answer between two messages.
        QCoreApplication::processEvents();
    }
}

void MessageIntake::disconnectList()
{
    m_dbConnect.closeList();
}

void MessageIntake::openMessages()
{
    if (m_running) {
        return;
    }
    m_host.modes.switchOffFileWorkbench();
    m_host.status.setStatusText(0, QString());
    m_host.status.setStatusText(2, QString());
    FileChooser::Request request;
    request.caption = tr("メールを開く");
    request.folder = m_settings.MLRead_Path;
    request.filters = openFilters();
    // The stored index counts from 1 like the dialog's own numbering; 0 means the first entry too.
    request.filterIndex = std::clamp(m_settings.MLFilterIdx - 1, 0, int(request.filters.size()) - 1);
    request.multiple = true;
    if (m_window.plainTextMode) {
        m_window.plainTextMode();
    }
    m_host.modes.clearMessageView();
    disconnectList();
    const QStringList files = m_files.openFiles(request);
    if (files.isEmpty()) {
        return;
    }
    if (m_window.hideAttachmentTabs) {
        m_window.hideAttachmentTabs();
    }
    m_settings.MLFilterIdx = std::max(0, request.filterIndex) + 1;
    m_settings.MLRead_Path = QFileInfo(files.first()).absolutePath();
    openFiles(files);
}

void MessageIntake::openFiles(const QStringList& files)
{
    if (m_running) {
        return;
    }
    setRunning(true, static_cast<int>(files.size()));
    m_host.mode.setPmode(m_host.mode.pmode() & ~quint16(0x0001));
    Run run;
    run.source = Source::Open;
    run.itemCount = static_cast<int>(files.size());
    run.remaining = run.itemCount;
    bool previousRead = false;
    QString previousName;
    for (int i = 0; i < files.size() && !m_stopRequested; ++i) {
        if (run.itemCount > 1 && previousRead) {
            decide(run, previousName);
            step(i, run.itemCount);
            if (m_stopRequested) {
                break;
            }
        }
        readOpened(files.at(i), previousRead, run);
        previousName = QFileInfo(files.at(i)).fileName();
    }
    if (run.itemCount > 1 && previousRead && !m_stopRequested) {
        decide(run, previousName);
    }
    step(run.itemCount, run.itemCount);
    setRunning(false);
}

void MessageIntake::readOpened(const QString& file, bool& read, Run& run)
{
    if (m_window.clearAttachmentsAndBody) {
        m_window.clearAttachmentsAndBody();
    }
    m_info.MessageFile = file;
    switch (kindOf(file)) {
    case Kind::Internet:
        m_info.awk_MessageFile.clear();
        m_readers.read(m_info.MessageFile);
        break;
    case Kind::Outlook: {
        // The Outlook reader only ever sees a copy, never the user's own file.
        m_info.awk_MessageFile = workCopyPath(QFileInfo(file).fileName());
        QDir().mkpath(m_mailDat);
        QFile::remove(m_info.awk_MessageFile);
        QFile::copy(file, m_info.awk_MessageFile);
        Delay::wait(100);
        m_readers.read(m_info.awk_MessageFile);
        break;
    }
    case Kind::Other:
        m_prompter.information(tr("メールファイルではありません"));
        m_host.commands.setCommandEnabled(kDBUpdate, false);
        --run.remaining;
        read = false;
        return;
    }
    m_host.commands.setCommandEnabled(kMessageSave, true);
    m_host.commands.setCommandEnabled(kDBUpdate, true);
    read = true;
}

void MessageIntake::drop(DropItems& items)
{
    if (m_running) {
        return;
    }
    m_host.modes.clearMessageView();
    disconnectList();
    m_host.status.setStatusText(2, QString());
    setRunning(true, items.count());
    m_host.mode.setPmode(m_host.mode.pmode() & ~quint16(0x0001));
    Run run;
    run.source = Source::Drop;
    run.itemCount = items.count();
    run.remaining = run.itemCount;
    for (int i = 0; i < run.itemCount && !m_stopRequested; ++i) {
        if (m_window.clearAttachmentsAndBody) {
            m_window.clearAttachmentsAndBody();
        }
        const QString name = items.name(i);
        const Kind kind = kindOf(name.trimmed());
        if (kind == Kind::Other) {
            m_prompter.information(tr("メールファイルではありません"));
            break;
        }
        m_info.awk_MessageFile = workCopyPath(name);
        m_info.MessageFile.clear();
        QDir().mkpath(m_mailDat);
        QFile work(m_info.awk_MessageFile);
        if (!work.open(QIODevice::WriteOnly | QIODevice::Truncate)) {
            m_prompter.error(u"Cannot create file \"%1\". %2"_s.arg(m_info.awk_MessageFile, work.errorString()));
            --run.remaining;
            step(i + 1, run.itemCount);
            continue;
        }
        std::unique_ptr<QIODevice> stream = items.contents(i);
        if (!stream) {
            m_prompter.information(tr("** メール内容が読めませんでした **"));
            --run.remaining;
            work.close();
            step(i + 1, run.itemCount);
            continue;
        }
        copyStream(*stream, work);
        work.close();
        m_readers.read(m_info.awk_MessageFile);
        m_host.commands.setCommandEnabled(kDBUpdate, true);
        m_host.commands.setCommandEnabled(kMessageSave, true);
        if (run.itemCount > 1) {
            if (m_window.showBodyPane) {
                m_window.showBodyPane(true);
            }
            decide(run, name);
        }
        step(i + 1, run.itemCount);
    }
    if (m_window.showBodyPane) {
        m_window.showBodyPane(true);
    }
    step(run.itemCount, run.itemCount);
    setRunning(false);
}

void MessageIntake::decide(Run& run, const QString& itemName)
{
    if (!run.batch && run.remaining == run.itemCount) {
        const Prompter::Answer answer = m_prompter.question(
            tr("メールデータを確認せずに一括処理しますか? \r\n[はい]:一括処理\r\n[いいえ]：確認処理"),
            Prompter::Answer::No);
        run.batch = answer == Prompter::Answer::Yes;
    }
    const MessageInfo shown = m_window.shownMessage ? m_window.shownMessage() : m_info;
    const bool blankId = shown.Message_ID.trimmed().isEmpty();
    if (run.batch) {
        if (run.source == Source::Drop && blankId) {
            m_host.status.setStatusText(2, tr("このメールデータはDB更新できません"));
            Delay::wait(300);
        } else {
            DBUpdate();
        }
    } else {
        const QString text = tr("【ファイル名】<") + QString::number(run.remaining) + u">"_s + u"\r\n"_s + itemName
                             + u"\r\n"_s + tr("このメールデータをDB登録しますか?");
        if (m_prompter.question(text, Prompter::Answer::Yes) == Prompter::Answer::Yes) {
            if (run.source == Source::Drop && blankId) {
                m_prompter.information(tr("MessageIDが不明です\r\nこのメールデータはDB更新できません"));
            } else {
                DBUpdate();
            }
        }
    }
    --run.remaining;
}

MessageRegistrar::Outcome MessageIntake::DBUpdate()
{
    const MessageInfo shown = m_window.shownMessage ? m_window.shownMessage() : m_info;
    const MessageRegistrar::Outcome outcome = m_registrar.DBUpdate(shown, m_host.status, m_host.commands, m_prompter);
    const bool stored = outcome == MessageRegistrar::Outcome::Inserted || outcome == MessageRegistrar::Outcome::Updated;
    if (stored && m_settings.ReconnectFlg && !m_dbConnect.isListOpen()) {
        if (m_runItems > 1) {
            // An open list would show only the messages stored before it opened; it opens at the end.
            m_reconnectPending = true;
        } else {
            // The newly stored message shows in the list at once.
            m_host.commands.performCommand(u"DBConnect"_s);
        }
    }
    Q_EMIT registered(outcome);
    return outcome;
}

void MessageIntake::MessageSave()
{
    if ((m_host.mode.pmode() & 0x0001) != 0) {
        // A message taken from the store is exported from the store.
        m_host.commands.performCommand(u"ExprtMsgFile"_s);
        return;
    }
    FileChooser::Request request;
    request.caption = tr("メールを保存する");
    request.folder = m_settings.MLStore_Path;
    request.fileName = QFileInfo(m_info.MessageFile).fileName();
    const QString target = m_files.saveFile(request);
    if (target.isEmpty()) {
        return;
    }
    m_settings.MLStore_Path = QFileInfo(target).absolutePath();
    if (!m_info.MessageFile.isEmpty() && QFileInfo(m_info.MessageFile).isFile()) {
        if (QFileInfo(m_info.MessageFile).canonicalFilePath() == QFileInfo(target).canonicalFilePath()) {
            return; // saved onto itself: nothing to do, and removing it first would lose it
        }
        QFile::remove(target);
        QFile source(m_info.MessageFile);
        if (!source.copy(target)) {
            m_prompter.error(u"Cannot create file \"%1\". %2"_s.arg(target, source.errorString()));
        }
        return;
    }
    const QString text = m_window.dataMemoText ? m_window.dataMemoText() : QString();
    if (text.isEmpty()) {
        return;
    }
    QStringList lines = text.split(u'\n');
    for (QString& line : lines) {
        if (line.endsWith(u'\r')) {
            line.chop(1);
        }
    }
    QSaveFile file(target);
    if (!file.open(QIODevice::WriteOnly)) {
        m_prompter.error(u"Cannot create file \"%1\". %2"_s.arg(target, file.errorString()));
        return;
    }
    file.write("\xEF\xBB\xBF");
    file.write((lines.join(u"\r\n"_s) + u"\r\n"_s).toUtf8());
    if (!file.commit()) {
        m_prompter.error(u"Cannot create file \"%1\". %2"_s.arg(target, file.errorString()));
    }
}
