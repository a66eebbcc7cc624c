#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QtGlobal>

#include <vector>

namespace net {

// Telnet's command bytes (RFC 854) and the options this program speaks.
namespace telnet {
inline constexpr quint8 kSe = 240;
inline constexpr quint8 kNop = 241;
inline constexpr quint8 kSb = 250;
inline constexpr quint8 kWill = 251;
inline constexpr quint8 kWont = 252;
inline constexpr quint8 kDo = 253;
inline constexpr quint8 kDont = 254;
inline constexpr quint8 kIac = 255;

inline constexpr quint8 kBinary = 0;
inline constexpr quint8 kSuppressGoAhead = 3;
inline constexpr quint8 kComPortOption = 44;
} // namespace telnet

// Data for the wire: every 0xFF doubled, so a data byte 255 cannot pass for a command.
QByteArray escapeData(QByteArrayView data);

// IAC verb option; verb is one of WILL, WONT, DO, DONT.
QByteArray negotiation(quint8 verb, quint8 option);

// IAC SB option payload IAC SE, with 0xFF in the payload doubled.
QByteArray subnegotiation(quint8 option, QByteArrayView payload);

struct TelnetEvent {
    enum class Kind {
        Negotiation,    // code is the verb (WILL/WONT/DO/DONT), option the option
        Subnegotiation, // option and payload (unescaped)
        Command,        // a two-byte command such as NOP or GA; code is its byte
        Malformed,      // a sequence no Telnet peer should send; it carries no data
    };
    Kind kind;
    quint8 code = 0;
    quint8 option = 0;
    QByteArray payload {};

    friend bool operator==(const TelnetEvent&, const TelnetEvent&) = default;
};

struct Decoded {
    QByteArray data; // the bytes the far end's device sent, commands taken out
    std::vector<TelnetEvent> events;
};

// Splits a received Telnet stream into data and commands. A command cut in two
// by the network is kept until its rest arrives, so feeding the stream in any
// pieces gives the same data and events as feeding it whole.
class TelnetDecoder {
public:
    // The longest subnegotiation kept; a longer one is reported as Malformed
    // once its end arrives, and what it carried is dropped.
    static constexpr qsizetype kMaxSubnegotiation = 256;

    Decoded feed(QByteArrayView bytes);
    // True while the last byte fed left a command unfinished.
    bool midCommand() const { return m_state != State::Data; }

private:
    enum class State { Data, Iac, Verb, SubOption, Sub, SubIac };
    void afterIac(quint8 byte, Decoded& out);

    State m_state = State::Data;
    quint8 m_verb = 0;
    quint8 m_subOption = 0;
    bool m_subOverflow = false;
    QByteArray m_subPayload;
};

} // namespace net
