#pragma once

#include <QString>
#include <optional>

namespace serial {

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
// - Everything else ("abc", "", "0", "-1", "70000", "COM3" on Linux) gives nullopt.
std::optional<QString> portNameForChoice(const QString& choiceText);

// The port choice kept in the per-user settings store (organisation and
// application "VorFJP", group "CommPort", key "CommPort"); "1" when none is kept.
QString loadPortChoice();

// Keeps the choice text exactly as given, valid or not.
void savePortChoice(const QString& choice);

} // namespace serial
