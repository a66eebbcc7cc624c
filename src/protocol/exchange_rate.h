#pragma once

// Exchange-rate command: two values per currency row, twenty fields in one
// display-data frame.

#include "protocol/display_data.h"

#include <QByteArray>
#include <QString>

#include <optional>

namespace protocol {

// Characters of one exchange-rate value: the field's limit, its place in the
// content file and its share of the text.
inline constexpr int kExchangeRateWidth = 7;

using ExchangeRateColumn = ValueColumn;

// The 140-character text: row by row, the first value a[i] then the second value
// b[i], each right-aligned in seven characters (a longer value keeps its last seven).
QString exchangeRateText(const ExchangeRateColumn& a, const ExchangeRateColumn& b);

// The display-data frame for area; nullopt when the area is unusable (checkArea()).
std::optional<QByteArray> exchangeRateFrame(quint8 deviceId, DisplayArea area, const ExchangeRateColumn& a,
                                            const ExchangeRateColumn& b);

} // namespace protocol
