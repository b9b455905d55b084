#include <QApplication>
#include <QComboBox>
#include <QDateEdit>
#include <QLineEdit>
#include <QMap>
#include <QPlainTextEdit>
#include <QPointer>
#include <QPushButton>
#include <QRadioButton>
#include <QTemporaryDir>
#include <QTest>
#include <QToolButton>

#include "app/core/ParameterTable.h"
#include "app/core/SideFile.h"
#include "store/DbConnectController.h"
#include "store/MessageListModel.h"
#include "store/SearchController.h"
#include "store/StoreFixture.h"
#include "store/TDBSelectFrm.h"
#include "store/TDm_Ldb.h"
#include "support/ScriptedPrompter.h"

using namespace Qt::StringLiterals;

namespace {

class RecordingHost final : public PmodeWord,
                            public CommandSwitchboard,
                            public ListWindowPlace,
                            public StatusPanels,
                            public ExclusiveModes
{
public:
    quint16 pmode() const override { return mode; }
    void setPmode(quint16 value) override { mode = value; }
    bool isCommandEnabled(const QString& name) const override { return enabled.value(name, false); }
    void setCommandEnabled(const QString& name, bool on) override { enabled[name] = on; }
    void setCommandChecked(const QString& name, bool on) override { checked[name] = on; }
    void performCommand(const QString&) override {}
    void setConnectImage(int) override {}
    void dockListWindow() override {}
    void closeListWindow() override {}
    void setListShortcut(const QString&, const QString&) override {}
    void setStatusText(int, const QString&) override {}
    void switchOffFileWorkbench() override { events.append(u"workbench off"_s); }
    void switchOffBulkSender() override {}
    void clearMessageView() override {}
    DbListHost host() { return {*this, *this, *this, *this, *this}; }

    quint16 mode = 0;
    QMap<QString, bool> enabled;
    QMap<QString, bool> checked;
    QStringList events;
};

QStringList numbered(int count)
{
    QStringList entries;
    for (int i = 1; i <= count; ++i) {
        entries << u"entry%1"_s.arg(i);
    }
    return entries;
}

} // namespace

// The search dialog: the keyword histories of its boxes, the side files, the
// parameters it keeps, its width rule and what OK, Cancel and Close do.
class TestDBSelectFrm final : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void initTestCase();
    void init();
    void cleanup();
    void enterInTheBox_data();
    void enterInTheBox();
    void enterOnEmptyRemovesTheLastChosenEntry();
    void focusLeavingKeepsSpaces();
    void opensWithParametersAndHistories();
    void okFiltersTheList();
    void reversedRangeIsRefused();
    void cancelKeepsTheParameters();
    void closeKeepsInputsAndSideFiles();
    void widthFollowsTheMemo();

private:
    TDBSelectFrm* open();
    void pressEnter(QComboBox* box, const QString& text);
    [[nodiscard]] QString sideFile(const QString& name) const { return m_dir.filePath(u"data/"_s + name); }

    QTemporaryDir m_dir;
    QString m_archive;
    ScriptedPrompter m_prompter;
    std::unique_ptr<RecordingHost> m_host;
    std::unique_ptr<TDm_Ldb> m_dm;
    std::unique_ptr<ParameterTable> m_parameters;
    std::unique_ptr<DbConnectController> m_dbConnect;
    std::unique_ptr<SearchController> m_search;
    int m_DSelRGIdx = 0;
    int m_closed = 0;
};

void TestDBSelectFrm::initTestCase()
{
    m_archive = m_dir.filePath(u"search.fdb"_s);
    QVERIFY(StoreFixture::createArchive(m_archive));
    QSqlDatabase db = StoreFixture::open(m_archive, u"fill"_s);
    using StoreFixture::at;
    QVERIFY(
        StoreFixture::insert(db,
                             {
                                 {u"<a>"_s, at(u"2024-05-02 10:00:00"_s), u"見積の件"_s, u"山田"_s, u"納期 回答"_s, {}},
                                 {u"<b>"_s, at(u"2024-05-03 10:00:00"_s), u"請求"_s, u"佐藤"_s, u"ご請求"_s, {}},
                                 {u"<c>"_s, at(u"2024-06-03 10:00:00"_s), u"見積"_s, u"山田"_s, u"見積"_s, {}},
                             }));
    db.close();
    db = {};
    QSqlDatabase::removeDatabase(u"fill"_s);
}

