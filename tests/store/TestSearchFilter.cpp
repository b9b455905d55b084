#include <QProcess>
#include <QTemporaryDir>
#include <QTest>

#include "store/MessageListModel.h"
#include "store/SearchFilter.h"
#include "store/StoreFixture.h"

using namespace Qt::StringLiterals;

Q_DECLARE_METATYPE(SearchFilter::Inputs)

// The search filter: the expression it stands for, and the rows the list shows
// under it, with the real engine.
class TestSearchFilter final : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void initTestCase();
    void cleanupTestCase();
    void expressionText_data();
    void expressionText();
    void patterns_data();
    void patterns();
    void matchingRows_data();
    void matchingRows();
    void keepsTheListOrder();
    void commandLineSearch();

private:
    QTemporaryDir m_dir;
    QSqlDatabase m_db;
};

namespace {

SearchFilter::Inputs
may(const QString& subject = {}, const QString& sender = {}, const QStringList& body = {}, int joinIndex = 0)
{
    return {QDate(2024, 5, 1), QDate(2024, 5, 31), subject, sender, body, joinIndex};
}

} // namespace

void TestSearchFilter::initTestCase()
{
    const QString path = m_dir.filePath(u"search.fdb"_s);
    QVERIFY(StoreFixture::createArchive(path));
    m_db = StoreFixture::open(path, u"search"_s);
    QVERIFY(m_db.isOpen());
    using StoreFixture::at;
    QVERIFY(StoreFixture::insert(
        m_db,
        {
            {u"<last-day-10am>"_s, at(u"2024-05-31 10:00:00"_s), u"請求"_s, u"山田"_s, u"見積をお送りします"_s, {}},
            {u"<last-day-midnight>"_s,
             at(u"2024-05-31 00:00:00"_s),
             u"ご請求書"_s,
             u"山"_s,
             u"納期について回答します"_s,
             {}},
            {u"<invoice>"_s, at(u"2024-05-10 12:00:00"_s), u"Invoice"_s, u"Yamada Taro"_s, u"invoice attached"_s, {}},
            {u"<upper>"_s, at(u"2024-05-11 12:00:00"_s), u"INVOICE"_s, u"山本"_s, u"見積\r\n納期 と 回答"_s, {}},
            {u"<quote>"_s, at(u"2024-05-01 00:00:00"_s), u"O'Brien's report"_s, u"O'Brien"_s, u"it's done"_s, {}},
            {u"<april>"_s, at(u"2024-04-30 23:59:59"_s), u"請求"_s, u"山田"_s, u"見積"_s, {}},
            {u"<empty>"_s, at(u"2024-05-15 09:00:00"_s), {}, {}, {}, {}},
            {u"<exact>"_s, at(u"2024-05-20 09:00:00"_s), u"請求"_s, u"総務部"_s, u"納期　回答"_s, {}},
        }));
}

void TestSearchFilter::cleanupTestCase()
{
    m_db.close();
    m_db = {};
    QSqlDatabase::removeDatabase(u"search"_s);
}

void TestSearchFilter::expressionText_data()
{
    QTest::addColumn<SearchFilter::Inputs>("inputs");
    QTest::addColumn<QString>("expected");
    const QString range = u"MESSAGE_DATE >= '2024/05/01' AND MESSAGE_DATE <= '2024/05/31'"_s;
    QTest::addRow("range alone") << may() << range;
    QTest::addRow("subject with stars") << may(u"*請求*"_s) << range + u" AND MESSAGE_SUBJECT LIKE '%請求%'"_s;
    QTest::addRow("sender with question mark") << may({}, u"山?"_s) << range + u" AND SENDER_NAME LIKE '山_'"_s;
    QTest::addRow("body lines joined with or")
        << may({}, {}, {u"見積"_s, u"納期 回答"_s}, 0)
        << range + u" AND ((MAILBODY LIKE '%見積%') or (MAILBODY LIKE '%納期%回答%'))"_s;
    QTest::addRow("body lines joined with and, ideographic space")
        << may({}, {}, {u"見積"_s, u"納期　回答"_s}, 1)
        << range + u" AND ((MAILBODY LIKE '%見積%') and (MAILBODY LIKE '%納期%回答%'))"_s;
    QTest::addRow("empty line gives %%") << may({}, {}, {u"見積"_s, QString()}, 0)
                                         << range + u" AND ((MAILBODY LIKE '%見積%') or (MAILBODY LIKE '%%'))"_s;
    QTest::addRow("blank memo adds nothing") << may({}, {}, {u" "_s, QString(), u"\t"_s}) << range;
    QTest::addRow("all parts in order") << may(
        u"a*"_s,
        u"b?"_s,
        {u"c"_s}) << range + u" AND MESSAGE_SUBJECT LIKE 'a%' AND SENDER_NAME LIKE 'b_' AND ((MAILBODY LIKE '%c%'))"_s;
}

void TestSearchFilter::expressionText()
{
    QFETCH(SearchFilter::Inputs, inputs);
    QFETCH(QString, expected);
    QCOMPARE(SearchFilter::expression(inputs), expected);
}

void TestSearchFilter::patterns_data()
{
    QTest::addColumn<QString>("memo");
    QTest::addColumn<QStringList>("lines");
    QTest::addRow("final line break starts no line") << u"見積\r\n納期\r\n"_s << QStringList{u"見積"_s, u"納期"_s};
    QTest::addRow("empty line in between counts") << u"見積\n\n納期"_s << QStringList{u"見積"_s, QString(), u"納期"_s};
    QTest::addRow("empty memo has no lines") << QString() << QStringList{};
}

