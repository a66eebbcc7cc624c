#include "app/single_instance.h"

#include <QDir>
#include <QStandardPaths>

namespace app {

SingleInstance::SingleInstance() : m_lock(std::make_unique<QLockFile>(lockFilePath()))
{
    // The program runs for hours: only a dead owner makes the lock stale, never its age.
    m_lock->setStaleLockTime(0);
}

bool SingleInstance::acquire()
{
    return m_lock->tryLock(0);
}

QString SingleInstance::lockFilePath()
{
    QString dir = QStandardPaths::writableLocation(QStandardPaths::RuntimeLocation);
    if (dir.isEmpty())
        dir = QDir::tempPath();
    return dir + QStringLiteral("/VorFJP.lock");
}

} // namespace app
