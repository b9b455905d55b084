#include "store/StoredMessageController.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>
#include <QSqlError>
#include <QSqlQuery>

#include "app/core/Delay.h"
#include "app/core/FileChooser.h"
#include "app/core/ParameterTable.h"
#include "app/core/Prompter.h"
#include "reader/MessageInfo.h"
#include "reader/MimeMessage.h"
#include "store/ExportFileName.h"
#include "store/MessageListModel.h"
#include "store/TDm_Ldb.h"

using namespace Qt::StringLiterals;

namespace {

const QString kExtract = u"select Message_FileName,Message_FileExt,MailDat from Message_DatTBL "
                         "where Message_ID = :Message_ID and Message_Date = :Message_Date"_s;
const QString kDeleteFile =
    u"delete from Message_DatTBL where Message_ID = :Message_ID and Message_Date = :Message_Date"_s;
const QString kDeleteIndex =
    u"delete from Message_IdxTbl where Message_ID = :Message_ID and Message_Date = :Message_Date"_s;

bool writeFile(const QString& path, const QByteArray& bytes, QString* error)
{
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly) || file.write(bytes) != bytes.size() || !file.commit()) {
        *error = file.errorString();
        return false;
    }
    return true;
}

} // namespace

QString StoredMessageController::plainStoredName(const QString& storedName, const QString& storedExt)
{
    // Only the last component is used, so that a copy always lands inside its folder.
    QString name = MimeMessage::plainFileName(storedName);
    if (name.isEmpty()) {
        const QString ext = MimeMessage::plainFileName(storedExt);
        name = u"message"_s + (ext.startsWith(u'.') ? ext : QString());
    }
    return name;
}

StoredMessageController::ReadResult StoredMessageController::readStoredFile(
    const QSqlDatabase& db, const QString& id, const QDateTime& date, StoredFile* file, QString* error)
{
    QSqlQuery query(db);
    query.setForwardOnly(true);
    bool ok = query.prepare(kExtract);
    if (ok) {
        query.bindValue(u":Message_ID"_s, id);
        query.bindValue(u":Message_Date"_s, date);
        ok = query.exec();
    }
    if (!ok) {
        *error = query.lastError().text();
        return ReadResult::QueryFailed;
    }
    if (!query.next()) {
        *error = u"No stored file for message %1 of %2"_s.arg(id, date.toString(u"yyyy/MM/dd HH:mm:ss"_s));
        return ReadResult::NoRow;
    }
    file->fileName = query.value(0).toString().trimmed();
    file->fileExt = query.value(1).toString().trimmed();
    file->bytes = query.value(2).toByteArray();
    return ReadResult::Ok;
}

StoredMessageController::StoredMessageController(const Environment& environment)
    : m_env(environment)
{
}

int StoredMessageController::currentRow() const
{
    const MessageListModel& list = m_env.dataModule.list();
    int row = m_currentRow ? m_currentRow() : -1;
    // An open list with rows always has a current row: the first one unless the user chose another.
    if (row < 0 && list.rowCount() > 0) {
        row = 0;
    }
    return row < list.rowCount() ? row : -1;
}

void StoredMessageController::setFromStore()
{
    m_env.mode.setPmode(m_env.mode.pmode() | fromStore);
}

std::optional<StoredMessageController::Extracted> StoredMessageController::ExtractStoredMessage(const QString& id,
                                                                                                const QDateTime& date)
{
    StoredFile stored;
    QString error;
    const ReadResult read = readStoredFile(m_env.dataModule.database(), id, date, &stored, &error);
    if (read == ReadResult::QueryFailed) {
        m_env.prompter.error(error + u"\r\n"_s + tr("データベースファイルを設定してください"));
        return std::nullopt;
    }
    if (read == ReadResult::NoRow) {
        m_env.prompter.error(error);
        return std::nullopt;
    }
    Extracted result;
    result.fileName = stored.fileName;
    result.fileExt = stored.fileExt;
    QDir().mkpath(m_env.mailDat);
    result.path = QDir(m_env.mailDat).filePath(plainStoredName(stored.fileName, stored.fileExt));
    if (!writeFile(result.path, stored.bytes, &error)) {
        m_env.prompter.error(error);
        return std::nullopt;
    }
    return result;
}

