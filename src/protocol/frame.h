#pragma once

// The board frame: the one envelope of every message on the serial line, and
// of the board's reply to the connection test.
//
//   offset 0        STX 0x02
//   offset 1, 2     N, the total frame length in bytes, high byte first
//   offset 3        device number of the addressed board   (reply: marker 0xEE)
//   offset 4        marker 0xEE                            (reply: not examined)
//   offset 5        command code
//   offset 6..N-3   payload (at least one byte)
//   offset N-2      check byte: XOR of the bytes at offsets 1..N-3
//   offset N-1      ETX 0x03
//
// There is no byte stuffing: 0x02 and 0x03 may occur anywhere inside a frame,
// and only the length field tells where it ends.

#include <QByteArray>
#include <QByteArrayView>
#include <QString>
#include <QtGlobal>

#include <array>
#include <cstddef>
#include <optional>
#include <variant>

namespace protocol {

// Command codes the program sends.
//
//   code  command                 payload bytes   N
//   0x20  time synchronisation    6               14
//   0x21  connection test         1 (device no.)  9
//   0x25  display data            4 + n           n + 12   (n seven-segment cells)
//   0x29  weather text dots       134             142
enum class Command : quint8 {
    Clock = 0x20,
    ConnectionTest = 0x21,
    DisplayData = 0x25,
    WeatherDots = 0x29,
};

inline constexpr quint8 kStx = 0x02;
inline constexpr quint8 kEtx = 0x03;
inline constexpr quint8 kMarker = 0xEE;

// Addresses every board on the line; the device number the program starts with.
inline constexpr quint8 kEveryDevice = 255;

// Header (STX, two length bytes, device, marker, command) plus check byte and ETX.
inline constexpr int kFrameOverhead = 8;
// Every frame carries at least one payload byte.
inline constexpr int kShortestFrame = kFrameOverhead + 1;
// The length field is 16 bits wide.
inline constexpr int kMaxFrameLength = 0xFFFF;

// Where the marker stands: a frame the program sends carries the device number at
// offset 3 and the marker at offset 4; the board's reply carries the marker at
// offset 3 and, at offset 4, a byte the program does not examine.
enum class FrameShape { Sent, Reply };

// XOR of all the given bytes, starting from 0.
quint8 checkByte(QByteArrayView bytes);

// The complete frame, payload.size() + kFrameOverhead bytes long, with address at
// offset 3 (FrameShape::Sent) or 4 (FrameShape::Reply). nullopt for an empty payload
// or one too long for the 16-bit length field, so that no frame with a wrong length
// can reach the line.
std::optional<QByteArray> buildFrame(quint8 address, Command command, QByteArrayView payload,
                                     FrameShape shape = FrameShape::Sent);

// For a payload whose size its command fixes: such a frame always fits.
template <std::size_t N>
QByteArray buildFixedFrame(quint8 address, Command command, const std::array<quint8, N>& payload,
                           FrameShape shape = FrameShape::Sent)
{
    static_assert(N >= 1 && N + kFrameOverhead <= kMaxFrameLength, "the payload fits the length field");
    return *buildFrame(address, command, QByteArrayView(payload.data(), qsizetype(N)), shape);
}

// One frame taken apart.
struct DecodedFrame {
    QByteArray bytes;     // the whole frame, start to end byte
    quint8 address = 0;   // offset 3 of a sent frame (the device number), offset 4 of a reply
    quint8 command = 0;   // offset 5; a code outside Command is the reader's to judge
    QByteArray payload;   // offsets 6 .. N-3, never empty
};

// What keeps bytes from being a frame, in the order the parser looks.
struct FrameFault {
    enum class Kind {
        WrongStart,           // byte 0 is found, not 0x02
        NoLengthField,        // fewer than 3 bytes, none included: the length field is not all there
        LengthBelowShortest,  // the length field says length, under 9
        LengthAboveLongest,   // the length field says length, over longest, the most the reader accepts
        CutShort,             // the length field says length, only received bytes came
        LongerThanLength,     // received bytes came, more than the length field says
        WrongEnd,             // the byte at offset length - 1 is found, not 0x03
        WrongCheck,           // the check byte is found, the XOR of offsets 1 .. length - 3 is expected
        NoMarker,             // where the frame's shape puts the marker stands found, not 0xEE
    };
    Kind kind;
    int length = 0;           // the length field, once read
    qsizetype received = 0;   // how many bytes the parser was given
    int longest = 0;          // the longest frame the reader accepts
    int offset = 0;           // WrongStart, WrongEnd, WrongCheck, NoMarker: where the wrong byte stands
    quint8 found = 0;
    quint8 expected = 0;
};

using FrameParse = std::variant<DecodedFrame, FrameFault>;

// bytes that should be exactly one frame in the given shape, such as everything one
// receive event delivered, checked in the order of FrameFault::Kind. Frames longer
// than longest are refused. For example 02 00 09 FF EE 21 FF C6 03 (Sent) gives
// address 0xFF, command 0x21, payload FF; the reply 02 00 09 EE 00 21 05 C3 03
// (Reply) gives address 0x00, command 0x21, payload 05; 02 00 0A EE 00 21 05 C0 03
// is CutShort (length 10, received 9) and two replies back to back are
// LongerThanLength.
FrameParse parseFrame(QByteArrayView bytes, FrameShape shape = FrameShape::Sent, int longest = kMaxFrameLength);

// The frame that begins at stream[0], for a reader that scans a stream: the bytes
// after it are not looked at, so LongerThanLength never comes, and NoLengthField or
// CutShort mean that more bytes may still complete it. runningXor holds one value per
// byte of stream, runningXor[i] being the XOR of stream[0 .. i] and of whatever came
// before stream (the same for every i), so that the check of a long candidate costs
// as little as that of a short one.
FrameParse parseFrameAtStart(QByteArrayView stream, QByteArrayView runningXor, FrameShape shape, int longest);

// What the fault means, in one line of English for developers:
// "check byte is 0xC7, expected 0xC6".
QString faultText(const FrameFault& fault);

// "0xC6": how a byte is named in fault texts.
QString hexByte(quint8 value);

// Why a command's payload cannot be taken apart: English, for developers.
struct PayloadFault {
    QString reason;
};

// A payload taken apart into T, or why it cannot be.
template <typename T>
using PayloadParse = std::variant<T, PayloadFault>;

} // namespace protocol
