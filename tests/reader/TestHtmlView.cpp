#include <QApplication>
#include <QDir>
#include <QSignalSpy>
#include <QTcpServer>
#include <QTemporaryDir>
#include <QTest>
#include <QWebEnginePage>
#include <QWebEngineView>

#include "reader/HtmlView.h"

using namespace Qt::StringLiterals;

// A 1x1 transparent PNG.
static const QByteArray kPng = QByteArray::fromBase64(
    "iVBORw0KGgoAAAANSUhEUgAAAAEAAAABCAQAAAC1HAwCAAAAC0lEQVR42mNkYAAAAAYAAjCB0C8AAAAASUVORK5CYII=");

class TestHtmlView : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void init();
    void cleanup();
    void remoteContentIsNotFetched();
    void scriptsDoNotRun();
    void japaneseTextAndZoom();
    void inlinePartsAreServed();
    void closeReleasesTheFolder();

private:
    bool showAndWait(const QString& html, double zoom = 1.0);

    QTemporaryDir* m_dir = nullptr;
    HtmlView* m_view = nullptr;
};

void TestHtmlView::init()
{
    m_dir = new QTemporaryDir;
    m_view = new HtmlView(m_dir->filePath(u"tidewell.WebView2/EBWebView"_s));
    m_view->resize(400, 300);
    m_view->show();
}

void TestHtmlView::cleanup()
{
    delete m_view;
    m_view = nullptr;
    QDir folder(m_dir->filePath(u"tidewell.WebView2"_s));
    QTRY_VERIFY(folder.removeRecursively());
    delete m_dir;
    m_dir = nullptr;
}

bool TestHtmlView::showAndWait(const QString& html, double zoom)
{
    QSignalSpy finished(m_view, &HtmlView::loadFinished);
    m_view->showHtml(html, zoom);
    if (!finished.wait(30000)) {
        return false;
    }
    return finished.first().first().toBool();
}

void TestHtmlView::remoteContentIsNotFetched()
{
    QTcpServer server;
    QVERIFY(server.listen(QHostAddress::LocalHost));
    QSignalSpy connections(&server, &QTcpServer::newConnection);
    const QString port = QString::number(server.serverPort());
    const QString base = u"http://127.0.0.1:"_s + port;
    const QString html = u"<html><head><link rel=stylesheet href=\""_s + base + u"/s.css\"></head><body>"_s
                         + u"<img src=\""_s + base + u"/track.png\"><iframe src=\""_s + base + u"/frame\"></iframe>"_s
                         + u"<img src=\"https://127.0.0.1:"_s + port
                         + u"/secure.png\"><img src=\"file:///etc/hostname\"></body></html>"_s;
    QVERIFY(showAndWait(html));
    // Remote URLs are already refused to a page of the message's own scheme; what
    // gets further (the file: URL) is blocked by the view.
    QTRY_VERIFY(m_view->blockedRequests() >= 1);
    // The page has finished; a request that got through would have connected by now.
    QCoreApplication::processEvents();
    QVERIFY(!server.hasPendingConnections());
    QCOMPARE(connections.count(), 0);
}

void TestHtmlView::scriptsDoNotRun()
{
    QVERIFY(showAndWait(u"<html><head><title>before</title></head><body>"
                        "<script>document.title = 'ran';</script></body></html>"_s));
    QCOMPARE(m_view->webView()->page()->title(), u"before"_s);
}

void TestHtmlView::japaneseTextAndZoom()
{
    // The page declares Shift_JIS, but the text has already been decoded.
    QVERIFY(showAndWait(u"<html><head><meta charset=\"shift_jis\"><title>日本語①</title></head>"
                        "<body>本文</body></html>"_s,
                        0.7));
    QCOMPARE(m_view->webView()->page()->title(), u"日本語①"_s);
    QCOMPARE(m_view->zoomFactor(), 0.7);
    QCOMPARE(m_view->webView()->zoomFactor(), 0.7);
    QVERIFY(qAbs(m_view->zoomIn() - 0.77) < 1e-9);
    QVERIFY(qAbs(m_view->webView()->zoomFactor() - 0.77) < 1e-9);
    QVERIFY(qAbs(m_view->zoomOut() - 0.693) < 1e-9);
}

void TestHtmlView::inlinePartsAreServed()
{
    m_view->setResources({{u"logo@example.jp"_s, {QByteArrayLiteral("image/png"), kPng}}});
    QVERIFY(showAndWait(u"<html><body><img src=\"cid:logo@example.jp\"><img src=\"cid:missing@x\"></body></html>"_s));
    QTRY_COMPARE(m_view->servedResources(), 1);
    QCOMPARE(m_view->blockedRequests(), 0);
}

void TestHtmlView::closeReleasesTheFolder()
{
    QVERIFY(showAndWait(u"<p>one</p>"_s));
    m_view->close();
    QVERIFY(!m_view->isCreated());
    QVERIFY(m_view->webView() == nullptr);
    QDir folder(m_dir->filePath(u"tidewell.WebView2"_s));
    QVERIFY(folder.exists());
    // The browser finishes writing in the background; removal succeeds once it has.
    QTRY_VERIFY(folder.removeRecursively());
    QVERIFY(!folder.exists());
    // The next page creates the view anew.
    QVERIFY(showAndWait(u"<html><head><title>two</title></head></html>"_s));
    QCOMPARE(m_view->webView()->page()->title(), u"two"_s);
}

int main(int argc, char* argv[])
{
    HtmlView::registerUrlSchemes();
    QCoreApplication::setAttribute(Qt::AA_ShareOpenGLContexts);
    QApplication app(argc, argv);
    TestHtmlView test;
    return QTest::qExec(&test, argc, argv);
}

#include "TestHtmlView.moc"
