#include <QMap>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

#include "app/core/Delay.h"
#include "app/core/ParameterTable.h"
#include "store/ConnectionCheck.h"
#include "store/DbConnectController.h"
#include "store/DbFileChooser.h"
#include "store/MessageListModel.h"
#include "store/StoreFixture.h"
#include "store/TDm_Ldb.h"
#include "support/ScriptedPrompter.h"

using namespace Qt::StringLiterals;

namespace {

// The main window as the controller sees it: records what it is told.
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
    void performCommand(const QString& name) override
    {
        if (isCommandEnabled(name)) {
            performed.append(name);
        }
    }
    void setConnectImage(int index) override { image = index; }
    void dockListWindow() override { events.append(u"dock"_s); }
    void closeListWindow() override { events.append(u"close"_s); }
    void setListShortcut(const QString& command, const QString& keys) override { shortcuts[command] = keys; }
    void setStatusText(int panel, const QString& text) override { status[panel] = text; }
    void switchOffFileWorkbench() override { events.append(u"workbench off"_s); }
    void switchOffBulkSender() override { events.append(u"sender off"_s); }
    void clearMessageView() override { events.append(u"clear view"_s); }

    DbListHost host() { return {*this, *this, *this, *this, *this}; }

    quint16 mode = 0x0001;
    QMap<QString, bool> enabled;
    QMap<QString, bool> checked;
    QMap<QString, QString> shortcuts;
    QMap<int, QString> status;
    QStringList performed;
    QStringList events;
    int image = 0;
};

class ScriptedChooser final : public DbFileChooser
{
public:
    QString chooseDbFile(const QString& startPath, const QString& defaultSuffix, const QString& filter) override
    {
        asked = {startPath, defaultSuffix, filter};
        return answer;
    }
    QStringList asked;
    QString answer;
};

} // namespace

// "DB接続" as a toggle, the AutoView rules and the connection check, against a
// real archive and a recording window.
class TestDbConnectController final : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void initTestCase();
    void init();
    void cleanup();
    void dbConnectFollowsTheConnection();
    void openingDocksAndEnablesListCommands();
    void closingUndoesEverything();
    void emptyListDisablesSearchAndListCommands();
    void shortcutsFollowAutoView_data();
    void shortcutsFollowAutoView();
    void autoViewWaitsThenShows_data();
    void autoViewWaitsThenShows();
    void doubleClickShowsAtOnce();
    void nothingShownWhileClosed();
    void connectionCheckReportsAndBrowses();

private:
    QTemporaryDir m_dir;
    QString m_filled;
    QString m_empty;
    std::unique_ptr<RecordingHost> m_window;
    std::unique_ptr<TDm_Ldb> m_dm;
    std::unique_ptr<ParameterTable> m_parameters;
    std::unique_ptr<DbConnectController> m_controller;
};

void TestDbConnectController::initTestCase()
{
    m_filled = m_dir.filePath(u"filled.fdb"_s);
    m_empty = m_dir.filePath(u"empty.fdb"_s);
    QVERIFY(StoreFixture::createArchive(m_filled));
    QVERIFY(StoreFixture::createArchive(m_empty));
    {
        QSqlDatabase db = StoreFixture::open(m_filled, u"fill"_s);
        QVERIFY(StoreFixture::insert(db,
                                     {{u"<1@x>"_s, StoreFixture::at(u"2024-01-01 00:00:00"_s), {}, {}, {}, {}},
                                      {u"<2@x>"_s, StoreFixture::at(u"2024-01-02 00:00:00"_s), {}, {}, {}, {}}}));
        db.close();
    }
    QSqlDatabase::removeDatabase(u"fill"_s);
}

void TestDbConnectController::init()
{
    Delay::setScale(1.0);
    m_window = std::make_unique<RecordingHost>();
    m_window->enabled[u"DBUpdate"_s] = true;
    TDm_Ldb::Options options;
    options.dataFolder = m_dir.path();
    m_dm = std::make_unique<TDm_Ldb>(options);
    m_dm->setTarget({}, m_filled);
    m_parameters = std::make_unique<ParameterTable>();
    m_controller = std::make_unique<DbConnectController>(*m_dm, *m_parameters, m_window->host());
    QVERIFY(m_dm->create());
}

