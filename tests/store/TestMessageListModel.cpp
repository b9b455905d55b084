#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>

#include "app/core/IniFile.h"
#include "app/core/Settings.h"
#include "store/ListColumns.h"
#include "store/MessageListModel.h"
#include "store/StoreFixture.h"

using namespace Qt::StringLiterals;

// The message list over a real archive: order, sorting, paging, the body read
// on demand, the filter hook; and the column settings and small list rules.
class TestMessageListModel final : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void initTestCase();
    void cleanupTestCase();
    void newestFirstPageByPage();
    void sortsByIndexFieldNames_data();
    void sortsByIndexFieldNames();
    void tiesNeitherSkipNorRepeatAcrossPages();
    void titleClicksAlternateDirection();
    void refusesFieldsOutsideTheView_data();
    void refusesFieldsOutsideTheView();
    void bodyIsReadOnlyForCellsAsked();
    void filterNarrowsWithBoundValues();
    void closedConnectionGivesClosedList();
    void columnsFromSettings_data();
    void columnsFromSettings();
    void columnsWrittenBackAsLeft();
    void fontSizeSteps_data();
    void fontSizeSteps();

private:
    [[nodiscard]] static QStringList ids(const MessageListModel& model);

    QTemporaryDir m_dir;
    QSqlDatabase m_db;
};

void TestMessageListModel::initTestCase()
{
    const QString small = m_dir.filePath(u"small.fdb"_s);
    QVERIFY(StoreFixture::createArchive(small));
    m_db = StoreFixture::open(small, u"list"_s);
    QVERIFY(m_db.isOpen());
    using StoreFixture::at;
    // Five messages; three share a sender.
    QVERIFY(
        StoreFixture::insert(m_db,
                             {
                                 {u"<a@x>"_s, at(u"2024-01-05 08:00:00"_s), u"banana"_s, u"佐藤"_s, u"body a"_s, {}},
                                 {u"<b@x>"_s, at(u"2024-03-01 12:00:00"_s), u"Apple"_s, u"鈴木"_s, u"body b"_s, {}},
                                 {u"<c@x>"_s, at(u"2023-12-31 23:59:59"_s), u"cherry"_s, u"佐藤"_s, u"body c"_s, {}},
                                 {u"<d@x>"_s, at(u"2024-02-10 07:30:00"_s), u"Date"_s, u"田中"_s, u"😀 d"_s, {}},
                                 {u"<e@x>"_s, at(u"2024-02-10 07:30:00"_s), u"apricot"_s, u"佐藤"_s, u"body e"_s, {}},
                             }));
}

void TestMessageListModel::cleanupTestCase()
{
    m_db.close();
    m_db = {};
    QSqlDatabase::removeDatabase(u"list"_s);
}

QStringList TestMessageListModel::ids(const MessageListModel& model)
{
    QStringList result;
    for (int row = 0; row < model.rowCount(); ++row) {
        result.append(model.keyAt(row).id);
    }
    return result;
}

void TestMessageListModel::newestFirstPageByPage()
{
    QTemporaryDir dir;
    const QString path = dir.filePath(u"paged.fdb"_s);
    QVERIFY(StoreFixture::createArchive(path));
    QStringList expected;
    {
        QSqlDatabase db = StoreFixture::open(path, u"paged"_s);
        QList<StoreFixture::Message> messages;
        const QDateTime base = StoreFixture::at(u"2024-06-01 00:00:00"_s);
        for (int i = 1; i <= 25; ++i) {
            const QString id = u"<m%1@x>"_s.arg(i, 2, 10, QChar(u'0'));
            messages.append({id, base.addSecs(i * 60), u"s"_s, u"n"_s, u"b"_s, {}});
            expected.prepend(id);
        }
        QVERIFY(StoreFixture::insert(db, messages));
        MessageListModel model;
        model.setPageSize(10);
        QSignalSpy inserted(&model, &QAbstractItemModel::rowsInserted);
        QVERIFY(model.open(db));
        QCOMPARE(model.rowCount(), 10);
        QVERIFY(model.canFetchMore());
        model.fetchMore();
        QCOMPARE(model.rowCount(), 20);
        model.fetchMore();
        QCOMPARE(model.rowCount(), 25);
        QVERIFY(!model.canFetchMore());
        QCOMPARE(inserted.count(), 3);
        QCOMPARE(ids(model), expected);
        QCOMPARE(model.data(model.index(0, 1)).toString(), u"2024/06/01 00:25:00"_s);
        model.close();
        db.close();
    }
    QSqlDatabase::removeDatabase(u"paged"_s);
}

