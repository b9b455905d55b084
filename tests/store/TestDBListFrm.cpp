#include <QAction>
#include <QHeaderView>
#include <QMenu>
#include <QSignalSpy>
#include <QTableView>
#include <QTemporaryDir>
#include <QTest>

#include "app/core/IniFile.h"
#include "app/core/Settings.h"
#include "store/DbListHost.h"
#include "store/ListColumns.h"
#include "store/MessageListModel.h"
#include "store/StoreFixture.h"
#include "store/TDBListFrm.h"

using namespace Qt::StringLiterals;

namespace {
class Mode final : public PmodeWord
{
public:
    quint16 pmode() const override { return value; }
    void setPmode(quint16 v) override { value = v; }
    quint16 value = 0;
};
} // namespace

// The list window over a real archive on the offscreen platform.
class TestDBListFrm final : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void initTestCase();
    void cleanupTestCase();
    void init();
    void cleanup();
    void columnsFromSettingsAndBack();
    void titleClicksAlternate();
    void fontSizeByShortcuts();
    void contextMenuFollowsCommands();
    void closingWhileUndockedDocksBack();
    void dockingDragEnds_data();
    void dockingDragEnds();
    void undockingRemembersWhetherTheListWasOpen();

private:
    QTemporaryDir m_dir;
    QSqlDatabase m_db;
    std::unique_ptr<MessageListModel> m_model;
    std::unique_ptr<TDBListFrm> m_frm;
};

void TestDBListFrm::initTestCase()
{
    const QString path = m_dir.filePath(u"list.fdb"_s);
    QVERIFY(StoreFixture::createArchive(path));
    m_db = StoreFixture::open(path, u"frm"_s);
    using StoreFixture::at;
    QVERIFY(StoreFixture::insert(m_db,
                                 {{u"<old@x>"_s, at(u"2023-01-01 00:00:00"_s), u"b"_s, u"x"_s, {}, {}},
                                  {u"<mid@x>"_s, at(u"2023-06-01 00:00:00"_s), u"c"_s, u"y"_s, {}, {}},
                                  {u"<new@x>"_s, at(u"2024-01-01 00:00:00"_s), u"a"_s, u"z"_s, {}, {}}}));
}

void TestDBListFrm::cleanupTestCase()
{
    m_db.close();
    m_db = {};
    QSqlDatabase::removeDatabase(u"frm"_s);
}

void TestDBListFrm::init()
{
    m_model = std::make_unique<MessageListModel>();
    m_frm = std::make_unique<TDBListFrm>(*m_model);
    Settings settings;
    settings.load(IniFile(), {});
    m_frm->setColumns(ListColumns::fromSettings(settings.gridColumns));
    QVERIFY(m_model->open(m_db));
    m_frm->show();
    QVERIFY(QTest::qWaitForWindowExposed(m_frm.get()));
}

void TestDBListFrm::cleanup()
{
    m_frm.reset();
    m_model.reset();
}

void TestDBListFrm::columnsFromSettingsAndBack()
{
    QHeaderView* header = m_frm->grid()->horizontalHeader();
    QVERIFY(header->isSectionHidden(0));
    QVERIFY(header->isSectionHidden(2));
    QVERIFY(header->isSectionHidden(8));
    QVERIFY(!header->isSectionHidden(9));
    QCOMPARE(m_model->headerData(1, Qt::Horizontal, Qt::DisplayRole).toString(), u"受信日時"_s);
    QCOMPARE(header->sectionSize(3), 200);
    // The user moves 題目 to the front, widens 送信名 and hides ボディ.
    header->moveSection(header->visualIndex(7), 0);
    header->resizeSection(3, 150);
    header->setSectionHidden(9, true);
    const QList<ListColumn> left = m_frm->columns();
    QCOMPARE(left.at(0).field, u"MESSAGE_SUBJECT"_s);
    QCOMPARE(left.at(0).title, u"題目"_s);
    QCOMPARE(left.at(1).field, u"MESSAGE_ID"_s);
    QCOMPARE(left.at(4).width, 150); // 送信名, now fifth
    QCOMPARE(left.at(9).visible, false);
    IniFile ini;
    Settings settings;
    settings.gridColumns = ListColumns::toSettings(left);
    settings.save(ini);
    QCOMPARE(ini.readString(u"DBGrid", u"FieldName_0"), u"MESSAGE_SUBJECT"_s);
    QCOMPARE(ini.readInteger(u"DBGrid", u"Columns_4", 0), 150);
    QCOMPARE(ini.readBool(u"DBGrid", u"Visible_9", true), false);
}

void TestDBListFrm::titleClicksAlternate()
{
    QHeaderView* header = m_frm->grid()->horizontalHeader();
    QCOMPARE(m_model->keyAt(0).id, u"<new@x>"_s);
    // First click on 受信日時: descending, the oldest last.
    QTest::mouseClick(header->viewport(), Qt::LeftButton, {}, QPoint(header->sectionViewportPosition(1) + 5, 5));
    QCOMPARE(m_frm->srtcnum(), 1);
    QCOMPARE(m_model->indexFieldNames(), u"MESSAGE_DATE:D"_s);
    QCOMPARE(m_model->keyAt(2).id, u"<old@x>"_s);
    // Second click, on 題目: ascending.
    QTest::mouseClick(header->viewport(), Qt::LeftButton, {}, QPoint(header->sectionViewportPosition(7) + 5, 5));
    QCOMPARE(m_frm->srtcnum(), 2);
    QCOMPARE(m_model->indexFieldNames(), u"MESSAGE_SUBJECT:A"_s);
    QCOMPARE(m_model->keyAt(0).id, u"<new@x>"_s); // subject "a"
}

