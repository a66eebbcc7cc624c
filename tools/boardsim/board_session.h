#pragma once

// Runs the board on a line: decodes what arrives, applies it to the board
// model, answers connection tests, and gives up on a half frame once the line
// has been idle for a while.

#include "line.h"
#include "protocol/board_model.h"
#include "protocol/stream_decoder.h"

#include <QDateTime>
#include <QElapsedTimer>
#include <QObject>
#include <QTimer>

namespace boardsim {

class BoardSession : public QObject {
    Q_OBJECT
public:
    // A frame the program sends arrives in well under this; after it, bytes still
    // waiting cannot be completed and are reported.
    static constexpr int kIdleFlushMs = 250;

    BoardSession(quint8 deviceId, Line& line, QObject* parent = nullptr);

    const protocol::BoardModel& model() const { return m_model; }
    // The board's clock now.
    std::optional<QDateTime> clock() const;

signals:
    void frameHandled(const protocol::DecodedFrame& frame, const protocol::FrameEffect& effect, const QDateTime& at);
    void bytesRejected(const protocol::RejectedRun& run, const QDateTime& at);
    void replyFailed(const QByteArray& reply);

private:
    void receive(const QByteArray& bytes);
    void handle(std::vector<protocol::DecodedItem> items);

    Line& m_line;
    protocol::StreamDecoder m_decoder;
    protocol::BoardModel m_model;
    QElapsedTimer m_monotonic;
    QTimer m_idle;
};

} // namespace boardsim