void TestMessageListModel::sortsByIndexFieldNames_data()
{
    QTest::addColumn<QString>("names");
    QTest::addColumn<QStringList>("order");
    QTest::addRow("received date, newest first")
        << u"MESSAGE_DATE:D"_s << QStringList{u"<b@x>"_s, u"<e@x>"_s, u"<d@x>"_s, u"<a@x>"_s, u"<c@x>"_s};
    QTest::addRow("received date, oldest first")
        << u"MESSAGE_DATE:A"_s << QStringList{u"<c@x>"_s, u"<a@x>"_s, u"<d@x>"_s, u"<e@x>"_s, u"<b@x>"_s};
    QTest::addRow("subject ignores letter case")
        << u"MESSAGE_SUBJECT:A"_s << QStringList{u"<b@x>"_s, u"<e@x>"_s, u"<a@x>"_s, u"<c@x>"_s, u"<d@x>"_s};
    QTest::addRow("subject descending") << u"message_subject:D"_s
                                        << QStringList{u"<d@x>"_s, u"<c@x>"_s, u"<a@x>"_s, u"<e@x>"_s, u"<b@x>"_s};
    QTest::addRow("identifier descending")
        << u"MESSAGE_ID:D"_s << QStringList{u"<e@x>"_s, u"<d@x>"_s, u"<c@x>"_s, u"<b@x>"_s, u"<a@x>"_s};
    QTest::addRow("no suffix is ascending")
        << u"MESSAGE_ID"_s << QStringList{u"<a@x>"_s, u"<b@x>"_s, u"<c@x>"_s, u"<d@x>"_s, u"<e@x>"_s};
    QTest::addRow("body") << u"MAILBODY:A"_s << QStringList{u"<a@x>"_s, u"<b@x>"_s, u"<c@x>"_s, u"<e@x>"_s, u"<d@x>"_s};
}

void TestMessageListModel::sortsByIndexFieldNames()
{
    QFETCH(QString, names);
    QFETCH(QStringList, order);
    MessageListModel model;
    model.setPageSize(2); // the order must hold across pages
    QVERIFY(model.open(m_db));
    QVERIFY(model.setIndexFieldNames(names));
    while (model.canFetchMore()) {
        model.fetchMore();
    }
    QCOMPARE(ids(model), order);
}

void TestMessageListModel::tiesNeitherSkipNorRepeatAcrossPages()
{
    // Three messages share a sender; pages of two cut through them.
    MessageListModel model;
    model.setPageSize(2);
    QVERIFY(model.open(m_db));
    QVERIFY(model.setIndexFieldNames(u"SENDER_NAME:D"_s));
    while (model.canFetchMore()) {
        model.fetchMore();
    }
    QStringList senders;
    for (int row = 0; row < model.rowCount(); ++row) {
        senders.append(model.fieldValue(row, u"SENDER_NAME"_s).toString());
    }
    QCOMPARE(senders, (QStringList{u"鈴木"_s, u"田中"_s, u"佐藤"_s, u"佐藤"_s, u"佐藤"_s}));
    QStringList all = ids(model);
    all.sort();
    QCOMPARE(all, (QStringList{u"<a@x>"_s, u"<b@x>"_s, u"<c@x>"_s, u"<d@x>"_s, u"<e@x>"_s}));
}

void TestMessageListModel::titleClicksAlternateDirection()
{
    MessageListModel model;
    QVERIFY(model.open(m_db));
    // First title click after start-up on 受信日時: descending, the oldest last.
    QVERIFY(model.setIndexFieldNames(ListRules::indexFieldNames(u"MESSAGE_DATE"_s, 0)));
    QCOMPARE(model.indexFieldNames(), u"MESSAGE_DATE:D"_s);
    QCOMPARE(model.keyAt(model.rowCount() - 1).id, u"<c@x>"_s);
    // The second click, on any column, sorts ascending.
    QVERIFY(model.setIndexFieldNames(ListRules::indexFieldNames(u"MESSAGE_SUBJECT"_s, 1)));
    QCOMPARE(model.indexFieldNames(), u"MESSAGE_SUBJECT:A"_s);
    QCOMPARE(model.keyAt(0).id, u"<b@x>"_s);
    QCOMPARE(ListRules::indexFieldNames(u"SENDER_NAME"_s, 2), u"SENDER_NAME:D"_s);
}

