#include <QRegularExpression>
#include <QTest>

#include "app/core/IniFile.h"
#include "app/core/Settings.h"

using namespace Qt::StringLiterals;

namespace {

Settings loaded(const QString& text, const QRect& desktop = {}, int recipients = 0)
{
    Settings settings;
    settings.load(IniFile::fromText(text), {desktop, recipients});
    return settings;
}

IniFile saved(const Settings& settings, const QString& existing = {})
{
    IniFile ini = IniFile::fromText(existing);
    settings.save(ini);
    return ini;
}

// Section and key names of a file in the order they stand, "Section/Key".
QStringList keyOrder(const IniFile& ini)
{
    QStringList order;
    for (const QString& section : ini.sectionNames()) {
        for (const QString& key : ini.keyNames(section)) {
            order.append(section + u'/' + key);
        }
    }
    return order;
}

} // namespace

class TestSettings final : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void firstRunUsesDefaults();
    void firstRunSaveWritesEveryParameterRow();
    void newFileFollowsTheWriteOrder();
    void reconnectIsSettledAtLoad_data();
    void reconnectIsSettledAtLoad();
    void incompleteGridLayoutIsReset();
    void completeGridLayoutIsKept();
    void minimumsAndZeroMeaningDefault_data();
    void minimumsAndZeroMeaningDefault();
    void listViewWidthsAreCappedAt17();
    void homePathRule_data();
    void homePathRule();
    void windowIsKeptOnDesktopHorizontally_data();
    void windowIsKeptOnDesktopHorizontally();
    void recipientChecksFollowTheList();
    void roundTripKeepsEveryValue();
    void unknownSectionsSurviveASave();
};

void TestSettings::firstRunUsesDefaults()
{
    const Settings s = loaded(QString());
    QCOMPARE(s.windowGeometry, QRect(50, 50, 640, 480));
    QCOMPARE(s.panel1Height, 300);
    QCOMPARE(s.LstWidth, 640);
    QCOMPARE(s.LstHeight, 240);
    QCOMPARE(s.Ldb_Host1, u"localhost"_s);
    QCOMPARE(s.fontName, u"Meiryo UI"_s);
    QCOMPARE(s.fontSize, 9);
    QCOMPARE(s.DBLstFrmFontSize, 8);
    QCOMPARE(s.SMTP_PortStr, u"25"_s);
    QCOMPARE(s.sColumnNum, 16);
    QCOMPARE(s.treeViewWidth, 160);
    QVERIFY(s.Home_ShowFlg);
    QVERIFY(!s.tab1Visible);
    for (const ParameterTable::Row& row : s.parameters.rows()) {
        QCOMPARE(row.value, row.key == u"Reconnect"_s ? u"1"_s : u"Dummy Data"_s);
    }
    QVERIFY(s.ReconnectFlg);
    const QStringList hidden = {u"MESSAGE_ID"_s, u"ACCOUNT_KEY"_s, u"MESSAGE_FILENAME"_s};
    QCOMPARE(s.gridColumns[1].fieldName, u"MESSAGE_DATE"_s);
    QCOMPARE(s.gridColumns[1].title, u"受信日時"_s);
    QCOMPARE(s.gridColumns[9].title, u"ボディ"_s);
    for (const Settings::GridColumn& column : s.gridColumns) {
        QCOMPARE(column.visible, !hidden.contains(column.fieldName));
        QCOMPARE(column.width, 200);
    }
}

void TestSettings::firstRunSaveWritesEveryParameterRow()
{
    const IniFile ini = saved(loaded(QString()));
    const QStringList keys = ParameterTable::keys();
    QCOMPARE(keys.size(), 25); // fifteen settings and ten own accounts
    for (const QString& key : keys) {
        QVERIFY2(ini.hasKey(u"Condition", key), qPrintable(key));
        QCOMPARE(ini.readString(u"Condition", key), key == u"Reconnect"_s ? u"1"_s : u"Dummy Data"_s);
    }
}