void TestDbConnectController::cleanup()
{
    m_controller.reset();
    m_dm.reset();
    m_parameters.reset();
    m_window.reset();
}

void TestDbConnectController::dbConnectFollowsTheConnection()
{
    QCOMPARE(m_window->enabled.value(u"DBConnect"_s), true);
    m_dm->closeConnection();
    m_dm->setTarget({}, m_dir.filePath(u"missing.fdb"_s));
    QVERIFY(!m_dm->create());
    QCOMPARE(m_window->enabled.value(u"DBConnect"_s), false);
}

void TestDbConnectController::openingDocksAndEnablesListCommands()
{
    m_controller->toggle();
    QVERIFY(m_controller->isListOpen());
    QCOMPARE(m_window->events,
             (QStringList{u"workbench off"_s, u"sender off"_s, u"dock"_s})); // no view clearing when opening
    QCOMPARE(m_window->mode, quint16(0x0011));
    QCOMPARE(m_window->checked.value(u"DBConnect"_s), true);
    QCOMPARE(m_window->image, 1);
    for (const QString& name :
         {u"DBSelect"_s, u"DispMsgDat"_s, u"DelMsgDat"_s, u"ExprtMsgFile"_s, u"SetListFontSize"_s}) {
        QVERIFY2(m_window->enabled.value(name), qPrintable(name));
    }
    QCOMPARE(m_window->status.value(0), QString());
    QCOMPARE(m_window->status.value(2), u"DBと接続しました"_s);
    QCOMPARE(m_dm->list().rowCount(), 2);
    QCOMPARE(m_dm->list().keyAt(0).id, u"<2@x>"_s);
}

void TestDbConnectController::closingUndoesEverything()
{
    m_controller->toggle();
    m_dm->list().setFilter(u"MESSAGE_ID = ?"_s, {u"<1@x>"_s});
    m_window->events.clear();
    m_controller->toggle();
    QVERIFY(!m_controller->isListOpen());
    QCOMPARE(m_window->events, (QStringList{u"workbench off"_s, u"sender off"_s, u"clear view"_s, u"close"_s}));
    QCOMPARE(m_window->mode, quint16(0x0001));
    QCOMPARE(m_window->checked.value(u"DBConnect"_s), false);
    QCOMPARE(m_window->image, 6);
    for (const QString& name :
         {u"DispMsgDat"_s, u"DelMsgDat"_s, u"ExprtMsgFile"_s, u"SetListFontSize"_s, u"DBUpdate"_s}) {
        QVERIFY2(!m_window->enabled.value(name), qPrintable(name));
    }
    QVERIFY(m_dm->list().filter().isEmpty()); // any search filter is gone
    QCOMPARE(m_window->status.value(2), QString());
}

void TestDbConnectController::emptyListDisablesSearchAndListCommands()
{
    m_dm->setTarget({}, m_empty);
    QVERIFY(m_dm->create());
    m_controller->toggle();
    QVERIFY(m_controller->isListOpen());
    for (const QString& name :
         {u"DBSelect"_s, u"DispMsgDat"_s, u"DelMsgDat"_s, u"ExprtMsgFile"_s, u"SetListFontSize"_s}) {
        QVERIFY2(!m_window->enabled.value(name), qPrintable(name));
    }
    QCOMPARE(m_window->status.value(2), u"DBと接続しました"_s);
}

void TestDbConnectController::shortcutsFollowAutoView_data()
{
    QTest::addColumn<QString>("autoView");
    QTest::addColumn<QStringList>("keys"); // export, show, delete
    QTest::addRow("off") << u"0"_s << QStringList{u"Ctrl+T"_s, u"Ctrl+R"_s, u"Ctrl+Del"_s};
    QTest::addRow("unset marker means off") << u"Dummy Data"_s << QStringList{u"Ctrl+T"_s, u"Ctrl+R"_s, u"Ctrl+Del"_s};
    QTest::addRow("on: no shortcuts") << u"1"_s << QStringList{QString(), QString(), QString()};
}

void TestDbConnectController::shortcutsFollowAutoView()
{
    QFETCH(QString, autoView);
    QFETCH(QStringList, keys);
    m_parameters->setValue(u"AutoView", autoView);
    m_controller->toggle();
    QCOMPARE(m_window->shortcuts.value(u"ExprtMsgFile"_s), keys.at(0));
    QCOMPARE(m_window->shortcuts.value(u"DispMsgDat"_s), keys.at(1));
    QCOMPARE(m_window->shortcuts.value(u"DelMsgDat"_s), keys.at(2));
}

