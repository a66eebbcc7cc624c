#pragma once

// Room-rate command: the ten room-rate fields in one display-data frame.

#include "protocol/display_data.h"

#include <QByteArray>
#include <QString>

#include <array>

namespace protocol {

inline constexpr int kRoomRateFields = 10;
inline constexpr int kRoomRateWidth = 4;

using RoomRateFields = std::array<QString, kRoomRateFields>;

// The 40-character text: each field in index order, right-aligned in four
// characters (a longer field keeps its last four). A field with a "." thus
// yields three cells, and every later cell moves up by one.
QString roomRateText(const RoomRateFields& fields);

// The display-data frame for area; empty when the area is unusable (checkArea()).
QByteArray roomRateFrame(quint8 deviceId, DisplayArea area, const RoomRateFields& fields);

} // namespace protocol