void TestSettings::newFileFollowsTheWriteOrder()
{
    Settings s = loaded(QString(), {}, 2);
    s.sColumnNum = 2;
    const QStringList order = keyOrder(saved(s));
    QStringList expected = {u"Window/Left"_s,
                            u"Window/Top"_s,
                            u"Window/Width"_s,
                            u"Window/Height"_s,
                            u"Window/Panel1Height"_s,
                            u"Window/TreeViewSW"_s,
                            u"Window/TreeViewWidth"_s,
                            u"LWindow/Width"_s,
                            u"LWindow/Height"_s,
                            u"Condition/Theme"_s,
                            u"Condition/MLFilter_Index"_s,
                            u"Condition/MLRead_Path"_s,
                            u"Condition/MLStore_Path"_s};
    for (const QString& key : ParameterTable::keys()) {
        expected.append(u"Condition/"_s + key);
    }
    expected << u"Condition/FontName"_s << u"Condition/FontSize"_s << u"Condition/FontColor"_s
             << u"Condition/TAB1_Visible"_s << u"Condition/TAB3_Visible"_s << u"Condition/HomePATH"_s
             << u"Condition/LDPath"_s << u"Condition/BUPath"_s << u"Condition/ChkBx8"_s << u"Condition/ChkBx9"_s
             << u"Condition/RGroup4"_s << u"Condition/ViewStyleNum"_s << u"Condition/MSKFlg"_s << u"Condition/HomeFlg"_s
             << u"Condition/DSelctRGroup1"_s << u"Condition/DLstFrmFntSize"_s << u"MailDB/Server"_s
             << u"MailDB/DBPath"_s;
    for (int i = 0; i < 10; ++i) {
        const QString n = QString::number(i);
        expected << u"DBGrid/Visible_"_s + n << u"DBGrid/Columns_"_s + n << u"DBGrid/FieldName_"_s + n
                 << u"DBGrid/TitelCaption_"_s + n;
    }
    expected << u"sListView/ColumnNum"_s << u"sListView/ColumnW1"_s << u"sListView/ColumnW2"_s
             << u"Connection/Mail_Tabindx"_s << u"Connection/MailerIndx"_s << u"Connection/SMTP_Host"_s
             << u"Connection/SMTP_Port"_s << u"Connection/SMTP_User"_s << u"Connection/Mail_Encode"_s
             << u"Connection/ExchangerAccount"_s << u"Connection/MyMailAddress"_s << u"Connection/FromName"_s
             << u"Connection/MyMailSubject"_s << u"ADCondition/ADRS0"_s << u"ADCondition/ADRS1"_s;
    QCOMPARE(order, expected);
}

void TestSettings::reconnectIsSettledAtLoad_data()
{
    QTest::addColumn<QString>("stored");
    QTest::addColumn<QString>("value");
    QTest::addColumn<bool>("flag");
    QTest::addRow("missing becomes 1") << u""_s << u"1"_s << true;
    QTest::addRow("empty becomes 1") << u"Reconnect=\n"_s << u"1"_s << true;
    QTest::addRow("Dummy Data becomes 1") << u"Reconnect=Dummy Data\n"_s << u"1"_s << true;
    QTest::addRow("0 stays") << u"Reconnect=0\n"_s << u"0"_s << false;
    QTest::addRow("other text is not 1") << u"Reconnect=yes\n"_s << u"yes"_s << false;
}

void TestSettings::reconnectIsSettledAtLoad()
{
    QFETCH(QString, stored);
    QFETCH(QString, value);
    QFETCH(bool, flag);
    const Settings s = loaded(u"[Condition]\n"_s + stored);
    QCOMPARE(s.parameters.value(u"Reconnect"), value);
    QCOMPARE(s.ReconnectFlg, flag);
}

void TestSettings::incompleteGridLayoutIsReset()
{
    QString text = u"[DBGrid]\n"_s;
    for (int i = 0; i < 10; ++i) {
        const QString n = QString::number(i);
        text += u"Visible_"_s + n + u"=1\nColumns_"_s + n + u'=' + QString::number(50 + i) + u"\nFieldName_"_s + n
                + u'=' + (i == 3 ? QString() : u"F"_s + n) + u"\nTitelCaption_"_s + n + u"=T"_s + n + u'\n';
    }
    const Settings s = loaded(text);
    const auto defaults = Settings::defaultGridColumns();
    for (int i = 0; i < 10; ++i) {
        QCOMPARE(s.gridColumns[i].fieldName, defaults[i].fieldName);
        QCOMPARE(s.gridColumns[i].title, defaults[i].title);
        QCOMPARE(s.gridColumns[i].width, 50 + i);
        QCOMPARE(s.gridColumns[i].visible, i != 0 && i != 2 && i != 8);
    }
}

