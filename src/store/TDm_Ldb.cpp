#include "store/TDm_Ldb.h"

#include <QDir>
#include <QFileInfo>
#include <QProcess>
#include <QSaveFile>
#include <QSqlError>
#include <QSqlQuery>
#include <QTcpSocket>

#include "app/core/Delay.h"
#include "store/ArchiveCreator.h"
#include "store/FirebirdEngine.h"
#include "store/MessageListModel.h"

using namespace Qt::StringLiterals;

TDm_Ldb::TDm_Ldb(const Options& options, QObject* parent)
    : QObject(parent)
    , m_options(options)
    , m_title(ConnectionTarget::plainTitle())
    , m_list(std::make_unique<MessageListModel>())
{
    // Before the first connection of the process: engine folder and lock folder.
    FirebirdEngine::prepare(m_options.workingFolder.isEmpty() ? QDir::currentPath() : m_options.workingFolder);
    QSqlDatabase db = QSqlDatabase::addDatabase(u"QIBASE"_s, m_options.connectionName);
    db.setUserName(userName());
    db.setPassword(password());
    db.setConnectOptions(u"ISC_DPB_LC_CTYPE=UTF8"_s);
}

TDm_Ldb::~TDm_Ldb()
{
    m_list.reset();
    {
        QSqlDatabase db = database();
        if (db.isOpen()) {
            db.close();
        }
    }
    QSqlDatabase::removeDatabase(m_options.connectionName);
}

QString TDm_Ldb::userName()
{
    return u"kestrelon"_s;
}

QString TDm_Ldb::password()
{
    return u"pelwinor"_s;
}

QString TDm_Ldb::titleFileName()
{
    return u"$FormTitle.txt"_s;
}

QString TDm_Ldb::defaultArchiveName()
{
    return u"Tidewell.fdb"_s;
}

bool TDm_Ldb::adoptDefaultArchive(QString& host, QString& path, const QString& dataFolder, QString* error)
{
    if (!path.trimmed().isEmpty()) {
        return true;
    }
    QDir().mkpath(dataFolder);
    const QString file = QDir(dataFolder).absoluteFilePath(defaultArchiveName());
    if (!QFileInfo::exists(file) && !ArchiveCreator::create(file, error)) {
        return false;
    }
    host.clear();
    path = file;
    return true;
}

void TDm_Ldb::setTarget(const QString& host, const QString& path)
{
    m_host = host;
    m_path = path;
}

void TDm_Ldb::acquireLock()
{
    m_embFlg = m_host.isEmpty();
    // Only the embedded engine with an empty host uses the lock file: a host
    // (even "localhost") names a file that may not be on this machine, and a
    // lock taken then would never be released at exit.
    if (!m_embFlg || m_path.isEmpty() || !QFileInfo(m_path).isFile()) {
        return;
    }
    m_lock.acquire(QFileInfo(m_path).absolutePath());
}

void TDm_Ldb::releaseLock()
{
    if (m_embFlg && m_lock.isHeld()) {
        m_lock.release(true);
    }
}

QSqlDatabase TDm_Ldb::database() const
{
    return QSqlDatabase::database(m_options.connectionName, false);
}

bool TDm_Ldb::isConnected() const
{
    return database().isOpen();
}

void TDm_Ldb::setConnectedState(bool open)
{
    Q_EMIT connectionChanged(open);
}

void TDm_Ldb::setTitle(const QString& title)
{
    if (m_title != title) {
        m_title = title;
        Q_EMIT titleChanged(title);
    }
}

bool TDm_Ldb::writeTitleFile() const
{
    if (m_options.dataFolder.isEmpty()) {
        return false;
    }
    QSaveFile file(QDir(m_options.dataFolder).absoluteFilePath(titleFileName()));
    if (!file.open(QIODevice::WriteOnly)) {
        return false;
    }
    file.write(m_title.toUtf8());
    return file.commit();
}

bool TDm_Ldb::applyConnectionTarget()
{
    m_target = ConnectionTarget(m_host, m_path);
    QSqlDatabase db = database();
    db.setDatabaseName(m_target.databaseName());
    if (m_target.path().isEmpty()) {
        m_lastError = tr("DBファイルが設定されていません");
        return false;
    }
    setTitle(m_target.title());
    return true;
}

