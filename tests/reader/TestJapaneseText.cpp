#include <QTest>

#include "reader/JapaneseText.h"

using namespace Qt::StringLiterals;

class TestJapaneseText : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void jisToShiftJis_data();
    void jisToShiftJis();
    void monthNumber_data();
    void monthNumber();
    void decodeHeader_data();
    void decodeHeader();
    void decodeText_data();
    void decodeText();
};

void TestJapaneseText::jisToShiftJis_data()
{
    QTest::addColumn<QByteArray>("jis");
    QTest::addColumn<QByteArray>("sjis");

    QTest::addRow("empty") << QByteArray() << QByteArray();
    QTest::addRow("ascii passes") << QByteArray("Hello") << QByteArray("Hello");
    // "テスト" (JIS 2546 2539 2548) -> Shift_JIS 8365 8358 8367
    QTest::addRow("katakana") << QByteArray("\x1b$B%F%9%H\x1b(B") << QByteArray("\x83\x65\x83\x58\x83\x67");
    // first row, first cell: the ideographic space
    QTest::addRow("row 1 cell 1") << QByteArray("\x1b$B!!\x1b(B") << QByteArray("\x81\x40");
    // NEC row 13: ① 2D21 -> 8740, ㈱ 2D6A -> 878A
    QTest::addRow("NEC row 13") << QByteArray("\x1b$B-!-j\x1b(B") << QByteArray("\x87\x40\x87\x8a");
    // NEC-selected IBM extension: 髙 7C62 -> EEE0
    QTest::addRow("IBM extension") << QByteArray("\x1b$B|b\x1b(B") << QByteArray("\xee\xe0");
    QTest::addRow("mixed with ascii") << QByteArray("a\x1b$B$\"\x1b(Bb")
                                      << QByteArray("a\x82\xa0"
                                                    "b");
    QTest::addRow("half-width katakana ESC ( I") << QByteArray("\x1b(I1\x1b(B") << QByteArray("\xb1");
    QTest::addRow("half-width katakana SO/SI") << QByteArray("\x0e"
                                                             "1\x0f"
                                                             "a")
                                               << QByteArray("\xb1"
                                                             "a");
    QTest::addRow("line ends kept") << QByteArray("\x1b$B$\"\x1b(B\r\nx") << QByteArray("\x82\xa0\r\nx");
    QTest::addRow("odd trailing byte kept") << QByteArray("\x1b$B$") << QByteArray("$");
    QTest::addRow("truncated escape kept") << QByteArray("a\x1b$") << QByteArray("a\x1b$");
}

void TestJapaneseText::jisToShiftJis()
{
    QFETCH(QByteArray, jis);
    QFETCH(QByteArray, sjis);
    QCOMPARE(JapaneseText::JisToShiftJis(jis), sjis);
}

void TestJapaneseText::monthNumber_data()
{
    QTest::addColumn<QString>("word");
    QTest::addColumn<QString>("number");

    QTest::addRow("Jan") << u"Jan"_s << u"01"_s;
    QTest::addRow("february lower case") << u"february"_s << u"02"_s;
    QTest::addRow("MAR") << u"MAR"_s << u"03"_s;
    QTest::addRow("Apr") << u"Apr"_s << u"04"_s;
    QTest::addRow("May") << u"May"_s << u"05"_s;
    QTest::addRow("Jun") << u"Jun"_s << u"06"_s;
    QTest::addRow("July") << u"July"_s << u"07"_s;
    QTest::addRow("Aug") << u"Aug"_s << u"08"_s;
    QTest::addRow("Sept") << u"Sept"_s << u"09"_s;
    QTest::addRow("Oct") << u"Oct"_s << u"10"_s;
    QTest::addRow("Nov") << u"Nov"_s << u"11"_s;
    QTest::addRow("December") << u"December"_s << u"12"_s;
    QTest::addRow("word around a month") << u"Aug."_s << u"08"_s;
    QTest::addRow("unknown") << u"Foo"_s << u"0"_s;
    QTest::addRow("empty") << QString() << u"0"_s;
}

void TestJapaneseText::monthNumber()
{
    QFETCH(QString, word);
    QFETCH(QString, number);
    QCOMPARE(JapaneseText::MonthNumber(word), number);
}

