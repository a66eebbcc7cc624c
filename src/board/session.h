#pragma once
// The one owner of the board's line in a sender's process (vorfjp-send, vorfjp-web): the content
// file it sends from, the port with the one queue of requests, and the end of the port's session.
// Front ends hand it requests and word the outcomes; nothing else in the process opens, writes
// or finishes the port.
//
// Requests run one at a time, in the order they came, from the event loop: run() only queues,
// so a request never starts inside its caller, and two requests never interleave frames.
//
// The end of a session: once the queue is empty, a device server's connection of the sender's
// own is ended at once, and the sends on it are reported only when the end has shown that the
// server got their frames onto its line (the end's problem otherwise). Another port is finished
// once no request has come for idleClose, so that the window can open it. A request that comes
// meanwhile waits for the end and then opens the port anew.
//
// The save order is send, then save: a request's edits are checked against the file and sent
// with it, and written into the file under the writers' lock only once the frames went out. A
// send that could not open the port or write a frame leaves the file as it was, as the window's
// buttons always have, and the file never holds content the board was not sent. The edits are
// written into the file as it stands after the send, so that a field another writer changed
// meanwhile keeps that writer's value.
//
// Example, vorfjp-web's POST /api/send/rooms:
//   session.run({board::Command::Rooms, 5, {}}, [done](const board::Outcome& outcome) {
//       done(outcome.ok() ? ok() : problemAnswer(outcome.problem()));
//   });
#include "board/board_engine.h"
#include "board/board_port.h"
#include "board/content_edit.h"

#include <QDateTime>
#include <QObject>
#include <QTimer>

#include <chrono>
#include <deque>
#include <functional>
#include <memory>
#include <optional>
#include <vector>

namespace board {

struct SessionSetup {
    QString contentPath; // read when a request needs the content
    WeatherDrawing draw;
    std::function<QDateTime()> clock = [] { return QDateTime::currentDateTime(); };
    // How long a connection test waits for the board's answer.
    std::chrono::milliseconds answerWait = kAnswerWait;
    // How long a port stays open once the queue is empty; a device server's is ended at once.
    std::chrono::milliseconds idleClose {1000};
    // Called whenever the port's session has ended, with how the end went.
    std::function<void(const Outcome& finished)> ended;
};

struct Request {
    Command command = Command::Test;
    quint8 deviceId = protocol::kEveryDevice;
    std::vector<FieldEdit> edits; // written into the file once the frames went out
};

class Session : public QObject {
    Q_OBJECT
public:
    using Done = std::function<void(const Outcome&)>;

    Session(std::unique_ptr<BoardPort> port, SessionSetup setup, QObject* parent = nullptr);

    // Queues the request and returns at once; done is called once, later, with the outcome.
    void run(Request request, Done done);
    // Drops every request that has not started; their done is never called.
    void dropQueued();

    // A request is under way, or its outcome waits for the end of the port's session.
    bool sending() const { return m_running || !m_unconfirmed.empty(); }
    int queued() const { return int(m_queue.size()); }
    const BoardPort& port() const { return *m_port; }

private:
    struct Queued {
        Request request;
        Done done;
    };

    void runQueue();
    Outcome runOne(const Request& request);
    void endPortSession();

    SessionSetup m_setup;
    std::unique_ptr<BoardPort> m_port;
    BoardEngine m_engine;
    std::deque<Queued> m_queue;
    // Sent on a device server whose end has not confirmed them yet.
    std::vector<std::pair<Done, Outcome>> m_unconfirmed;
    // A request runs: the waits of a send (the line, the weather pause) handle events, and a
    // request started from one of them would mix its frames into this one's.
    bool m_running = false;
    QTimer m_idle;
};

} // namespace board
