#include "webd/terminal_input.h"

#include <termios.h>
#include <unistd.h>

namespace webd {

struct QuietInput::Saved {
    termios settings;
};

bool stdinIsTerminal()
{
    return isatty(STDIN_FILENO) == 1;
}

QuietInput::QuietInput()
{
    termios saved {};
    if (!stdinIsTerminal() || tcgetattr(STDIN_FILENO, &saved) != 0)
        return;
    termios quiet = saved;
    quiet.c_lflag &= ~tcflag_t(ECHO);
    if (tcsetattr(STDIN_FILENO, TCSAFLUSH, &quiet) != 0)
        return;
    m_saved = std::make_unique<Saved>(Saved {saved});
}

QuietInput::~QuietInput()
{
    if (m_saved)
        tcsetattr(STDIN_FILENO, TCSAFLUSH, &m_saved->settings);
}

} // namespace webd
