#pragma once

// The board's end of a serial line for the benchmarks: the master of a pseudo-terminal whose
// slave the program under test opens as its port. A thread of its own reads it, so that the
// moment the last expected byte arrives is taken when it arrives, whatever the event loop of
// the program under test is doing.
#include <atomic>
#include <chrono>
#include <condition_variable>
#include <mutex>
#include <optional>
#include <string>
#include <thread>

class BoardEnd {
public:
    using Clock = std::chrono::steady_clock;

    BoardEnd() = default;
    ~BoardEnd();
    BoardEnd(const BoardEnd&) = delete;
    BoardEnd& operator=(const BoardEnd&) = delete;

    // Opens the pseudo-terminal in raw mode and starts the reader; false with errno on failure.
    bool open();
    const std::string& slavePath() const { return m_slavePath; }

    // Starts counting afresh: bytes read from now on count towards the next wait.
    void expect(long bytes);
    // The moment the expected count was reached, or nothing when the timeout passed first.
    // pump runs while waiting, in short slices, for programs whose bytes leave from their
    // own event loop.
    template<typename Pump>
    std::optional<Clock::time_point> wait(std::chrono::milliseconds timeout, Pump pump);
    long received() const;
    // Whether the reader runs at a real-time priority (it asks for one; the system may refuse).
    bool realtime() const { return m_realtime; }

private:
    void read();

    int m_master = -1;
    int m_slave = -1; // held open so that the master sees no hang-up between opens of the slave
    int m_stopPipe[2] = {-1, -1};
    std::string m_slavePath;
    std::atomic<bool> m_realtime = false;
    std::thread m_reader;
    mutable std::mutex m_mutex;
    std::condition_variable m_arrived;
    long m_expected = 0;
    long m_received = 0;
    std::optional<Clock::time_point> m_completedAt;
};

template<typename Pump>
std::optional<BoardEnd::Clock::time_point> BoardEnd::wait(std::chrono::milliseconds timeout, Pump pump)
{
    const auto deadline = Clock::now() + timeout;
    for (;;) {
        {
            std::unique_lock lock(m_mutex);
            if (m_arrived.wait_for(lock, std::chrono::milliseconds(1), [this] { return m_completedAt.has_value(); }))
                return m_completedAt;
        }
        if (Clock::now() >= deadline)
            return std::nullopt;
        pump();
    }
}
