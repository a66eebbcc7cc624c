#include "app/single_instance.h"

#include "storage/app_name.h"

#include <QDir>
#include <QStandardPaths>

namespace app {

QString SingleInstance::lockFilePath()
{
    QString dir = QStandardPaths::writableLocation(QStandardPaths::RuntimeLocation);
    if (dir.isEmpty())
        dir = QDir::tempPath();
    return dir + u'/' + QString::fromUtf16(storage::kApplicationName) + QStringLiteral(".lock");
}

} // namespace app
