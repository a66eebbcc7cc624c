#pragma once
// The one way the program waits: a nested event loop that runs until a condition holds or a
// deadline passes, so the thread never blocks and never spins. Sockets, the serial port and
// timers go on being served meanwhile; whether clicks and keys are too is the waiter's choice.
//
//   line::EventWait wait;                       // user input left out: no click starts a frame
//   wait.wakeOn(&socket, &QTcpSocket::bytesWritten);
//   const bool sent = wait.until([&] { return socket.bytesToWrite() == 0; },
//                                QDeadlineTimer(line::kWriteTimeout));
#include <QDeadlineTimer>
#include <QEventLoop>
#include <QObject>

#include <functional>

namespace line {

class EventWait {
public:
    explicit EventWait(QEventLoop::ProcessEventsFlags flags = QEventLoop::ExcludeUserInputEvents);

    // Looks at the condition again whenever sender emits signal.
    template <typename Sender, typename Signal>
    void wakeOn(const Sender* sender, Signal signal)
    {
        QObject::connect(sender, signal, &m_loop, &QEventLoop::quit);
    }

    // True once done() holds, checked before the first wait and after every wake; false when the
    // deadline passed first. A condition that already holds returns at once, handling nothing.
    bool until(const std::function<bool()>& done, QDeadlineTimer deadline);

    // Handles events until the deadline, whatever happens; at least one pass over the events
    // that are waiting, also for a deadline already past.
    void pause(QDeadlineTimer deadline);

private:
    QEventLoop m_loop;
    QEventLoop::ProcessEventsFlags m_flags;
};

} // namespace line
