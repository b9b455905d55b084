#include <future>

#include <QFile>
#include <QSignalSpy>
#include <QTest>

#include "app/core/SingleInstance.h"

using namespace Qt::StringLiterals;

class TestSingleInstance final : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void firstCopyTakesTheName();
    void secondCopyAsksTheFirst_data();
    void secondCopyAsksTheFirst();
    void leftoverSocketOfACrashedCopyDoesNotBlock();

private:
    // Runs askRunning on another thread while this one keeps serving events.
    static SingleInstance::Outcome ask(const QString& name, const QStringList& titles);
};

SingleInstance::Outcome TestSingleInstance::ask(const QString& name, const QStringList& titles)
{
    auto result = std::async(std::launch::async, [name, titles] { return SingleInstance::askRunning(name, titles); });
    while (result.wait_for(std::chrono::milliseconds(5)) != std::future_status::ready) {
        QCoreApplication::processEvents();
    }
    return result.get();
}

void TestSingleInstance::firstCopyTakesTheName()
{
    SingleInstance first(u"tidewell-first"_s);
    QCOMPARE(first.start({u"Tidewell 管理"_s}), SingleInstance::Outcome::First);
    QVERIFY(first.isListening());
}

void TestSingleInstance::secondCopyAsksTheFirst_data()
{
    QTest::addColumn<QString>("windowTitle");
    QTest::addColumn<QStringList>("asked");
    QTest::addColumn<int>("outcome");
    const QString plain = u"Tidewell 管理"_s;
    const QString withDb = u"Tidewell 管理 -- /data/Tidewell.fdb"_s;
    QTest::addRow("plain title") << plain << QStringList{plain} << int(SingleInstance::Outcome::OtherFound);
    QTest::addRow("database title from the title file")
        << withDb << QStringList{plain, withDb} << int(SingleInstance::Outcome::OtherFound);
    QTest::addRow("no window with those titles")
        << withDb << QStringList{plain, u"something else"_s} << int(SingleInstance::Outcome::OtherNoWindow);
}

void TestSingleInstance::secondCopyAsksTheFirst()
{
    QFETCH(QString, windowTitle);
    QFETCH(QStringList, asked);
    QFETCH(int, outcome);
    SingleInstance first(u"tidewell-second"_s);
    QStringList received;
    first.setActivator([&](const QStringList& titles) {
        received = titles;
        return titles.contains(windowTitle);
    });
    QCOMPARE(first.start({}), SingleInstance::Outcome::First);
    QCOMPARE(int(ask(SingleInstance::serverName(u"tidewell-second"_s), asked)), outcome);
    QCOMPARE(received, asked);
    QVERIFY(first.isListening()); // the first copy keeps running
}

void TestSingleInstance::leftoverSocketOfACrashedCopyDoesNotBlock()
{
    const QString name = SingleInstance::serverName(u"tidewell-crashed"_s);
    QFile leftover(name);
    QVERIFY(leftover.open(QIODevice::WriteOnly));
    leftover.close();
    SingleInstance copy(u"tidewell-crashed"_s);
    QCOMPARE(copy.start({}), SingleInstance::Outcome::First);
    QVERIFY(copy.isListening());
}

QTEST_GUILESS_MAIN(TestSingleInstance)
#include "TestSingleInstance.moc"