void TestDBListFrm::fontSizeByShortcuts()
{
    QAction fontSize;
    QAction disp;
    QAction exprt;
    QAction del;
    m_frm->bindCommands(&disp, &exprt, &del, &fontSize);
    m_frm->setFontSize(8);
    m_frm->grid()->setFocus();
    QList<int> sizes;
    for (int i = 0; i < 5; ++i) {
        QTest::keyClick(m_frm->grid(), Qt::Key_W, Qt::ControlModifier);
        sizes.append(m_frm->fontSize());
    }
    QCOMPARE(sizes, (QList<int>{9, 10, 11, 12, 13}));
    QCOMPARE(m_frm->grid()->font().pointSize(), 13);
    m_frm->setFontSize(12);
    sizes.clear();
    for (int i = 0; i < 3; ++i) {
        QTest::keyClick(m_frm->grid(), Qt::Key_S, Qt::ControlModifier);
        sizes.append(m_frm->fontSize());
    }
    QCOMPARE(sizes, (QList<int>{10, 9, 8}));
    // Disabled with the font-size command.
    fontSize.setEnabled(false);
    QTest::keyClick(m_frm->grid(), Qt::Key_W, Qt::ControlModifier);
    QCOMPARE(m_frm->fontSize(), 8);
}

void TestDBListFrm::contextMenuFollowsCommands()
{
    QAction disp;
    QAction exprt;
    QAction del;
    QAction fontSize;
    QSignalSpy shown(&disp, &QAction::triggered);
    disp.setEnabled(false);
    m_frm->bindCommands(&disp, &exprt, &del, &fontSize);
    QStringList texts;
    for (QAction* entry : m_frm->contextMenu()->actions()) {
        texts.append(entry->isSeparator() ? u"-"_s : entry->text() + u' ' + entry->shortcut().toString());
    }
    QCOMPARE(texts,
             (QStringList{u"メッセージの表示 (&R) Ctrl+R"_s,
                          u"メッセージファイルのエクスポート (&T) Ctrl+T"_s,
                          u"-"_s,
                          u"メッセージの削除 (&D) Ctrl+Del"_s,
                          u"-"_s,
                          u"フォントサイズ (&S) - 縮小 Ctrl+S"_s,
                          u"フォントサイズ (&L) - 拡大 Ctrl+W"_s}));
    QAction* entry = m_frm->contextMenu()->actions().first();
    QVERIFY(!entry->isEnabled());
    disp.setEnabled(true);
    QVERIFY(entry->isEnabled());
    // AutoView on: the three command entries lose their shortcuts.
    for (const QString& command : {u"DispMsgDat"_s, u"ExprtMsgFile"_s, u"DelMsgDat"_s}) {
        m_frm->setListShortcut(command, {});
    }
    QVERIFY(entry->shortcut().isEmpty());
    m_frm->setListShortcut(u"DispMsgDat"_s, u"Ctrl+R"_s);
    m_frm->grid()->setFocus();
    QTest::keyClick(m_frm->grid(), Qt::Key_R, Qt::ControlModifier);
    QCOMPARE(shown.count(), 1);
}

void TestDBListFrm::closingWhileUndockedDocksBack()
{
    Mode mode;
    m_frm->setModeWord(&mode);
    QSignalSpy dockBack(m_frm.get(), &TDBListFrm::dockBackRequested);
    mode.value = 0x0110;
    QVERIFY(!m_frm->close());
    QCOMPARE(dockBack.count(), 1);
    QCOMPARE(mode.value, quint16(0x0010));
    QVERIFY(m_frm->isVisible());
    QCOMPARE(m_frm->windowTitle(), u"DB List View"_s);
    // The bit is gone (or the list was disconnected): closing hides it.
    QVERIFY(m_frm->close());
    QVERIFY(!m_frm->isVisible());
    QCOMPARE(dockBack.count(), 1);
    QCOMPARE(m_model->rowCount(), 3); // keeps its contents
}

void TestDBListFrm::dockingDragEnds_data()
{
    QTest::addColumn<int>("host");
    QTest::addColumn<int>("startDocNum");
    QTest::addColumn<bool>("visible");
    QTest::addColumn<QSize>("remembered");
    QTest::addRow("floating: remembers its size") << int(ListWindowState::Host::Other) << 1 << true << QSize(500, 300);
    QTest::addRow("onto a tab: docked") << int(ListWindowState::Host::PageControl) << 0 << true << QSize(640, 240);
    QTest::addRow("onto the tool-bar strip: closed")
        << int(ListWindowState::Host::ToolBarStrip) << 0 << false << QSize(640, 240);
}

void TestDBListFrm::dockingDragEnds()
{
    QFETCH(int, host);
    QFETCH(int, startDocNum);
    QFETCH(bool, visible);
    QFETCH(QSize, remembered);
    m_frm->resize(500, 300);
    m_frm->dockingEnded(static_cast<ListWindowState::Host>(host));
    QCOMPARE(m_frm->placement().StartDocNum, startDocNum);
    QCOMPARE(m_frm->isVisible(), visible);
    QCOMPARE(QSize(m_frm->placement().LstWidth, m_frm->placement().LstHeight), remembered);
    if (startDocNum != 0) {
        m_frm->resize(420, 280); // resizing while floating is remembered too
        QCOMPARE(QSize(m_frm->placement().LstWidth, m_frm->placement().LstHeight), QSize(420, 280));
    }
}

void TestDBListFrm::undockingRemembersWhetherTheListWasOpen()
{
    Mode mode;
    ListWindowState::undockedFromPageControl(mode, true);
    QCOMPARE(mode.value, quint16(0x0100));
    ListWindowState::undockedFromPageControl(mode, false);
    QCOMPARE(mode.value, quint16(0x0000));
}

QTEST_MAIN(TestDBListFrm)
#include "TestDBListFrm.moc"