bool StoredMessageController::DeleteStoredMessage(const QString& id, const QDateTime& date)
{
    // Both rows go in one transaction: a failure on the second never leaves an
    // index row whose stored file is gone.
    QSqlDatabase db = m_env.dataModule.database();
    auto fail = [&](const QString& error) {
        if (db.isOpen()) {
            db.rollback();
        }
        m_env.prompter.error(error + u"\r\n"_s + tr("削除できませんでした。"));
        return false;
    };
    if (!db.isOpen() || !db.transaction()) {
        return fail(db.lastError().text());
    }
    for (const QString& statement : {kDeleteFile, kDeleteIndex}) {
        QSqlQuery query(db);
        bool ok = query.prepare(statement);
        if (ok) {
            query.bindValue(u":Message_ID"_s, id);
            query.bindValue(u":Message_Date"_s, date);
            ok = query.exec();
        }
        if (!ok) {
            const QString error = query.lastError().text();
            query.finish();
            return fail(error);
        }
    }
    if (!db.commit()) {
        return fail(db.lastError().text());
    }
    m_env.status.setStatusText(2, tr("メッセージデータを削除しました"));
    return true;
}

void StoredMessageController::DispMsgDat()
{
    if (m_readers.resetOutlookReadCounter) {
        m_readers.resetOutlookReadCounter();
    }
    setFromStore();
    if (!m_env.dataModule.isListOpen()) {
        return;
    }
    const int row = currentRow();
    const MessageListModel::Key key = m_env.dataModule.list().keyAt(row);
    if (row < 0 || !key.date.isValid()) {
        m_env.prompter.error(tr("データベースデータError"));
        return;
    }
    if (key.id == m_env.info.Message_ID) {
        // Already shown (the date is not compared): bring its view to the front.
        using Tab = ShownMessagePlace::Tab;
        if (m_env.place.isTabVisible(Tab::Html)) {
            m_env.place.activateTab(Tab::Html);
            m_env.place.normalWindowStyle();
        } else if (m_env.place.isTabVisible(Tab::Attachment1)) {
            m_env.place.activateTab(Tab::Attachment1);
        } else if (m_env.place.isTabVisible(Tab::Bibliography)) {
            m_env.place.activateTab(Tab::Bibliography);
        }
        return;
    }
    m_env.status.setStatusText(2, tr("メッセージを読込中です -- お待ちください"));
    const std::optional<Extracted> extracted = ExtractStoredMessage(key.id, key.date);
    if (!extracted) {
        return;
    }
    m_env.info.awk_MessageFile = extracted->path;
    const QString suffix = QFileInfo(extracted->path).suffix().toLower();
    if (suffix == u"eml"_s) {
        if (m_readers.internet) {
            m_readers.internet(extracted->path);
        }
    } else if (suffix == u"msg"_s) {
        if (m_readers.outlook) {
            m_readers.outlook(extracted->path);
        }
    } else {
        m_env.prompter.error(tr("メールファイルではありません"));
    }
    if (QFileInfo::exists(extracted->path)) {
        QFile::remove(extracted->path);
    }
    if (m_readers.outlookWorkCopy) {
        const QString outlookCopy = m_readers.outlookWorkCopy();
        if (!outlookCopy.isEmpty() && QFileInfo::exists(outlookCopy)) {
            QFile::remove(outlookCopy);
        }
    }
    m_env.commands.setCommandEnabled(u"MessageSave"_s, true);
}