void TestMessageListModel::refusesFieldsOutsideTheView_data()
{
    QTest::addColumn<QString>("names");
    QTest::addRow("statement pasted as a field") << u"MESSAGE_DATE; DELETE FROM Message_IdxTbl:D"_s;
    QTest::addRow("column of a table, not of the view") << u"MAILDAT:A"_s;
    QTest::addRow("unknown direction") << u"MESSAGE_DATE:X"_s;
    QTest::addRow("empty") << u""_s;
}

void TestMessageListModel::refusesFieldsOutsideTheView()
{
    QFETCH(QString, names);
    MessageListModel model;
    QVERIFY(model.open(m_db));
    QVERIFY(!model.setIndexFieldNames(names));
    QCOMPARE(model.indexFieldNames(), u"MESSAGE_DATE:D"_s);
    QCOMPARE(model.rowCount(), 5);
}

void TestMessageListModel::bodyIsReadOnlyForCellsAsked()
{
    MessageListModel model;
    QVERIFY(model.open(m_db));
    QCOMPARE(model.bodiesRead(), 0);
    const int body = 9; // MAILBODY in the default columns
    QCOMPARE(model.columns().at(body).field, u"MAILBODY"_s);
    QCOMPARE(model.data(model.index(2, body)).toString(), u"😀 d"_s); // <d@x>
    QCOMPARE(model.data(model.index(2, body)).toString(), u"😀 d"_s);
    QCOMPARE(model.bodiesRead(), 1);
    QCOMPARE(model.fieldValue(0, u"MAILBODY"_s).toString(), u"body b"_s);
    QCOMPARE(model.bodiesRead(), 2);
}

void TestMessageListModel::filterNarrowsWithBoundValues()
{
    MessageListModel model;
    model.setFilter(u"SENDER_NAME = ? AND MESSAGE_SUBJECT LIKE ?"_s, {u"佐藤"_s, u"%an%"_s});
    QVERIFY(model.open(m_db));
    QCOMPARE(ids(model), QStringList{u"<a@x>"_s});
    // A value that looks like SQL is only a value.
    model.setFilter(u"MESSAGE_SUBJECT = ?"_s, {u"x' OR '1'='1"_s});
    QVERIFY(model.open(m_db));
    QCOMPARE(model.rowCount(), 0);
    model.setFilter({}, {});
    QVERIFY(model.open(m_db));
    QCOMPARE(model.rowCount(), 5);
}

void TestMessageListModel::closedConnectionGivesClosedList()
{
    MessageListModel model;
    QVERIFY(!model.open(QSqlDatabase()));
    QVERIFY(!model.isOpen());
    QCOMPARE(model.rowCount(), 0);
    QVERIFY(!model.canFetchMore());
}

