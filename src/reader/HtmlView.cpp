#include "reader/HtmlView.h"

#include <algorithm>

#include <QBuffer>
#include <QVBoxLayout>
#include <QWebEnginePage>
#include <QWebEngineProfile>
#include <QWebEngineSettings>
#include <QWebEngineUrlRequestInterceptor>
#include <QWebEngineUrlRequestJob>
#include <QWebEngineUrlScheme>
#include <QWebEngineUrlSchemeHandler>
#include <QWebEngineView>

#include "reader/HtmlZoom.h"
#include "reader/MimeMessage.h"

using namespace Qt::StringLiterals;

namespace {

const QByteArray kScheme = QByteArrayLiteral("cid");
// The page itself is served under this name; a Content-ID is never this.
const QString kPagePrefix = u"tidewell-page-"_s;

double clampZoom(double factor)
{
    // The range the web view accepts.
    return std::clamp(factor, 0.25, 5.0);
}

} // namespace

namespace HtmlViewDetail {

// Lets through only what the message itself carries: the page (served under
// cid:), data: URLs and cid: parts. Everything else, remote images and
// style sheets, links, file: URLs, is blocked before it leaves the process.
class BlockingInterceptor final : public QWebEngineUrlRequestInterceptor
{
public:
    using QWebEngineUrlRequestInterceptor::QWebEngineUrlRequestInterceptor;

    void interceptRequest(QWebEngineUrlRequestInfo& info) override
    {
        const QString scheme = info.requestUrl().scheme().toLower();
        if (scheme == u"cid"_s || scheme == u"data"_s || scheme == u"about"_s) {
            return;
        }
        info.block(true);
        ++blocked;
    }

    int blocked = 0;
};

// Serves the current page and the message's inline parts.
class CidSchemeHandler final : public QWebEngineUrlSchemeHandler
{
public:
    using QWebEngineUrlSchemeHandler::QWebEngineUrlSchemeHandler;

    void requestStarted(QWebEngineUrlRequestJob* job) override
    {
        const QString id = QUrl::fromPercentEncoding(job->requestUrl().path(QUrl::FullyEncoded).toLatin1());
        if (id == pageName) {
            reply(job, QByteArrayLiteral("text/html"), page);
            return;
        }
        const auto it = resources.constFind(id);
        if (it == resources.constEnd()) {
            job->fail(QWebEngineUrlRequestJob::UrlNotFound);
            return;
        }
        ++served;
        reply(job, it->mimeType.isEmpty() ? QByteArrayLiteral("application/octet-stream") : it->mimeType, it->data);
    }

    QString pageName;
    QByteArray page;
    QHash<QString, HtmlView::Resource> resources;
    int served = 0;

private:
    static void reply(QWebEngineUrlRequestJob* job, const QByteArray& mimeType, const QByteArray& data)
    {
        auto* buffer = new QBuffer(job);
        buffer->setData(data);
        buffer->open(QIODevice::ReadOnly);
        job->reply(mimeType, buffer);
    }
};

} // namespace HtmlViewDetail

HtmlView::HtmlView(const QString& storagePath, QWidget* parent)
    : QWidget(parent)
    , m_storagePath(storagePath)
    , m_interceptor(new HtmlViewDetail::BlockingInterceptor(this))
    , m_handler(new HtmlViewDetail::CidSchemeHandler(this))
{
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
}

HtmlView::~HtmlView()
{
    close();
}

void HtmlView::registerUrlSchemes()
{
    if (!QWebEngineUrlScheme::schemeByName(kScheme).name().isEmpty()) {
        return;
    }
    QWebEngineUrlScheme scheme(kScheme);
    scheme.setSyntax(QWebEngineUrlScheme::Syntax::Path);
    scheme.setFlags(QWebEngineUrlScheme::SecureScheme | QWebEngineUrlScheme::LocalScheme
                    | QWebEngineUrlScheme::LocalAccessAllowed);
    QWebEngineUrlScheme::registerScheme(scheme);
}

