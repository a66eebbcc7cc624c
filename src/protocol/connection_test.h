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
// nullopt when those bytes are not exactly one well-formed reply (parseFrame in
// the reply's shape, with the marker one place earlier than in a sent frame):
// more than 8 bytes, start byte 0x02, end byte 0x03, marker 0xEE at offset 3, a
// length field equal to the number of bytes received and a check byte equal to
// the XOR of bytes 1 .. n-3. The number is byte 6 when byte 5 is the test command
// 0x21, otherwise byte 2. Two replies read together fail the length check and are
// both dropped.
std::optional<int> deviceNumberFromReply(QByteArrayView received);

// The device number a test frame asks for: its one payload byte. The payload of
// 02 00 09 FF EE 21 FF C6 03 gives 255.
PayloadParse<quint8> parseConnectionTest(QByteArrayView payload);

// "找到 5 号设备~！" for number 5.
QString deviceFoundMessage(int number);

} // namespace protocol
