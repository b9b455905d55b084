#include <QTest>

#include "app/core/StartupArguments.h"

using namespace Qt::StringLiterals;

class TestStartupArguments final : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void parses_data();
    void parses();
};

void TestStartupArguments::parses_data()
{
    QTest::addColumn<QStringList>("arguments");
    QTest::addColumn<bool>("help");
    QTest::addColumn<int>("theme"); // -1: no style argument
    QTest::addRow("nothing") << QStringList() << false << -1;
    QTest::addRow("0 to 3 pick a theme") << QStringList{u"2"_s} << false << 2;
    QTest::addRow("3 is the Polar Light theme") << QStringList{u"3"_s} << false << 3;
    QTest::addRow("above 3 means 0") << QStringList{u"7"_s} << false << 0;
    QTest::addRow("below 0 means 0") << QStringList{u"-1"_s} << false << 0;
    QTest::addRow("not a number means no argument") << QStringList{u"x"_s} << false << -1;
    QTest::addRow("help in any letter case") << QStringList{u"--HeLp"_s} << true << -1;
    QTest::addRow("only the first argument counts") << QStringList{u"x"_s, u"2"_s} << false << -1;
}

void TestStartupArguments::parses()
{
    QFETCH(QStringList, arguments);
    QFETCH(bool, help);
    QFETCH(int, theme);
    const StartupArguments parsed = StartupArguments::parse(arguments);
    QCOMPARE(parsed.help, help);
    QCOMPARE(parsed.theme.value_or(-1), theme);
}

QTEST_GUILESS_MAIN(TestStartupArguments)
#include "TestStartupArguments.moc"
