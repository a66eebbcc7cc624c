#pragma once
// Runs the commands of one vorfjp-send call and gives its exit status.
#include "cli/command_frames.h"
#include "cli/send_options.h"

#include <QString>
#include <QTextStream>

namespace cli {

// Frames and answers for scripts go to out (stable English: "device N", hex lines), messages to
// err. socketPath is where a running window lends its port.
// --list-ports: the serial ports the machine has, as the window's port list offers them, one a
// line: path, a tab, the adapter's description (empty when it gives none).
int listPorts(QTextStream& out);

int runSend(const SendOptions& options, const QString& socketPath, const WeatherDrawing& weather, QTextStream& out,
            QTextStream& err);

} // namespace cli
