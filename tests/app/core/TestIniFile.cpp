#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QStringEncoder>
#include <QTemporaryDir>
#include <QTest>

#include "app/core/IniFile.h"

using namespace Qt::StringLiterals;

class TestIniFile final : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void readsInteger_data();
    void readsInteger();
    void readsString_data();
    void readsString();
    void decodesWindowsEncodings_data();
    void decodesWindowsEncodings();
    void writingKeepsPlaceSpellingAndForeignLines();
    void writingAddsKeysAndSections();
    void savesAtomicallyAndReloads();
    void unwritableFileFailsWithoutHarm();

private:
    QTemporaryDir m_dir;
};

void TestIniFile::readsInteger_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<int>("expected");
    QTest::addRow("plain") << u"[Window]\nPanel1Height=120\n"_s << 120;
    QTest::addRow("names ignore case") << u"[WINDOW]\npanel1height=120\n"_s << 120;
    QTest::addRow("CR LF line ends") << u"[Window]\r\nPanel1Height=120\r\n"_s << 120;
    QTest::addRow("spaces around name and value") << u"[ Window ]\n  Panel1Height = 120 \n"_s << 120;
    QTest::addRow("negative") << u"[Window]\nPanel1Height=-5\n"_s << -5;
    QTest::addRow("missing key gives default") << u"[Window]\nLeft=5\n"_s << 300;
    QTest::addRow("missing section gives default") << u"[Other]\nPanel1Height=5\n"_s << 300;
    QTest::addRow("key of another section is not seen") << u"[Other]\nPanel1Height=5\n[Window]\n"_s << 300;
    QTest::addRow("unreadable integer gives default") << u"[Window]\nPanel1Height=abc\n"_s << 300;
    QTest::addRow("empty value gives default") << u"[Window]\nPanel1Height=\n"_s << 300;
    QTest::addRow("first of duplicated keys wins") << u"[Window]\nPanel1Height=1\nPANEL1HEIGHT=2\n"_s << 1;
    QTest::addRow("commented key is not read") << u"[Window]\n;Panel1Height=1\n"_s << 300;
}

void TestIniFile::readsInteger()
{
    QFETCH(QString, text);
    QFETCH(int, expected);
    QCOMPARE(IniFile::fromText(text).readInteger(u"Window", u"Panel1Height", 300), expected);
}

void TestIniFile::readsString_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("expected");
    QTest::addRow("Japanese value") << u"[Condition]\nExpFileName=【完了】[Subject]\n"_s << u"【完了】[Subject]"_s;
    QTest::addRow("equals sign inside value") << u"[Condition]\nExpFileName==-=\n"_s << u"=-="_s;
    QTest::addRow("quotes are dropped") << u"[Condition]\nExpFileName=\" a b \"\n"_s << u" a b "_s;
    QTest::addRow("HomePATH written, HomePath read") << u"[Condition]\nHomePATH=/home/u\n"_s << u"/home/u"_s;
    QTest::addRow("missing gives default") << u"[Condition]\n"_s << u"default"_s;
}

void TestIniFile::readsString()
{
    QFETCH(QString, text);
    QFETCH(QString, expected);
    const IniFile ini = IniFile::fromText(text);
    const QString key = text.contains(u"HomePATH"_s) ? u"HomePath"_s : u"ExpFileName"_s;
    QCOMPARE(ini.readString(u"condition", key, u"default"_s), expected);
}

void TestIniFile::decodesWindowsEncodings_data()
{
    const QString text = u"[Condition]\nFontName=メイリオ ①㈱髙\n"_s;
    QTest::addColumn<QByteArray>("bytes");
    QTest::addRow("UTF-8") << text.toUtf8();
    QTest::addRow("UTF-8 with byte-order mark") << QByteArray("\xEF\xBB\xBF" + text.toUtf8());
    QStringEncoder utf16(QStringEncoder::Utf16LE, QStringEncoder::Flag::WriteBom);
    QTest::addRow("UTF-16 with byte-order mark") << QByteArray(utf16(text));
    QStringEncoder cp932("windows-31j");
    QTest::addRow("CP932") << QByteArray(cp932(text));
}

void TestIniFile::decodesWindowsEncodings()
{
    QFETCH(QByteArray, bytes);
    const QString path = m_dir.filePath(u"enc.ini"_s);
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write(bytes);
    file.close();
    QCOMPARE(IniFile(path).readString(u"Condition", u"FontName"), u"メイリオ ①㈱髙"_s);
}

void TestIniFile::writingKeepsPlaceSpellingAndForeignLines()
{
    IniFile ini = IniFile::fromText(u"; made by hand\n[Window]\nleft=1\nTop=2\n\n[Future]\nNewKey=x\n"
                                    u"[Condition]\nHomePath=/a\n"_s);
    ini.writeInteger(u"WINDOW", u"Left", 30);
    ini.writeString(u"Condition", u"HomePATH", u"/b"_s);
    QCOMPARE(ini.toText(),
             u"; made by hand\r\n[Window]\r\nleft=30\r\nTop=2\r\n\r\n[Future]\r\nNewKey=x\r\n"
             u"[Condition]\r\nHomePath=/b\r\n"_s);
}

void TestIniFile::writingAddsKeysAndSections()
{
    IniFile ini = IniFile::fromText(u"[Window]\nLeft=1\n\n[Other]\nA=1\n"_s);
    ini.writeInteger(u"Window", u"Top", 2);
    ini.writeBool(u"Condition", u"MSKFlg", true);
    ini.writeBool(u"Condition", u"ChkBx8", false);
    QCOMPARE(ini.toText(),
             u"[Window]\r\nLeft=1\r\nTop=2\r\n\r\n[Other]\r\nA=1\r\n[Condition]\r\nMSKFlg=1\r\nChkBx8=0\r\n"_s);
    QCOMPARE(ini.readBool(u"condition", u"mskflg", false), true);
}

void TestIniFile::savesAtomicallyAndReloads()
{
    const QString path = m_dir.filePath(u"save.ini"_s);
    {
        IniFile ini(path);
        ini.writeString(u"MailDB", u"DBPath", u"/data/𠮟.fdb"_s);
        QVERIFY(ini.save());
    }
    QCOMPARE(IniFile(path).readString(u"maildb", u"dbpath"), u"/data/𠮟.fdb"_s);
    // No temporary file is left beside the settings file.
    QCOMPARE(QDir(m_dir.path()).entryList({u"save.ini*"_s}, QDir::Files), QStringList{u"save.ini"_s});
}

void TestIniFile::unwritableFileFailsWithoutHarm()
{
    // A folder in place of the file cannot be replaced by a rename, even by root.
    const QString path = m_dir.filePath(u"blocked.ini"_s);
    QVERIFY(QDir().mkpath(path + u"/keep"_s));
    IniFile ini(path);
    ini.writeInteger(u"Window", u"Left", 2);
    QVERIFY(!ini.save());
    QVERIFY(QFileInfo(path + u"/keep"_s).isDir());
}

QTEST_GUILESS_MAIN(TestIniFile)
#include "TestIniFile.moc"
