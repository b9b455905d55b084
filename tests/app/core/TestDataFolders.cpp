#include <QDir>
#include <QStandardPaths>
#include <QTest>

#include "app/core/DataFolders.h"

using namespace Qt::StringLiterals;

class TestDataFolders final : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void firstExistingFolderWins_data();
    void firstExistingFolderWins();
    void filesAndFoldersInside();
};

void TestDataFolders::firstExistingFolderWins_data()
{
    QTest::addColumn<bool>("individual");
    QTest::addColumn<bool>("common");
    QTest::addColumn<QString>("expected"); // "individual", "common" or "config"
    QTest::addRow("both exist: the individual one") << true << true << u"individual"_s;
    QTest::addRow("only the common one") << false << true << u"common"_s;
    QTest::addRow("neither: config beside the program, unchecked") << false << false << u"config"_s;
}

void TestDataFolders::firstExistingFolderWins()
{
    QFETCH(bool, individual);
    QFETCH(bool, common);
    QFETCH(QString, expected);
    const QString individualPath = DataFolders::individualProfile();
    const QString commonPath = DataFolders::commonProfile();
    // The test environment points both at temporary folders.
    QVERIFY(individualPath.startsWith(qEnvironmentVariable("XDG_DATA_HOME")));
    QVERIFY(commonPath.startsWith(qEnvironmentVariable("XDG_DATA_DIRS").section(u':', 0, 0)));
    QDir(individualPath).removeRecursively();
    QDir(commonPath).removeRecursively();
    if (individual) {
        QVERIFY(QDir().mkpath(individualPath));
    }
    if (common) {
        QVERIFY(QDir().mkpath(commonPath));
    }
    const DataFolders folders(u"/opt/tidewell/bin/tidewell"_s);
    const QString path = expected == u"individual"_s ? individualPath
                         : expected == u"common"_s   ? commonPath
                                                     : u"/opt/tidewell/bin/config"_s;
    QCOMPARE(folders.dataPath(), path);
}

void TestDataFolders::filesAndFoldersInside()
{
    QVERIFY(QDir().mkpath(DataFolders::individualProfile()));
    const DataFolders folders(u"/opt/tidewell/bin/tidewell"_s);
    const QString data = DataFolders::individualProfile();
    QCOMPARE(folders.iniFilePath(), data + u"/tidewell.ini"_s);
    QCOMPARE(folders.sideFile(u"$FormTitle.txt"_s), data + u"/$FormTitle.txt"_s);
    QCOMPARE(folders.mailDat(), data + u"/mail_dat"_s);
    QCOMPARE(folders.mailDat2nd(), data + u"/mail_dat/2nd"_s);
    QCOMPARE(folders.webViewUserDataPath(), data + u"/tidewell.WebView2/EBWebView"_s);
    QCOMPARE(folders.programFolder(), u"/opt/tidewell/bin"_s);
}

QTEST_GUILESS_MAIN(TestDataFolders)
#include "TestDataFolders.moc"
