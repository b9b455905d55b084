#include "store/FirebirdEngine.h"

#include <QDir>
#include <QFileInfo>
#include <QStandardPaths>

using namespace Qt::StringLiterals;

QString FirebirdEngine::engineFolderName()
{
    return u"FB5(x64)"_s;
}

QString FirebirdEngine::perUserLockFolder()
{
    QString base = QStandardPaths::writableLocation(QStandardPaths::GenericCacheLocation);
    if (base.isEmpty()) {
        base = QDir::homePath() + u"/.cache"_s;
    }
    return base + u"/Kestrelon/firebird-lock"_s;
}

QString FirebirdEngine::ensureLockFolder()
{
    if (!qEnvironmentVariableIsEmpty("FIREBIRD_LOCK")) {
        return qEnvironmentVariable("FIREBIRD_LOCK");
    }
    const QString folder = perUserLockFolder();
    QDir().mkpath(folder);
    QFile::setPermissions(folder, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    qputenv("FIREBIRD_LOCK", QFile::encodeName(folder));
    return folder;
}

QString FirebirdEngine::applyClientFolder(const QString& workingFolder)
{
    const QString folder = QDir(workingFolder).absoluteFilePath(engineFolderName());
    if (!QFileInfo(folder).isDir() || !qEnvironmentVariableIsEmpty("FIREBIRD")) {
        return {};
    }
    qputenv("FIREBIRD", QFile::encodeName(folder));
    return folder;
}

QString FirebirdEngine::gfixPath(const QString& programFolder)
{
    const QString own = QDir(programFolder).absoluteFilePath(engineFolderName() + u"/gfix"_s);
    if (QFileInfo(own).isFile()) {
        return own;
    }
    const QString system = QStandardPaths::findExecutable(u"gfix"_s);
    return system.isEmpty() ? u"gfix"_s : system;
}

void FirebirdEngine::prepare(const QString& workingFolder)
{
    applyClientFolder(workingFolder);
    ensureLockFolder();
}
