#include "board/session.h"

#include "line/event_wait.h"
#include "storage/content_file.h"

#include <utility>

namespace board {

Session::Session(std::unique_ptr<BoardPort> port, SessionSetup setup, QObject* parent)
    : QObject(parent)
    , m_setup(std::move(setup))
    , m_port(std::move(port))
    , m_engine(*m_port, [this] {
        EngineSetup engine;
        engine.clock = m_setup.clock;
        engine.draw = m_setup.draw;
        // Other requests are queued meanwhile, and the service's other clients answered.
        engine.pause = [](std::chrono::milliseconds pause) {
            line::EventWait(QEventLoop::AllEvents).pause(QDeadlineTimer(pause));
        };
        engine.answerWait = m_setup.answerWait;
        // The content came from the file, with the edits that runOne() writes after the send.
        engine.save = [](const storage::BoardContent& sent) { return storage::UpdateResult {sent, false, {}, {}}; };
        return engine;
    }())
{
    m_idle.setSingleShot(true);
    m_idle.setInterval(m_setup.idleClose);
    connect(&m_idle, &QTimer::timeout, this, [this] {
        if (!m_running)
            endPortSession();
    });
}

void Session::run(Request request, Done done)
{
    m_queue.push_back({std::move(request), std::move(done)});
    m_idle.stop();
    QMetaObject::invokeMethod(this, &Session::runQueue, Qt::QueuedConnection);
}

void Session::dropQueued()
{
    m_queue.clear();
}

void Session::runQueue()
{
    // Every run() queues one call here; the first that finds the queue full runs it all.
    if (m_running || m_queue.empty())
        return;
    m_running = true;
    bool ended = false;
    while (!m_queue.empty()) {
        // A connection that went away since its sends cannot confirm them any more, and a new
        // one for the next request must not confirm them in its place.
        if (!m_unconfirmed.empty() && !m_port->isOpen()) {
            endPortSession();
            ended = true;
            continue;
        }
        Queued next = std::move(m_queue.front());
        m_queue.pop_front();
        ended = false;
        Outcome outcome = runOne(next.request);
        if (outcome.ok() && m_port->finishConfirms())
            m_unconfirmed.emplace_back(std::move(next.done), std::move(outcome));
        else
            next.done(outcome);
        if (m_queue.empty() && m_port->finishConfirms()) {
            endPortSession();
            ended = true;
        }
    }
    m_running = false;
    if (ended)
        return;
    if (m_setup.idleClose.count() > 0)
        m_idle.start();
    else
        endPortSession();
}

Outcome Session::runOne(const Request& request)
{
    Draft draft {{}, request.deviceId};
    if (needsContent(request.command)) {
        const storage::DecodeResult loaded = storage::loadContentFile(m_setup.contentPath);
        if (!loaded.content)
            return ContentUnusable {loaded.error, {}};
        Applied applied = applyEdits(*loaded.content, request.edits);
        if (!applied.errors.empty())
            return ContentUnusable {{}, std::move(applied.errors)};
        draft.content = std::move(applied.content);
    }
    Outcome outcome = m_engine.run(request.command, [&draft] { return draft; });
    if (!outcome.ok() || !rewritesContent(request.command) || request.edits.empty())
        return outcome;
    // Sent: now the edits go into the file as it stands, beside what others wrote meanwhile.
    const Written written = writeEdits(m_setup.contentPath, request.edits);
    if (!written.content)
        return SaveFailed {written.error, written.errors, written.unreadable};
    outcome.saved = written.content;
    return outcome;
}

void Session::endPortSession()
{
    const Outcome finished = m_port->finish();
    for (auto& [done, outcome] : std::exchange(m_unconfirmed, {}))
        done(finished.ok() ? outcome : finished);
    if (m_setup.ended)
        m_setup.ended(finished);
}

} // namespace board
