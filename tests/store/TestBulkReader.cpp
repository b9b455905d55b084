#include <atomic>
#include <chrono>
#include <stdexcept>
#include <thread>

#include <QTest>

#include "store/BulkReader.h"

using namespace Qt::StringLiterals;

namespace {

QStringList numberedFiles(int count)
{
    QStringList files;
    for (int i = 0; i < count; ++i) {
        files.append(u"/mail/%1.eml"_s.arg(i));
    }
    return files;
}

// How far past the files asked for so far the readers ever got.
struct Watch
{
    std::atomic<int> asked{0};   // next() calls begun
    std::atomic<int> highest{0}; // the most files read past them
};

} // namespace

// Reading ahead on worker threads, handed over in the order of the list.
class TestBulkReader final : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void handsOverInListOrder_data();
    void handsOverInListOrder();
    void failedReadingBecomesANote();
    void stopsWithoutReadingTheRest();
};

void TestBulkReader::handsOverInListOrder_data()
{
    QTest::addColumn<int>("threads");
    QTest::addColumn<int>("ahead");
    QTest::addColumn<int>("files");
    QTest::addRow("one thread") << 1 << 1 << 20;
    QTest::addRow("more threads than the window") << 4 << 2 << 40;
    QTest::addRow("wide window") << 3 << 16 << 60;
    QTest::addRow("more threads than files") << 8 << 8 << 3;
    QTest::addRow("empty list") << 2 << 4 << 0;
}

void TestBulkReader::handsOverInListOrder()
{
    QFETCH(int, threads);
    QFETCH(int, ahead);
    QFETCH(int, files);
    Watch watch;
    const auto factory = [&watch] {
        return [&watch](BulkReader::Item& item) {
            // Later files read faster, so that they finish before earlier ones.
            std::this_thread::sleep_for(std::chrono::microseconds(300 * (item.index % 5)));
            item.message.Message_ID = item.path;
            const int past = item.index + 1 - watch.asked;
            int highest = watch.highest;
            while (past > highest && !watch.highest.compare_exchange_weak(highest, past)) {
            }
        };
    };
    const QStringList list = numberedFiles(files);
    BulkReader reader(list, factory, threads, ahead);
    for (int i = 0; i < files; ++i) {
        QVERIFY(reader.hasNext());
        ++watch.asked;
        const BulkReader::Item item = reader.next();
        QCOMPARE(item.index, i);
        QCOMPARE(item.path, list.at(i));
        QCOMPARE(item.message.Message_ID, list.at(i));
        std::this_thread::sleep_for(std::chrono::microseconds(200)); // a writer slower than the readers
    }
    QVERIFY(!reader.hasNext());
    // Memory stays bounded: never more than `ahead` files read past those asked for.
    QVERIFY2(watch.highest <= ahead, qPrintable(u"%1 read ahead"_s.arg(watch.highest.load())));
}

void TestBulkReader::failedReadingBecomesANote()
{
    const auto factory = [] {
        return [](BulkReader::Item& item) {
            item.message.Message_ID = item.path;
            if (item.index == 1) {
                throw std::runtime_error("broken file");
            }
        };
    };
    BulkReader reader(numberedFiles(3), factory, 2, 4);
    QCOMPARE(reader.next().message.Message_ID, u"/mail/0.eml"_s);
    const BulkReader::Item failed = reader.next();
    QVERIFY(failed.message.Message_ID.isEmpty()); // refused when stored, never half-read
    QCOMPARE(failed.notes, QStringList{u"broken file"_s});
    QCOMPARE(reader.next().message.Message_ID, u"/mail/2.eml"_s);
}

void TestBulkReader::stopsWithoutReadingTheRest()
{
    std::atomic<int> readings{0};
    const auto factory = [&readings] {
        return [&readings](BulkReader::Item&) {
            ++readings;
            std::this_thread::sleep_for(std::chrono::milliseconds(1));
        };
    };
    {
        BulkReader reader(numberedFiles(1000), factory, 2, 4);
        reader.next();
    } // a writer that gave up: the destructor must not wait for the whole list
    QVERIFY2(readings <= 1 + 4 + 2, qPrintable(QString::number(readings.load())));
}

QTEST_GUILESS_MAIN(TestBulkReader)
#include "TestBulkReader.moc"
