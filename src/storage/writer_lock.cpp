#include "storage/writer_lock.h"

namespace storage {

QString contentLockPath(const QString& contentPath)
{
    return contentPath + QStringLiteral(".lock");
}

} // namespace storage
