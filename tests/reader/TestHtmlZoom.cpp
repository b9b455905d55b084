#include <QTest>

#include "app/core/ParameterTable.h"
#include "reader/HtmlZoom.h"

using namespace Qt::StringLiterals;

class TestHtmlZoom : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void steps_data();
    void steps();
};

void TestHtmlZoom::steps_data()
{
    QTest::addColumn<double>("factor");
    QTest::addColumn<bool>("in");
    QTest::addColumn<bool>("fixed");
    QTest::addColumn<double>("result");
    QTest::addColumn<QString>("stored");

    QTest::addRow("in, stored") << 0.7 << true << false << 0.77 << u"77"_s;
    QTest::addRow("out, stored") << 0.7 << false << false << 0.63 << u"63"_s;
    QTest::addRow("in from 100") << 1.0 << true << false << 1.1 << u"110"_s;
    QTest::addRow("percent cut, not rounded") << 0.77 << true << false << 0.847 << u"84"_s;
    QTest::addRow("fixed leaves ZOOM") << 0.7 << true << true << 0.77 << u"70"_s;
}

void TestHtmlZoom::steps()
{
    QFETCH(double, factor);
    QFETCH(bool, in);
    QFETCH(bool, fixed);
    QFETCH(double, result);
    QFETCH(QString, stored);

    ParameterTable parameters;
    parameters.setValue(u"ZOOM", u"70"_s);
    const double next = in ? HtmlZoom::zoomIn(factor) : HtmlZoom::zoomOut(factor);
    QVERIFY2(qAbs(next - result) < 1e-9, qPrintable(QString::number(next)));
    HtmlZoom::storeZoom(parameters, fixed, next);
    QCOMPARE(parameters.value(u"ZOOM"), stored);
}

QTEST_GUILESS_MAIN(TestHtmlZoom)
#include "TestHtmlZoom.moc"
