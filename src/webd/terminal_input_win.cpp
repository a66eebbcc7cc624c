#include "webd/terminal_input.h"

#include <windows.h>

namespace webd {

struct QuietInput::Saved {
    DWORD mode;
};

bool stdinIsTerminal()
{
    DWORD mode = 0;
    return ::GetConsoleMode(::GetStdHandle(STD_INPUT_HANDLE), &mode);
}

QuietInput::QuietInput()
{
    DWORD mode = 0;
    HANDLE input = ::GetStdHandle(STD_INPUT_HANDLE);
    if (!::GetConsoleMode(input, &mode) || !::SetConsoleMode(input, mode & ~DWORD(ENABLE_ECHO_INPUT)))
        return;
    m_saved = std::make_unique<Saved>(Saved {mode});
}

QuietInput::~QuietInput()
{
    if (m_saved)
        ::SetConsoleMode(::GetStdHandle(STD_INPUT_HANDLE), m_saved->mode);
}

} // namespace webd
