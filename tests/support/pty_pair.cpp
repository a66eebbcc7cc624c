#include "support/pty_pair.h"

#include <QDeadlineTimer>
#include <QFile>
#include <QFileInfo>

#include <signal.h>

PtyPair::PtyPair() = default;

PtyPair::~PtyPair()
{
    stop();
}

QString PtyPair::linkA() const { return m_dir.filePath(QStringLiteral("a")); }
QString PtyPair::linkB() const { return m_dir.filePath(QStringLiteral("b")); }
QString PtyPair::deviceA() const { return QFileInfo(linkA()).symLinkTarget(); }
QString PtyPair::deviceB() const { return QFileInfo(linkB()).symLinkTarget(); }

bool PtyPair::isRunning() const
{
    return m_socat.state() != QProcess::NotRunning;
}

QString PtyPair::errorString() const
{
    return m_error;
}

bool PtyPair::start(std::chrono::milliseconds timeout)
{
    if (!m_dir.isValid()) {
        m_error = QStringLiteral("no temporary folder: ") + m_dir.errorString();
        return false;
    }
    const auto address = [](const QString& link) { return QStringLiteral("pty,raw,echo=0,link=") + link; };
    m_socat.setProcessChannelMode(QProcess::SeparateChannels);
    m_socat.setReadChannel(QProcess::StandardError);
    m_socat.start(QStringLiteral("socat"),
                  {QStringLiteral("-d"), QStringLiteral("-d"), address(linkA()), address(linkB())});
    if (!m_socat.waitForStarted(int(timeout.count()))) {
        m_error = QStringLiteral("socat did not start: ") + m_socat.errorString();
        return false;
    }
    // socat logs "starting data transfer loop" once both ends are made; the
    // links are then in place. Waiting on its output needs no polling.
    const QDeadlineTimer deadline(timeout);
    QByteArray log;
    while (!(QFileInfo::exists(linkA()) && QFileInfo::exists(linkB())
             && log.contains("starting data transfer loop"))) {
        if (deadline.hasExpired() || m_socat.state() == QProcess::NotRunning) {
            m_error = QStringLiteral("socat did not make the links: ") + QString::fromLocal8Bit(log);
            stop();
            return false;
        }
        m_socat.waitForReadyRead(int(qMin<qint64>(deadline.remainingTime(), 100)));
        log += m_socat.readAllStandardError();
    }
    return true;
}

void PtyPair::pause()
{
    if (isRunning())
        ::kill(pid_t(m_socat.processId()), SIGSTOP);
}

void PtyPair::resume()
{
    if (isRunning())
        ::kill(pid_t(m_socat.processId()), SIGCONT);
}

void PtyPair::stop()
{
    if (!isRunning())
        return;
    resume(); // a stopped socat would not act on SIGTERM
    m_socat.terminate();
    if (!m_socat.waitForFinished(3000)) {
        m_socat.kill();
        m_socat.waitForFinished(3000);
    }
}

void PtyPair::kill()
{
    if (!isRunning())
        return;
    m_socat.kill();
    m_socat.waitForFinished(3000);
    // The kernel hands the freed pseudo-terminal numbers to the next pair that any test makes;
    // a link left behind would lead a program that reopens it into that other test's line,
    // where a real unplugged adapter's device node is simply gone.
    QFile::remove(linkA());
    QFile::remove(linkB());
}
