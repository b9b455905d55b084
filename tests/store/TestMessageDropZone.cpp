#include <QDragEnterEvent>
#include <QDropEvent>
#include <QMimeData>
#include <QProcess>
#include <QSqlQuery>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>
#include <QTextEdit>
#include <QUrl>
#include <QVBoxLayout>
#include <QWidget>

#include "app/core/Delay.h"
#include "app/core/ParameterTable.h"
#include "app/core/Settings.h"
#include "reader/InternetMessageReader.h"
#include "reader/MessageInfo.h"
#include "reader/RecordingMessageView.h"
#include "store/DbConnectController.h"
#include "store/MessageDropZone.h"
#include "store/MessageIntake.h"
#include "store/StoreFixture.h"
#include "store/TDm_Ldb.h"
#include "support/ScriptedFileChooser.h"
#include "support/ScriptedPrompter.h"
#include "testpaths.h"

using namespace Qt::StringLiterals;

namespace {

class NullHost final : public PmodeWord,
                       public CommandSwitchboard,
                       public ListWindowPlace,
                       public StatusPanels,
                       public ExclusiveModes
{
public:
    quint16 pmode() const override { return 0; }
    void setPmode(quint16) override {}
    bool isCommandEnabled(const QString&) const override { return false; }
    void setCommandEnabled(const QString&, bool) override {}
    void setCommandChecked(const QString&, bool) override {}
    void performCommand(const QString&) override {}
    void setConnectImage(int) override {}
    void dockListWindow() override {}
    void closeListWindow() override {}
    void setListShortcut(const QString&, const QString&) override {}
    void setStatusText(int, const QString&) override {}
    void switchOffFileWorkbench() override {}
    void switchOffBulkSender() override {}
    void clearMessageView() override {}
    DbListHost host() { return {*this, *this, *this, *this, *this}; }
};

// An intake on a fresh archive, reading with the real internet message reader,
// and a panel like the main window's upper panel with its body pane.
struct DropBench
{
    DropBench()
        : dm(TDm_Ldb::Options{})
    {
        archiveReady = StoreFixture::createArchive(dir.filePath(u"a.fdb"_s));
        dm.setTarget(QString(), dir.filePath(u"a.fdb"_s));
        archiveReady = archiveReady && dm.create();
        for (int i = 1; i <= 10; ++i) {
            parameters.setValue(QString(u"MailAccount"_s + QString::number(i)), QString());
        }
        settings.ReconnectFlg = false;
        MessageReaders readers;
        readers.internet = [this](const QString& path) {
            reader.ReadInternetMessage(path);
        };
        intake.setReaders(readers);
        (new QVBoxLayout(&panel))->addWidget(body);
        panel.setGeometry(0, 0, 400, 300);
    }

    QTemporaryDir dir;
    TDm_Ldb dm;
    bool archiveReady = false;
    NullHost host;
    ParameterTable parameters;
    Settings settings;
    MessageInfo info;
    ScriptedPrompter prompter;
    ScriptedFileChooser files;
    RecordingMessageView view;
    InternetMessageReader reader{view, parameters, prompter, info};
    DbConnectController dbConnect{dm, parameters, host.host()};
    MessageIntake intake{info,
                         settings,
                         dir.filePath(u"mail_dat"_s),
                         host.host(),
                         dbConnect,
                         prompter,
                         files,
                         dm.database().connectionName()};
    QWidget panel;
    QTextEdit* body = new QTextEdit(&panel);
};

} // namespace

// The drop zone on a panel like the main window's: what it accepts, how it
// looks while something is dragged over it.
class TestMessageDropZone final : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void acceptsFilesAndShowsTheHint();
    void offWhileDisabled();
    void filesDraggedFromAnotherProgramAreRegistered();
};