void StoredMessageController::ExprtMsgFile()
{
    const QString nameTemplate = m_env.parameters.valueOr(u"ExpFileName", ExportFileName::defaultTemplate(), true);
    if (!m_env.dataModule.isListOpen()) {
        return;
    }
    const int row = currentRow();
    const MessageListModel& list = m_env.dataModule.list();
    const MessageListModel::Key key = list.keyAt(row);
    if (row < 0 || !key.date.isValid()) {
        m_env.prompter.error(tr("データベースデータerror"));
        return;
    }
    const QString subject = list.fieldValue(row, u"MESSAGE_SUBJECT"_s).toString();
    const std::optional<Extracted> extracted = ExtractStoredMessage(key.id, key.date);
    if (!extracted) {
        return;
    }
    m_env.info.awk_MessageFile = extracted->path;

    FileChooser::Request request;
    request.filters = {ExportFileName::dialogFilter(extracted->fileExt)};
    QString folder = m_env.MLStore_Path;
    while (folder.size() > 1 && folder.endsWith(u'/')) {
        folder.chop(1);
    }
    request.folder = folder;
    const QString built = nameTemplate.isEmpty() ? QString() : ExportFileName::build(nameTemplate, subject, key.date);
    request.fileName = ExportFileName::forDialog(ExportFileName::proposedName(built, extracted->fileName));
    QString chosen = m_env.files.saveFile(request);
    if (chosen.isEmpty()) {
        return; // the work copy stays until the work folder goes at exit
    }
    // The dialog's default extension: a name typed without one gets the stored file's.
    const QString defaultExt = ExportFileName::defaultExtension(extracted->fileExt);
    if (!defaultExt.isEmpty() && !QFileInfo(chosen).fileName().contains(u'.')) {
        chosen += u'.' + defaultExt;
    }
    QFile source(extracted->path);
    QString error;
    bool copied = source.open(QIODevice::ReadOnly);
    if (!copied) {
        error = source.errorString();
    } else {
        copied = writeFile(chosen, source.readAll(), &error);
        source.close();
    }
    if (copied) {
        m_env.status.setStatusText(2, tr("保存完了"));
    } else {
        m_env.prompter.error(u"Error executing copyFile %1"_s.arg(error));
    }
    if (QFileInfo::exists(extracted->path)) {
        QFile::remove(extracted->path);
    }
}

QString
StoredMessageController::deleteQuestion(const QString& subject, const QDateTime& date, const QString& senderName)
{
    return tr("【件名】：") + subject + u"\r\n"_s + tr("【日時】：") + date.toString(u"yyyy/MM/dd H:mm:ss"_s)
           + u"\r\n"_s + tr("【送信者】：") + senderName + u"\r\n"_s + tr("このメールデータを削除しますか?");
}

void StoredMessageController::DelMsgDat()
{
    setFromStore();
    if (!m_env.dataModule.isListOpen()) {
        return;
    }
    const int row = currentRow();
    MessageListModel& list = m_env.dataModule.list();
    const MessageListModel::Key key = list.keyAt(row);
    if (row < 0 || !key.date.isValid()) {
        return;
    }
    const QString subject = list.fieldValue(row, u"MESSAGE_SUBJECT"_s).toString();
    const QString sender = list.fieldValue(row, u"SENDER_NAME"_s).toString();
    if (m_env.prompter.question(deleteQuestion(subject, key.date, sender), Prompter::Answer::Yes)
        != Prompter::Answer::Yes) {
        m_env.status.setStatusText(2, tr("削除処理をキャンセルしました"));
        return;
    }
    DeleteStoredMessage(key.id, key.date);
    // The list is read again whatever happened; its filter and order stay.
    m_env.dataModule.closeList();
    Delay::wait(100);
    m_env.dataModule.openList();
    const bool hasRows = list.rowCount() > 0;
    for (const QString& name :
         {u"DBSelect"_s, u"DispMsgDat"_s, u"DelMsgDat"_s, u"ExprtMsgFile"_s, u"SetListFontSize"_s}) {
        m_env.commands.setCommandEnabled(name, hasRows);
    }
}
