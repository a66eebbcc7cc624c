#pragma once
// Why the line to the board failed, told with the facts a front end needs to say it in its own
// words (Chinese in the window and on the web page, translated in vorfjp-send): the kind, the
// port as the program names it, and the system's or the device server's own words (English)
// where there are any.
#include <QString>

#include <chrono>

namespace line {

// The board's line runs at this rate, 8 data bits, no parity, 1 stop bit, no flow control
// (serial/line_settings.h sets a serial port so).
inline constexpr int kBaudRate = 57600;
// A start bit, 8 data bits and a stop bit carry each byte.
inline constexpr int kBitsPerCharacter = 10;

// Longest a device server may take to connect (and, for RFC 2217, to take up the line settings).
inline constexpr std::chrono::milliseconds kConnectTimeout {3000};
// Longest a frame may take to be handed over in full to the driver or the socket.
inline constexpr std::chrono::milliseconds kWriteTimeout {2000};

enum class OpenFailure {
    NotAPortChoice,   // the choice text names no port at all
    NoSuchDevice,
    InUse,
    NoPermission,
    Refused,          // device server: nothing listens at that port
    UnknownHost,
    TimedOut,         // device server: no connection within kConnectTimeout
    ClosedByServer,
    NotADeviceServer, // an RFC 2217 peer that will not set the serial line
    SettingsUnanswered, // an RFC 2217 peer that took the connection but answered no line settings in time
    Busy,             // another open or write is still waiting for the line
    Other,
};

struct OpenFault {
    OpenFailure why = OpenFailure::Other;
    QString port;   // the port's name, or the choice text when it names none
    QString detail; // the system's or the server's words; may be empty
};

// The values cross the local socket between the window and a sender (share/line_message.h): a
// new kind goes at the end, and kLastWriteFailure follows it.
enum class WriteFailure {
    NoFrame,         // nothing to send
    Busy,            // another write or open is still waiting; the port is left as it is
    NotOpen,
    HungUp,          // the device went before or while the frame was written (also a LineLoss)
    NotAccepted,     // the driver took only `accepted` of `total` bytes
    NotDrained,      // `left` bytes were still not out after kWriteTimeout; the port is closed
    ServerNotTaking, // a device server took nothing more within kWriteTimeout; the connection is closed
    ServerLost,      // the device server's connection broke before its line could carry the frame
    NotConfirmed,    // a device server did not show in time that it had read the frames
};
inline constexpr WriteFailure kLastWriteFailure = WriteFailure::NotConfirmed;

struct WriteFault {
    WriteFailure why = WriteFailure::NotOpen;
    QString port;
    QString detail;
    qint64 total = 0;
    qint64 accepted = 0;
    qint64 left = 0;
};

// The device went away (unplugged adapter, dead pseudo-terminal peer, server gone): the port has
// been closed.
struct LineLoss {
    QString port;
    QString detail;
};

// Whether a port name is a serial device server reached over the network.
bool isDeviceServer(const QString& port);

template <typename Duration>
qint64 wholeSeconds(Duration span)
{
    return std::chrono::duration_cast<std::chrono::seconds>(span).count();
}

} // namespace line
