// Message list benchmark: fills archives of several sizes (small bodies, commits
// in batches) and measures, each in a fresh process, the time from connecting
// to the first page of the list, title-click sorts, and resident memory with
// the list open. Prints a table; not a test. The measuring children run on the
// offscreen platform.
//
//   bench_store [--keep DIR] [SIZE...]      default sizes: 10000 100000
#include <cstdio>

#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QTemporaryDir>
#include <QTextStream>

#include "ArchiveFill.h"
#include "store/MessageListModel.h"
#include "store/TDBListFrm.h"
#include "store/TDm_Ldb.h"

using namespace Qt::StringLiterals;

namespace {

long residentKiB()
{
    QFile status(u"/proc/self/status"_s);
    if (!status.open(QIODevice::ReadOnly)) {
        return -1;
    }
    for (const QByteArray& line : status.readAll().split('\n')) {
        if (line.startsWith("VmRSS:")) {
            return line.mid(6).trimmed().split(' ').first().toLong();
        }
    }
    return -1;
}

BenchRow listRow(int i, int count)
{
    static const QStringList senders = {u"山田 太郎"_s, u"佐藤 花子"_s, u"Taro Yamada"_s, u"総務部"_s, u"鈴木 一郎"_s};
    static const QDateTime base(QDate(2015, 1, 1), QTime(0, 0));
    // Dates not in insertion order, so the index does the ordering.
    return {u"<%1.bench@example.com>"_s.arg(i),
            base.addSecs(qint64((i * 7919LL) % count) * 97),
            senders.at(i % senders.size()),
            u"sender%1@example.com"_s.arg(i % 113),
            u"件名 %1 のお知らせ"_s.arg((i * 31) % 10007),
            u"本文 %1 です。\r\nよろしくお願いします。"_s.arg(i)};
}

// Runs in its own process: connect, open the list, sort, measure.
int measure(const QString& path)
{
    // The list window exists (empty, painted once) before the list is opened, as
    // in the program, where it is created with the main window.
    const long before = residentKiB();
    QElapsedTimer timer;
    timer.start();
    TDm_Ldb::Options options;
    options.dataFolder = QFileInfo(path).absolutePath();
    TDm_Ldb dm(options);
    dm.setTarget({}, path);
    const bool created = dm.create();
    const double connected = timer.nsecsElapsed() / 1e6;
    TDBListFrm frm(dm.list());
    frm.setColumns(ListColumns::defaults());
    frm.resize(1100, 600);
    frm.show();
    frm.grab();

    // DB接続 -> first page painted into an image, as the screen would show it.
    timer.restart();
    if (!created || !dm.openList()) {
        std::fprintf(stderr, "open failed: %s\n", qPrintable(dm.lastError()));
        return 1;
    }
    const QImage shot = frm.grab().toImage();
    const double firstPage = timer.nsecsElapsed() / 1e6;
    const int rows = shot.isNull() ? 0 : dm.list().rowCount();
    const long open = residentKiB();

    timer.restart();
    dm.list().setIndexFieldNames(u"MESSAGE_DATE:A"_s);
    const double sortDate = timer.nsecsElapsed() / 1e6;
    timer.restart();
    dm.list().setIndexFieldNames(u"MESSAGE_SUBJECT:D"_s);
    const double sortSubject = timer.nsecsElapsed() / 1e6;
    timer.restart();
    dm.list().setIndexFieldNames(u"MESSAGE_ID:A"_s);
    const double sortId = timer.nsecsElapsed() / 1e6;
    timer.restart();
    dm.list().setIndexFieldNames(u"MESSAGE_DATE:D"_s);
    for (int i = 0; i < 10; ++i) {
        dm.list().fetchMore();
    }
    const double scroll = timer.nsecsElapsed() / 1e6;
    const long after = residentKiB();
    std::printf("%.1f %.1f %.1f %.1f %.1f %.1f %d %ld %ld %ld\n",
                connected,
                firstPage,
                sortDate,
                sortSubject,
                sortId,
                scroll,
                rows,
                before,
                open,
                after);
    return 0;
}

} // namespace

int main(int argc, char* argv[])
{
    if (argc == 3 && QByteArray(argv[1]) == "--measure") {
        QApplication app(argc, argv);
        return measure(QString::fromLocal8Bit(argv[2]));
    }
    QCoreApplication app(argc, argv);
    QStringList args = QCoreApplication::arguments().mid(1);
    QString folder;
    QTemporaryDir temporary;
    if (args.size() >= 2 && args.first() == u"--keep"_s) {
        folder = args.at(1);
        args = args.mid(2);
        QDir().mkpath(folder);
    } else {
        folder = temporary.path();
    }
    QList<int> sizes;
    for (const QString& arg : args) {
        sizes.append(arg.toInt());
    }
    if (sizes.isEmpty()) {
        sizes = {10000, 100000};
    }
    QTextStream out(stdout);
    out << "rows    | fill s (msg/s)  | start-up connect ms | DB接続->1st page painted ms | sort date asc ms | "
           "sort subject desc ms | sort id asc (no index) ms | +10 pages ms | RSS KiB start/list open/after\n";
    out.flush();
    for (const int size : sizes) {
        const QString path = QDir(folder).filePath(u"bench-%1.fdb"_s.arg(size));
        double fillSeconds = 0;
        QString fillText = u"reused"_s;
        if (!QFileInfo::exists(path)) {
            if (!fillArchive(
                    path, size, [size](int i) { return listRow(i, size); }, &fillSeconds)) {
                out << size << ": fill failed\n";
                return 1;
            }
            fillText = u"%1 (%2)"_s.arg(fillSeconds, 0, 'f', 1).arg(size / fillSeconds, 0, 'f', 0);
        }
        QProcess child;
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert(u"QT_QPA_PLATFORM"_s, u"offscreen"_s);
        child.setProcessEnvironment(env);
        child.setProcessChannelMode(QProcess::ForwardedErrorChannel);
        child.start(QCoreApplication::applicationFilePath(), {u"--measure"_s, path});
        child.waitForFinished(-1);
        const QStringList v = QString::fromUtf8(child.readAllStandardOutput()).trimmed().split(u' ');
        if (child.exitCode() != 0 || v.size() != 10) {
            out << size << ": measuring failed\n";
            return 1;
        }
        out << QString::number(size).leftJustified(7) << " | " << fillText.leftJustified(15) << " | "
            << v.at(0).leftJustified(19) << " | " << v.at(1).leftJustified(26) << " | " << v.at(2).leftJustified(16)
            << " | " << v.at(3).leftJustified(20) << " | " << v.at(4).leftJustified(25) << " | "
            << v.at(5).leftJustified(12) << " | " << v.at(7) << " / " << v.at(8) << " / " << v.at(9) << "\n";
        out.flush();
    }
    return 0;
}
