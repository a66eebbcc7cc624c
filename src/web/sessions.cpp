#include "web/sessions.h"

#include "web/credentials.h"

#include <QDeadlineTimer>

#include <algorithm>

namespace web {

using std::chrono::milliseconds;

qint64 steadyMilliseconds()
{
    return QDeadlineTimer::current().deadline();
}

Sessions::Sessions(std::chrono::seconds lifetime, Clock clock, int maxOpen)
    : m_lifetime(lifetime), m_clock(std::move(clock)), m_maxOpen(std::max(1, maxOpen))
{
}

QByteArray Sessions::open(const QByteArray& generation)
{
    const qint64 now = m_clock();
    dropExpired(now);
    while (m_open.size() >= m_maxOpen) {
        const auto first = std::min_element(m_open.cbegin(), m_open.cend(),
                                            [](const Session& a, const Session& b) { return a.expiry < b.expiry; });
        m_open.erase(first);
    }
    const QByteArray id = randomSecret();
    m_open.insert(secretHash(id), {now + milliseconds(m_lifetime).count(), generation});
    return id;
}

bool Sessions::isOpen(QByteArrayView id, const QByteArray& generation)
{
    if (id.isEmpty())
        return false;
    dropExpired(m_clock());
    const QByteArray key = secretHash(id);
    const auto found = m_open.constFind(key);
    if (found == m_open.cend())
        return false;
    if (found->generation != generation) {
        m_open.remove(key);
        return false;
    }
    return true;
}

void Sessions::close(QByteArrayView id)
{
    m_open.remove(secretHash(id));
}

std::chrono::seconds Sessions::lifetime() const
{
    return m_lifetime;
}

void Sessions::dropExpired(qint64 now)
{
    m_open.removeIf([now](const auto& entry) { return entry.value().expiry <= now; });
}

LoginLimiter::LoginLimiter(const LoginLimits& limits, Clock clock) : m_limits(limits), m_clock(std::move(clock))
{
    m_limits.maxFailures = std::max(1, m_limits.maxFailures);
}

void LoginLimiter::forgetOld(qint64 now)
{
    const qint64 windowStart = now - m_limits.window.count();
    m_failures.removeIf([windowStart](auto& entry) {
        QList<qint64>& times = entry.value();
        times.removeIf([windowStart](qint64 time) { return time <= windowStart; });
        return times.isEmpty();
    });
}

milliseconds LoginLimiter::lockedFor(const QHostAddress& address)
{
    const qint64 now = m_clock();
    forgetOld(now);
    const QList<qint64> times = m_failures.value(address);
    if (times.size() < m_limits.maxFailures)
        return milliseconds(0);
    // Free again once all but maxFailures - 1 of the failures have left the window.
    const qint64 freedAt = times[times.size() - m_limits.maxFailures] + m_limits.window.count();
    return milliseconds(std::max<qint64>(1, freedAt - now));
}

milliseconds LoginLimiter::fail(const QHostAddress& address)
{
    const qint64 now = m_clock();
    forgetOld(now);
    if (!m_failures.contains(address) && m_failures.size() >= m_limits.maxAddresses) {
        const auto quietest = std::min_element(
            m_failures.cbegin(), m_failures.cend(),
            [](const QList<qint64>& a, const QList<qint64>& b) { return a.constLast() < b.constLast(); });
        m_failures.erase(quietest);
    }
    QList<qint64>& times = m_failures[address];
    times.append(now);
    const int doublings = int(std::min<qsizetype>(times.size() - 1, 30));
    const qint64 delay = m_limits.firstDelay.count() << doublings;
    return milliseconds(std::min<qint64>(delay, m_limits.maxDelay.count()));
}

void LoginLimiter::succeed(const QHostAddress& address)
{
    m_failures.remove(address);
}

} // namespace web
