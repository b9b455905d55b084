#pragma once

#include <QDateTime>
#include <QList>
#include <QSqlDatabase>
#include <QString>

// Small archives for the store tests: created with the real engine in a
// temporary folder and filled with rows written by the test itself.
namespace StoreFixture {

struct Message
{
    QString id;
    QDateTime date;
    QString subject;
    QString senderName;
    QString body;
    QString fileName;
};

// Creates the archive at path (fails the calling test through the return value).
bool createArchive(const QString& path);
// Opens a private connection (UTF8) to path; name must be unique in the test.
QSqlDatabase open(const QString& path, const QString& connectionName, const QString& host = {});
// Inserts index and data rows in one transaction.
bool insert(QSqlDatabase& db, const QList<Message>& messages);
QDateTime at(const QString& text); // "2024-03-01 10:00:00", local time

} // namespace StoreFixture