void TestDbConnectController::autoViewWaitsThenShows_data()
{
    QTest::addColumn<QString>("autoView");
    QTest::addColumn<QString>("waitTime");
    QTest::addColumn<int>("minimumMs");
    QTest::addColumn<bool>("shown");
    QTest::addRow("on, two seconds") << u"1"_s << u"2"_s << 2000 << true;
    QTest::addRow("on, no pause") << u"1"_s << u"0"_s << 0 << true;
    QTest::addRow("off") << u"0"_s << u"2"_s << 0 << false;
    QTest::addRow("pause not a whole number") << u"1"_s << u"abc"_s << 0 << false;
}

void TestDbConnectController::autoViewWaitsThenShows()
{
    QFETCH(QString, autoView);
    QFETCH(QString, waitTime);
    QFETCH(int, minimumMs);
    QFETCH(bool, shown);
    Delay::setScale(0.01); // two seconds become 20 ms
    m_parameters->setValue(u"AutoView", autoView);
    m_parameters->setValue(u"WaitTime", waitTime);
    m_controller->toggle();
    m_window->enabled[u"DBUpdate"_s] = true;
    QElapsedTimer timer;
    timer.start();
    m_controller->autoViewStep();
    QVERIFY(timer.elapsed() >= Delay::scaled(minimumMs));
    QCOMPARE(m_window->performed, shown ? QStringList{u"DispMsgDat"_s} : QStringList());
    QCOMPARE(m_window->enabled.value(u"DBUpdate"_s), !shown);
}

void TestDbConnectController::doubleClickShowsAtOnce()
{
    m_parameters->setValue(u"AutoView", u"1"_s);
    m_parameters->setValue(u"WaitTime", u"60"_s);
    m_controller->toggle();
    QElapsedTimer timer;
    timer.start();
    m_controller->displayNow();
    QVERIFY(timer.elapsed() < 1000);
    QCOMPARE(m_window->performed, QStringList{u"DispMsgDat"_s});
}

void TestDbConnectController::nothingShownWhileClosed()
{
    Delay::setScale(0.01);
    m_parameters->setValue(u"AutoView", u"1"_s);
    m_parameters->setValue(u"WaitTime", u"1"_s);
    m_controller->toggle();
    // The list closes during the pause: nothing is shown at its end.
    QTimer::singleShot(0, this, [this] { m_controller->toggle(); });
    m_controller->autoViewStep();
    QVERIFY(!m_controller->isListOpen());
    m_controller->displayNow();
    QCOMPARE(m_window->performed, QStringList());
}

void TestDbConnectController::connectionCheckReportsAndBrowses()
{
    ScriptedPrompter prompter;
    ScriptedChooser chooser;
    ConnectionCheck check(*m_dm, prompter, chooser);
    QList<bool> button;
    const auto setButton = [&button](bool on) {
        button.append(on);
    };
    QVERIFY(check.check({}, m_empty, setButton));
    QVERIFY(!check.check({}, m_dir.filePath(u"nothing-here.fdb"_s), setButton));
    QCOMPARE(prompter.texts(), (QStringList{u"Data Base 接続OK!!"_s, u"Data Base 接続NG!!"_s}));
    QCOMPARE(button, (QList<bool>{false, true, false, true}));
    QCOMPARE(m_dm->Ldb_Path1(), m_dir.filePath(u"nothing-here.fdb"_s)); // adopted, saved at exit
    QCOMPARE(m_window->enabled.value(u"DBConnect"_s), false);           // the check leaves it closed

    chooser.answer = u"/srv/chosen.fdb"_s;
    QCOMPARE(check.browse(u"/old.fdb"_s), u"/srv/chosen.fdb"_s);
    QCOMPARE(chooser.asked.at(1), u"fdb"_s);
    QCOMPARE(chooser.asked.at(2), u"Firebird DBファイル (*.fdb);;Interbase DBファイル (*.gdb)"_s);
    chooser.answer.clear();
    QCOMPARE(check.browse(u"/old.fdb"_s), u"/old.fdb"_s);
}

QTEST_GUILESS_MAIN(TestDbConnectController)
#include "TestDbConnectController.moc"
