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
#include <QtGlobal>

#include <array>
#include <cstddef>
#include <optional>

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

inline constexpr int kLengthOffset = 1;
inline constexpr int kCommandOffset = 5;
inline constexpr int kPayloadOffset = 6;

// Where the marker stands: a frame the program sends carries the device number at
// offset 3 and the marker at offset 4; the board's reply carries the marker at
// offset 3 and, at offset 4, a byte the program does not examine.
enum class FrameShape { Sent, Reply };

constexpr int markerOffset(FrameShape shape)
{
    return shape == FrameShape::Sent ? 4 : 3;
}

constexpr int addressOffset(FrameShape shape)
{
    return shape == FrameShape::Sent ? 3 : 4;
}

// XOR of all the given bytes, starting from 0.
quint8 checkByte(QByteArrayView bytes);

// The complete frame, payload.size() + kFrameOverhead bytes long, with address at
// addressOffset(shape). nullopt for an empty payload or one too long for the 16-bit
// length field, so that no frame with a wrong length can reach the line.
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

} // namespace protocol