QHash<QString, HtmlView::Resource> HtmlView::resourcesOf(const MimeMessage& message)
{
    QHash<QString, Resource> result;
    for (const MimePart& part : message.parts()) {
        if (!part.contentId().isEmpty()) {
            result.insert(part.contentId(), {part.contentType().toLatin1(), part.content()});
        }
    }
    return result;
}

void HtmlView::create()
{
    // A named profile keeps its data on disk, in the folder the caller chose.
    m_profile = new QWebEngineProfile(u"Tidewell"_s, this);
    m_profile->setPersistentStoragePath(m_storagePath);
    m_profile->setCachePath(m_storagePath + u"/Cache"_s);
    m_profile->setPersistentCookiesPolicy(QWebEngineProfile::NoPersistentCookies);
    m_profile->setUrlRequestInterceptor(m_interceptor);
    m_profile->installUrlSchemeHandler(kScheme, m_handler);

    QWebEngineSettings* settings = m_profile->settings();
    settings->setAttribute(QWebEngineSettings::JavascriptEnabled, false);
    settings->setAttribute(QWebEngineSettings::JavascriptCanOpenWindows, false);
    settings->setAttribute(QWebEngineSettings::LocalContentCanAccessRemoteUrls, false);
    settings->setAttribute(QWebEngineSettings::LocalContentCanAccessFileUrls, false);
    settings->setAttribute(QWebEngineSettings::PluginsEnabled, false);
    settings->setAttribute(QWebEngineSettings::AutoLoadIconsForPage, false);
    settings->setAttribute(QWebEngineSettings::DnsPrefetchEnabled, false);

    m_view = new QWebEngineView(this);
    auto* page = new QWebEnginePage(m_profile, m_view);
    m_view->setPage(page);
    connect(m_view, &QWebEngineView::loadFinished, this, &HtmlView::loadFinished);
    layout()->addWidget(m_view);
}

void HtmlView::showHtml(const QString& html, double zoomFactor)
{
    if (m_view == nullptr) {
        create();
    }
    setZoomFactor(zoomFactor);
    static int pageNumber = 0;
    m_handler->pageName = kPagePrefix + QString::number(++pageNumber);
    // The byte order mark wins over any charset the HTML itself declares.
    m_handler->page = QByteArrayLiteral("\xef\xbb\xbf") + html.toUtf8();
    QUrl url;
    url.setScheme(QString::fromLatin1(kScheme));
    url.setPath(m_handler->pageName);
    m_view->load(url);
}

void HtmlView::setResources(const QHash<QString, Resource>& resources)
{
    m_handler->resources = resources;
}

double HtmlView::zoomFactor() const
{
    return m_view != nullptr ? m_view->zoomFactor() : m_zoomFactor;
}

void HtmlView::setZoomFactor(double factor)
{
    m_zoomFactor = clampZoom(factor);
    if (m_view != nullptr) {
        m_view->setZoomFactor(m_zoomFactor);
    }
}

double HtmlView::zoomIn()
{
    setZoomFactor(HtmlZoom::zoomIn(zoomFactor()));
    return zoomFactor();
}

double HtmlView::zoomOut()
{
    setZoomFactor(HtmlZoom::zoomOut(zoomFactor()));
    return zoomFactor();
}

void HtmlView::close()
{
    if (m_view != nullptr) {
        // The page goes before its profile, or the profile cannot be released.
        QWebEnginePage* page = m_view->page();
        m_view->setPage(nullptr);
        delete page;
        delete m_view;
        m_view = nullptr;
    }
    if (m_profile != nullptr) {
        delete m_profile;
        m_profile = nullptr;
    }
    m_handler->page.clear();
    m_handler->resources.clear();
}

int HtmlView::blockedRequests() const
{
    return m_interceptor->blocked;
}

int HtmlView::servedResources() const
{
    return m_handler->served;
}
