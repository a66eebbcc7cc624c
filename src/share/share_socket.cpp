#include "share/share_socket.h"

#include "storage/app_name.h"

#include <QDir>
#include <QStandardPaths>

namespace share {

QString shareSocketPath()
{
    QString dir = QStandardPaths::writableLocation(QStandardPaths::RuntimeLocation);
    if (dir.isEmpty())
        dir = QDir::tempPath();
    return dir + QLatin1Char('/') + QString::fromUtf16(storage::kApplicationName) + QStringLiteral(".line");
}

} // namespace share
