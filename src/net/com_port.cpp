#include "net/com_port.h"

#include "net/telnet_codec.h"

#include <QtEndian>

namespace net {

using namespace comport;

namespace {

QByteArray setting(quint8 command, QByteArray value)
{
    value.prepend(char(command));
    return subnegotiation(telnet::kComPortOption, value);
}

QByteArray oneByte(quint8 value)
{
    return QByteArray(1, char(value));
}

constexpr const char* kSettingNames[4] = {"baud rate", "data size", "parity", "stop size"};

quint32 wantedValue(const LineSettings& wanted, int index)
{
    switch (index) {
    case 0:
        return wanted.baudRate;
    case 1:
        return wanted.dataBits;
    case 2:
        return quint32(wanted.parity);
    default:
        return quint32(wanted.stopBits);
    }
}

} // namespace

QByteArray lineSettingsRequest(const LineSettings& settings)
{
    QByteArray baud(4, '\0');
    qToBigEndian(settings.baudRate, baud.data());
    return setting(kSetBaudRate, baud) + setting(kSetDataSize, oneByte(settings.dataBits))
           + setting(kSetParity, oneByte(quint8(settings.parity)))
           + setting(kSetStopSize, oneByte(quint8(settings.stopBits)))
           + setting(kSetControl, oneByte(kNoFlowControl));
}

QByteArray baudRateQuery()
{
    return setting(kSetBaudRate, QByteArray(4, '\0'));
}

std::optional<ComPortAnswer> comPortAnswer(const QByteArray& payload)
{
    if (payload.isEmpty())
        return std::nullopt;
    const quint8 code = quint8(payload.at(0));
    if (code <= kServerOffset || code > kServerOffset + kSetControl)
        return std::nullopt;
    const quint8 command = code - kServerOffset;
    const QByteArray value = payload.mid(1);
    if (command == kSetBaudRate) {
        if (value.size() != 4)
            return std::nullopt;
        return ComPortAnswer {command, qFromBigEndian<quint32>(value.constData())};
    }
    if (value.size() != 1)
        return std::nullopt;
    return ComPortAnswer {command, quint8(value.at(0))};
}

LineSettingsConfirmation::LineSettingsConfirmation(const LineSettings& wanted)
    : m_wanted(wanted)
{
}

void LineSettingsConfirmation::take(const ComPortAnswer& answer)
{
    if (answer.command >= kSetBaudRate && answer.command <= kSetStopSize)
        m_answers[answer.command - kSetBaudRate] = answer.value;
}

bool LineSettingsConfirmation::complete() const
{
    for (const auto& answer : m_answers) {
        if (!answer)
            return false;
    }
    return true;
}

std::optional<QString> LineSettingsConfirmation::mismatch() const
{
    for (int i = 0; i < 4; ++i) {
        const quint32 wanted = wantedValue(m_wanted, i);
        if (m_answers[i] && *m_answers[i] != wanted)
            return QStringLiteral("%1 %2 instead of %3")
                .arg(QLatin1String(kSettingNames[i]))
                .arg(*m_answers[i])
                .arg(wanted);
    }
    return std::nullopt;
}

} // namespace net
