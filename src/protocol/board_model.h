#pragma once

// What the LED board holds: its display memory of seven-segment cell codes, the
// 64 x 16 weather dot matrix and its clock, and how each incoming frame changes
// them. The model does no I/O; the caller sends any reply it returns. The virtual
// board runs on it, and anything that wants to know what the program's frames put
// on the board reads them with it.

#include "protocol/display_data.h"
#include "protocol/dot_matrix.h"
#include "protocol/frame.h"

#include <QBitArray>
#include <QByteArray>
#include <QDateTime>
#include <QString>
#include <QtGlobal>

#include <array>
#include <optional>
#include <vector>

namespace protocol {

// Cell addresses are 16 bits wide.
inline constexpr int kDisplayCells = 65536;

struct FrameEffect {
    enum class Kind {
        DisplayData,     // cells written at address
        Clock,           // clock set to clock
        Dots,            // dot matrix replaced
        ConnectionTest,  // answered with reply
        Ignored,         // addressed to another board
        Malformed,       // for this board, but its payload does not fit its command
        UnknownCommand,
    };
    Kind kind = Kind::Malformed;
    quint8 device = 0;
    quint8 command = 0;
    int address = 0;
    QByteArray cells;    // the codes as the frame carried them
    QDateTime clock;     // the board's wall-clock time, kept in UTC so that no time-zone rule shifts it
    DotMatrix dots {};   // Dots: the matrix the frame carried
    QByteArray reply;
    QString reason;      // Ignored, Malformed, UnknownCommand; cells dropped past the memory end
};

class BoardModel {
public:
    explicit BoardModel(quint8 deviceId);

    quint8 deviceId() const { return m_deviceId; }

    // Applies one frame received at monotonicMs (any monotonic millisecond clock,
    // the same one later given to clockAt()).
    FrameEffect apply(const DecodedFrame& frame, qint64 monotonicMs);

    // Cell code at address; a cell never written, or outside memory, is dark (0xFF).
    quint8 cell(int address) const;
    QByteArray cells(int address, int count) const;
    bool written(int address) const;

    // Start addresses of the blocks of blockSize cells that hold a written cell, in order.
    std::vector<int> writtenBlocks(int blockSize) const;

    const DotMatrix& dots() const { return m_dots; }

    // The board's clock at monotonicMs: the last time set, running on since; none before the first set.
    std::optional<QDateTime> clockAt(qint64 monotonicMs) const;

private:
    void writeCells(FrameEffect& effect, const DisplayWrite& write);

    quint8 m_deviceId;
    QByteArray m_memory;
    QBitArray m_written;
    DotMatrix m_dots {};
    std::optional<QDateTime> m_clockSet;
    qint64 m_clockSetAt = 0;
};

} // namespace protocol
