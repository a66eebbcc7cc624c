#pragma once

// The command line of boardsim.

#include <QString>
#include <QStringList>
#include <QtGlobal>

namespace boardsim {

inline constexpr quint8 kDefaultDeviceId = 1;

struct Options {
    QString device;          // serial device to serve; empty with pty
    bool pty = false;        // create a pseudo-terminal pair instead
    QString link;            // with pty: keep a symbolic link to the slave here
    quint8 deviceId = kDefaultDeviceId;
    QString contentFile;     // board content file giving the areas and names
    bool headless = false;   // JSON lines on standard output, no window
};

struct ParsedOptions {
    Options options;
    QString error;           // empty when the command line is usable
};

// arguments as the program received them, program name first. --help prints the
// usage and ends the process.
ParsedOptions parseOptions(const QStringList& arguments);

// True when the arguments ask for no window; looked at before any application object exists.
bool wantsHeadless(int argc, char** argv);

} // namespace boardsim
