#include "serial/port_list.h"

#include <QSerialPortInfo>

namespace serial {

std::vector<SystemPort> machinePorts()
{
    std::vector<SystemPort> ports;
    for (const QSerialPortInfo& info : QSerialPortInfo::availablePorts())
        ports.push_back({info.systemLocation(), info.description(), info.manufacturer()});
    return ports;
}

} // namespace serial
