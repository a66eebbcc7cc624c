#pragma once
// What goes over the local socket between a program that wants frames sent and the window that
// holds the port. Each message is a 32-bit big-endian byte count followed by that many bytes.
//
// Request body:
//   u8  version (2)
//   u8  kind: 0 asks whether the port is held, 1 sends one frame
//   u8  flags: bit 0 waits for the board's answer to the connection test (kind 1 only)
//   u32 how long to wait for that answer, in ms, big-endian
//   u16 length, then the port's device name in UTF-8
//   u16 length, then the frame (empty with kind 0)
// Response body:
//   u8  version (2)
//   u8  status (LineStatus)
//   u8  device number of the answer (0 unless Answered)
//   u8  why the window's write failed, line::WriteFailure's value (0 unless WriteFailed)
//   u32 bytes of the frame, u32 bytes the port took, u32 bytes still not out, big-endian (the
//       write fault's counts; 0 unless WriteFailed)
//   u16 length, then the detail in UTF-8: the system's or the device server's words on a
//       failure (may be empty); each program says what the status means in its own words
// Example: the window's port took 3 of a 9-byte frame:
//   00 00 00 13  02 05 00 04  00 00 00 09  00 00 00 03  00 00 00 00  00 00
// Nothing else is allowed: unknown versions, kinds, flags or statuses, lengths that disagree
// with the body, and bodies longer than kMaxBody are malformed.
#include "line/line_fault.h"

#include <QByteArray>
#include <QByteArrayView>
#include <QString>
#include <QtGlobal>

#include <optional>

namespace share {

inline constexpr quint8 kWireVersion = 2;
inline constexpr int kMaxBody = 4 + 7 + 4096 + 0xFFFF;

enum class LineKind : quint8 { AskHeld = 0, SendFrame = 1 };

struct LineRequest {
    LineKind kind = LineKind::AskHeld;
    QString portName;
    QByteArray frame;
    bool awaitAnswer = false;
    quint32 answerTimeoutMs = 0;

    friend bool operator==(const LineRequest&, const LineRequest&) = default;
};

enum class LineStatus : quint8 {
    Held = 0,        // the window holds that port
    NotHeld = 1,     // it holds another port or none: open it yourself
    Sent = 2,
    Answered = 3,
    NoAnswer = 4,
    WriteFailed = 5, // the port did not take the frame; the window has closed it
    Refused = 6,     // a malformed request or frame
    LineLost = 7,    // the device went while the frame was written or the answer awaited
    TestWaiting = 8, // the window already waits for the answer to another program's test
};

struct LineResponse {
    LineStatus status = LineStatus::Refused;
    quint8 deviceNumber = 0;
    QString detail;
    // WriteFailed: the window's write fault as its port gave it, but for the port's name, which
    // the sender knows.
    line::WriteFailure failure = line::WriteFailure::NoFrame;
    quint32 total = 0;
    quint32 accepted = 0;
    quint32 left = 0;

    friend bool operator==(const LineResponse&, const LineResponse&) = default;
};

// Empty optional when a field does not fit its length field.
std::optional<QByteArray> encodeRequest(const LineRequest& request);
QByteArray encodeResponse(const LineResponse& response);

template <typename T>
struct Decoded {
    enum class State { NeedMore, Malformed, Done } state = State::NeedMore;
    T value{};
    qsizetype consumed = 0; // bytes of the buffer that made the message (Done only)
    QString error;          // English, for developers (Malformed only)
};

// Reads the first message from the front of bytes.
Decoded<LineRequest> decodeRequest(QByteArrayView bytes);
Decoded<LineResponse> decodeResponse(QByteArrayView bytes);

} // namespace share
