#include <QDir>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QProcess>
#include <QStandardPaths>
#include <QTest>

#include "app/core/IniFile.h"
#include "app/core/SingleInstance.h"
#include "testpaths.h"

using namespace Qt::StringLiterals;

// Starts the real program the way a user does and checks the start-up paths.
class TestStartup final : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void init();
    void secondStartShowsTheFirstAndEnds();
    void terminationClosesTheWindowAndSaves();

private:
    [[nodiscard]] static QString program() { return QStringLiteral(TIDEWELL_BINARY_DIR "/src/app/tidewell"); }
    [[nodiscard]] static QString dataPath()
    {
        return QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation) + u"/Kestrelon/TW_ArchiveDB"_s;
    }
    void startFirst(QProcess& first);
};

void TestStartup::init()
{
    QDir(dataPath()).removeRecursively();
    QVERIFY(QDir().mkpath(dataPath()));
}

void TestStartup::startFirst(QProcess& first)
{
    first.start(program(), {});
    QVERIFY(first.waitForStarted());
    const QString socket = SingleInstance::serverName(u"tidewell"_s);
    QTRY_VERIFY_WITH_TIMEOUT(QFileInfo::exists(socket), 20000);
    // The main window exists once the working folder is there.
    QTRY_VERIFY_WITH_TIMEOUT(QFileInfo(dataPath() + u"/mail_dat"_s).isDir(), 20000);
}

void TestStartup::secondStartShowsTheFirstAndEnds()
{
    QProcess first;
    startFirst(first);
    QElapsedTimer timer;
    timer.start();
    const int status = QProcess::execute(program(), {});
    QCOMPARE(status, 0);
    QVERIFY2(timer.elapsed() < 10000, "the second start must end at once");
    QCOMPARE(first.state(), QProcess::Running);
    first.terminate();
    QVERIFY(first.waitForFinished(20000));
}

void TestStartup::terminationClosesTheWindowAndSaves()
{
    QProcess first;
    startFirst(first);
    first.terminate(); // SIGTERM, as at log-out
    QVERIFY(first.waitForFinished(20000));
    QCOMPARE(first.exitStatus(), QProcess::NormalExit);
    const IniFile ini(dataPath() + u"/tidewell.ini"_s);
    QCOMPARE(ini.readString(u"Condition", u"Reconnect"), u"1"_s);
    QVERIFY(!QFileInfo::exists(dataPath() + u"/mail_dat"_s));
}

QTEST_GUILESS_MAIN(TestStartup)
#include "TestStartup.moc"
