#pragma once

// Reading the device-number field into the device number that every frame carries.

#include "protocol/plain_decimal.h"

#include <QString>
#include <QtGlobal>

#include <limits>

namespace protocol {

inline constexpr int kMaxDeviceNumber = std::numeric_limits<quint8>::max();
static_assert(kMaxDeviceNumber < kSaturatedMagnitude);

struct DeviceNumberInput {
    quint8 deviceId;     // the number to address from now on
    QString fieldText;   // what the field shows afterwards
};

// Reads the text of the device-number field when it loses the focus.
//
// The text is a number in plain decimal notation (plain_decimal.h) with blanks
// around it, rounded to a whole number.
//
//   - Above 255, however large: the field shows "255" and the number is 255.
//   - 0 to 255: the field keeps its text as typed ("0012" -> 12, "3.7" -> 4,
//     " 7 " -> 7, "+5" -> 5) and the number is the rounded value. A negative
//     text that rounds to zero ("-0", "-0.4") is zero.
//   - Anything else keeps the previous number and the field shows it again:
//     an empty or blank text, a value that rounds below zero ("-1", "-0.6"), and
//     every text that is not plain decimal notation ("abc", "1e3", "0x10", "1,5",
//     "1 2"). So the field never shows a number that frames do not carry.
DeviceNumberInput readDeviceNumber(const QString& fieldText, quint8 previous);

} // namespace protocol
