#pragma once
#include <QDateTime>
#include <QString>

#include <functional>

namespace app {

// What the main window takes from outside: where the board content file lies and where the
// time comes from (the local clock in the program, a fixed one in tests).
struct MainFormOptions {
    QString contentFilePath;
    std::function<QDateTime()> clock;
};

} // namespace app
