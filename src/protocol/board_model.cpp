#include "protocol/board_model.h"

#include "protocol/clock.h"
#include "protocol/connection_test.h"
#include "protocol/segment.h"
#include "protocol/weather_dots.h"

#include <algorithm>
#include <variant>

namespace protocol {

namespace {

constexpr quint8 kDarkCode = SegmentCodes[kDarkCell];

// The effect of a payload its parser took apart (use(effect, value)), or Malformed
// with the parser's reason.
template <typename T, typename Use>
FrameEffect applyPayload(FrameEffect effect, const PayloadParse<T>& parsed, Use use)
{
    if (const auto* fault = std::get_if<PayloadFault>(&parsed)) {
        effect.kind = FrameEffect::Kind::Malformed;
        effect.reason = fault->reason;
        return effect;
    }
    use(effect, std::get<T>(parsed));
    return effect;
}

} // namespace

BoardModel::BoardModel(quint8 deviceId)
    : m_deviceId(deviceId)
    , m_memory(kDisplayCells, char(kDarkCode))
    , m_written(kDisplayCells)
{
}

FrameEffect BoardModel::apply(const DecodedFrame& frame, qint64 monotonicMs)
{
    FrameEffect effect;
    effect.device = frame.address;
    effect.command = frame.command;
    if (frame.address != m_deviceId && frame.address != kEveryDevice) {
        effect.kind = FrameEffect::Kind::Ignored;
        effect.reason = QStringLiteral("addressed to device %1, this board is %2").arg(frame.address).arg(m_deviceId);
        return effect;
    }
    switch (Command(frame.command)) {
    case Command::DisplayData:
        return applyPayload(effect, parseDisplayData(frame.payload),
                            [this](FrameEffect& e, const DisplayWrite& write) { writeCells(e, write); });
    case Command::Clock: {
        const auto setClock = [this, monotonicMs](FrameEffect& e, const QDateTime& clock) {
            e.kind = FrameEffect::Kind::Clock;
            e.clock = clock;
            m_clockSet = clock;
            m_clockSetAt = monotonicMs;
        };
        return applyPayload(effect, parseClock(frame.payload), setClock);
    }
    case Command::WeatherDots:
        return applyPayload(effect, parseWeatherDots(frame.payload), [this](FrameEffect& e, const DotMatrix& dots) {
            e.kind = FrameEffect::Kind::Dots;
            e.dots = dots;
            m_dots = dots;
        });
    case Command::ConnectionTest:
        // The board answers with its own number, whatever number the test asked for.
        return applyPayload(effect, parseConnectionTest(frame.payload), [this](FrameEffect& e, quint8) {
            e.kind = FrameEffect::Kind::ConnectionTest;
            e.reply = connectionTestReply(m_deviceId);
        });
    }
    effect.kind = FrameEffect::Kind::UnknownCommand;
    effect.reason = QStringLiteral("unknown command %1").arg(hexByte(frame.command));
    return effect;
}

void BoardModel::writeCells(FrameEffect& effect, const DisplayWrite& write)
{
    effect.kind = FrameEffect::Kind::DisplayData;
    effect.address = write.address;
    effect.cells = write.cells;
    const int count = int(write.cells.size());
    const int fitting = std::min(count, kDisplayCells - write.address);
    for (int i = 0; i < fitting; ++i) {
        m_memory[write.address + i] = write.cells.at(i);
        m_written.setBit(write.address + i);
    }
    if (fitting < count)
        effect.reason = QStringLiteral("%1 cells past address 65535 dropped").arg(count - fitting);
}

quint8 BoardModel::cell(int address) const
{
    if (address < 0 || address >= kDisplayCells)
        return kDarkCode;
    return quint8(m_memory.at(address));
}

QByteArray BoardModel::cells(int address, int count) const
{
    QByteArray out;
    for (int i = 0; i < count; ++i)
        out.append(char(cell(address + i)));
    return out;
}

bool BoardModel::written(int address) const
{
    return address >= 0 && address < kDisplayCells && m_written.testBit(address);
}

std::vector<int> BoardModel::writtenBlocks(int blockSize) const
{
    std::vector<int> blocks;
    for (int start = 0; start < kDisplayCells; start += blockSize) {
        for (int i = start; i < std::min(start + blockSize, kDisplayCells); ++i) {
            if (m_written.testBit(i)) {
                blocks.push_back(start);
                break;
            }
        }
    }
    return blocks;
}

std::optional<QDateTime> BoardModel::clockAt(qint64 monotonicMs) const
{
    if (!m_clockSet)
        return std::nullopt;
    return m_clockSet->addMSecs(monotonicMs - m_clockSetAt);
}

} // namespace protocol