void TestDBSelectFrm::init()
{
    QDir(m_dir.filePath(u"data"_s)).removeRecursively();
    QVERIFY(QDir().mkpath(m_dir.filePath(u"data"_s)));
    m_prompter.reset();
    m_host = std::make_unique<RecordingHost>();
    TDm_Ldb::Options options;
    options.dataFolder = m_dir.filePath(u"data"_s);
    m_dm = std::make_unique<TDm_Ldb>(options);
    m_dm->setTarget({}, m_archive);
    QVERIFY(m_dm->create());
    m_parameters = std::make_unique<ParameterTable>();
    // As a settings file without these keys loads them.
    for (const QStringView key : {u"FromDate", u"ToDate", u"Subject", u"SenderName"}) {
        m_parameters->setValue(key, ParameterTable::dummyData());
    }
    m_dbConnect = std::make_unique<DbConnectController>(*m_dm, *m_parameters, m_host->host());
    m_DSelRGIdx = 0;
    m_search = std::make_unique<SearchController>(SearchController::Environment{
        *m_dm, *m_dbConnect, *m_parameters, m_DSelRGIdx, *m_host, *m_host, m_dir.filePath(u"data"_s), m_prompter});
    m_search->setToday([] { return QDate(2024, 6, 15); });
    m_closed = 0;
}

void TestDBSelectFrm::cleanup()
{
    QVERIFY2(m_prompter.unexpected().isEmpty(), qPrintable(m_prompter.unexpected().join(u" | "_s)));
    QCOMPARE(m_prompter.unusedAnswers(), 0);
    QList<QPointer<TDBSelectFrm>> dialogs;
    for (QWidget* widget : QApplication::topLevelWidgets()) {
        if (auto* dialog = qobject_cast<TDBSelectFrm*>(widget)) {
            dialogs << dialog;
        }
    }
    for (const QPointer<TDBSelectFrm>& dialog : std::as_const(dialogs)) {
        delete dialog.data();
    }
    m_search.reset();
    m_dbConnect.reset();
    m_dm.reset();
}

TDBSelectFrm* TestDBSelectFrm::open()
{
    TDBSelectFrm* dialog = TDBSelectFrm::start(*m_search, nullptr, [this] { ++m_closed; });
    dialog->activateWindow();
    return dialog;
}

void TestDBSelectFrm::pressEnter(QComboBox* box, const QString& text)
{
    box->setEditText(text);
    QTest::keyClick(box->lineEdit(), Qt::Key_Return);
}

void TestDBSelectFrm::enterInTheBox_data()
{
    QTest::addColumn<QStringList>("history");
    QTest::addColumn<QString>("typed");
    QTest::addColumn<QStringList>("expected");
    QTest::addColumn<QString>("text");
    QTest::addRow("new entry goes on top")
        << QStringList{u"a"_s, u"b"_s} << u"c"_s << QStringList{u"c"_s, u"a"_s, u"b"_s} << u"c"_s;
    QTest::addRow("fifth entry moves to the top")
        << numbered(6) << u"entry5"_s
        << QStringList{u"entry5"_s, u"entry1"_s, u"entry2"_s, u"entry3"_s, u"entry4"_s, u"entry6"_s} << u"entry5"_s;
    QStringList capped = numbered(20);
    capped.prepend(u"new"_s);
    capped.removeLast();
    QTest::addRow("21st distinct entry pushes out the oldest") << numbered(20) << u"new"_s << capped << u"new"_s;
    QTest::addRow("spaces are removed") << QStringList{u"x"_s} << u" a b c "_s << QStringList{u"abc"_s, u"x"_s}
                                        << u"abc"_s;
}

void TestDBSelectFrm::enterInTheBox()
{
    QFETCH(QStringList, history);
    QFETCH(QString, typed);
    QFETCH(QStringList, expected);
    QFETCH(QString, text);
    QVERIFY(SideFile::writeLines(sideFile(u"$Subject_KeyStr.Txt"_s), history));
    TDBSelectFrm* dialog = open();
    QComboBox* box = dialog->subjectBox();
    QCOMPARE(box->currentText(), QString()); // the parameter Subject is unset
    dialog->okButton()->setDefault(false);
    pressEnter(box, typed);
    QCOMPARE(dialog->subjectHistory().entries(), expected);
    QCOMPARE(box->currentText(), text);
    QCOMPARE(box->count(), expected.size());
    QVERIFY(dialog->okButton()->isDefault());
    QVERIFY(dialog->isVisible()); // the key went to the box, not to the dialog
}

