// The receive handler's check of a connection-test reply, on arbitrary bursts.
#include "protocol/connection_test.h"

#include <QByteArrayView>

#include <cstdint>
#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const QByteArrayView burst(reinterpret_cast<const char*>(data), qsizetype(size));
    const std::optional<int> number = protocol::deviceNumberFromReply(burst);
    if (number) {
        // A reply that passes must be a whole frame whose number is one of its bytes.
        if (size < 9 || data[0] != 0x02 || data[size - 1] != 0x03 || *number < 0 || *number > 255)
            std::abort();
        if (protocol::deviceFoundMessage(*number).isEmpty())
            std::abort();
    }
    return 0;
}
