#pragma once

#include <QByteArray>
#include <QString>
#include <QtGlobal>

#include <optional>

namespace net {

// The serial line settings a device server is asked to put its port at.
struct LineSettings {
    quint32 baudRate = 0;
    quint8 dataBits = 0;
    enum class Parity : quint8 { None = 1, Odd = 2, Even = 3 } parity = Parity::None;
    enum class StopBits : quint8 { One = 1, Two = 2 } stopBits = StopBits::One;
};

// The com port option's commands (RFC 2217); the server answers each with code + 100.
namespace comport {
inline constexpr quint8 kSetBaudRate = 1;
inline constexpr quint8 kSetDataSize = 2;
inline constexpr quint8 kSetParity = 3;
inline constexpr quint8 kSetStopSize = 4;
inline constexpr quint8 kSetControl = 5;
inline constexpr quint8 kServerOffset = 100;
inline constexpr quint8 kNoFlowControl = 1;
} // namespace comport

// The subnegotiations that set baud rate, data size, parity, stop size and no
// flow control, in that order, ready for the wire.
QByteArray lineSettingsRequest(const LineSettings& settings);

// SET-BAUDRATE with the value 0, which asks the server for its current rate and
// changes nothing on the line (RFC 2217). The server answers it in the order of the
// stream, so its answer shows that the server has read everything sent before it:
// FF FA 2C 01 00 00 00 00 FF F0, answered e.g. with FF FA 2C 65 00 00 E1 00 FF F0.
QByteArray baudRateQuery();

// One answer of the server to a setting: which setting and the value it now has.
struct ComPortAnswer {
    quint8 command = 0; // the client's command code it answers (1..5)
    quint32 value = 0;
    friend bool operator==(const ComPortAnswer&, const ComPortAnswer&) = default;
};

// A com port subnegotiation payload from the server (code and value); nullopt
// for anything that is not an answer to a setting or has a wrong value length.
std::optional<ComPortAnswer> comPortAnswer(const QByteArray& payload);

// Collects the server's answers to the four settings that matter for the line
// (baud rate, data size, parity, stop size). Flow control is left out: a server
// in front of a line without modem-control lines does not answer it.
class LineSettingsConfirmation {
public:
    explicit LineSettingsConfirmation(const LineSettings& wanted);
    void take(const ComPortAnswer& answer);
    bool complete() const;
    // The first setting the server put at another value than asked, in English
    // ("baud rate 9600 instead of 57600"); nullopt while none differs.
    std::optional<QString> mismatch() const;

private:
    LineSettings m_wanted;
    std::optional<quint32> m_answers[4];
};

} // namespace net
