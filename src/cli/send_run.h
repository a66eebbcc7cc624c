#pragma once
// Runs the commands of one vorfjp-send call through the board session and gives its exit status.
#include "board/board_engine.h"
#include "cli/send_options.h"
#include "cli/weather_loader.h"

#include <QString>
#include <QTextStream>

namespace cli {

// --list-ports: the serial ports the machine has, as the window's port list offers them, one a
// line: path, a tab, the adapter's description (empty when it gives none).
int listPorts(QTextStream& out);

// Draws with the module a weather run loaded, or says why it cannot: the module is missing, or
// no fitting font is installed.
board::WeatherDrawing weatherDrawing(const WeatherModuleLoad& weather);

// Frames and answers for scripts go to out (stable English: "device N", hex lines), messages to
// err in the user's language. socketPath is where a running window lends its port; draw draws
// the weather text (or says why it cannot). Runs the application's event loop until the
// commands are through and the port's session has ended; a dry run only builds the frames.
int runSend(const SendOptions& options, const QString& socketPath, const board::WeatherDrawing& draw, QTextStream& out,
            QTextStream& err);

} // namespace cli
