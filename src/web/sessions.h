#pragma once
// Who is logged in, and who has been guessing: the session ids handed out by a login, and the
// failed logins of each address, both in memory only (a restart logs everybody out).
#include <QByteArray>
#include <QByteArrayView>
#include <QHash>
#include <QHostAddress>
#include <QList>

#include <chrono>
#include <functional>

namespace web {

// Milliseconds on a clock that only goes forward; tests pass their own to move time on.
using Clock = std::function<qint64()>;
qint64 steadyMilliseconds();

class Sessions {
public:
    // At most maxOpen sessions at once: opening one more ends the one that would end first.
    Sessions(std::chrono::seconds lifetime, Clock clock, int maxOpen = 64);

    // A new session id (randomSecret()), valid for lifetime() from now and while the password
    // is of generation (StoredPassword::generation).
    QByteArray open(const QByteArray& generation);
    // Whether id was opened under generation, is not closed and has not expired. A session of
    // another generation is closed: the password has changed since its login.
    bool isOpen(QByteArrayView id, const QByteArray& generation);
    void close(QByteArrayView id);
    std::chrono::seconds lifetime() const;

private:
    void dropExpired(qint64 now);

    std::chrono::seconds m_lifetime;
    Clock m_clock;
    int m_maxOpen;
    struct Session {
        qint64 expiry;
        QByteArray generation;
    };
    QHash<QByteArray, Session> m_open; // by the hash of the id, so no lookup compares the id itself
};

struct LoginLimits {
    int maxFailures = 10;                                          // within window; then 429
    int maxChecks = 8; // passwords being checked or waiting for it, one per address; then 429
    std::chrono::milliseconds window = std::chrono::minutes(15);   // how long a failure counts
    std::chrono::milliseconds firstDelay = std::chrono::milliseconds(500); // doubled for each further failure
    std::chrono::milliseconds maxDelay = std::chrono::seconds(8);
    int maxAddresses = 1024; // remembered at once; beyond that the quietest is forgotten
};

// Failed logins of each address within a sliding window. Each failure's answer is held back for
// a delay that doubles with the failures in the window (500 ms, 1 s, 2 s, … up to 8 s); once an
// address has maxFailures in the window, it is locked out until the oldest leaves the window.
// A locked-out attempt is not checked and not counted.
class LoginLimiter {
public:
    LoginLimiter(const LoginLimits& limits, Clock clock);

    // How long until address may try again; zero when it may now.
    std::chrono::milliseconds lockedFor(const QHostAddress& address);
    // Counts a failure of address; returns how long to hold back its answer.
    std::chrono::milliseconds fail(const QHostAddress& address);
    // A right password: address's failures are forgotten.
    void succeed(const QHostAddress& address);

private:
    void forgetOld(qint64 now);

    LoginLimits m_limits;
    Clock m_clock;
    QHash<QHostAddress, QList<qint64>> m_failures; // times of the failures within the window, oldest first
};

} // namespace web