void TestMessageDropZone::acceptsFilesAndShowsTheHint()
{
    DropBench bench;
    QVERIFY(bench.archiveReady);
    QWidget& panel = bench.panel;
    QTextEdit* body = bench.body;
    panel.show();
    QVERIFY(QTest::qWaitForWindowExposed(&panel));
    MessageDropZone zone(bench.intake, &panel, body);
    QCOMPARE(panel.backgroundRole(), QPalette::Button);

    QMimeData text;
    text.setText(u"just text"_s);
    QDragEnterEvent refused(QPoint(10, 10), Qt::CopyAction, &text, Qt::LeftButton, Qt::NoModifier);
    QCoreApplication::sendEvent(&panel, &refused);
    QVERIFY(!refused.isAccepted());

    QMimeData file;
    file.setUrls({QUrl::fromLocalFile(QStringLiteral(TIDEWELL_TEST_DATA_DIR "/store/intake/first.eml"))});
    QDragEnterEvent enter(QPoint(10, 10), Qt::CopyAction | Qt::LinkAction, &file, Qt::LeftButton, Qt::NoModifier);
    QCoreApplication::sendEvent(&panel, &enter);
    QVERIFY(enter.isAccepted());
    QCOMPARE(enter.dropAction(), Qt::CopyAction);

    QDragMoveEvent move(QPoint(12, 12), Qt::CopyAction, &file, Qt::LeftButton, Qt::NoModifier);
    QCoreApplication::sendEvent(&panel, &move);
    QVERIFY(!body->isVisible());
    QCOMPARE(panel.backgroundRole(), QPalette::ToolTipBase);

    QDragLeaveEvent leave;
    QCoreApplication::sendEvent(&panel, &leave);
    QVERIFY(body->isVisible());
    QCOMPARE(panel.backgroundRole(), QPalette::Button);

    QVERIFY(bench.prompter.shown().isEmpty());
}

void TestMessageDropZone::offWhileDisabled()
{
    DropBench bench;
    QWidget& panel = bench.panel;
    MessageDropZone zone(bench.intake, &panel, bench.body);
    zone.setEnabled(false);
    QVERIFY(!panel.acceptDrops());
    zone.setEnabled(true);
    QVERIFY(panel.acceptDrops());
}

void TestMessageDropZone::filesDraggedFromAnotherProgramAreRegistered()
{
    // A real drag over the X11 drag protocol from another process, as from a file manager.
    const QString xdotool = QStandardPaths::findExecutable(u"xdotool"_s);
    QVERIFY2(!xdotool.isEmpty(), "xdotool drives the pointer here (scripts/deps.sh installs it)");
    Delay::setScale(0);
    DropBench bench;
    QVERIFY(bench.archiveReady);
    bench.prompter.expect(Prompter::Answer::Yes); // the batch question
    bench.panel.show();
    QVERIFY(QTest::qWaitForWindowExposed(&bench.panel));
    MessageDropZone zone(bench.intake, &bench.panel, bench.body);

    const QString data = QStringLiteral(TIDEWELL_TEST_DATA_DIR "/store/intake/");
    QProcess source;
    source.start(QStringLiteral(STORE_DRAG_SOURCE),
                 {u"450"_s, u"300"_s, data + u"first.eml"_s, data + u"second.eml"_s, data + u"third.eml"_s});
    QByteArray said;
    QTRY_VERIFY2_WITH_TIMEOUT((said += source.readAllStandardOutput()).contains("ready"),
                              qPrintable(source.errorString() + QString::fromLocal8Bit(source.readAllStandardError())),
                              10000);
    // Press on the source, move over the body pane of the panel in steps, release there. The
    // pauses leave a loaded machine time to start the drag and answer each step.
    QProcess pointer;
    pointer.start(u"sh"_s,
                  {u"-c"_s,
                   u"x=%1; $x mousemove 500 330 mousedown 1; sleep 1; for p in '400 280' '300 220' '200 150'"
                   " '205 152'; do $x mousemove $p; sleep 0.4; done; $x mouseup 1"_s.arg(xdotool)});
    QTRY_COMPARE_WITH_TIMEOUT(pointer.state(), QProcess::NotRunning, 15000);
    QTRY_VERIFY2_WITH_TIMEOUT(!bench.intake.isRunning() && bench.prompter.texts().size() == 1,
                              qPrintable(QString::fromLocal8Bit(said + source.readAllStandardOutput())),
                              15000);
    QTRY_VERIFY_WITH_TIMEOUT(bench.body->isVisible(), 5000);

    QSqlQuery query(bench.dm.database());
    QVERIFY(query.exec(u"select d.Message_FileName from Message_IdxTbl i join Message_DatTBL d on "
                       "d.Message_ID = i.Message_ID and d.Message_Date = i.Message_Date order by 1"_s));
    QStringList stored;
    while (query.next()) {
        stored.append(query.value(0).toString());
    }
    QCOMPARE(stored, (QStringList{u"first.eml"_s, u"second.eml"_s, u"third.eml"_s}));
    QVERIFY2(bench.prompter.unexpected().isEmpty(), qPrintable(bench.prompter.unexpected().join(u" | "_s)));
    source.kill();
    source.waitForFinished();
}

QTEST_MAIN(TestMessageDropZone)
#include "TestMessageDropZone.moc"
