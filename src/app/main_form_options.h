#pragma once
#include "raster/weather_font.h"

#include <QDateTime>
#include <QString>

#include <functional>

namespace app {

// What the main window takes from outside: where the board content file lies, where the time
// comes from (the local clock in the program, a fixed one in tests) and which font draws the
// weather text (the installed one in the program; tests try a machine without one), and where it
// shares its port.
// An empty function stands for the program's choice.
struct MainFormOptions {
    QString contentFilePath;
    std::function<QDateTime()> clock;
    std::function<raster::WeatherFont()> weatherFont{};
    // Where the window lends its open port to the user's other programs (vorfjp-send); empty:
    // it lends it to none.
    QString lineSocketPath{};
};

} // namespace app
