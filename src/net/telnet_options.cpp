#include "net/telnet_options.h"

#include "net/telnet_codec.h"

#include <array>
#include <algorithm>

namespace net {

using namespace telnet;

namespace {

constexpr std::array<quint8, 3> kLocalWanted {kBinary, kSuppressGoAhead, kComPortOption};
constexpr std::array<quint8, 2> kRemoteWanted {kBinary, kSuppressGoAhead};

template <std::size_t N>
bool contains(const std::array<quint8, N>& options, quint8 option)
{
    return std::find(options.begin(), options.end(), option) != options.end();
}

} // namespace

QByteArray TelnetOptions::opening()
{
    QByteArray out;
    for (const quint8 option : kLocalWanted) {
        m_local[option] = State::Requested;
        out += negotiation(kWill, option);
    }
    for (const quint8 option : kRemoteWanted) {
        m_remote[option] = State::Requested;
        out += negotiation(kDo, option);
    }
    return out;
}

QByteArray TelnetOptions::toggle(std::map<quint8, State>& states, quint8 option, bool enable, bool wanted,
                                 quint8 yes, quint8 no)
{
    State& state = states[option];
    if (enable) {
        if (!wanted)
            return negotiation(no, option);
        const bool wasOff = state == State::Off;
        state = State::On;
        return wasOff ? negotiation(yes, option) : QByteArray();
    }
    const bool wasOn = state == State::On;
    state = State::Off;
    // A refusal of our own request needs no answer; switching off an enabled option does.
    return wasOn ? negotiation(no, option) : QByteArray();
}

QByteArray TelnetOptions::answer(quint8 verb, quint8 option)
{
    switch (verb) {
    case kDo:
        return toggle(m_local, option, true, contains(kLocalWanted, option), kWill, kWont);
    case kDont:
        if (option == kComPortOption)
            m_comPortRefused = true;
        return toggle(m_local, option, false, contains(kLocalWanted, option), kWill, kWont);
    case kWill:
        return toggle(m_remote, option, true, contains(kRemoteWanted, option), kDo, kDont);
    case kWont:
        return toggle(m_remote, option, false, contains(kRemoteWanted, option), kDo, kDont);
    default:
        return {};
    }
}

bool TelnetOptions::comPortAccepted() const
{
    const auto found = m_local.find(kComPortOption);
    return found != m_local.end() && found->second == State::On;
}

bool TelnetOptions::comPortRefused() const
{
    return m_comPortRefused;
}

} // namespace net
