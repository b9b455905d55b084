// Body search benchmark: fills archives of several sizes with bodies of about
// 600 characters of Japanese and ASCII text (commits in groups), then measures
// the time from OK in the search dialog to the first page of the list for body
// terms: one and three terms, Japanese and ASCII, common, rare and absent, with
// and without a date range. Each query runs twice (the second run has the
// engine's page cache warm). Prints a table; not a test.
//
//   bench_search [--keep DIR] [SIZE...]      default sizes: 10000 100000
#include <cstdio>

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QTemporaryDir>

#include "ArchiveFill.h"
#include "store/MessageListModel.h"
#include "store/SearchFilter.h"
#include "store/TDm_Ldb.h"

using namespace Qt::StringLiterals;

namespace {

const QDateTime kBase(QDate(2015, 1, 1), QTime(0, 0));

// Deterministic filler: sentences drawn from a small pool, so that every body
// differs and terms land where the plan says.
QString body(int i)
{
    static const QStringList pool = {
        u"いつもお世話になっております。"_s,
        u"先日の打ち合わせの件でご連絡いたします。"_s,
        u"資料を添付しましたのでご確認ください。"_s,
        u"来週の会議は予定どおり開催します。"_s,
        u"ご不明な点がありましたらお知らせください。"_s,
        u"Please find the minutes of the meeting below."_s,
        u"The shipment left the warehouse this morning."_s,
        u"以上、よろしくお願いいたします。"_s,
        u"出張報告書を提出しました。"_s,
        u"社内システムの更新作業を行います。"_s,
    };
    QString text;
    quint32 state = static_cast<quint32>(i) * 2654435761U + 12345U;
    while (text.size() < 600) {
        state = state * 1103515245U + 12345U;
        text += pool.at((state >> 16) % pool.size());
        text += (state & 0x100) ? u"\r\n"_s : QString();
    }
    // Planted terms: 見積 in 1 %, 納期 ... 回答 in 0.5 %, 稟議 in 0.01 %, invoice in 2 %.
    if (i % 100 == 7) {
        text.insert(200, u"見積書をお送りします。"_s);
    }
    if (i % 200 == 11) {
        text.insert(100, u"納期についてご回答ください。"_s);
    }
    if (i % 10000 == 13) {
        text.insert(300, u"稟議が承認されました。"_s);
    }
    if (i % 50 == 3) {
        text.insert(50, u"Invoice no. %1 is attached; the invoice is due. "_s.arg(i));
    }
    return text;
}

BenchRow searchRow(int i, int count)
{
    // Ten years, one message about every hour at 100k; spread over the range at any size.
    return {u"<%1.search@example.com>"_s.arg(i),
            kBase.addSecs(qint64((i * 7919LL) % count) * (315360000LL / count)),
            i % 3 == 0 ? u"山田 太郎"_s : u"佐藤 花子"_s,
            u"sender%1@example.com"_s.arg(i % 113),
            u"件名 %1 のお知らせ"_s.arg(i),
            body(i)};
}

struct Query
{
    const char* name;
    QStringList terms;
    int join;
};

void measure(const QString& path, int count)
{
    TDm_Ldb::Options options;
    options.connectionName = u"bench"_s;
    TDm_Ldb dm(options);
    dm.setTarget({}, path);
    if (!dm.create()) {
        std::fprintf(stderr, "connect: %s\n", qPrintable(dm.lastError()));
        return;
    }
    const QList<Query> queries = {
        {"JP one, common (1%)", {u"見積"_s}, 0},
        {"JP one, rare (0.01%)", {u"稟議"_s}, 0},
        {"JP one, absent", {u"決裁"_s}, 0},
        {"JP three, or", {u"見積"_s, u"納期 回答"_s, u"稟議"_s}, 0},
        {"JP three, and", {u"見積"_s, u"納期 回答"_s, u"稟議"_s}, 1},
        {"ASCII one, common (2%)", {u"invoice"_s}, 0},
        {"ASCII one, absent", {u"zzqx"_s}, 0},
        {"ASCII three, or", {u"invoice"_s, u"shipment left"_s, u"zzqx"_s}, 0},
    };
    const QDate last = kBase.date().addYears(10);
    for (const bool ranged : {false, true}) {
        for (const Query& q : queries) {
            SearchFilter::Inputs inputs;
            inputs.from = ranged ? last.addYears(-1) : kBase.date().addDays(-1);
            inputs.to = last.addDays(1);
            inputs.body = q.terms;
            inputs.joinIndex = q.join;
            const SearchFilter::Where where = SearchFilter::where(inputs);
            double ms[2] = {0, 0};
            int rows = 0;
            for (double& m : ms) {
                dm.closeList();
                dm.list().setFilter(where.fragment, where.values);
                QElapsedTimer timer;
                timer.start();
                if (!dm.openList()) {
                    std::fprintf(stderr, "open: %s\n", qPrintable(dm.lastError()));
                    return;
                }
                m = timer.nsecsElapsed() / 1e6;
                rows = dm.list().rowCount();
            }
            std::printf(
                "%8d  %-24s %-10s %9.1f %9.1f %6d\n", count, q.name, ranged ? "last year" : "all", ms[0], ms[1], rows);
            std::fflush(stdout);
        }
    }
    dm.closeList();
    dm.closeConnection();
}

} // namespace

int main(int argc, char* argv[])
{
    QCoreApplication app(argc, argv);
    QStringList args = app.arguments().mid(1);
    QString keep;
    if (args.size() >= 2 && args.first() == u"--keep"_s) {
        keep = args.at(1);
        args = args.mid(2);
    }
    QList<int> sizes;
    for (const QString& arg : std::as_const(args)) {
        sizes << arg.toInt();
    }
    if (sizes.isEmpty()) {
        sizes = {10000, 100000};
    }
    QTemporaryDir temp;
    const QString folder = keep.isEmpty() ? temp.path() : keep;
    QDir().mkpath(folder);
    std::printf("    size  query                    range        first ms  second ms  rows (first page)\n");
    for (int size : std::as_const(sizes)) {
        const QString path = QDir(folder).filePath(u"search-%1.fdb"_s.arg(size));
        if (!QFileInfo::exists(path)) {
            double seconds = 0;
            if (!fillArchive(
                    path, size, [size](int i) { return searchRow(i, size); }, &seconds)) {
                std::fprintf(stderr, "fill failed for %d\n", size);
                return 1;
            }
            std::printf("# filled %d messages in %.1f s (%.0f/s), %.0f MiB\n",
                        size,
                        seconds,
                        size / seconds,
                        QFileInfo(path).size() / 1048576.0);
        }
        measure(path, size);
    }
    return 0;
}
