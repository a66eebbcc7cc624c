#include "support/device_servers.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QJsonDocument>
#include <QRegularExpression>
#include <QTest>

#include <set>

#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

namespace testsupport {

namespace {

constexpr int kStartTimeoutMs = 5000;

std::set<QString> socketInodes(qint64 pid)
{
    std::set<QString> inodes;
    static const QRegularExpression socketLink(QStringLiteral("^socket:\\[(\\d+)\\]$"));
    const QDir fds(QStringLiteral("/proc/%1/fd").arg(pid));
    for (const QFileInfo& fd : fds.entryInfoList(QDir::System | QDir::NoDotAndDotDot)) {
        const auto match = socketLink.match(fd.symLinkTarget().section(QLatin1Char('/'), -1));
        if (match.hasMatch())
            inodes.insert(match.captured(1));
    }
    return inodes;
}

void stopProcess(QProcess& process)
{
    if (process.state() == QProcess::NotRunning)
        return;
    process.terminate();
    if (!process.waitForFinished(kStartTimeoutMs)) {
        process.kill();
        process.waitForFinished(kStartTimeoutMs);
    }
}

bool waitForPort(QProcess& process, quint16& port, QString& error, const char* name)
{
    const bool found = QTest::qWaitFor(
        [&] {
            if (process.state() != QProcess::Running)
                return true;
            if (const auto listening = listeningPort(process.processId()))
                port = *listening;
            return port != 0;
        },
        kStartTimeoutMs);
    if (port != 0)
        return true;
    error = QStringLiteral("%1 did not listen%2: %3")
                .arg(QLatin1String(name), found ? QStringLiteral(" (it ended)") : QString(),
                     QString::fromLocal8Bit(process.readAllStandardError()));
    return false;
}

} // namespace

std::optional<quint16> listeningPort(qint64 pid)
{
    const std::set<QString> inodes = socketInodes(pid);
    QFile table(QStringLiteral("/proc/net/tcp"));
    if (inodes.empty() || !table.open(QIODevice::ReadOnly))
        return std::nullopt;
    table.readLine(); // header
    while (!table.atEnd()) {
        const QStringList fields = QString::fromLatin1(table.readLine()).simplified().split(QLatin1Char(' '));
        // sl local_address rem_address st tx:rx tr:when retrnsmt uid timeout inode
        if (fields.size() < 10 || fields[3] != QLatin1String("0A") || !inodes.count(fields[9]))
            continue;
        const QStringList local = fields[1].split(QLatin1Char(':'));
        if (local.size() == 2 && local[0] == QLatin1String("0100007F"))
            return quint16(local[1].toUInt(nullptr, 16));
    }
    return std::nullopt;
}

HeadlessBoard::~HeadlessBoard()
{
    stop();
}

bool HeadlessBoard::start(const QStringList& lineArguments)
{
    m_process.setProgram(QStringLiteral(VORFJP_BINARY_DIR "/tools/boardsim/boardsim"));
    m_process.setArguments(QStringList {QStringLiteral("--headless")} + lineArguments);
    m_process.start();
    if (!m_process.waitForStarted(kStartTimeoutMs)) {
        m_error = m_process.errorString();
        return false;
    }
    m_first = nextObject();
    if (m_first.isEmpty()) {
        m_error = QStringLiteral("boardsim printed nothing: ") + QString::fromLocal8Bit(m_process.readAllStandardError());
        return false;
    }
    return true;
}

QJsonObject HeadlessBoard::nextObject(int timeoutMs)
{
    if (!QTest::qWaitFor([this] { return m_process.canReadLine(); }, timeoutMs))
        return {};
    return QJsonDocument::fromJson(m_process.readLine()).object();
}

void HeadlessBoard::stop()
{
    stopProcess(m_process);
}

void HeadlessBoard::kill()
{
    m_process.kill();
    m_process.waitForFinished(kStartTimeoutMs);
}

Ser2net::~Ser2net()
{
    stopProcess(m_process);
}

bool Ser2net::start(const QString& accepter, const QString& device, const QString& lineSettings)
{
    const QString config = m_dir.filePath(QStringLiteral("ser2net.yaml"));
    QFile file(config);
    if (!m_dir.isValid() || !file.open(QIODevice::WriteOnly)) {
        m_error = QStringLiteral("cannot write the ser2net configuration");
        return false;
    }
    file.write(QStringLiteral("connection: &board\n"
                              "    accepter: %1,127.0.0.1,0\n"
                              "    connector: serialdev,%2,%3,local\n"
                              "    options:\n"
                              "      kickolduser: true\n")
                   .arg(accepter, device, lineSettings)
                   .toUtf8());
    file.close();
    m_process.setProgram(QStringLiteral("ser2net"));
    m_process.setArguments({QStringLiteral("-n"), QStringLiteral("-d"), QStringLiteral("-c"), config});
    m_process.start();
    if (!m_process.waitForStarted(kStartTimeoutMs)) {
        m_error = QStringLiteral("ser2net: ") + m_process.errorString();
        return false;
    }
    return waitForPort(m_process, m_port, m_error, "ser2net");
}

SocatTcpPty::~SocatTcpPty()
{
    stopProcess(m_process);
}

bool SocatTcpPty::start()
{
    m_process.setProgram(QStringLiteral("socat"));
    m_process.setArguments({QStringLiteral("TCP-LISTEN:0,bind=127.0.0.1"),
                            QStringLiteral("PTY,raw,echo=0,link=") + ptyLink()});
    m_process.start();
    if (!m_dir.isValid() || !m_process.waitForStarted(kStartTimeoutMs)) {
        m_error = QStringLiteral("socat: ") + m_process.errorString();
        return false;
    }
    return waitForPort(m_process, m_port, m_error, "socat");
}

QString SocatTcpPty::ptyLink() const
{
    return m_dir.filePath(QStringLiteral("pty"));
}

RawSocket::RawSocket(Kind kind)
{
    const int fd = ::socket(AF_INET, SOCK_STREAM, 0);
    if (fd < 0)
        return;
    if (kind == Kind::ListeningNeverAccepting) {
        // Set before listen() so that every connection it completes inherits it.
        const int size = kStalledReceiveBuffer;
        ::setsockopt(fd, SOL_SOCKET, SO_RCVBUF, &size, sizeof size);
    }
    sockaddr_in address {};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    socklen_t length = sizeof address;
    if (::bind(fd, reinterpret_cast<sockaddr*>(&address), length) != 0
        || (kind == Kind::ListeningNeverAccepting && ::listen(fd, 4) != 0)
        || ::getsockname(fd, reinterpret_cast<sockaddr*>(&address), &length) != 0) {
        ::close(fd);
        return;
    }
    m_fd = fd;
    m_port = ntohs(address.sin_port);
}

RawSocket::~RawSocket()
{
    if (m_fd >= 0)
        ::close(m_fd);
}

} // namespace testsupport
