#include "storage/file_platform.h"

#include <QFile>
#include <QStandardPaths>

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

namespace storage {

WriterLock::WriterLock(const QString& lockPath)
{
    const int fd = ::open(QFile::encodeName(lockPath).constData(), O_RDWR | O_CREAT | O_CLOEXEC, 0600);
    if (fd < 0)
        return;
    if (::flock(fd, LOCK_EX) != 0) {
        ::close(fd);
        return;
    }
    m_handle = fd;
}

WriterLock::~WriterLock()
{
    if (held())
        ::close(int(m_handle)); // releases the lock
}

ContentStamp fileStamp(const QString& path)
{
    struct stat file {};
    if (::stat(QFile::encodeName(path).constData(), &file) != 0)
        return {};
    return {qint64(file.st_ino), qint64(file.st_size), qint64(file.st_mtim.tv_sec) * 1000000000 + file.st_mtim.tv_nsec};
}

QString userDataHome()
{
    return QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation);
}

} // namespace storage
