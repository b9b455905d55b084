#include "app/core/FolderTree.h"

#include <QDir>
#include <QFileInfo>

bool FolderTree::remove(const QString& path)
{
    if (path.isEmpty()) {
        return true;
    }
    const QFileInfo info(path);
    if (!info.exists() && !info.isSymLink()) {
        return true;
    }
    if (info.isSymLink() || !info.isDir()) {
        // Never follow a link out of the folder we own.
        return QFile::remove(path);
    }
    QDir(path).removeRecursively();
    return !QFileInfo::exists(path);
}
