#include "protocol/exchange_rate.h"

#include "protocol/segment.h"

namespace protocol {

QString exchangeRateText(const ExchangeRateColumn& a, const ExchangeRateColumn& b)
{
    QString text;
    text.reserve(2 * kValueRows * kExchangeRateWidth);
    for (int row = 0; row < kValueRows; ++row) {
        text += rightAligned(a[row], kExchangeRateWidth);
        text += rightAligned(b[row], kExchangeRateWidth);
    }
    return text;
}

std::optional<QByteArray> exchangeRateFrame(quint8 deviceId, DisplayArea area, const ExchangeRateColumn& a,
                                            const ExchangeRateColumn& b)
{
    return displayDataFrame(deviceId, area, toCellCodes(exchangeRateText(a, b), area.length));
}

} // namespace protocol