void TestSearchFilter::patterns()
{
    QFETCH(QString, memo);
    QFETCH(QStringList, lines);
    QCOMPARE(SearchFilter::memoLines(memo), lines);
}

void TestSearchFilter::matchingRows_data()
{
    QTest::addColumn<SearchFilter::Inputs>("inputs");
    QTest::addColumn<QStringList>("expected"); // newest first
    QTest::addRow("to day counts only at midnight")
        << may()
        << QStringList{
               u"<last-day-midnight>"_s, u"<exact>"_s, u"<empty>"_s, u"<upper>"_s, u"<invoice>"_s, u"<quote>"_s};
    QTest::addRow("from the start of the from day to the start of the to day")
        << SearchFilter::Inputs{QDate(2024, 4, 30), QDate(2024, 5, 1), {}, {}, {}, 0}
        << QStringList{u"<quote>"_s, u"<april>"_s};
    QTest::addRow("subject without wildcards is the whole value") << may(u"請求"_s) << QStringList{u"<exact>"_s};
    QTest::addRow("stars around") << may(u"*請求*"_s) << QStringList{u"<last-day-midnight>"_s, u"<exact>"_s};
    QTest::addRow("question mark is one character") << may({}, u"山?"_s) << QStringList{u"<upper>"_s};
    QTest::addRow("letter case counts") << may(u"Invoic?"_s) << QStringList{u"<invoice>"_s};
    QTest::addRow("quote is just a character") << may(u"O'Brien*"_s, u"O'Brien"_s) << QStringList{u"<quote>"_s};
    QTest::addRow("quote in the body") << may({}, {}, {u"it's"_s}) << QStringList{u"<quote>"_s};
    QTest::addRow("stars match every value there is")
        << may(u"*"_s, u"*"_s)
        << QStringList{u"<last-day-midnight>"_s, u"<exact>"_s, u"<upper>"_s, u"<invoice>"_s, u"<quote>"_s};
    QTest::addRow("body or") << may({}, {}, {u"invoice"_s, u"納期 回答"_s}, 0)
                             << QStringList{u"<last-day-midnight>"_s, u"<exact>"_s, u"<upper>"_s, u"<invoice>"_s};
    QTest::addRow("body and, across lines of the body")
        << may({}, {}, {u"見積"_s, u"納期 回答"_s}, 1) << QStringList{u"<upper>"_s};
    QTest::addRow("two-character Japanese term")
        << may({}, {}, {u"回答"_s}) << QStringList{u"<last-day-midnight>"_s, u"<exact>"_s, u"<upper>"_s};
    QTest::addRow("empty line matches every non-empty body")
        << may({}, {}, {u"zzz"_s, QString()}, 0)
        << QStringList{u"<last-day-midnight>"_s, u"<exact>"_s, u"<upper>"_s, u"<invoice>"_s, u"<quote>"_s};
    QTest::addRow("percent typed in the box is a wildcard too") << may(u"%請求"_s) << QStringList{u"<exact>"_s};
}

void TestSearchFilter::matchingRows()
{
    QFETCH(SearchFilter::Inputs, inputs);
    QFETCH(QStringList, expected);
    MessageListModel list;
    const SearchFilter::Where where = SearchFilter::where(inputs);
    list.setFilter(where.fragment, where.values);
    QVERIFY2(list.open(m_db), qPrintable(list.lastError()));
    while (list.canFetchMore()) {
        list.fetchMore();
    }
    QStringList ids;
    for (int row = 0; row < list.rowCount(); ++row) {
        ids << list.keyAt(row).id;
    }
    QCOMPARE(ids, expected);
}

void TestSearchFilter::keepsTheListOrder()
{
    MessageListModel list;
    QVERIFY(list.setIndexFieldNames(u"MESSAGE_DATE:A"_s));
    const SearchFilter::Where where = SearchFilter::where(may(u"*"_s));
    list.setFilter(where.fragment, where.values);
    QVERIFY(list.open(m_db));
    QCOMPARE(list.indexFieldNames(), u"MESSAGE_DATE:A"_s);
    QStringList ids;
    for (int row = 0; row < list.rowCount(); ++row) {
        ids << list.keyAt(row).id;
    }
    QCOMPARE(ids, (QStringList{u"<quote>"_s, u"<invoice>"_s, u"<upper>"_s, u"<exact>"_s, u"<last-day-midnight>"_s}));
}

void TestSearchFilter::commandLineSearch()
{
    // The embedded engine lets one process at a time have the file: this test runs last.
    m_db.close();
    QProcess cli;
    cli.start(QStringLiteral(TIDEWELL_CLI),
              {u"search"_s,
               u"--db"_s,
               m_dir.filePath(u"search.fdb"_s),
               u"--from"_s,
               u"2024/05/01"_s,
               u"--to"_s,
               u"2024/05/31"_s,
               u"--subject"_s,
               u"*O'Brien*"_s,
               u"--body"_s,
               u"it's"_s,
               u"--body"_s,
               u"zzz"_s});
    QVERIFY(cli.waitForFinished(60000));
    QVERIFY2(cli.exitCode() == 0, cli.readAllStandardError().constData());
    QCOMPARE(QString::fromUtf8(cli.readAllStandardOutput()),
             u"2024/05/01 00:00:00\t<quote>\tO'Brien\t\tO'Brien's report\t<quote>.eml\n"_s);
}

QTEST_GUILESS_MAIN(TestSearchFilter)
#include "TestSearchFilter.moc"
