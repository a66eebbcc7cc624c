#pragma once

#include <QByteArray>
#include <QtGlobal>

#include <map>

namespace net {

// The client's side of Telnet option negotiation for a serial device server:
// binary transmission both ways (so a CR in a frame is not followed by a NUL),
// no go-ahead, and the com port option on our side. Everything else is declined.
// A request for the state an option is already in gets no answer, so two peers
// cannot bounce one option back and forth for ever.
class TelnetOptions {
public:
    // The requests sent right after connecting.
    QByteArray opening();

    // What to send back for a WILL/WONT/DO/DONT the server sent; empty for nothing.
    QByteArray answer(quint8 verb, quint8 option);

    bool comPortAccepted() const;  // the server said DO COM-PORT-OPTION
    bool comPortRefused() const;   // the server said DONT COM-PORT-OPTION

private:
    enum class State { Off, Requested, On };
    static QByteArray toggle(std::map<quint8, State>& states, quint8 option, bool enable, bool wanted,
                             quint8 yes, quint8 no);

    std::map<quint8, State> m_local;  // options we perform (WILL)
    std::map<quint8, State> m_remote; // options the server performs (DO)
    bool m_comPortRefused = false;
};

} // namespace net
