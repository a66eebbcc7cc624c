#include "board_model.h"

#include "protocol/clock.h"
#include "protocol/connection_test.h"
#include "protocol/display_data.h"
#include "protocol/frame.h"
#include "protocol/segment.h"
#include "protocol/weather_dots.h"

#include <QDate>
#include <QTime>

namespace boardsim {

namespace {

constexpr quint8 kDarkCode = protocol::SegmentCodes[protocol::kDarkCell];

int word(const QByteArray& bytes, int offset)
{
    return quint8(bytes.at(offset)) * 256 + quint8(bytes.at(offset + 1));
}

} // namespace

BoardModel::BoardModel(quint8 deviceId)
    : m_deviceId(deviceId)
    , m_memory(kDisplayCells, char(kDarkCode))
    , m_written(kDisplayCells)
{
}

FrameEffect BoardModel::apply(const protocol::DecodedFrame& frame, qint64 monotonicMs)
{
    FrameEffect effect;
    effect.device = frame.address;
    effect.command = frame.command;
    if (frame.address != m_deviceId && frame.address != protocol::kEveryDevice) {
        effect.kind = FrameEffect::Kind::Ignored;
        effect.reason = QStringLiteral("addressed to device %1, this board is %2").arg(frame.address).arg(m_deviceId);
        return effect;
    }
    switch (protocol::Command(frame.command)) {
    case protocol::Command::DisplayData:
        return writeCells(effect, frame.payload);
    case protocol::Command::Clock:
        return setClock(effect, frame.payload, monotonicMs);
    case protocol::Command::WeatherDots:
        return setDots(effect, frame.payload);
    case protocol::Command::ConnectionTest:
        return answerTest(effect, frame.payload);
    }
    effect.kind = FrameEffect::Kind::UnknownCommand;
    effect.reason = QStringLiteral("unknown command 0x%1").arg(QString::number(frame.command, 16).toUpper().rightJustified(2, u'0'));
    return effect;
}

FrameEffect BoardModel::writeCells(FrameEffect effect, const QByteArray& payload)
{
    effect.kind = FrameEffect::Kind::Malformed;
    constexpr int header = protocol::kDisplayDataHeader;
    if (payload.size() < header) {
        effect.reason = QStringLiteral("display data needs %1 header bytes, got %2").arg(header).arg(payload.size());
        return effect;
    }
    const int count = word(payload, 2);
    if (payload.size() - header != count) {
        effect.reason = QStringLiteral("display data announces %1 cells but carries %2").arg(count).arg(payload.size() - header);
        return effect;
    }
    effect.kind = FrameEffect::Kind::DisplayData;
    effect.address = word(payload, 0);
    effect.cells = payload.sliced(header);
    const int fitting = std::min(count, kDisplayCells - effect.address);
    for (int i = 0; i < fitting; ++i) {
        m_memory[effect.address + i] = effect.cells.at(i);
        m_written.setBit(effect.address + i);
    }
    if (fitting < count)
        effect.reason = QStringLiteral("%1 cells past address 65535 dropped").arg(count - fitting);
    return effect;
}

FrameEffect BoardModel::setClock(FrameEffect effect, const QByteArray& payload, qint64 monotonicMs)
{
    effect.kind = FrameEffect::Kind::Malformed;
    if (payload.size() != protocol::kClockPayloadBytes) {
        effect.reason = QStringLiteral("clock needs %1 bytes, got %2").arg(protocol::kClockPayloadBytes).arg(payload.size());
        return effect;
    }
    const auto at = [&payload](int i) { return int(quint8(payload.at(i))); };
    const QDate date(2000 + at(0), at(1), at(2));
    const QTime time(at(3), at(4), at(5));
    if (at(0) > 99 || !date.isValid() || !time.isValid()) {
        effect.reason = QStringLiteral("not a date and time: %1 %2 %3 %4 %5 %6")
                            .arg(at(0)).arg(at(1)).arg(at(2)).arg(at(3)).arg(at(4)).arg(at(5));
        return effect;
    }
    effect.kind = FrameEffect::Kind::Clock;
    effect.clock = QDateTime(date, time, Qt::UTC);
    m_clockSet = effect.clock;
    m_clockSetAt = monotonicMs;
    return effect;
}

FrameEffect BoardModel::setDots(FrameEffect effect, const QByteArray& payload)
{
    effect.kind = FrameEffect::Kind::Malformed;
    if (payload.size() != protocol::kWeatherDotPayloadBytes) {
        effect.reason = QStringLiteral("dot matrix needs %1 bytes, got %2").arg(protocol::kWeatherDotPayloadBytes).arg(payload.size());
        return effect;
    }
    const int bytesPerRow = quint8(payload.at(protocol::kDotBytesPerRowAt));
    const int rows = quint8(payload.at(protocol::kDotRowsAt));
    if (bytesPerRow != protocol::kDotBytesPerRow || rows != protocol::kDotRows) {
        effect.reason = QStringLiteral("dot matrix of %1 bytes x %2 rows, this board has %3 x %4")
                            .arg(bytesPerRow).arg(rows).arg(protocol::kDotBytesPerRow).arg(protocol::kDotRows);
        return effect;
    }
    effect.kind = FrameEffect::Kind::Dots;
    for (int i = 0; i < protocol::kDotBytes; ++i)
        m_dots[i] = quint8(payload.at(protocol::kDotHeaderBytes + i));
    return effect;
}

FrameEffect BoardModel::answerTest(FrameEffect effect, const QByteArray& payload) const
{
    if (payload.size() != 1) {
        effect.kind = FrameEffect::Kind::Malformed;
        effect.reason = QStringLiteral("connection test needs 1 byte, got %1").arg(payload.size());
        return effect;
    }
    effect.kind = FrameEffect::Kind::ConnectionTest;
    effect.reply = protocol::connectionTestReply(m_deviceId);
    return effect;
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

} // namespace boardsim
