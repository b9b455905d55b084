#pragma once

#include <functional>

#include <QDateTime>
#include <QString>

// One generated message of a benchmark archive.
struct BenchRow
{
    QString id;
    QDateTime date;
    QString senderName;
    QString senderAddress;
    QString subject;
    QString body;
};

// Creates a new archive at path and stores count generated messages, rowOf(0)
// to rowOf(count - 1), each with a small message file, committing every 5,000.
// seconds receives the time it took. False when the archive cannot be created
// or a message cannot be stored (the reason goes to standard error).
bool fillArchive(const QString& path, int count, const std::function<BenchRow(int)>& rowOf, double* seconds);
