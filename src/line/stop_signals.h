#pragma once

// Turns SIGINT, SIGTERM and SIGHUP into a Qt signal, so that a program that holds a line (the
// virtual board, vorfjp-web under systemd) closes it on the event loop instead of dying mid-way,
// which would leave its port's lock file and links behind.
// On Linux through a signal descriptor (stop_signals_linux.cpp). On Windows the console's control
// events stand for them (stop_signals_win.cpp): Ctrl+C and Ctrl+Break come as SIGINT; closing the
// console, logging off and shutting down as SIGTERM.

#include <QObject>

#include <memory>

namespace line {

class StopSignals : public QObject {
    Q_OBJECT
public:
    // Blocks the three signals for the whole process; call before any thread starts.
    static void block();
    // Gives this thread the default reaction back, for a run that serves nothing (a prompt that
    // Ctrl-C must end).
    static void unblock();

    // After block(): reports each arrival of one of them. Does nothing when the
    // kernel refuses a signal descriptor (the default reaction then applies).
    explicit StopSignals(QObject* parent = nullptr);
    ~StopSignals() override;

signals:
    void stopRequested(int signalNumber);

private:
    struct Source; // the system's side
    std::unique_ptr<Source> m_source;
};

} // namespace line
