#pragma once
// The board's end of the serial line in a test: everything the program writes arrives here, with
// the time it arrived, and replies can be written back. Reading runs from the event loop, so it
// goes on while the program pauses inside a handler.
#include <QByteArray>
#include <QElapsedTimer>
#include <QObject>
#include <QSocketNotifier>
#include <QString>

#include <functional>
#include <memory>
#include <vector>

namespace e2etest {

struct Arrival {
    qint64 atMs;
    QByteArray bytes;
};

class BoardLine : public QObject {
public:
    // Opens the given terminal device raw, without making it the controlling terminal.
    explicit BoardLine(const QString& device);
    ~BoardLine() override;

    bool isOpen() const { return m_fd >= 0; }
    QByteArray received() const;
    const std::vector<Arrival>& arrivals() const { return m_arrivals; }
    // Milliseconds since this end was opened, on the clock of arrivals().
    qint64 now() const { return m_clock.elapsed(); }

    // Processes events until at least count bytes have arrived or the time is up.
    bool waitForBytes(int count, int timeoutMs = 3000);
    bool write(const QByteArray& bytes);
    // Called from the event loop after each read that brought new bytes, so a test can answer or
    // pull the line at the moment a frame is through rather than after a guessed time.
    void setOnArrival(std::function<void()> onArrival) { m_onArrival = std::move(onArrival); }

private:
    void readWaiting();

    int m_fd = -1;
    std::unique_ptr<QSocketNotifier> m_notifier;
    QElapsedTimer m_clock;
    std::vector<Arrival> m_arrivals;
    std::function<void()> m_onArrival;
};

// Writes bytes into the program's end of the line from outside the program, as a marker behind
// everything the program put on that line so far; for a line the program does not hold open.
bool writeIntoProgramEnd(const QString& device, const QByteArray& bytes);

} // namespace e2etest
