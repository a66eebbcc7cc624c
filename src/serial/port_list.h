#pragma once

#include <QString>

#include <vector>

namespace serial {

// A serial port as the machine reports it.
struct SystemPort {
    QString location;     // the device node, e.g. /dev/ttyUSB0; on Windows the port, e.g. COM3
    QString description;  // e.g. "USB-Serial Controller"
    QString manufacturer; // e.g. "Prolific Technology Inc."
};

// A port as the port field offers it.
struct PortEntry {
    QString path;   // what goes into the field: the stable by-id link where there is one
    QString detail; // description and manufacturer, for the operator; may be empty

    friend bool operator==(const PortEntry&, const PortEntry&) = default;
};

// Every serial port the machine has now: QSerialPortInfo on Linux, the registry's list of serial
// ports on Windows (machine_ports_*.cpp).
std::vector<SystemPort> machinePorts();

// Where udev keeps names that stay the same whichever order adapters came up in.
inline constexpr auto kStableNameFolder = "/dev/serial/by-id";

// One entry per port, sorted by path. A port that a symbolic link in
// stableNameFolder leads to (links followed to the end) is offered by that
// link, so the choice still finds the adapter after the kernel numbered it anew.
std::vector<PortEntry> portEntries(const std::vector<SystemPort>& ports,
                                   const QString& stableNameFolder = QString::fromLatin1(kStableNameFolder));

} // namespace serial
