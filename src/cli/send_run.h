#pragma once
// Runs the commands of one vorfjp-send call and gives its exit status.
#include "cli/send_options.h"

#include <QString>
#include <QTextStream>

namespace cli {

// Frames and answers for scripts go to out (stable English: "device N", hex lines), messages to
// err. socketPath is where a running window lends its port.
int runSend(const SendOptions& options, const QString& socketPath, QTextStream& out, QTextStream& err);

} // namespace cli
