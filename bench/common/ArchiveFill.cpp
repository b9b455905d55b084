#include "ArchiveFill.h"

#include <cstdio>

#include <QElapsedTimer>
#include <QSqlDatabase>
#include <QSqlError>
#include <QSqlQuery>

#include "store/ArchiveCreator.h"
#include "store/TDm_Ldb.h"

using namespace Qt::StringLiterals;

bool fillArchive(const QString& path, int count, const std::function<BenchRow(int)>& rowOf, double* seconds)
{
    constexpr int kGroup = 5000;
    QElapsedTimer timer;
    timer.start();
    if (!ArchiveCreator::create(path)) {
        return false;
    }
    bool ok = true;
    {
        QSqlDatabase db = QSqlDatabase::addDatabase(u"QIBASE"_s, u"fill"_s);
        db.setDatabaseName(path);
        db.setUserName(TDm_Ldb::userName());
        db.setPassword(TDm_Ldb::password());
        db.setConnectOptions(u"ISC_DPB_LC_CTYPE=UTF8"_s);
        ok = db.open();
        QSqlQuery idx(db);
        QSqlQuery dat(db);
        const QByteArray file = "From: a@example.com\r\nSubject: test\r\n\r\nbody\r\n";
        for (int i = 0; ok && i < count; ++i) {
            if (i % kGroup == 0) {
                db.transaction();
                idx = QSqlQuery(db);
                dat = QSqlQuery(db);
                idx.prepare(u"insert into Message_IdxTbl (Message_ID,Message_Date,Account_Key,Sender_Name,"
                            "Sender_Address,Recieve_Name,Recieve_Address,Message_Subject,Message_dtype,"
                            "Message_ftype,MailBody) values (?,?,'pop.example.com',?,?,'私','me@example.com',?,"
                            "'1','1',?)"_s);
                dat.prepare(u"insert into Message_DatTBL (Message_ID,Message_Date,Message_FileName,"
                            "Message_FileExt,MailDat) values (?,?,?,'.eml',?)"_s);
            }
            const BenchRow row = rowOf(i);
            idx.addBindValue(row.id);
            idx.addBindValue(row.date);
            idx.addBindValue(row.senderName);
            idx.addBindValue(row.senderAddress);
            idx.addBindValue(row.subject);
            idx.addBindValue(row.body);
            dat.addBindValue(row.id);
            dat.addBindValue(row.date);
            dat.addBindValue(u"%1.eml"_s.arg(i));
            dat.addBindValue(file);
            if (!idx.exec() || !dat.exec()) {
                std::fprintf(
                    stderr, "insert: %s %s\n", qPrintable(idx.lastError().text()), qPrintable(dat.lastError().text()));
                ok = false;
            }
            if (ok && (i % kGroup == kGroup - 1 || i == count - 1)) {
                idx.finish();
                dat.finish();
                ok = db.commit();
            }
        }
        db.close();
    }
    QSqlDatabase::removeDatabase(u"fill"_s);
    *seconds = timer.elapsed() / 1000.0;
    return ok;
}
