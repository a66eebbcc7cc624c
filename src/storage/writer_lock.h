#pragma once
// The writers' lock of a content file and the files that belong to it (the schedule beside it):
// an exclusive flock() on "<content file>.lock", held for as long as a WriterLock lives. Every
// writer takes it from reading the file as it stands to putting the new one in place; readers
// need none, since each file is only ever replaced whole.
//
//   const storage::WriterLock lock(contentPath);
//   if (!lock.held()) ...;  // the lock file could not be made: the folder is not writable
#include <QString>

namespace storage {

// "<content file>.lock"
QString contentLockPath(const QString& contentPath);

class WriterLock {
public:
    explicit WriterLock(const QString& contentPath); // waits for the lock
    ~WriterLock();
    WriterLock(const WriterLock&) = delete;
    WriterLock& operator=(const WriterLock&) = delete;

    bool held() const;

private:
    int m_fd = -1;
};

} // namespace storage
