#pragma once
// The frames of each command, built from the board content exactly as the window builds them.
#include "cli/send_options.h"
#include "raster/weather_font.h"
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

// content may be null for the commands that need none. The weather's dot frame is drawn with
// weatherFont, which needs a QGuiApplication.
CommandFrames framesFor(Command command, const storage::BoardContent* content, quint8 deviceId,
                        const QDateTime& now, const std::function<raster::WeatherFont()>& weatherFont);

} // namespace cli
