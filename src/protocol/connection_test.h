#pragma once

// Connection test (0x21): asks the board for its device number, and reads the
// board's reply.

#include "protocol/frame.h"

#include <QByteArray>
#include <QByteArrayView>
#include <QString>

#include <optional>

namespace protocol {

// The 9-byte test frame; its payload repeats the device number, so its check
// byte is 0xC6 whatever the number.
QByteArray connectionTestFrame(quint8 deviceId);

// The reply a board with this number gives to the test, in the reply's shape
// (marker at offset 3): 02 00 09 EE 00 21 <number> <check> 03.
QByteArray connectionTestReply(quint8 deviceNumber);

// The receive threshold set on the port once a test is sent: the length of the
// reply, whose payload is the one byte of the number.
inline constexpr int kReplyThreshold = kFrameOverhead + 1;

// The device number reported by everything that arrived in one receive event, or
// nullopt when those bytes are not exactly one well-formed reply. Checked in order:
//   - more than 8 bytes;
//   - byte 0 is 0x02, the last byte 0x03, byte 3 the marker 0xEE (a reply carries
//     the marker one place earlier than a sent frame), and the length field
//     equals the number of bytes received;
//   - the check byte equals the XOR of bytes 1 .. n-3.
// The number is byte 6 when byte 5 is the test command 0x21, otherwise byte 2.
// Two replies read together fail the length check and are both dropped.
std::optional<int> deviceNumberFromReply(QByteArrayView received);

// "找到 5 号设备~！" for number 5.
QString deviceFoundMessage(int number);

} // namespace protocol