void TestJapaneseText::decodeHeader_data()
{
    QTest::addColumn<QByteArray>("raw");
    QTest::addColumn<QString>("text");

    QTest::addRow("plain ascii") << QByteArray("Hello world") << u"Hello world"_s;
    QTest::addRow("ISO-2022-JP B") << QByteArray("=?ISO-2022-JP?B?GyRCJUYlOSVIGyhC?=") << u"テスト"_s;
    // The first word ends in "=" padding: the case that loses text elsewhere.
    QTest::addRow("split ISO-2022-JP with padding")
        << QByteArray("=?ISO-2022-JP?B?GyRCJDMkcxsoQg==?=\r\n =?ISO-2022-JP?B?GyRCJEskQSRPGyhC?=") << u"こんにちは"_s;
    // One UTF-8 character split over two words.
    QTest::addRow("split UTF-8 inside a character") << QByteArray("=?UTF-8?B?5pel5g==?= =?utf-8?B?nKw=?=") << u"日本"_s;
    QTest::addRow("NEC characters in ISO-2022-JP") << QByteArray("=?iso-2022-jp?B?GyRCLSEtanxiGyhC?=") << u"①㈱髙"_s;
    QTest::addRow("Shift_JIS") << QByteArray("=?Shift_JIS?B?jlKTYw==?=") << u"山田"_s;
    QTest::addRow("Q encoding with underscore") << QByteArray("=?ISO-8859-1?Q?caf=E9_au_lait?=") << u"café au lait"_s;
    QTest::addRow("different charsets side by side")
        << QByteArray("=?UTF-8?B?44OG44K544OI?= =?ISO-8859-1?Q?caf=E9?=") << u"テストcafé"_s;
    QTest::addRow("text around words keeps its spaces")
        << QByteArray("Re: =?UTF-8?B?44OG44K544OI?= (1)") << u"Re: テスト (1)"_s;
    QTest::addRow("unknown charset falls back to UTF-8") << QByteArray("=?x-nonsense?B?44OG44K544OI?=") << u"テスト"_s;
    QTest::addRow("iconv options in charset ignored") << QByteArray("=?UTF-8//IGNORE?B?44OG44K544OI?=") << u"テスト"_s;
    QTest::addRow("malformed word kept") << QByteArray("=?UTF-8?X?abc?=") << u"=?UTF-8?X?abc?="_s;
    QTest::addRow("unterminated word kept") << QByteArray("=?UTF-8?B?44OG") << u"=?UTF-8?B?44OG"_s;
    QTest::addRow("raw UTF-8 header") << QByteArray("日本語") << u"日本語"_s;
    QTest::addRow("raw JIS header") << QByteArray("\x1b$B%F%9%H\x1b(B") << u"テスト"_s;
    QTest::addRow("raw Shift_JIS header") << QByteArray("\x8e\x52\x93\x63") << u"山田"_s;
    QTest::addRow("language suffix") << QByteArray("=?UTF-8*ja?B?44OG44K544OI?=") << u"テスト"_s;
    QTest::addRow("empty") << QByteArray() << QString();
}

void TestJapaneseText::decodeHeader()
{
    QFETCH(QByteArray, raw);
    QFETCH(QString, text);
    QCOMPARE(JapaneseText::decodeHeader(raw), text);
}

void TestJapaneseText::decodeText_data()
{
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<QByteArray>("charset");
    QTest::addColumn<QString>("text");

    QTest::addRow("ISO-2022-JP with NEC characters")
        << QByteArray("\x1b$B-!-j|b\x1b(B") << QByteArray("ISO-2022-JP") << u"①㈱髙"_s;
    QTest::addRow("Shift_JIS read as CP932") << QByteArray("\x87\x40\x8e\x52") << QByteArray("Shift_JIS") << u"①山"_s;
    QTest::addRow("quoted charset") << QByteArray("\x8e\x52") << QByteArray("\"shift_jis\"") << u"山"_s;
    QTest::addRow("EUC-JP") << QByteArray("\xa5\xc6\xa5\xb9\xa5\xc8") << QByteArray("EUC-JP") << u"テスト"_s;
    QTest::addRow("UTF-8") << QByteArray("\xe6\x97\xa5") << QByteArray("utf-8") << u"日"_s;
    QTest::addRow("Latin-1 label with Windows quotes")
        << QByteArray("\x93hi\x94") << QByteArray("iso-8859-1") << u"\u201chi\u201d"_s;
    QTest::addRow("ISO-8859-2 through iconv") << QByteArray("\xb1") << QByteArray("ISO-8859-2") << u"ą"_s;
    QTest::addRow("no charset, UTF-8 bytes") << QByteArray("\xe6\x97\xa5") << QByteArray() << u"日"_s;
    QTest::addRow("no charset, Shift_JIS bytes") << QByteArray("\x8e\x52\x93\x63") << QByteArray() << u"山田"_s;
    QTest::addRow("unknown charset, UTF-8 bytes") << QByteArray("\xe6\x97\xa5") << QByteArray("klingon") << u"日"_s;
    QTest::addRow("UTF-8 label on Shift_JIS bytes")
        << QByteArray("\x8e\x52\x93\x63") << QByteArray("utf-8") << u"山田"_s;
    QTest::addRow("unknown charset, Latin-1 bytes") << QByteArray("caf\xe9") << QByteArray("x-unknown") << u"café"_s;
    QTest::addRow("bad bytes in Shift_JIS become U+FFFD")
        << QByteArray("a\x85\x40") << QByteArray("shift_jis") << u"a\ufffd@"_s;
    QTest::addRow("empty") << QByteArray() << QByteArray("utf-8") << QString();
}

void TestJapaneseText::decodeText()
{
    QFETCH(QByteArray, bytes);
    QFETCH(QByteArray, charset);
    QFETCH(QString, text);
    QCOMPARE(JapaneseText::decodeText(bytes, charset), text);
}

QTEST_GUILESS_MAIN(TestJapaneseText)
#include "TestJapaneseText.moc"
