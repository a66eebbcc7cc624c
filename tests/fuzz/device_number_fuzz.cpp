// The device-number field: any text leaves a device number of 0 to 255 and a
// field text that reads back as that same number.
#include "protocol/device_number.h"

#include <QString>

#include <cstdint>
#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    if (size < 1)
        return 0;
    const quint8 previous = data[0];
    const QString text = QString::fromUtf8(reinterpret_cast<const char*>(data + 1), qsizetype(size - 1));

    const protocol::DeviceNumberInput first = protocol::readDeviceNumber(text, previous);
    // Reading the field again must change nothing: the rule settles in one step.
    const protocol::DeviceNumberInput again = protocol::readDeviceNumber(first.fieldText, first.deviceId);
    if (again.deviceId != first.deviceId || again.fieldText != first.fieldText)
        std::abort();
    return 0;
}
