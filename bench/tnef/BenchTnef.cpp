// Decoding throughput of the TNEF decoder on a generated ~50 MB stream with many attachments, beside the
// Debian tnef program on the same file. Run by hand: bench_tnef [attachments] [kilobytes each] [rounds]

#include <algorithm>

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QRandomGenerator>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTextStream>

#include "reader/tnef/TnefAttachmentParser.h"
#include "reader/tnef/TnefError.h"

using namespace Qt::StringLiterals;

namespace {

void put16(QByteArray& out, quint32 value)
{
    out += char(value & 0xFF);
    out += char((value >> 8) & 0xFF);
}

void put32(QByteArray& out, quint32 value)
{
    put16(out, value & 0xFFFF);
    put16(out, value >> 16);
}

void attribute(QByteArray& out, quint8 level, quint32 id, const QByteArray& value)
{
    out += char(level);
    put32(out, id);
    put32(out, quint32(value.size()));
    out += value;
    quint16 sum = 0;
    for (const char c : value) {
        sum = quint16(sum + quint8(c));
    }
    put16(out, sum);
}

QByteArray stringProperty(quint16 id, const QByteArray& text)
{
    QByteArray out;
    put16(out, 0x001E);
    put16(out, id);
    put32(out, 1);
    const QByteArray value = text + '\0';
    put32(out, quint32(value.size()));
    out += value;
    while (out.size() % 4 != 0) {
        out += '\0';
    }
    return out;
}

// A message with a plain-text body and `count` attachments of `size` bytes each.
QByteArray buildStream(int count, int size)
{
    QByteArray out;
    put32(out, 0x223E9F78);
    put16(out, 0x0001);
    QByteArray version;
    put32(version, 0x00010000);
    attribute(out, 1, 0x00089006, version);
    QByteArray codePage;
    put32(codePage, 1252);
    put32(codePage, 0);
    attribute(out, 1, 0x00069007, codePage);
    QByteArray message;
    put32(message, 1);
    message += stringProperty(0x1000, QByteArray("Benchmark body. ").repeated(200));
    attribute(out, 1, 0x00069003, message);

    QRandomGenerator random(20240101);
    QByteArray data(size, Qt::Uninitialized);
    for (int i = 0; i < count; ++i) {
        random.fillRange(reinterpret_cast<quint32*>(data.data()), size / 4);
        const QByteArray name = "attachment-" + QByteArray::number(i) + ".bin";
        attribute(out, 2, 0x00069002, QByteArray(14, '\0'));
        attribute(out, 2, 0x00018010, name + '\0');
        attribute(out, 2, 0x0006800F, data);
        QByteArray properties;
        put32(properties, 1);
        properties += stringProperty(0x3707, name);
        attribute(out, 2, 0x00069005, properties);
    }
    return out;
}

double median(QList<double> values)
{
    std::sort(values.begin(), values.end());
    return values.at(values.size() / 2);
}

} // namespace

int main(int argc, char* argv[])
{
    QCoreApplication app(argc, argv);
    QTextStream out(stdout);
    const QStringList args = app.arguments();
    const int count = args.size() > 1 ? args.at(1).toInt() : 200;
    const int kilobytes = args.size() > 2 ? args.at(2).toInt() : 256;
    const int rounds = args.size() > 3 ? args.at(3).toInt() : 5;

    QTemporaryDir work;
    const QString streamPath = work.filePath(u"bench.tnef"_s);
    {
        QFile file(streamPath);
        if (!file.open(QIODevice::WriteOnly) || file.write(buildStream(count, kilobytes * 1024)) < 0) {
            out << "cannot write " << streamPath << '\n';
            return 1;
        }
    }
    const double megabytes = double(QFileInfo(streamPath).size()) / (1024.0 * 1024.0);
    out << "stream: " << streamPath << ", " << QString::number(megabytes, 'f', 1) << " MB, " << count
        << " attachments of " << kilobytes << " KB\n";

    QList<double> ours;
    for (int round = 0; round < rounds; ++round) {
        const QString folder = work.filePath(u"ours-"_s + QString::number(round));
        QDir().mkpath(folder);
        QFile source(streamPath);
        source.open(QIODevice::ReadOnly);
        QElapsedTimer timer;
        timer.start();
        try {
            TTnefAttachmentParser::Parse(&source, folder + u'/');
        } catch (const ETnefError& error) {
            out << "decoder failed: " << error.message() << '\n';
            return 1;
        }
        ours << megabytes / (double(timer.nsecsElapsed()) / 1e9);
        QDir(folder).removeRecursively();
    }
    out << "tidewell decoder: median " << QString::number(median(ours), 'f', 0) << " MB/s, best "
        << QString::number(*std::max_element(ours.begin(), ours.end()), 'f', 0) << " MB/s (" << rounds << " rounds)\n";

    const QString program = QStandardPaths::findExecutable(u"tnef"_s);
    if (program.isEmpty()) {
        out << "tnef program: not installed (Debian package tnef)\n";
        return 0;
    }
    QList<double> theirs;
    for (int round = 0; round < rounds; ++round) {
        const QString folder = work.filePath(u"tnef-"_s + QString::number(round));
        QDir().mkpath(folder);
        QProcess process;
        QElapsedTimer timer;
        timer.start();
        process.start(program, {u"-C"_s, folder, u"--overwrite"_s, streamPath});
        process.waitForFinished(-1);
        const double seconds = double(timer.nsecsElapsed()) / 1e9;
        if (process.exitCode() != 0) {
            out << "tnef program failed: " << process.readAllStandardError() << '\n';
            return 1;
        }
        theirs << megabytes / seconds;
        QDir(folder).removeRecursively();
    }
    out << "tnef program:     median " << QString::number(median(theirs), 'f', 0) << " MB/s, best "
        << QString::number(*std::max_element(theirs.begin(), theirs.end()), 'f', 0)
        << " MB/s (process start included)\n";
    return 0;
}
