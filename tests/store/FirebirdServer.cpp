#include "store/FirebirdServer.h"

#include <QDeadlineTimer>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTcpServer>
#include <QTcpSocket>
#include <QThread>

using namespace Qt::StringLiterals;

namespace {
const QString kEngineRoot = u"/usr/lib/x86_64-linux-gnu/firebird/3.0"_s;
const QString kSecurityDb = u"/var/lib/firebird/3.0/system/security3.fdb"_s;
const QString kServer = u"/usr/sbin/firebird"_s;
const QString kIsql = u"/usr/bin/isql-fb"_s;
} // namespace

FirebirdServer::FirebirdServer(const QString& root)
    : m_root(root)
{
}

FirebirdServer::~FirebirdServer()
{
    stop();
}

QString FirebirdServer::unavailableReason()
{
    for (const QString& needed : {kEngineRoot, kSecurityDb, kServer, kIsql}) {
        if (!QFileInfo::exists(needed)) {
            return u"missing "_s + needed + u" (install firebird3.0-server and firebird3.0-utils)"_s;
        }
    }
    return {};
}

QString FirebirdServer::host() const
{
    return u"127.0.0.1/"_s + QString::number(m_port);
}

QProcessEnvironment FirebirdServer::environment() const
{
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(u"FIREBIRD"_s, m_root + u"/engine"_s);
    env.insert(u"FIREBIRD_LOCK"_s, m_root + u"/lock"_s);
    env.insert(u"FIREBIRD_TMP"_s, m_root + u"/tmp"_s);
    return env;
}

bool FirebirdServer::run(const QString& program, const QStringList& args, const QByteArray& input)
{
    QProcess process;
    process.setProcessEnvironment(environment());
    process.setProcessChannelMode(QProcess::MergedChannels);
    process.start(program, args);
    if (!process.waitForStarted(10000)) {
        m_error = program + u" did not start"_s;
        return false;
    }
    process.write(input);
    process.closeWriteChannel();
    if (!process.waitForFinished(60000) || process.exitStatus() != QProcess::NormalExit || process.exitCode() != 0) {
        m_error = program + u": "_s + QString::fromLocal8Bit(process.readAll());
        return false;
    }
    const QString output = QString::fromLocal8Bit(process.readAll());
    if (output.contains(u"Statement failed"_s) || output.contains(u"SQLSTATE"_s)) {
        m_error = program + u": "_s + output;
        return false;
    }
    return true;
}

bool FirebirdServer::start(const QString& user, const QString& password)
{
    m_error = unavailableReason();
    if (!m_error.isEmpty()) {
        return false;
    }
    // A free loopback port: let the system pick one, then hand it to the server.
    {
        QTcpServer probe;
        if (!probe.listen(QHostAddress::LocalHost, 0)) {
            m_error = u"no free port"_s;
            return false;
        }
        m_port = probe.serverPort();
    }
    const QString engine = m_root + u"/engine"_s;
    QDir().mkpath(m_root + u"/lock"_s);
    QDir().mkpath(m_root + u"/tmp"_s);
    if (!run(u"cp"_s, {u"-rL"_s, kEngineRoot, engine})) {
        return false;
    }
    const QString security = m_root + u"/security3.fdb"_s;
    QFile::remove(engine + u"/firebird.conf"_s);
    QFile::remove(engine + u"/databases.conf"_s);
    if (!QFile::copy(kSecurityDb, security)) {
        m_error = u"cannot copy the security database"_s;
        return false;
    }
    QFile::setPermissions(security, QFile::ReadOwner | QFile::WriteOwner);
    QFile conf(engine + u"/firebird.conf"_s);
    if (!conf.open(QIODevice::WriteOnly)) {
        m_error = u"cannot write firebird.conf"_s;
        return false;
    }
    conf.write(QStringLiteral("RemoteServicePort = %1\nRemoteBindAddress = 127.0.0.1\nSecurityDatabase = %2\n"
                              "")
                   .arg(m_port)
                   .arg(security)
                   .toUtf8());
    conf.close();
    QFile databases(engine + u"/databases.conf"_s);
    databases.open(QIODevice::WriteOnly);
    databases.close();
    // The user, created through the embedded engine in the security copy.
    const QByteArray sql =
        "create or alter user " + user.toUtf8() + " password '" + password.toUtf8() + "' using plugin Srp;\ncommit;\n";
    if (!run(kIsql, {u"-q"_s, u"-user"_s, u"SYSDBA"_s, security}, sql)) {
        return false;
    }
    m_server = std::make_unique<QProcess>();
    m_server->setProcessEnvironment(environment());
    m_server->setProcessChannelMode(QProcess::MergedChannels);
    m_server->start(kServer, {});
    if (!m_server->waitForStarted(10000)) {
        m_error = u"the server did not start"_s;
        return false;
    }
    const QDeadlineTimer deadline(20000);
    while (!deadline.hasExpired()) {
        QTcpSocket socket;
        socket.connectToHost(QHostAddress::LocalHost, static_cast<quint16>(m_port));
        if (socket.waitForConnected(200)) {
            return true;
        }
        if (m_server->state() == QProcess::NotRunning) {
            m_error = u"the server ended: "_s + QString::fromLocal8Bit(m_server->readAll());
            return false;
        }
        QThread::msleep(50);
    }
    m_error = u"the server does not answer on port "_s + QString::number(m_port);
    return false;
}

void FirebirdServer::stop()
{
    if (m_server && m_server->state() != QProcess::NotRunning) {
        m_server->terminate();
        if (!m_server->waitForFinished(10000)) {
            m_server->kill();
            m_server->waitForFinished(5000);
        }
    }
    m_server.reset();
}