void TestMessageListModel::columnsFromSettings_data()
{
    QTest::addColumn<QString>("ini");
    QTest::addColumn<QStringList>("fields");
    QTest::addColumn<QStringList>("titles");
    QTest::addColumn<QList<bool>>("visible");
    QTest::addColumn<QList<int>>("widths");
    const QStringList defaultFields = {u"MESSAGE_ID"_s,
                                       u"MESSAGE_DATE"_s,
                                       u"ACCOUNT_KEY"_s,
                                       u"SENDER_NAME"_s,
                                       u"SENDER_ADDRESS"_s,
                                       u"RECIEVE_NAME"_s,
                                       u"RECIEVE_ADDRESS"_s,
                                       u"MESSAGE_SUBJECT"_s,
                                       u"MESSAGE_FILENAME"_s,
                                       u"MAILBODY"_s};
    const QStringList defaultTitles = {u"メッセージID"_s,
                                       u"受信日時"_s,
                                       u"アカウント(POP)"_s,
                                       u"送信名"_s,
                                       u"送信アドレス"_s,
                                       u"受信名"_s,
                                       u"受信アドレス"_s,
                                       u"題目"_s,
                                       u"メッセージファイル名"_s,
                                       u"ボディ"_s};
    QTest::addRow("no settings: defaults, id, account and file name hidden")
        << u""_s << defaultFields << defaultTitles
        << QList<bool>{false, true, false, true, true, true, true, true, false, true}
        << QList<int>{200, 200, 200, 200, 200, 200, 200, 200, 200, 200};
    QString complete = u"[DBGrid]\n"_s;
    for (int i = 0; i < 10; ++i) {
        complete += u"FieldName_%1=%2\nTitelCaption_%1=T%1\nColumns_%1=%3\nVisible_%1=%4\n"_s.arg(i)
                        .arg(defaultFields.at(9 - i))
                        .arg(50 + i)
                        .arg(i % 2 == 0 ? u"1"_s : u"0"_s);
    }
    QStringList reversed = defaultFields;
    std::reverse(reversed.begin(), reversed.end());
    QTest::addRow("complete settings are taken as they are")
        << complete << reversed
        << QStringList{u"T0"_s, u"T1"_s, u"T2"_s, u"T3"_s, u"T4"_s, u"T5"_s, u"T6"_s, u"T7"_s, u"T8"_s, u"T9"_s}
        << QList<bool>{true, false, true, false, true, false, true, false, true, false}
        << QList<int>{50, 51, 52, 53, 54, 55, 56, 57, 58, 59};
    QString holed = complete;
    holed.replace(u"FieldName_3=RECIEVE_ADDRESS"_s, u"FieldName_3="_s);
    QTest::addRow("one empty field name resets fields and titles only")
        << holed << defaultFields << defaultTitles
        << QList<bool>{false, false, false, false, true, false, true, false, false, false}
        << QList<int>{50, 51, 52, 53, 54, 55, 56, 57, 58, 59};
}

void TestMessageListModel::columnsFromSettings()
{
    QFETCH(QString, ini);
    QFETCH(QStringList, fields);
    QFETCH(QStringList, titles);
    QFETCH(QList<bool>, visible);
    QFETCH(QList<int>, widths);
    Settings settings;
    settings.load(IniFile::fromText(ini), {});
    const QList<ListColumn> columns = ListColumns::fromSettings(settings.gridColumns);
    QCOMPARE(columns.size(), 10);
    for (int i = 0; i < 10; ++i) {
        QCOMPARE(columns.at(i).field, fields.at(i));
        QCOMPARE(columns.at(i).title, titles.at(i));
        QCOMPARE(columns.at(i).visible, visible.at(i));
        QCOMPARE(columns.at(i).width, widths.at(i));
    }
}

void TestMessageListModel::columnsWrittenBackAsLeft()
{
    Settings settings;
    settings.load(IniFile(), {});
    QList<ListColumn> columns = ListColumns::fromSettings(settings.gridColumns);
    std::swap(columns[1], columns[7]);
    columns[3].width = 321;
    columns[5].visible = false;
    IniFile ini;
    settings.gridColumns = ListColumns::toSettings(columns);
    settings.save(ini);
    QCOMPARE(ini.readString(u"DBGrid", u"FieldName_1"), u"MESSAGE_SUBJECT"_s);
    QCOMPARE(ini.readString(u"DBGrid", u"TitelCaption_7"), u"受信日時"_s);
    QCOMPARE(ini.readInteger(u"DBGrid", u"Columns_3", 0), 321);
    Settings back;
    back.load(ini, {});
    QCOMPARE(ListColumns::fromSettings(back.gridColumns), columns);
}

void TestMessageListModel::fontSizeSteps_data()
{
    QTest::addColumn<int>("start");
    QTest::addColumn<bool>("larger");
    QTest::addColumn<QList<int>>("steps");
    QTest::addRow("larger from 8") << 8 << true << QList<int>{9, 10, 11, 12, 13};
    QTest::addRow("smaller from 12") << 12 << false << QList<int>{10, 9, 8};
    QTest::addRow("larger from 20") << 20 << true << QList<int>{22, 24};
}

void TestMessageListModel::fontSizeSteps()
{
    QFETCH(int, start);
    QFETCH(bool, larger);
    QFETCH(QList<int>, steps);
    int size = start;
    QList<int> actual;
    for (qsizetype i = 0; i < steps.size(); ++i) {
        size = larger ? ListRules::largerFontSize(size) : ListRules::smallerFontSize(size);
        actual.append(size);
    }
    QCOMPARE(actual, steps);
}

QTEST_GUILESS_MAIN(TestMessageListModel)
#include "TestMessageListModel.moc"
