#pragma once
// How the system names its serial ports, for the port choice (port_choice.h): the N-th port,
// and whether a typed text names a device. One implementation per system:
// port_naming_linux.cpp (/dev/ttyS(N-1), device nodes), port_naming_win.cpp (COMN).
#include <QString>

#include <optional>

namespace serial {

// numberedPort(3) is "/dev/ttyS2" on Linux and "COM3" on Windows.
QString numberedPort(int number);

// The port text names, as it is opened; nullopt when it names no device of this system.
std::optional<QString> devicePath(const QString& text);

} // namespace serial