bool TDm_Ldb::openConnection()
{
    QSqlDatabase db = database();
    if (db.isOpen()) {
        return true;
    }
    // The embedded engine would create nothing here, but it reports a missing
    // file in words that name the engine's internals; say it plainly instead.
    if (m_target.isEmbedded() && !QFileInfo(m_target.path()).isFile()) {
        m_lastError = tr("DBファイルがありません: ") + m_target.path();
        return false;
    }
    // A server that does not answer would hold the window for the engine's
    // own connect timeout (minutes); ask its port first, briefly.
    if (!m_target.isEmbedded() && !serverAnswers()) {
        m_lastError = tr("サーバーが応答しません: ") + m_target.host();
        return false;
    }
    if (!db.open()) {
        m_lastError = db.lastError().text();
        return false;
    }
    return true;
}

bool TDm_Ldb::serverAnswers() const
{
    // "host" or "host/port"; the engine's service port is 3050 unless given.
    const QString host = m_target.host();
    const qsizetype slash = host.lastIndexOf(u'/');
    QString name = slash < 0 ? host : host.left(slash);
    bool ok = true;
    const int port = slash < 0 ? 3050 : host.mid(slash + 1).toInt(&ok);
    if (!ok || port <= 0 || port > 65535) {
        return true; // a service name: leave it to the engine
    }
    if (name.startsWith(u'[') && name.endsWith(u']')) {
        name = name.mid(1, name.size() - 2);
    }
    QTcpSocket socket;
    socket.connectToHost(name, static_cast<quint16>(port));
    return socket.waitForConnected(m_options.serverTimeoutMs);
}

void TDm_Ldb::closeConnection()
{
    m_list->close();
    QSqlDatabase db = database();
    if (db.isOpen()) {
        db.close();
    }
}

std::optional<TDm_Ldb::OdsVersion> TDm_Ldb::odsVersion() const
{
    QSqlQuery query(database());
    query.setForwardOnly(true);
    if (!query.exec(u"SELECT MON$ODS_MAJOR, MON$ODS_MINOR FROM MON$DATABASE"_s) || !query.next()) {
        return std::nullopt;
    }
    return OdsVersion{query.value(0).toInt(), query.value(1).toInt()};
}

bool TDm_Ldb::create()
{
    closeConnection();
    setConnectedState(false);
    const bool targetOk = applyConnectionTarget();
    bool ok = openConnection();
    if (ok) {
        setConnectedState(true);
        const std::optional<OdsVersion> version = odsVersion();
        if (!version) {
            ok = false;
        } else if (*version == m_options.previousGeneration) {
            closeConnection();
            setConnectedState(false);
            upgrade();
            ok = openConnection();
            setConnectedState(ok);
        }
    }
    if (!ok) {
        closeConnection();
        setConnectedState(false);
        setTitle(ConnectionTarget::plainTitle());
    }
    if (targetOk) {
        writeTitleFile();
    }
    return ok;
}

QString TDm_Ldb::gfixProgram() const
{
    if (!m_options.gfixProgram.isEmpty()) {
        return m_options.gfixProgram;
    }
    return FirebirdEngine::gfixPath(m_options.programFolder);
}

QStringList TDm_Ldb::upgradeArguments() const
{
    return {u"-upgrade"_s, m_path, u"-user"_s, u"sysdba"_s, u"-pass"_s, u"quaxbrine"_s};
}

bool TDm_Ldb::upgrade()
{
    QProcess process;
    process.setProcessChannelMode(QProcess::MergedChannels);
    m_terminateState = false;
    bool failed = false;
    connect(&process, &QProcess::finished, this, [this, &failed](int exitCode, QProcess::ExitStatus status) {
        failed = exitCode != 0 || status != QProcess::NormalExit;
        m_terminateState = true;
    });
    // A tool that cannot start never finishes; that ends the wait as well.
    connect(&process, &QProcess::errorOccurred, this, [this, &failed](QProcess::ProcessError error) {
        if (error == QProcess::FailedToStart) {
            failed = true;
            m_terminateState = true;
        }
    });
    process.start(gfixProgram(), upgradeArguments());
    while (!m_terminateState) {
        Delay::wait(10);
    }
    if (failed) {
        m_lastError = tr("gfix の実行に失敗しました: ") + QString::fromLocal8Bit(process.readAll()).trimmed();
    }
    return !failed;
}

bool TDm_Ldb::connectionCheck(const QString& host, const QString& path)
{
    setTarget(host, path);
    closeConnection();
    setConnectedState(false);
    applyConnectionTarget();
    writeTitleFile();
    const bool ok = openConnection();
    closeConnection();
    return ok;
}

bool TDm_Ldb::openList()
{
    if (!m_list->open(database())) {
        m_lastError = m_list->lastError();
        return false;
    }
    return true;
}

void TDm_Ldb::closeList()
{
    m_list->close();
}

bool TDm_Ldb::isListOpen() const
{
    return m_list->isOpen();
}
