#include "store/SemaforeLock.h"

#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

#include <QDir>
#include <QFile>

using namespace Qt::StringLiterals;

SemaforeLock::~SemaforeLock()
{
    release(false);
}

QString SemaforeLock::fileName()
{
    return u"Semafore"_s;
}

bool SemaforeLock::acquire(const QString& folder)
{
    release(false);
    const QString path = QDir(folder).absoluteFilePath(fileName());
    const QByteArray encoded = QFile::encodeName(path);
    const int fd = ::open(encoded.constData(), O_RDWR | O_CREAT | O_CLOEXEC | O_NOFOLLOW, 0644);
    if (fd < 0) {
        return false;
    }
    if (::flock(fd, LOCK_EX | LOCK_NB) != 0) {
        ::close(fd);
        return false;
    }
    m_fd = fd;
    m_path = path;
    return true;
}

void SemaforeLock::release(bool removeFile)
{
    if (m_fd < 0) {
        return;
    }
    if (removeFile) {
        // Removed while still locked, so nobody locks the old file in between.
        QFile::remove(m_path);
    }
    ::close(m_fd);
    m_fd = -1;
    m_path.clear();
}
