#pragma once
// The board engine: every front end (the window, vorfjp-send, vorfjp-web) asks it for a command
// and turns the outcome into its own words. It owns the chain from the content to the line:
//   - the area check of the content file's display areas (before any port is opened);
//   - building each command's frames from the content and the device number;
//   - the weather order: the temperatures, the pause, then the weather dots drawn from the text
//     as it is after the pause (the temperatures never wait for the drawing);
//   - which sends rewrite the content file: rooms, rates and weather, once their frames went
//     out; never the clock or the connection test;
//   - the outcome.
// The front end supplies where the frames go (BoardPort), the content with the device number as
// it stands at each step (DraftSource), the pause, the clock, the drawing and the saving.
//
// Example, a front end's room-rate button:
//   const board::Outcome outcome = engine.run(board::Command::Rooms, [&] { return board::Draft{fields(), id}; });
//   if (!outcome.ok()) tell(outcome.problem());
#include "board/board_port.h"
#include "board/command.h"
#include "board/outcome.h"
#include "protocol/dot_matrix.h"
#include "protocol/frame.h"
#include "storage/board_content.h"
#include "storage/content_update.h"

#include <QDateTime>
#include <QString>

#include <chrono>
#include <functional>
#include <optional>

namespace board {

inline constexpr std::chrono::milliseconds kWeatherPause {1000};
// How long a sender that waits for the board's answer to the connection test waits, unless it
// is told otherwise.
inline constexpr std::chrono::milliseconds kAnswerWait {2000};

struct Draft {
    storage::BoardContent content;
    quint8 deviceId = protocol::kEveryDevice;
};

// The content and the device number as they stand now; nullopt when the sender that asked is no
// longer there to send for (the weather send then ends after its pause, silently).
using DraftSource = std::function<std::optional<Draft>()>;

// The weather text's dots; without them, why the drawing module did not load (the system's
// detail), empty when it loaded but no font fits.
struct Drawn {
    std::optional<protocol::DotMatrix> dots;
    QString unloadable;
};
using WeatherDrawing = std::function<Drawn(const QString& text)>;

struct EngineSetup {
    std::function<QDateTime()> clock;
    WeatherDrawing draw;
    // The weather pause: returns after the time while the owner's events go on being handled.
    std::function<void(std::chrono::milliseconds)> pause;
    // test: how long to wait for the board's answer; nullopt: the answer comes as the owner's
    // receive event (the window).
    std::optional<std::chrono::milliseconds> answerWait;
    // Rewrites the content file after rooms, rates and weather with the content that was sent;
    // gives the file as it stands afterwards.
    std::function<storage::UpdateResult(const storage::BoardContent& sent)> save;
};

class BoardEngine {
public:
    BoardEngine(BoardPort& port, EngineSetup setup);

    Outcome run(Command command, const DraftSource& draft);

    // The first half of the weather send on its own: the temperature frame of the draft's area,
    // sent to a port that is open already.
    Outcome sendTemperatures(const Draft& draft);

    // A run is in progress (it may be in the weather pause, with other events handled meanwhile).
    bool running() const { return m_running > 0; }

private:
    Outcome runCommand(Command command, const DraftSource& draft);
    Outcome sendContent(Command command, const Draft& draft);
    Outcome sendWeather(const DraftSource& draft, const Draft& first);
    Outcome saved(const Draft& draft);

    BoardPort& m_port;
    EngineSetup m_setup;
    int m_running = 0;
};

// The area check alone, for front ends that check content before they ask for a send.
std::optional<AreaUnusable> checkArea(const storage::BoardContent& content, storage::Area area);

// The area each content command writes to.
storage::Area areaOf(Command command);

} // namespace board