void TestSettings::completeGridLayoutIsKept()
{
    QString text = u"[DBGrid]\n"_s;
    for (int i = 0; i < 10; ++i) {
        const QString n = QString::number(i);
        text += u"Visible_"_s + n + u"=" + (i == 5 ? u"0"_s : u"1"_s) + u"\nFieldName_"_s + n + u"=F"_s + n
                + u"\nTitelCaption_"_s + n + u"=T"_s + n + u'\n';
    }
    const Settings s = loaded(text);
    QCOMPARE(s.gridColumns[0].fieldName, u"F0"_s);
    QCOMPARE(s.gridColumns[0].visible, true);
    QCOMPARE(s.gridColumns[5].visible, false);
    QCOMPARE(s.gridColumns[9].title, u"T9"_s);
}

void TestSettings::minimumsAndZeroMeaningDefault_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<int>("panel1Height");
    QTest::addColumn<int>("treeViewWidth");
    QTest::addColumn<int>("columnNum");
    QTest::addRow("small values are raised")
        << u"[Window]\nPanel1Height=3\nTreeViewWidth=9\n[sListView]\nColumnNum=0\n"_s << 10 << 160 << 16;
    QTest::addRow("limits themselves stay")
        << u"[Window]\nPanel1Height=10\nTreeViewWidth=10\n[sListView]\nColumnNum=1\n"_s << 10 << 10 << 1;
    QTest::addRow("unreadable numbers give defaults")
        << u"[Window]\nPanel1Height=x\nTreeViewWidth=y\n[sListView]\nColumnNum=z\n"_s << 300 << 160 << 16;
}

void TestSettings::minimumsAndZeroMeaningDefault()
{
    QFETCH(QString, text);
    const Settings s = loaded(text);
    QTEST(s.panel1Height, "panel1Height");
    QTEST(s.treeViewWidth, "treeViewWidth");
    QTEST(s.sColumnNum, "columnNum");
}

void TestSettings::listViewWidthsAreCappedAt17()
{
    QString text = u"[sListView]\nColumnNum=20\n"_s;
    for (int n = 1; n <= 20; ++n) {
        text += u"ColumnW"_s + QString::number(n) + u'=' + QString::number(100 + n) + u'\n';
    }
    Settings s = loaded(text);
    QCOMPARE(s.sColumnNum, 20);
    QCOMPARE(s.sColumnWidth[16], 117);
    s.sColumnWidth[16] = 5;
    const IniFile ini = saved(s, text);
    QCOMPARE(ini.readInteger(u"sListView", u"ColumnNum", 0), 20);
    QCOMPARE(ini.readInteger(u"sListView", u"ColumnW17", 0), 5);
    QCOMPARE(ini.readInteger(u"sListView", u"ColumnW18", 0), 118); // neither read nor written
}

void TestSettings::homePathRule_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<bool>("written");
    QTest::addColumn<QString>("spelling");
    QTest::addRow("shown: written under its existing spelling")
        << u"[Condition]\nHomeFlg=1\nHomePath= /srv/home \n"_s << true << u"HomePath"_s;
    QTest::addRow("shown, new file: written as HomePATH") << u""_s << true << u"HomePATH"_s;
    QTest::addRow("hidden: not written, flag set again") << u"[Condition]\nHomeFlg=0\n"_s << false << QString();
}

void TestSettings::homePathRule()
{
    QFETCH(QString, text);
    QFETCH(bool, written);
    QFETCH(QString, spelling);
    Settings s = loaded(text);
    s.Home_HolderPath = u"/new/home"_s;
    const IniFile ini = saved(s, text);
    QCOMPARE(ini.readString(u"Condition", u"HomeFlg"), u"1"_s);
    QCOMPARE(ini.hasKey(u"Condition", u"HomePath"), written);
    if (written) {
        QCOMPARE(ini.readString(u"Condition", u"HOMEPATH"), u"/new/home"_s);
        QVERIFY(ini.keyNames(u"Condition").contains(spelling));
    }
    if (!text.isEmpty() && written) {
        QCOMPARE(loaded(text).Home_HolderPath, u"/srv/home"_s); // trimmed when read
    }
}

