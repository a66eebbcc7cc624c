#pragma once

// Turns SIGINT, SIGTERM and SIGHUP into a Qt signal, so that a program that holds a line (the
// virtual board, vorfjp-web under systemd) closes it on the event loop instead of dying mid-way,
// which would leave its port's lock file and links behind.
// Linux only (signal descriptors); elsewhere the signals keep their default reaction.

#include <QObject>

class QSocketNotifier;

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
    void readSignal();

    int m_fd = -1;
    QSocketNotifier* m_notifier = nullptr;
};

} // namespace line