void TestDBSelectFrm::enterOnEmptyRemovesTheLastChosenEntry()
{
    QVERIFY(SideFile::writeLines(sideFile(u"$Sender_KeyStr.Txt"_s), {u"a"_s, u"b"_s, u"c"_s}));
    TDBSelectFrm* dialog = open();
    QComboBox* box = dialog->senderBox();
    box->setCurrentIndex(1);
    Q_EMIT box->activated(1); // chosen from the drop-down list
    pressEnter(box, QString());
    QCOMPARE(dialog->senderHistory().entries(), (QStringList{u"a"_s, u"c"_s}));
    QCOMPARE(box->currentText(), QString());
    // The remembered position stays: the next empty Enter removes what is there now.
    pressEnter(box, QString());
    QCOMPARE(dialog->senderHistory().entries(), QStringList{u"a"_s});
    // Nothing left at that position: nothing is removed, and no error.
    pressEnter(box, QString());
    QCOMPARE(dialog->senderHistory().entries(), QStringList{u"a"_s});
}

void TestDBSelectFrm::focusLeavingKeepsSpaces()
{
    TDBSelectFrm* dialog = open();
    QComboBox* box = dialog->subjectBox();
    box->setFocus();
    QTRY_VERIFY(box->hasFocus());
    box->setEditText(u"見積 の件"_s);
    dialog->senderBox()->setFocus();
    QTRY_VERIFY(!box->hasFocus());
    QCOMPARE(dialog->subjectHistory().entries(), QStringList{u"見積 の件"_s});
}

void TestDBSelectFrm::opensWithParametersAndHistories()
{
    m_parameters->setValue(u"FromDate", u"2024/05/01"_s);
    m_parameters->setValue(u"ToDate", u"2024/05/31"_s);
    m_parameters->setValue(u"Subject", u"*見積*"_s);
    m_parameters->setValue(u"SenderName", u"Dummy Data"_s);
    TDBSelectFrm* dialog = open();
    QCOMPARE(dialog->range().from, QDate(2024, 5, 1));
    QCOMPARE(dialog->range().to, QDate(2024, 5, 31));
    QCOMPARE(dialog->range().subject, u"*見積*"_s);
    QCOMPARE(dialog->range().sender, QString());
    QVERIFY(m_dm->isListOpen()); // DB検索 connects the list first
    QVERIFY(m_host->checked.value(u"DBSelect"_s));
    QVERIFY(m_host->events.contains(u"workbench off"_s));
    QCOMPARE(dialog->height(), 280);
    QVERIFY(dialog->windowFlags().testFlag(Qt::WindowStaysOnTopHint));
}

void TestDBSelectFrm::okFiltersTheList()
{
    m_parameters->setValue(u"FromDate", u"2024/05/01"_s);
    m_parameters->setValue(u"ToDate", u"2024/06/30"_s);
    TDBSelectFrm* dialog = open();
    dialog->findChild<QPlainTextEdit*>(u"Memo1"_s)->setPlainText(u"見積\n納期　回答"_s);
    dialog->findChildren<QRadioButton*>().at(1)->setChecked(true); // and 接続
    QTest::mouseClick(dialog->okButton(), Qt::LeftButton);
    QVERIFY(!dialog->isVisible());
    QCOMPARE(m_dm->list().rowCount(), 0);
    QCOMPARE(m_DSelRGIdx, 1);
    QCOMPARE(m_closed, 1);

    dialog = open();
    QCOMPARE(dialog->joinIndex(), 1);
    QCOMPARE(dialog->bodyLines(), (QStringList{u"見積"_s, u"納期　回答"_s}));
    dialog->findChildren<QRadioButton*>().at(0)->setChecked(true); // or 接続
    QTest::mouseClick(dialog->okButton(), Qt::LeftButton);
    QCOMPARE(m_dm->list().rowCount(), 2);
    QCOMPARE(m_dm->list().keyAt(0).id, u"<c>"_s);
    QCOMPARE(m_dm->list().keyAt(1).id, u"<a>"_s);
    QVERIFY(m_host->enabled.value(u"DispMsgDat"_s));
    QVERIFY(m_host->enabled.value(u"ExprtMsgFile"_s));
    QVERIFY(m_host->checked.value(u"DBConnect"_s));
    QVERIFY(!m_host->checked.value(u"DBSelect"_s));
    QCOMPARE(SideFile::readLines(sideFile(u"$MsgBody_KeyStr.Txt"_s)), (QStringList{u"見積"_s, u"納期　回答"_s}));
}

