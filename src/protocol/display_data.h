#pragma once

// The display-data frame (command 0x25) shared by the room-rate, exchange-rate
// and temperature commands: it writes n seven-segment cell codes into one
// display area of the board.
//
//   offset 6, 7      area address, high byte first
//   offset 8, 9      n, high byte first
//   offset 10..9+n   the cell codes, first cell of the area first
// inside the board frame of frame.h, so the frame is n + 12 bytes long.

#include "protocol/frame.h"

#include <QByteArray>
#include <QByteArrayView>
#include <QString>
#include <QStringView>

#include <array>
#include <optional>

namespace protocol {

// Address and number of digit cells of one display area of the board.
struct DisplayArea {
    int address = 0;
    int length = 0;
};

// Rows of each value column in the window: the room rates, and the two values of
// each currency row.
inline constexpr int kValueRows = 10;
using ValueColumn = std::array<QString, kValueRows>;

// Address and length come from four-digit fields of the content file.
inline constexpr int kMaxAreaField = 9999;
inline constexpr int kDisplayDataHeader = 4;

static_assert(kMaxAreaField + kDisplayDataHeader + kFrameOverhead <= kMaxFrameLength,
              "every area that passes checkArea() fits the frame's length field");

enum class AreaProblem { None, AddressOutOfRange, LengthOutOfRange };

// None when address and length are both within 0..9999; the address is checked first.
AreaProblem checkArea(DisplayArea area);

// The display-data frame carrying cellCodes to area; nullopt when checkArea(area)
// reports a problem or cellCodes does not hold exactly area.length codes: a
// malformed frame must never reach the board.
std::optional<QByteArray> displayDataFrame(quint8 deviceId, DisplayArea area, QByteArrayView cellCodes);

// What a display-data payload writes: cells.size() cell codes from address on.
struct DisplayWrite {
    int address = 0;   // 0 .. 65535; the board's memory is the judge of what fits
    QByteArray cells;
};

// The payload of a display-data frame taken apart: the 16-bit address, the 16-bit
// count n and exactly n cell codes. 01 00 00 02 F9 A4 gives address 256 and the
// cells F9 A4; a payload shorter than its header, or whose count disagrees with the
// codes it carries, is a fault.
PayloadParse<DisplayWrite> parseDisplayData(QByteArrayView payload);

// text padded on the left with blanks to width characters; of a longer text only
// its last width characters. Fields of a row keep their places on the board this way.
QString rightAligned(QStringView text, int width);

} // namespace protocol
