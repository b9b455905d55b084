#include "app/core/SingleInstance.h"

#include <memory>

#include <unistd.h>

#include <QDir>
#include <QLocalServer>
#include <QLocalSocket>
#include <QStandardPaths>

using namespace Qt::StringLiterals;

namespace {
constexpr char kEnd = '\0';
constexpr char kFound = '1';
constexpr char kNotFound = '0';
} // namespace

SingleInstance::SingleInstance(const QString& programFileName, QObject* parent)
    : QObject(parent)
    , m_name(serverName(programFileName))
{
}

SingleInstance::~SingleInstance() = default;

QString SingleInstance::serverName(const QString& programFileName)
{
    const QString runtime = QStandardPaths::writableLocation(QStandardPaths::RuntimeLocation);
    if (!runtime.isEmpty() && QDir(runtime).exists()) {
        return runtime + u'/' + programFileName + u".instance"_s;
    }
    return QDir::tempPath() + u'/' + programFileName + u'.' + QString::number(getuid()) + u".instance"_s;
}

SingleInstance::Outcome SingleInstance::askRunning(const QString& name, const QStringList& titles, int timeoutMs)
{
    QLocalSocket socket;
    socket.connectToServer(name);
    if (!socket.waitForConnected(timeoutMs)) {
        return Outcome::First;
    }
    QByteArray request = titles.join(u'\n').toUtf8();
    request.append(kEnd);
    socket.write(request);
    socket.flush();
    QByteArray reply;
    while (reply.isEmpty() && socket.waitForReadyRead(timeoutMs)) {
        reply += socket.readAll();
    }
    return reply.startsWith(kFound) ? Outcome::OtherFound : Outcome::OtherNoWindow;
}

SingleInstance::Outcome SingleInstance::start(const QStringList& titles)
{
    const Outcome asked = askRunning(m_name, titles);
    if (asked != Outcome::First) {
        return asked;
    }
    // Nobody answered: a socket left behind by a copy that crashed must not block us forever.
    QLocalServer::removeServer(m_name);
    m_server = new QLocalServer(this);
    m_server->setSocketOptions(QLocalServer::UserAccessOption);
    if (!m_server->listen(m_name)) {
        delete m_server;
        m_server = nullptr;
        return Outcome::Failed;
    }
    connect(m_server, &QLocalServer::newConnection, this, &SingleInstance::serve);
    return Outcome::First;
}

bool SingleInstance::isListening() const
{
    return m_server && m_server->isListening();
}

void SingleInstance::serve()
{
    while (QLocalSocket* socket = m_server->nextPendingConnection()) {
        // Requests are tiny: collect them as they come and answer once the terminator arrived.
        auto pending = std::make_shared<QByteArray>();
        connect(socket, &QLocalSocket::disconnected, socket, &QObject::deleteLater);
        connect(socket, &QLocalSocket::readyRead, this, [this, socket, pending] {
            pending->append(socket->readAll());
            const qsizetype end = pending->indexOf(kEnd);
            if (end < 0) {
                if (pending->size() > 64 * 1024) {
                    socket->abort();
                }
                return;
            }
            const QStringList titles = QString::fromUtf8(pending->left(end)).split(u'\n', Qt::SkipEmptyParts);
            pending->clear();
            const bool found = m_activator && m_activator(titles);
            socket->write(QByteArray(1, found ? kFound : kNotFound));
            socket->flush();
            socket->disconnectFromServer();
        });
    }
}
