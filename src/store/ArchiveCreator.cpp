#include "store/ArchiveCreator.h"

#include <cstdint>

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLibrary>
#include <QRegularExpression>
#include <QSqlDatabase>
#include <QSqlError>
#include <QSqlQuery>
#include <QUuid>

#include "store/FirebirdEngine.h"
#include "store/SchemaSql.h"
#include "store/TDm_Ldb.h"

using namespace Qt::StringLiterals;

namespace {

// The few entry points of the engine's client library that creating a database
// needs (Qt's driver cannot create one). Declared here because Debian ships the
// library without its header; the types are those of the Firebird 3 API.
using IscStatus = std::intptr_t;
using FbApiHandle = unsigned int;
using ExecuteImmediate =
    IscStatus (*)(IscStatus*, FbApiHandle*, FbApiHandle*, unsigned short, const char*, unsigned short, const void*);
using DetachDatabase = IscStatus (*)(IscStatus*, FbApiHandle*);
using Interpret = int (*)(char*, unsigned int, const IscStatus**);

QString statusText(Interpret interpret, const IscStatus* status)
{
    QStringList parts;
    const IscStatus* cursor = status;
    char buffer[1024];
    while (interpret != nullptr && interpret(buffer, sizeof buffer, &cursor) > 0) {
        parts.append(QString::fromLocal8Bit(buffer));
    }
    return parts.join(u"; "_s);
}

bool createEmptyDatabase(const QString& path, QString* error)
{
    QLibrary client(u"fbclient"_s, 2);
    if (!client.load()) {
        *error = ArchiveCreator::tr("Firebird のクライアントライブラリを読み込めません: ") + client.errorString();
        return false;
    }
    const auto execute = reinterpret_cast<ExecuteImmediate>(client.resolve("isc_dsql_execute_immediate"));
    const auto detach = reinterpret_cast<DetachDatabase>(client.resolve("isc_detach_database"));
    const auto interpret = reinterpret_cast<Interpret>(client.resolve("fb_interpret"));
    if (execute == nullptr || detach == nullptr) {
        *error = ArchiveCreator::tr("Firebird のクライアントライブラリが古すぎます");
        return false;
    }
    // The path is a literal of the statement (CREATE DATABASE takes no
    // parameters); quotes are doubled, so it cannot end the literal.
    QString quoted = path;
    quoted.replace(u'\'', u"''"_s);
    const QByteArray statement = "CREATE DATABASE '" + QFile::encodeName(quoted) + "' USER '"
                                 + TDm_Ldb::userName().toUtf8() + "' PASSWORD '" + TDm_Ldb::password().toUtf8()
                                 + "' PAGE_SIZE 16384 DEFAULT CHARACTER SET UTF8";
    IscStatus status[20] = {};
    FbApiHandle database = 0;
    FbApiHandle transaction = 0;
    execute(status, &database, &transaction, 0, statement.constData(), 3, nullptr);
    if (status[0] == 1 && status[1] != 0) {
        *error = statusText(interpret, status);
        return false;
    }
    IscStatus detachStatus[20] = {};
    detach(detachStatus, &database);
    return true;
}

bool createSchema(const QString& path, QString* error)
{
    const QString name = u"tidewell-create-"_s + QUuid::createUuid().toString(QUuid::WithoutBraces);
    bool ok = true;
    {
        QSqlDatabase db = QSqlDatabase::addDatabase(u"QIBASE"_s, name);
        db.setDatabaseName(path);
        db.setUserName(TDm_Ldb::userName());
        db.setPassword(TDm_Ldb::password());
        db.setConnectOptions(u"ISC_DPB_LC_CTYPE=UTF8"_s);
        if (!db.open()) {
            *error = db.lastError().text();
            ok = false;
        }
        for (const QString& statement : ArchiveCreator::schemaStatements()) {
            if (!ok) {
                break;
            }
            QSqlQuery query(db);
            if (!query.exec(statement)) {
                *error = query.lastError().text();
                ok = false;
            }
        }
        db.close();
    }
    QSqlDatabase::removeDatabase(name);
    return ok;
}

} // namespace

QStringList ArchiveCreator::schemaStatements()
{
    QString text = QString::fromUtf8(kSchemaSql);
    static const QRegularExpression comment(u"--[^\n]*"_s);
    text.remove(comment);
    QStringList result;
    for (const QString& part : text.split(u';')) {
        const QString statement = part.trimmed();
        if (!statement.isEmpty()) {
            result.append(statement);
        }
    }
    return result;
}

bool ArchiveCreator::create(const QString& path, QString* error)
{
    QString ignored;
    QString& reason = error != nullptr ? *error : ignored;
    if (path.trimmed().isEmpty()) {
        reason = tr("DBファイルのパスが空です");
        return false;
    }
    const QFileInfo info(path);
    if (info.exists() || info.isSymLink()) {
        reason = tr("ファイルが既に存在します: ") + path;
        return false;
    }
    if (!info.absoluteDir().exists()) {
        reason = tr("フォルダーがありません: ") + info.absolutePath();
        return false;
    }
    FirebirdEngine::ensureLockFolder();
    const QString absolute = info.absoluteFilePath();
    if (!createEmptyDatabase(absolute, &reason)) {
        return false;
    }
    if (!createSchema(absolute, &reason)) {
        QFile::remove(absolute); // ours, half made
        return false;
    }
    return true;
}
