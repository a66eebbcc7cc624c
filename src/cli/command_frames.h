#pragma once
// The frames of each command, built from the board content exactly as the window builds them.
#include "cli/send_options.h"
#include "protocol/dot_matrix.h"
#include "storage/board_content.h"

#include <QByteArray>
#include <QDateTime>
#include <QString>

#include <functional>
#include <optional>
#include <vector>

namespace cli {

struct CommandFrames {
    std::vector<QByteArray> frames; // in sending order; empty when the command cannot be sent
    int status = 0;                 // an ExitStatus when frames is empty
    QString message;                // why, for the user
};

// Whether the command needs the board content file.
bool needsContent(Command command);

// How the weather text becomes the board's dots.
struct WeatherDrawing {
    // The dots of a text, empty when no fitting font is installed. Unset when the drawing module
    // could not be loaded: then unavailable says why.
    std::function<std::optional<protocol::DotMatrix>(const QString& text)> draw;
    QString unavailable;
};

// content may be null for the commands that need none; weather is used by the weather command only.
CommandFrames framesFor(Command command, const storage::BoardContent* content, quint8 deviceId,
                        const QDateTime& now, const WeatherDrawing& weather);

} // namespace cli
