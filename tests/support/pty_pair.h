#pragma once

#include <QProcess>
#include <QString>
#include <QTemporaryDir>

#include <chrono>

// A connected pair of pseudo-terminals made by socat, standing in for a serial
// cable: what is written to one end arrives at the other. The ends are reached
// through two symlinks in a private temporary folder.
class PtyPair {
public:
    PtyPair();
    ~PtyPair();
    PtyPair(const PtyPair&) = delete;
    PtyPair& operator=(const PtyPair&) = delete;

    // Starts socat and waits until both links exist. On failure errorString() says why.
    bool start(std::chrono::milliseconds timeout = std::chrono::seconds(5));

    QString linkA() const;   // the symlink, as a user would type it
    QString linkB() const;
    QString deviceA() const; // the /dev/pts/N node behind it
    QString deviceB() const;

    bool isRunning() const;
    QString errorString() const;

    // A cable whose far end stops reading: socat is stopped (SIGSTOP), so the
    // driver buffers fill up; resume() lets the bytes flow again.
    void pause();
    void resume();

    // Ends socat with SIGTERM (it removes the links), or SIGKILL when it lingers.
    void stop();
    // The cable torn out: SIGKILL, so both pseudo-terminals hang up at once; the
    // links are removed, as an unplugged device's node goes.
    void kill();

private:
    QTemporaryDir m_dir;
    QProcess m_socat;
    QString m_error;
};
