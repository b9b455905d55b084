#include "store/StoreFixture.h"

#include <QSqlError>
#include <QSqlQuery>
#include <QtDebug>

#include "store/ArchiveCreator.h"
#include "store/TDm_Ldb.h"

using namespace Qt::StringLiterals;

namespace StoreFixture {

bool createArchive(const QString& path)
{
    QString error;
    if (!ArchiveCreator::create(path, &error)) {
        qWarning() << "cannot create archive:" << error;
        return false;
    }
    return true;
}

QSqlDatabase open(const QString& path, const QString& connectionName, const QString& host)
{
    QSqlDatabase db = QSqlDatabase::addDatabase(u"QIBASE"_s, connectionName);
    db.setDatabaseName(host.isEmpty() ? path : host + u':' + path);
    db.setUserName(TDm_Ldb::userName());
    db.setPassword(TDm_Ldb::password());
    db.setConnectOptions(u"ISC_DPB_LC_CTYPE=UTF8"_s);
    if (!db.open()) {
        qWarning() << "cannot open" << path << db.lastError().text();
    }
    return db;
}

bool insert(QSqlDatabase& db, const QList<Message>& messages)
{
    db.transaction();
    QSqlQuery idx(db);
    idx.prepare(u"insert into Message_IdxTbl (Message_ID,Message_Date,Sender_Name,Message_Subject,Message_dtype,"
                "Message_ftype,MailBody) values (:id,:date,:sender,:subject,'1','1',:body)"_s);
    QSqlQuery dat(db);
    dat.prepare(u"insert into Message_DatTBL (Message_ID,Message_Date,Message_FileName,Message_FileExt,MailDat) "
                "values (:id,:date,:file,'.eml',:dat)"_s);
    for (const Message& m : messages) {
        idx.bindValue(u":id"_s, m.id);
        idx.bindValue(u":date"_s, m.date);
        idx.bindValue(u":sender"_s, m.senderName);
        idx.bindValue(u":subject"_s, m.subject);
        idx.bindValue(u":body"_s, m.body);
        dat.bindValue(u":id"_s, m.id);
        dat.bindValue(u":date"_s, m.date);
        dat.bindValue(u":file"_s, m.fileName.isEmpty() ? m.id + u".eml"_s : m.fileName);
        dat.bindValue(u":dat"_s, QByteArray("From: a@example.com\r\n\r\nbody\r\n"));
        if (!idx.exec() || !dat.exec()) {
            qWarning() << "insert failed:" << idx.lastError().text() << dat.lastError().text();
            db.rollback();
            return false;
        }
    }
    return db.commit();
}

QDateTime at(const QString& text)
{
    return QDateTime::fromString(text, u"yyyy-MM-dd HH:mm:ss"_s);
}

} // namespace StoreFixture
