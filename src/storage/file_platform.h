#pragma once
// The two things the content file needs from the system beyond reading and writing it: the
// writers' lock and the stamp that tells a new file from the last one seen. One implementation
// per system: file_platform_posix.cpp (flock, stat), file_platform_win.cpp (LockFileEx, the
// file's index and write time).
#include "storage/content_update.h"

#include <QString>

namespace storage {

// Holds an exclusive lock on lockPath (created when missing, never removed) for as long as it
// lives, waiting for another holder to let go. The system drops the lock when the holder ends in
// any way. held() is false when the file cannot be made or locked: nothing may then be written.
//   const WriterLock lock(contentLockPath(path));
//   if (!lock.held()) return failure;
class WriterLock {
public:
    explicit WriterLock(const QString& lockPath);
    ~WriterLock();
    WriterLock(const WriterLock&) = delete;
    WriterLock& operator=(const WriterLock&) = delete;

    bool held() const { return m_handle != kNone; }

private:
    static constexpr qintptr kNone = -1;
    qintptr m_handle = kNone; // a file descriptor, or a Windows file handle
};

// The identity, size and modification time of the file at path; every field -1 when it is
// missing. A file put in place by a rename differs from the one it replaced in the identity.
ContentStamp fileStamp(const QString& path);

// The folder the per-user content folder goes in: the user's data folder on Linux
// (~/.local/share), the roaming application data on Windows (%APPDATA%), which follows the user
// from one front-desk PC to the next in a domain.
QString userDataHome();

} // namespace storage
