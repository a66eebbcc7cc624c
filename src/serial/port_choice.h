#pragma once

#include "net/server_address.h"

#include <QString>
#include <optional>

namespace serial {

// The port list offers the numbers 1 to this; any other number may be typed.
inline constexpr int kListedPortNumbers = 16;

// The operator's port choice, as typed into the port field, turned into the name
// the serial port is opened by.
//
// - A decimal number N, surrounding blanks allowed, in 1..32767 (the board
//   program has always taken the choice as a signed 16-bit number) names the
//   platform's N-th port: COMN on Windows, /dev/ttyS(N-1) on Linux.
// - Otherwise a text naming a serial device is used as it stands (surrounding
//   blanks dropped):
//   Linux:   an absolute path that stays under /dev/ (it need not exist yet:
//            opening it then reports the missing device), or any absolute path
//            that, with symlinks resolved, is an existing character device (a
//            socat link to a pseudo-terminal), or a bare name such as "ttyUSB0"
//            when /dev/<name> is a character device (the result is then that
//            full path).
//   Windows: COMn.
// - "tcp://HOST:PORT" (a serial device server passing raw bytes) or
//   "rfc2217://HOST:PORT" (Telnet with the com port option, such as ser2net's
//   telnet accepter): HOST a name, an IPv4 address or [IPv6], PORT 1..65535,
//   nothing after the port. The result is the same text with the scheme in
//   lower case; open() takes it as it takes a device path.
// - Everything else ("abc", "", "0", "-1", "70000", "COM3" on Linux) gives nullopt.
std::optional<QString> portNameForChoice(const QString& choiceText);

// The device server a "tcp://" or "rfc2217://" choice names; nullopt for any other text.
std::optional<net::ServerAddress> serverAddressForChoice(const QString& choiceText);

// The choice text for a server address, as portNameForChoice gives it.
QString choiceForServerAddress(const net::ServerAddress& address);

// The port choice kept in the per-user settings store (organisation and
// application "VorFJP", group "CommPort", key "CommPort"); "1" when none is kept.
QString loadPortChoice();

// Keeps the choice text exactly as given, valid or not.
void savePortChoice(const QString& choice);

} // namespace serial
