// A small window that stands in for a file manager: pressed, it starts a drag
// of the files named on its command line, as text/uri-list over the X11 drag
// protocol. Usage: store_drag_source X Y FILE...; prints "ready" once shown
// and the drop action when the drag has ended.
#include <cstdio>

#include <QApplication>
#include <QDrag>
#include <QLabel>
#include <QMimeData>
#include <QTimer>
#include <QUrl>

namespace {

class Source final : public QLabel
{
public:
    explicit Source(QList<QUrl> urls)
        : QLabel(QStringLiteral("files"))
        , m_urls(std::move(urls))
    {
    }

protected:
    void mousePressEvent(QMouseEvent*) override
    {
        auto* mime = new QMimeData;
        mime->setUrls(m_urls);
        auto* drag = new QDrag(this);
        drag->setMimeData(mime);
        const Qt::DropAction action = drag->exec(Qt::CopyAction | Qt::MoveAction | Qt::LinkAction);
        std::printf("dropped %d\n", static_cast<int>(action));
        std::fflush(stdout);
    }

private:
    QList<QUrl> m_urls;
};

} // namespace

int main(int argc, char* argv[])
{
    QApplication app(argc, argv);
    const QStringList args = QCoreApplication::arguments();
    if (args.size() < 4) {
        return 2;
    }
    QList<QUrl> urls;
    for (const QString& path : args.mid(3)) {
        urls.append(QUrl::fromLocalFile(path));
    }
    Source source(urls);
    source.setWindowFlags(Qt::FramelessWindowHint);
    source.setGeometry(args.at(1).toInt(), args.at(2).toInt(), 100, 60);
    source.show();
    QTimer::singleShot(300, [] {
        std::printf("ready\n");
        std::fflush(stdout);
    });
    return app.exec();
}
