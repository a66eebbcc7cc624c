#include "protocol/device_number.h"

#include "protocol/plain_decimal.h"

namespace protocol {

DeviceNumberInput readDeviceNumber(const QString& fieldText, quint8 previous)
{
    const std::optional<WholeNumber> number = parsePlainDecimal(fieldText.trimmed());
    if (!number || (number->negative && number->magnitude != 0))
        return {previous, QString::number(previous)};
    if (number->magnitude > kMaxDeviceNumber)
        return {quint8(kMaxDeviceNumber), QString::number(kMaxDeviceNumber)};
    return {quint8(number->magnitude), fieldText};
}

} // namespace protocol
