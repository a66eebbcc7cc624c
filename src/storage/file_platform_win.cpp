#include "storage/file_platform.h"

#include <QDir>
#include <QStandardPaths>

#include <windows.h>

#include <string>

namespace storage {

namespace {

std::wstring nativePath(const QString& path)
{
    return QDir::toNativeSeparators(path).toStdWString();
}

} // namespace

WriterLock::WriterLock(const QString& lockPath)
{
    // Shared for reading and writing, so that every writer can open it and wait in LockFileEx.
    HANDLE file = ::CreateFileW(nativePath(lockPath).c_str(), GENERIC_READ | GENERIC_WRITE,
                                FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr, OPEN_ALWAYS,
                                FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE)
        return;
    OVERLAPPED whole {};
    if (!::LockFileEx(file, LOCKFILE_EXCLUSIVE_LOCK, 0, MAXDWORD, MAXDWORD, &whole)) {
        ::CloseHandle(file);
        return;
    }
    m_handle = reinterpret_cast<qintptr>(file);
}

WriterLock::~WriterLock()
{
    if (held())
        ::CloseHandle(reinterpret_cast<HANDLE>(m_handle)); // releases the lock
}

ContentStamp fileStamp(const QString& path)
{
    // Opened for no access at all: another program's open of the file is not disturbed.
    HANDLE file = ::CreateFileW(nativePath(path).c_str(), 0, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                nullptr, OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr);
    if (file == INVALID_HANDLE_VALUE)
        return {};
    BY_HANDLE_FILE_INFORMATION info {};
    const bool known = ::GetFileInformationByHandle(file, &info);
    ::CloseHandle(file);
    if (!known)
        return {};
    const auto join = [](DWORD high, DWORD low) { return qint64((quint64(high) << 32) | low); };
    // The write time counts 100 ns ticks.
    return {join(info.nFileIndexHigh, info.nFileIndexLow), join(info.nFileSizeHigh, info.nFileSizeLow),
            join(info.ftLastWriteTime.dwHighDateTime, info.ftLastWriteTime.dwLowDateTime) * 100};
}

QString userDataHome()
{
    const QString roaming = qEnvironmentVariable("APPDATA");
    if (!roaming.isEmpty())
        return QDir::fromNativeSeparators(roaming);
    return QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation);
}

} // namespace storage
