// libFuzzer entry: arbitrary bytes from the line and arbitrary field texts must
// never crash the reply check, the cell conversion or the device-number reader,
// and their results must stay within what a frame can carry.

#include "protocol/connection_test.h"
#include "protocol/device_number.h"
#include "protocol/segment.h"

#include <QByteArrayView>
#include <QString>

#include <cstdint>
#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const QByteArrayView bytes(data, qsizetype(size));

    if (const auto number = protocol::deviceNumberFromReply(bytes); number && (*number < 0 || *number > 255))
        std::abort();

    const QString text = QString::fromUtf8(bytes);
    const int cells = int(size % 64);
    if (protocol::toCellCodes(text, cells, protocol::MinusSign::ShowsMinus).size() != cells)
        std::abort();

    const protocol::DeviceNumberInput input = protocol::readDeviceNumber(text, 42);
    if (input.fieldText != text && input.fieldText != QLatin1String("255") && input.fieldText != QLatin1String("42"))
        std::abort();
    return 0;
}
