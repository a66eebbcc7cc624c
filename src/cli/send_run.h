#pragma once
// Runs the commands of one vorfjp-send call through the board engine and gives its exit status.
#include "board/board_engine.h"
#include "cli/send_options.h"
#include "cli/weather_loader.h"

#include <QString>
#include <QTextStream>

namespace cli {

// --list-ports: the serial ports the machine has, as the window's port list offers them, one a
// line: path, a tab, the adapter's description (empty when it gives none).
int listPorts(QTextStream& out);

// Frames and answers for scripts go to out (stable English: "device N", hex lines), messages to
// err in the user's language. socketPath is where a running window lends its port; draw draws
// the weather text (or says why it cannot).
// Draws with the module a weather run loaded, or says why it cannot: the module is missing, or
// no fitting font is installed.
board::WeatherDrawing weatherDrawing(const WeatherModuleLoad& weather);

int runSend(const SendOptions& options, const QString& socketPath, const board::WeatherDrawing& draw, QTextStream& out,
            QTextStream& err);

} // namespace cli
