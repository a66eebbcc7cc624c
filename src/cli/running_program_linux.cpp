#include "cli/weather_loader.h"

#include <QFileInfo>

namespace cli {

QString runningProgramDir()
{
    return QFileInfo(QFileInfo(QStringLiteral("/proc/self/exe")).canonicalFilePath()).path();
}

} // namespace cli
