#pragma once

#include <QByteArray>
#include <QHash>
#include <QPointer>
#include <QString>
#include <QWidget>

class MimeMessage;
class QWebEngineProfile;
class QWebEngineView;

namespace HtmlViewDetail {
class BlockingInterceptor;
class CidSchemeHandler;
} // namespace HtmlViewDetail

// The "HTML" tab's view of a message body.
//
// The web view is created on first use with a profile of its own whose
// storage lies in the folder given to the constructor; close() destroys view
// and profile so that folder can be removed. A mail view runs no scripts and
// fetches nothing: JavaScript is off and every request other than the page
// itself, data: URLs and the message's own cid: parts is blocked.
//
// The "cid" URL scheme must be registered before the QApplication exists:
// the program's main() calls HtmlView::registerUrlSchemes() first thing.
class HtmlView final : public QWidget
{
    Q_OBJECT

public:
    // An inline part of the message, served for "cid:" + its Content-ID.
    struct Resource
    {
        QByteArray mimeType;
        QByteArray data;
    };

    // storagePath: <data folder>/<program file name>.WebView2/EBWebView
    explicit HtmlView(const QString& storagePath, QWidget* parent = nullptr);
    ~HtmlView() override;

    // Registers the "cid" scheme; call once before QApplication is constructed.
    static void registerUrlSchemes();
    // The parts of a message that have a Content-ID, keyed by it.
    [[nodiscard]] static QHash<QString, Resource> resourcesOf(const MimeMessage& message);

    // Shows the HTML (creating the web view if needed) at the given zoom factor.
    void showHtml(const QString& html, double zoomFactor);
    // The inline parts the next and the current page may show.
    void setResources(const QHash<QString, Resource>& resources);

    [[nodiscard]] double zoomFactor() const;
    void setZoomFactor(double factor);
    // Zoom steps: the new factor (x1.1 or x0.9) is applied and returned.
    double zoomIn();
    double zoomOut();

    // Destroys web view and profile; the next showHtml() creates them anew.
    void close();
    [[nodiscard]] bool isCreated() const { return m_view != nullptr; }

    // For tests: the web view (null until created), requests blocked so far,
    // cid: parts served so far.
    [[nodiscard]] QWebEngineView* webView() const { return m_view; }
    [[nodiscard]] int blockedRequests() const;
    [[nodiscard]] int servedResources() const;

Q_SIGNALS:
    void loadFinished(bool ok);

private:
    void create();

    QString m_storagePath;
    double m_zoomFactor = 1.0;
    QWebEngineProfile* m_profile = nullptr;
    QWebEngineView* m_view = nullptr;
    HtmlViewDetail::BlockingInterceptor* m_interceptor = nullptr;
    HtmlViewDetail::CidSchemeHandler* m_handler = nullptr;
};
