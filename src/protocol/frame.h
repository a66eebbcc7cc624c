#pragma once

// The board frame: the one envelope of every message on the serial line, and
// of the board's reply to the connection test.
//
//   offset 0        STX 0x02
//   offset 1, 2     N, the total frame length in bytes, high byte first
//   offset 3        device number of the addressed board
//   offset 4        marker 0xEE
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

// Header (STX, two length bytes, device, marker, command) plus check byte and ETX.
inline constexpr int kFrameOverhead = 8;
// The length field is 16 bits wide.
inline constexpr int kMaxFrameLength = 0xFFFF;

inline constexpr int kLengthOffset = 1;
inline constexpr int kDeviceOffset = 3;
inline constexpr int kMarkerOffset = 4;
inline constexpr int kCommandOffset = 5;
inline constexpr int kPayloadOffset = 6;

// XOR of all the given bytes, starting from 0.
quint8 checkByte(QByteArrayView bytes);

// The complete frame, payload.size() + kFrameOverhead bytes long.
// A payload too long for the 16-bit length field gives an empty array, so that
// no frame with a wrong length can reach the line.
QByteArray buildFrame(quint8 deviceId, Command command, QByteArrayView payload);

} // namespace protocol
