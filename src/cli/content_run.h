#pragma once
// vorfjp-send show and set: the content file as JSON, and checked changes to it under the
// writers' lock (storage/content_update.h).
#include "cli/send_options.h"

#include <QString>
#include <QTextStream>

#include <optional>

namespace cli {

// The content file of the call: --content, or the one the window uses, so that both programs
// keep to one file. Says why on err when there is none.
std::optional<QString> contentPathFor(const SendOptions& options, QTextStream& err);

// Prints the content as one JSON object; 65 when the file cannot be used.
int runShow(const SendOptions& options, QTextStream& out, QTextStream& err);

// Applies the changes (KEY=VALUE, then --json) in one write, or none of them: each bad value is
// named on err and the call ends with 65 (an unknown key on the command line: 64). A weather
// text wider than the board's matrix is written with a warning of what the board shows of it.
int runSet(const SendOptions& options, QTextStream& err);

} // namespace cli
