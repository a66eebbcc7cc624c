#pragma once

// Turns SIGINT, SIGTERM and SIGHUP into a Qt signal, so that the board closes
// its line (and removes its link) on the event loop instead of dying mid-way.
// Linux only (signal descriptors); elsewhere the signals keep their default reaction.

#include <QObject>

class QSocketNotifier;

namespace boardsim {

class StopSignals : public QObject {
    Q_OBJECT
public:
    // Blocks the three signals for the whole process; call before any thread starts.
    static void block();

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

} // namespace boardsim
