#include <QComboBox>
#include <QTest>
#include <QTextEdit>

#include "app/FontBar.h"

using namespace Qt::StringLiterals;

// The font bar: what it shows for stored values, what it gives back to store,
// and what it does to the body pane's text.
class TestFontBar final : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void storedColourComesBack_data();
    void storedColourComesBack();
    void restoresTheFontOfTheText();
    void choosingASizeChangesTheText();
};

void TestFontBar::storedColourComesBack_data()
{
    QTest::addColumn<int>("stored");
    QTest::addColumn<QString>("shown");
    QTest::addRow("theme's own colour") << 0 << u"既定"_s;
    QTest::addRow("red, 0x00BBGGRR") << 0x0000FF << u"赤"_s;
    QTest::addRow("navy") << 0x800000 << u"紺"_s;
    QTest::addRow("a colour not in the list is added") << 0x123456 << u"#563412"_s;
}

void TestFontBar::storedColourComesBack()
{
    QFETCH(int, stored);
    QFETCH(QString, shown);
    QTextEdit text;
    FontBar bar(text);
    bar.restore(u"Noto Sans CJK JP"_s, 10, stored);
    auto* colour = bar.findChild<QComboBox*>(u"ColorBox"_s);
    QVERIFY(colour);
    QCOMPARE(colour->currentText(), shown);
    QCOMPARE(bar.colorRef(), stored);
}

void TestFontBar::restoresTheFontOfTheText()
{
    QTextEdit text;
    FontBar bar(text);
    bar.restore(u"Noto Sans CJK JP"_s, 13, 0); // 13 is not among the sizes offered
    QCOMPARE(text.font().pointSize(), 13);
    auto* size = bar.findChild<QComboBox*>(u"FontSizeCombo"_s);
    QVERIFY(size->currentText().isEmpty());

    bar.restore(u"Noto Sans CJK JP"_s, 0, 0); // no size stored
    QCOMPARE(text.font().pointSize(), 9);
}

void TestFontBar::choosingASizeChangesTheText()
{
    QTextEdit text;
    FontBar bar(text);
    bar.restore(u"Noto Sans CJK JP"_s, 10, 0);
    bar.findChild<QComboBox*>(u"FontSizeCombo"_s)->setCurrentText(u"16"_s);
    QCOMPARE(text.font().pointSize(), 16);
    bar.chooseBlack();
    QCOMPARE(bar.colorRef(), 0); // black is 0x000000: stored like the theme's own colour
    bar.chooseDefaultColor();
    QCOMPARE(bar.colorRef(), 0);
}

QTEST_MAIN(TestFontBar)
#include "TestFontBar.moc"
