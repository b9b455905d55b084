#include <QFile>
#include <QTest>

#include "reader/gpg/GpgDecryptedText.h"
#include "testpaths.h"

using namespace Qt::StringLiterals;

class TestGpgDecryptedText final : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void decodesBody_data();
    void decodesBody();
    void findsAnnouncedBoundary_data();
    void findsAnnouncedBoundary();
    void rebuildsFirstAlternative_data();
    void rebuildsFirstAlternative();
    void proposesTextName_data();
    void proposesTextName();
};

void TestGpgDecryptedText::decodesBody_data()
{
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<bool>("jisFlg");
    QTest::addColumn<QString>("expected");

    QFile jis(QStringLiteral(TIDEWELL_TEST_DATA_DIR "/reader/gpg/body-iso2022jp.txt"));
    QVERIFY(jis.open(QIODevice::ReadOnly));
    const QByteArray jisBytes = jis.readAll();
    const QString jisText = u"こんにちは①㈱テスト\n二行目です\n"_s;

    QTest::addRow("UTF-8") << u"日本語の本文\r\n二行目"_s.toUtf8() << false << u"日本語の本文\n二行目"_s;
    QTest::addRow("UTF-8 with byte order mark") << QByteArray("\xEF\xBB\xBF"
                                                              "abc")
                                                << false << u"abc"_s;
    QTest::addRow("ISO-2022-JP with Windows characters") << jisBytes << true << jisText;
}

void TestGpgDecryptedText::decodesBody()
{
    QFETCH(QByteArray, bytes);
    QFETCH(bool, jisFlg);
    QFETCH(QString, expected);
    QCOMPARE(GpgDecryptedText::decodeBody(bytes, jisFlg), expected);
}

void TestGpgDecryptedText::findsAnnouncedBoundary_data()
{
    QTest::addColumn<QStringList>("lines");
    QTest::addColumn<QString>("expected");

    QTest::addRow("quoted =-= boundary after multipart/alternative")
        << QStringList{u"Content-Type: multipart/alternative;"_s, u"  boundary=\"=-=abc=-=\""_s} << u"--=-=abc=-="_s;
    QTest::addRow("letter case of boundary ignored")
        << QStringList{u"Content-Type: multipart/alternative;"_s, u"\tBOUNDARY=\"=-=XY=-=\""_s} << u"--=-=XY=-="_s;
    QTest::addRow("first pair wins, lone announcement skipped")
        << QStringList{u"Content-Type: multipart/alternative;"_s,
                       u"charset=utf-8"_s,
                       u"Content-Type: multipart/alternative;"_s,
                       u" boundary=\"=-=one=-=\""_s,
                       u"Content-Type: multipart/alternative;"_s,
                       u" boundary=\"=-=two=-=\""_s}
        << u"--=-=one=-="_s;
    QTest::addRow("boundary without quotes is not taken")
        << QStringList{u"Content-Type: multipart/alternative;"_s, u" boundary=abc"_s} << QString();
    QTest::addRow("no announcement") << QStringList{u"Hello"_s, u"boundary=\"x\""_s} << QString();
}

void TestGpgDecryptedText::findsAnnouncedBoundary()
{
    QFETCH(QStringList, lines);
    QFETCH(QString, expected);
    QCOMPARE(GpgDecryptedText::boundaryDelimiter(lines), expected);
}

void TestGpgDecryptedText::rebuildsFirstAlternative_data()
{
    QTest::addColumn<QStringList>("lines");
    QTest::addColumn<QString>("delimiter");
    QTest::addColumn<bool>("removeLf");
    QTest::addColumn<QStringList>("expected");

    const QString decoded = u"一行目\r\n\r\n\r\n二行目\r\n\n三行目"_s;
    const QByteArray base64 = decoded.toUtf8().toBase64();
    const QStringList alternative{u"This is a multi-part message."_s,
                                  u"--=-=abc=-="_s,
                                  u"Content-Type: text/plain; charset=utf-8"_s,
                                  u"Content-Transfer-Encoding: base64"_s,
                                  QString(),
                                  QString::fromLatin1(base64.left(20)),
                                  QString::fromLatin1(base64.mid(20)),
                                  u"--=-=abc=-="_s,
                                  u"Content-Type: text/html; charset=utf-8"_s,
                                  u"Content-Transfer-Encoding: base64"_s,
                                  QString(),
                                  u"PGI+aHRtbDwvYj4="_s,
                                  u"--=-=abc=-=--"_s};

    QTest::addRow("base64 alternative decoded") << alternative << u"--=-=abc=-="_s << false << QStringList{decoded};
    QTest::addRow("RemoveLF: three line breaks become two")
        << alternative << u"--=-=abc=-="_s << true << QStringList{u"一行目\r\n\r\n二行目\r\n三行目"_s};
    QTest::addRow("default delimiter is a prefix of the boundary")
        << alternative << u"--=-="_s << false << QStringList{decoded};
    QTest::addRow("no delimiter line gives the body lines") << alternative << u"--other"_s << true << alternative;
    const QStringList plain{u"--=-=abc=-="_s, u"Content-Type: text/plain"_s, QString(), u"just text"_s};
    QTest::addRow("no base64 gives the body lines") << plain << u"--=-=abc=-="_s << true << plain;
}

void TestGpgDecryptedText::rebuildsFirstAlternative()
{
    QFETCH(QStringList, lines);
    QFETCH(QString, delimiter);
    QFETCH(bool, removeLf);
    QFETCH(QStringList, expected);
    QCOMPARE(GpgDecryptedText::rebuildFirstAlternative(lines, delimiter, removeLf), expected);
}

void TestGpgDecryptedText::proposesTextName_data()
{
    QTest::addColumn<QString>("caption");
    QTest::addColumn<QString>("expected");
    QTest::addRow("armored attachment") << u"encrypted.asc"_s << u"encrypted.txt"_s;
    QTest::addRow("several dots") << u"report.pdf.gpg"_s << u"report.pdf.txt"_s;
    QTest::addRow("slash becomes underscore") << u"a/b.pgp"_s << u"a_b.txt"_s;
    QTest::addRow("no extension") << u"secret"_s << u"secret.txt"_s;
}

void TestGpgDecryptedText::proposesTextName()
{
    QFETCH(QString, caption);
    QFETCH(QString, expected);
    QCOMPARE(GpgDecryptedText::proposedTextName(caption), expected);
}

QTEST_GUILESS_MAIN(TestGpgDecryptedText)
#include "TestGpgDecryptedText.moc"
