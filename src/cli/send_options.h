#pragma once
// The command line of vorfjp-send:
//   vorfjp-send [--port PORT] [--device N] [--content FILE] [--timeout MS] [--dry-run] COMMAND...
//   vorfjp-send [--content FILE] show
//   vorfjp-send [options] set [--json FILE|-] [KEY=VALUE...] [COMMAND...]
//   vorfjp-send --list-ports
#include "board/board_engine.h"
#include "board/command.h"

#include <QCommandLineParser>
#include <QString>
#include <QStringList>

#include <optional>
#include <vector>

namespace cli {

// How long test waits for the board's answer unless --timeout says otherwise.
inline constexpr int kDefaultTimeoutMs = int(board::kAnswerWait.count());

// What the call is for: sending, printing the content, or changing it (and then sending).
enum class Mode { Send, Show, Set };

inline constexpr auto kShowWord = "show";
inline constexpr auto kSetWord = "set";

struct SendOptions {
    Mode mode = Mode::Send;
    QStringList pairs;                 // set: KEY=VALUE, as given
    std::optional<QString> jsonFile;   // set --json: a file, or "-" for standard input
    std::optional<QString> port; // without it, the window's saved choice
    quint8 deviceId = 0;
    std::optional<QString> contentFile; // without it, the one the window uses
    int timeoutMs = 0;
    bool dryRun = false;
    bool listPorts = false; // list the machine's ports instead of sending
    std::vector<board::Command> commands;
};

struct ParsedCommandLine {
    std::optional<SendOptions> options; // empty: see error, or help/version was asked for
    QString error;                      // for the user, in their language; empty with help/version
    bool helpAsked = false;
    bool versionAsked = false;
};

// Declares every option on parser (so that --help lists them) and reads arguments (the first one
// the program's name). The device number follows the window's field: accepted exactly when the
// field would keep the text as typed (0 to 255, blanks around, a fraction rounded).
ParsedCommandLine parseCommandLine(QCommandLineParser& parser, const QStringList& arguments);

// Whether the run draws the weather text, the only work that needs a QGuiApplication (fonts):
// every other run starts without the platform plugin and the font configuration.
bool drawsWeather(const SendOptions& options);

} // namespace cli
