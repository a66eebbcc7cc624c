#include "storage/writer_lock.h"

#include <QFile>

#ifndef Q_OS_WIN
#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>
#endif

namespace storage {

QString contentLockPath(const QString& contentPath)
{
    return contentPath + QStringLiteral(".lock");
}

WriterLock::WriterLock(const QString& contentPath)
{
#ifndef Q_OS_WIN
    m_fd = ::open(QFile::encodeName(contentLockPath(contentPath)).constData(), O_RDWR | O_CREAT | O_CLOEXEC, 0600);
    if (m_fd >= 0 && ::flock(m_fd, LOCK_EX) != 0) {
        ::close(m_fd);
        m_fd = -1;
    }
#else
    Q_UNUSED(contentPath);
#endif
}

WriterLock::~WriterLock()
{
#ifndef Q_OS_WIN
    if (m_fd >= 0)
        ::close(m_fd); // releases the lock
#endif
}

bool WriterLock::held() const
{
#ifdef Q_OS_WIN
    return true;
#else
    return m_fd >= 0;
#endif
}

} // namespace storage
