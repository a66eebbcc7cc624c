#pragma once

// Room-rate command: the ten room-rate fields in one display-data frame.

#include "protocol/display_data.h"

#include <QByteArray>
#include <QString>

#include <optional>

namespace protocol {

// Characters of one room rate: the field's limit, its place in the content file
// and its share of the text.
inline constexpr int kRoomRateWidth = 4;

using RoomRateFields = ValueColumn;

// The 40-character text: each field in index order, right-aligned in four
// characters (a longer field keeps its last four). A field with a "." thus
// yields three cells, and every later cell moves up by one.
QString roomRateText(const RoomRateFields& fields);

// The display-data frame for area; nullopt when the area is unusable (checkArea()).
std::optional<QByteArray> roomRateFrame(quint8 deviceId, DisplayArea area, const RoomRateFields& fields);

} // namespace protocol
