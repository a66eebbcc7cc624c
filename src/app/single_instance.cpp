#include "app/single_instance.h"

#include "storage/app_name.h"

#include <QByteArray>
#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QStandardPaths>

#ifdef Q_OS_WIN
// The Windows branch is not built on the project's Linux machines.
#include <windows.h>
#else
#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>
#endif

namespace app {

#ifdef Q_OS_WIN

// A named mutex in the session's namespace; the system drops it with the last handle.
SingleInstance::~SingleInstance()
{
    if (m_handle)
        ::CloseHandle(m_handle);
}

bool SingleInstance::acquire()
{
    if (m_handle)
        return true;
    const QString name = QStringLiteral("Local\\") + QString::fromUtf16(storage::kApplicationName);
    HANDLE handle = ::CreateMutexW(nullptr, FALSE, reinterpret_cast<LPCWSTR>(name.utf16()));
    if (!handle)
        return true; // without a mutex, running twice beats not running at all
    if (::GetLastError() == ERROR_ALREADY_EXISTS) {
        ::CloseHandle(handle);
        return false;
    }
    m_handle = handle;
    return true;
}

#else

SingleInstance::~SingleInstance()
{
    if (m_fd >= 0)
        ::close(m_fd);
}

bool SingleInstance::acquire()
{
    if (m_fd >= 0)
        return true;
    const QByteArray path = QFile::encodeName(lockFilePath());
    const int fd = ::open(path.constData(), O_RDWR | O_CREAT | O_CLOEXEC, 0600);
    if (fd < 0)
        return true; // without a place for the lock, running twice beats not running at all
    if (::flock(fd, LOCK_EX | LOCK_NB) != 0) {
        ::close(fd);
        return false;
    }
    m_fd = fd;
    const QByteArray pid = QByteArray::number(QCoreApplication::applicationPid()) + '\n';
    if (::ftruncate(fd, 0) == 0)
        (void)!::write(fd, pid.constData(), size_t(pid.size()));
    return true;
}

#endif

QString SingleInstance::lockFilePath()
{
    QString dir = QStandardPaths::writableLocation(QStandardPaths::RuntimeLocation);
    if (dir.isEmpty())
        dir = QDir::tempPath();
    return dir + u'/' + QString::fromUtf16(storage::kApplicationName) + QStringLiteral(".lock");
}

} // namespace app
