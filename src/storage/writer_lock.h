#pragma once
// The writers' lock of a content file and the files that belong to it (the schedule beside it):
// an exclusive lock on "<content file>.lock", held for as long as a WriterLock lives. Every
// writer takes it from reading the file as it stands to putting the new one in place; readers
// need none, since each file is only ever replaced whole. The system's side is in
// file_platform_posix.cpp (flock) and file_platform_win.cpp (LockFileEx).
//
//   const storage::WriterLock lock(storage::contentLockPath(contentPath));
//   if (!lock.held()) ...;  // the lock file could not be made: the folder is not writable
#include <QString>
#include <QtGlobal>

namespace storage {

// "<content file>.lock"
QString contentLockPath(const QString& contentPath);

// Holds an exclusive lock on lockPath (created when missing, never removed) for as long as it
// lives, waiting for another holder to let go. The system drops the lock when the holder ends in
// any way. held() is false when the file cannot be made or locked: nothing may then be written.
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

} // namespace storage
