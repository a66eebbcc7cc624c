#pragma once
// Finds vorfjp-send's weather drawing module: beside the program (the build tree), then in the
// program's private library folder (an installed tree, under whatever prefix it was put).
#include "weatherdraw/weather_module.h"

#include <QLibrary>
#include <QString>

namespace cli {

struct WeatherModuleLoad {
    const weatherdraw::Module* module = nullptr; // null: see problem
    QString problem;                             // each file tried and why it was refused
};

// library holds the module loaded; it must outlive every use of the module, the application the
// module made among them.
WeatherModuleLoad loadWeatherModule(QLibrary& library, const QString& programDir);

// The running program's folder, known before any application exists: what the system says of the
// running program (running_program_linux.cpp: /proc/self/exe; running_program_win.cpp: the
// module file name). Example: "/usr/bin" for /usr/bin/vorfjp-send.
QString runningProgramDir();

} // namespace cli
