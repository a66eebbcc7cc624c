#pragma once
// Where one front end's frames go: a port of its own, the window's port lent over the user's
// local socket, or nowhere but a list (a dry run, a preview). The engine sees only this.
#include "board/outcome.h"
#include "line/line_fault.h"

#include <QByteArray>
#include <QObject>

#include <chrono>
#include <optional>
#include <vector>

namespace board {

class BoardPort : public QObject {
    Q_OBJECT
public:
    using QObject::QObject;

    // Makes sure there is a line to send on; done when there is.
    virtual Outcome open() = 0;
    virtual Outcome send(const QByteArray& frame) = 0;
    // Sends the connection test frame. With answerWait, waits that long for the board's answer
    // and gives its number; without, the answer comes later as the owner's receive event.
    virtual Outcome test(const QByteArray& frame, std::optional<std::chrono::milliseconds> answerWait) = 0;
    // Whether the line is still there (after the weather pause).
    virtual bool isOpen() const = 0;
    // Ends a short session so the device gets all that was sent (see line::Line::finish()).
    virtual Outcome finish() { return Outcome::done(); }
    // Whether only finish() shows that the frames got through: a device server on a connection
    // of the sender's own may drop what its line has not carried yet when the connection goes.
    virtual bool finishConfirms() const { return false; }

signals:
    void lost(const line::LineLoss& loss);
};

// Keeps the frames instead of sending them, in sending order: for a dry run and for a preview of
// what the board would show.
class FrameRecorder : public BoardPort {
    Q_OBJECT
public:
    using BoardPort::BoardPort;

    Outcome open() override { return Outcome::done(); }
    Outcome send(const QByteArray& frame) override
    {
        m_frames.push_back(frame);
        return Outcome::done();
    }
    Outcome test(const QByteArray& frame, std::optional<std::chrono::milliseconds>) override { return send(frame); }
    bool isOpen() const override { return true; }

    const std::vector<QByteArray>& frames() const { return m_frames; }
    std::vector<QByteArray> takeFrames() { return std::exchange(m_frames, {}); }

private:
    std::vector<QByteArray> m_frames;
};

} // namespace board