void TestDBSelectFrm::reversedRangeIsRefused()
{
    TDBSelectFrm* dialog = open();
    const int before = m_dm->list().rowCount();
    dialog->findChild<QDateEdit*>(u"DateTimePicker1"_s)->setDate(QDate(2024, 6, 1));
    dialog->findChild<QDateEdit*>(u"DateTimePicker2"_s)->setDate(QDate(2024, 5, 1));
    QTest::mouseClick(dialog->okButton(), Qt::LeftButton);
    QCOMPARE(m_prompter.texts(), QStringList{u"日付範囲がとれません\r\n再度設定してください"_s});
    QCOMPARE(m_dm->list().rowCount(), before);
    QCOMPARE(m_parameters->value(u"FromDate"), u"2024/05/15"_s);
    QCOMPARE(m_parameters->value(u"ToDate"), u"2024/06/15"_s);
}

void TestDBSelectFrm::cancelKeepsTheParameters()
{
    m_parameters->setValue(u"FromDate", u"2024/05/01"_s);
    m_parameters->setValue(u"ToDate", u"2024/05/31"_s);
    TDBSelectFrm* dialog = open();
    dialog->findChild<QDateEdit*>(u"DateTimePicker1"_s)->setDate(QDate(2023, 1, 1));
    dialog->subjectBox()->setEditText(u"x"_s);
    QTest::mouseClick(dialog->findChild<QPushButton*>(u"CancelBtn"_s), Qt::LeftButton);
    QCOMPARE(m_parameters->value(u"FromDate"), u"2024/05/01"_s);
    QCOMPARE(m_parameters->value(u"ToDate"), u"2024/05/31"_s);
    QCOMPARE(m_parameters->value(u"Subject"), QString());
    QCOMPARE(m_closed, 1);
}

void TestDBSelectFrm::closeKeepsInputsAndSideFiles()
{
    TDBSelectFrm* dialog = open();
    QCOMPARE(dialog->range().from, QDate(2024, 5, 15)); // unset: one month before today
    QCOMPARE(dialog->range().to, QDate(2024, 6, 15));
    pressEnter(dialog->subjectBox(), u"請求"_s);
    pressEnter(dialog->senderBox(), u"佐藤"_s);
    const int before = m_dm->list().rowCount();
    QTest::mouseClick(dialog->findChild<QPushButton*>(u"CloseBtn"_s), Qt::LeftButton);
    QCOMPARE(m_parameters->value(u"Subject"), u"請求"_s);
    QCOMPARE(m_parameters->value(u"SenderName"), u"佐藤"_s);
    QCOMPARE(m_parameters->value(u"FromDate"), u"2024/05/15"_s);
    QCOMPARE(m_dm->list().rowCount(), before); // the filter is not changed
    QCOMPARE(SideFile::readLines(sideFile(u"$Subject_KeyStr.Txt"_s)), QStringList{u"請求"_s});
    QCOMPARE(SideFile::readLines(sideFile(u"$Sender_KeyStr.Txt"_s)), QStringList{u"佐藤"_s});
}

void TestDBSelectFrm::widthFollowsTheMemo()
{
    TDBSelectFrm* dialog = open();
    QCOMPARE(dialog->width(), 354);
    QCOMPARE(dialog->Width_org(), 354);
    auto* arrow = dialog->findChild<QToolButton*>(u"ArrowBtn"_s);
    QCOMPARE(arrow->text(), u"→"_s);
    QCOMPARE(arrow->toolTip(), u"本文検索 画面拡張"_s);
    QVERIFY(!dialog->findChild<QPlainTextEdit*>(u"Memo1"_s)->isVisibleTo(dialog));
    QTest::mouseClick(arrow, Qt::LeftButton);
    QCOMPARE(dialog->width(), 708);
    QCOMPARE(arrow->text(), u"←"_s);
    QCOMPARE(arrow->toolTip(), u"本文検索 画面閉じる"_s);
    auto* memo = dialog->findChild<QPlainTextEdit*>(u"Memo1"_s);
    QVERIFY(memo->isVisibleTo(dialog));
    QCOMPARE(memo->width(), 708 - 408);
    memo->setPlainText(u"見積"_s);
    QTest::mouseClick(arrow, Qt::LeftButton);
    QCOMPARE(dialog->width(), 354);
    QTest::mouseClick(dialog->findChild<QPushButton*>(u"CloseBtn"_s), Qt::LeftButton);

    // A memo with terms opens the dialog wide.
    dialog = open();
    QCOMPARE(dialog->width(), 708);
    QCOMPARE(dialog->Width_org(), 354);
    QCOMPARE(dialog->findChild<QToolButton*>(u"ArrowBtn"_s)->text(), u"←"_s);
}

QTEST_MAIN(TestDBSelectFrm)
#include "TestDBSelectFrm.moc"
