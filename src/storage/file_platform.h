#pragma once
// What the content file needs from the system beyond reading and writing it: the writers' lock
// (declared in storage/writer_lock.h) and the stamp that tells a new file from the last one
// seen. One implementation per system: file_platform_posix.cpp (flock, stat),
// file_platform_win.cpp (LockFileEx, the file's index and write time).
#include "storage/content_update.h"
#include "storage/writer_lock.h"

#include <QString>

namespace storage {

// The identity, size and modification time of the file at path; every field -1 when it is
// missing. A file put in place by a rename differs from the one it replaced in the identity.
ContentStamp fileStamp(const QString& path);

// The folder the per-user content folder goes in: the user's data folder on Linux
// (~/.local/share), the roaming application data on Windows (%APPDATA%), which follows the user
// from one front-desk PC to the next in a domain.
QString userDataHome();

} // namespace storage
