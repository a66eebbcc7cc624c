#include "line/line_fault.h"

namespace line {

bool isDeviceServer(const QString& port)
{
    return port.startsWith(QLatin1String("tcp://")) || port.startsWith(QLatin1String("rfc2217://"));
}

} // namespace line
