#include "net/telnet_codec.h"

namespace net {

using namespace telnet;

QByteArray escapeData(QByteArrayView data)
{
    QByteArray out;
    out.reserve(data.size() + data.count(char(kIac)));
    for (const char byte : data) {
        out.append(byte);
        if (quint8(byte) == kIac)
            out.append(byte);
    }
    return out;
}

QByteArray negotiation(quint8 verb, quint8 option)
{
    const char bytes[] = {char(kIac), char(verb), char(option)};
    return QByteArray(bytes, sizeof bytes);
}

QByteArray subnegotiation(quint8 option, QByteArrayView payload)
{
    const char head[] = {char(kIac), char(kSb), char(option)};
    QByteArray out(head, sizeof head);
    out.append(escapeData(payload));
    out.append(char(kIac));
    out.append(char(kSe));
    return out;
}

void TelnetDecoder::afterIac(quint8 byte, Decoded& out)
{
    using Kind = TelnetEvent::Kind;
    m_state = State::Data;
    if (byte == kIac) {
        out.data.append(char(kIac));
    } else if (byte >= kWill) {
        m_verb = byte;
        m_state = State::Verb;
    } else if (byte == kSb) {
        m_state = State::SubOption;
    } else if (byte > kSe) {
        out.events.push_back({Kind::Command, byte});
    } else {
        // SE outside a subnegotiation, or a byte that is no command at all.
        out.events.push_back({Kind::Malformed, byte});
    }
}

Decoded TelnetDecoder::feed(QByteArrayView bytes)
{
    using Kind = TelnetEvent::Kind;
    Decoded out;
    out.data.reserve(bytes.size());
    for (const char raw : bytes) {
        const quint8 byte = quint8(raw);
        switch (m_state) {
        case State::Data:
            if (byte == kIac)
                m_state = State::Iac;
            else
                out.data.append(raw);
            break;
        case State::Iac:
            afterIac(byte, out);
            break;
        case State::Verb:
            out.events.push_back({Kind::Negotiation, m_verb, byte});
            m_state = State::Data;
            break;
        case State::SubOption:
            if (byte == kIac) {
                // IAC SB IAC ...: no option named. What follows the IAC is read as a command.
                out.events.push_back({Kind::Malformed, kSb});
                m_state = State::Iac;
                break;
            }
            m_subOption = byte;
            m_subPayload.clear();
            m_subOverflow = false;
            m_state = State::Sub;
            break;
        case State::Sub:
            if (byte == kIac) {
                m_state = State::SubIac;
            } else if (m_subPayload.size() < kMaxSubnegotiation) {
                m_subPayload.append(raw);
            } else {
                m_subOverflow = true;
            }
            break;
        case State::SubIac:
            if (byte == kIac) {
                if (m_subPayload.size() < kMaxSubnegotiation)
                    m_subPayload.append(raw);
                else
                    m_subOverflow = true;
                m_state = State::Sub;
            } else if (byte == kSe) {
                if (m_subOverflow)
                    out.events.push_back({Kind::Malformed, kSb, m_subOption});
                else
                    out.events.push_back({Kind::Subnegotiation, kSb, m_subOption, m_subPayload});
                m_subPayload.clear();
                m_state = State::Data;
            } else {
                // The subnegotiation was never closed: drop it and take the
                // IAC as the start of the next command.
                out.events.push_back({Kind::Malformed, kSb, m_subOption});
                m_subPayload.clear();
                afterIac(byte, out);
            }
            break;
        }
    }
    return out;
}

} // namespace net
