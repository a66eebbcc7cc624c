#pragma once

// The command line of boardsim.

#include <QString>
#include <QStringList>
#include <QtGlobal>

#include <optional>

namespace boardsim {

inline constexpr quint8 kDefaultDeviceId = 1;

struct Options {
    QString device;          // serial device to serve; empty with pty
    bool pty = false;        // create a pseudo-terminal pair instead
    QString listenHost;      // with a listen port: the address to listen on
    std::optional<quint16> listenPort; // serve raw TCP instead; 0 takes a free port
    QString link;            // with pty: keep a symbolic link to the slave here
    quint8 deviceId = kDefaultDeviceId;
    QString contentFile;     // board content file giving the areas and names
    bool headless = false;   // JSON lines on standard output, no window
};

struct ParsedOptions {
    Options options;
    QString error;           // empty when the command line is usable
};

// "[HOST:]PORT" of --listen; HOST may be [IPv6]. The host is 127.0.0.1 when left out.
struct ListenAddress {
    QString host;
    quint16 port = 0;
};
std::optional<ListenAddress> parseListenAddress(const QString& text);

// arguments as the program received them, program name first. --help prints the
// usage and ends the process.
ParsedOptions parseOptions(const QStringList& arguments);

// True when the arguments ask for no window (--headless), or only for the help or the version,
// which must print without a display; looked at before any application object exists.
bool wantsHeadless(int argc, char** argv);

} // namespace boardsim