void TestSettings::windowIsKeptOnDesktopHorizontally_data()
{
    QTest::addColumn<QRect>("window");
    QTest::addColumn<QRect>("expected");
    QTest::addRow("inside stays") << QRect(50, 50, 640, 480) << QRect(50, 50, 640, 480);
    QTest::addRow("left of the desktop moves right") << QRect(-300, 70, 640, 480) << QRect(0, 70, 640, 480);
    QTest::addRow("beyond the right edge moves left") << QRect(3000, 60, 640, 480) << QRect(640, 60, 640, 480);
    QTest::addRow("right edge exactly on the desktop's stays") << QRect(640, 0, 640, 480) << QRect(640, 0, 640, 480);
    QTest::addRow("top edge is not corrected") << QRect(10, -500, 640, 480) << QRect(10, -500, 640, 480);
}

void TestSettings::windowIsKeptOnDesktopHorizontally()
{
    QFETCH(QRect, window);
    QFETCH(QRect, expected);
    const QString text = u"[Window]\nLeft=%1\nTop=%2\nWidth=%3\nHeight=%4\n"_s.arg(window.x())
                             .arg(window.y())
                             .arg(window.width())
                             .arg(window.height());
    QCOMPARE(loaded(text, QRect(0, 0, 1280, 1024)).windowGeometry, expected);
}

void TestSettings::recipientChecksFollowTheList()
{
    const Settings s = loaded(u"[ADCondition]\nADRS0=1\nADRS2=5\nADRS3=1\n"_s, {}, 3);
    QCOMPARE(s.recipientChecks, (QList<bool>{true, false, true}));
    const IniFile empty = saved(loaded(QString()));
    QVERIFY(!empty.hasSection(u"ADCondition"));
}

void TestSettings::roundTripKeepsEveryValue()
{
    Settings s = loaded(QString(), {}, 2);
    s.windowGeometry = QRect(11, 12, 700, 500);
    s.panel1Height = 250;
    s.LstWidth = 900;
    s.MLFilterIdx = 2;
    s.MLRead_Path = u"/home/u/メール"_s;
    s.tab3Visible = true;
    s.StyleNum = 2;
    s.fontName = u"Noto Sans CJK JP"_s;
    s.fontColor = 0x0000FF;
    s.Ldb_Host1 = QString();
    s.Ldb_Path1 = u"/data/Tidewell.fdb"_s;
    s.gridColumns[4].width = 321;
    s.gridColumns[4].visible = false;
    s.sColumnWidth[0] = 123;
    s.rGroup4 = 3;
    s.SMTP_HostStr = u"smtp.example.jp"_s;
    s.My_MailSubjectStr = u"ご案内"_s;
    s.recipientChecks = {false, true};
    s.parameters.setValue(u"ZOOM", u"85"_s);
    const Settings back = loaded(saved(s).toText(), {}, 2);
    QCOMPARE(back.windowGeometry, s.windowGeometry);
    QCOMPARE(back.panel1Height, 250);
    QCOMPARE(back.LstWidth, 900);
    QCOMPARE(back.MLFilterIdx, 2);
    QCOMPARE(back.MLRead_Path, s.MLRead_Path);
    QCOMPARE(back.tab3Visible, true);
    QCOMPARE(back.StyleNum, quint16(2));
    QCOMPARE(back.fontName, s.fontName);
    QCOMPARE(back.fontColor, 0x0000FF);
    QCOMPARE(back.Ldb_Host1, QString());
    QCOMPARE(back.Ldb_Path1, s.Ldb_Path1);
    QCOMPARE(back.gridColumns[4].width, 321);
    QCOMPARE(back.gridColumns[4].visible, false);
    QCOMPARE(back.sColumnWidth[0], 123);
    QCOMPARE(back.Dlmt_Str(), QString());
    QCOMPARE(back.SMTP_HostStr, s.SMTP_HostStr);
    QCOMPARE(back.My_MailSubjectStr, s.My_MailSubjectStr);
    QCOMPARE(back.recipientChecks, s.recipientChecks);
    QCOMPARE(back.parameters.value(u"ZOOM"), u"85"_s);
}

void TestSettings::unknownSectionsSurviveASave()
{
    const QString text = u"[Window]\nLeft=5\n[FutureFeature]\nAnswer=42\n[Condition]\nNewerKey=kept\n"_s;
    const IniFile ini = saved(loaded(text), text);
    QCOMPARE(ini.readString(u"FutureFeature", u"Answer"), u"42"_s);
    QCOMPARE(ini.readString(u"Condition", u"NewerKey"), u"kept"_s);
}

QTEST_GUILESS_MAIN(TestSettings)
#include "TestSettings.moc"
