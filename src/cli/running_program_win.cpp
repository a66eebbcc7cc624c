#include "cli/weather_loader.h"

#include <QDir>
#include <QFileInfo>

#include <windows.h>

#include <vector>

namespace cli {

QString runningProgramDir()
{
    // The buffer grows until the whole path fits (long paths may exceed MAX_PATH).
    std::vector<wchar_t> path(MAX_PATH);
    for (;;) {
        const DWORD length = GetModuleFileNameW(nullptr, path.data(), DWORD(path.size()));
        if (length == 0)
            return {};
        if (length < path.size())
            return QFileInfo(QDir::fromNativeSeparators(QString::fromWCharArray(path.data(), int(length)))).path();
        path.resize(path.size() * 2);
    }
}

} // namespace cli
