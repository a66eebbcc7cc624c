#pragma once
// Standard input as a prompt for a secret needs it: whether it is a terminal (a console on
// Windows), and the terminal's echo switched off while the secret is typed. One implementation
// per system: terminal_input_posix.cpp (termios), terminal_input_win.cpp (the console's mode).
//   if (stdinIsTerminal()) { const QuietInput quiet; std::getline(std::cin, line); }
#include <memory>

namespace webd {

bool stdinIsTerminal();

// Switches the echo of the terminal on standard input off for as long as it lives, and back as
// it was after; does nothing when standard input is no terminal.
class QuietInput {
public:
    QuietInput();
    ~QuietInput();
    QuietInput(const QuietInput&) = delete;
    QuietInput& operator=(const QuietInput&) = delete;

private:
    struct Saved; // the terminal's settings as they were
    std::unique_ptr<Saved> m_saved;
};

} // namespace webd
