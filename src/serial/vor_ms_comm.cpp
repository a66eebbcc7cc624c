#include "serial/vor_ms_comm.h"

#include "net/socket_line.h"
#include "serial/line_settings.h"
#include "serial/port_choice.h"

#include <QDeadlineTimer>
#include <QEventLoop>
#include <QFile>
#include <QScopedValueRollback>
#include <QTimer>

#include <limits>
#include <utility>

#ifndef Q_OS_WIN
#include <fcntl.h>
#include <poll.h>
#include <unistd.h>
#endif

namespace serial {

namespace {

static_assert(kParity == QSerialPort::NoParity && kStopBits == QSerialPort::OneStop
                  && kFlowControl == QSerialPort::NoFlowControl,
              "a device server is asked for the board's line as net::LineSettings spells it");
constexpr net::LineSettings kServerLine {quint32(kBaudRate), quint8(kDataBits), net::LineSettings::Parity::None,
                                         net::LineSettings::StopBits::One};

VorMsComm::OpenResult serverFailure(const net::SocketLine::ConnectResult& connected, const QString& server);

qint64 seconds(std::chrono::milliseconds span)
{
    return std::chrono::duration_cast<std::chrono::seconds>(span).count();
}

bool mayReadAndWrite(const QString& path)
{
#ifdef Q_OS_WIN
    Q_UNUSED(path);
    return true;
#else
    // Effective ids, as open() uses them.
    return ::faccessat(AT_FDCWD, QFile::encodeName(path).constData(), R_OK | W_OK, AT_EACCESS) == 0;
#endif
}

} // namespace

VorMsComm::VorMsComm(QObject* parent)
    : QObject(parent)
    , m_server(new net::SocketLine(this))
{
    connect(&m_port, &QSerialPort::readyRead, this, &VorMsComm::handleReadyRead);
    connect(&m_port, &QSerialPort::errorOccurred, this, &VorMsComm::handleError);
    connect(m_server, &net::SocketLine::received, this, &VorMsComm::handleReadyRead);
    connect(m_server, &net::SocketLine::lost, this, &VorMsComm::loseDevice);
}

VorMsComm::~VorMsComm() = default;

bool VorMsComm::portOpen() const
{
    return m_port.isOpen() || m_server->isOpen();
}

QString VorMsComm::portName() const
{
    if (!m_serverName.isEmpty())
        return m_serverName;
    return m_portName;
}

VorMsComm::OpenResult VorMsComm::open(const QString& portName)
{
    if (m_waiting)
        return {false, tr("上一次发送或连接还没有结束，这次没有打开串口。请稍候再试。"), OpenFailure::Busy};
    close();
    if (serverAddressForChoice(portName))
        return openServer(portName);
    m_portName = portName;
    m_port.setPortName(portName);
    applyLineSettings(m_port);

    bool opened = false;
    {
        const QScopedValueRollback opening(m_opening, true);
        opened = m_port.open(QIODevice::ReadWrite);
    }
    if (!opened) {
        const OpenResult result = openFailure();
        m_port.clearError();
        return result;
    }
    // A freshly opened port starts empty, like the control it stands in for:
    // bytes the driver kept from before would otherwise pass for a reply.
    m_port.clear(QSerialPort::Input);
    return {true, {}, OpenFailure::None};
}

VorMsComm::OpenResult VorMsComm::openServer(const QString& name)
{
    const std::optional<net::ServerAddress> address = serverAddressForChoice(name);
    m_serverName = choiceForServerAddress(*address);
    const net::SocketLine::ConnectResult connected = [&] {
        const QScopedValueRollback waiting(m_waiting, true);
        return m_server->connectTo(*address, kServerLine, kConnectTimeout);
    }();
    if (connected.ok())
        return {true, {}, OpenFailure::None};
    const QString server = std::exchange(m_serverName, QString());
    return serverFailure(connected, server);
}

namespace {

VorMsComm::OpenResult serverFailure(const net::SocketLine::ConnectResult& connected, const QString& server)
{
    using OpenFailure = VorMsComm::OpenFailure;
    const auto tr = [](const char* text) { return VorMsComm::tr(text); };
    using Failure = net::SocketLine::Failure;
    switch (connected.failure()) {
    case Failure::Refused:
        return {false,
                tr("无法连接串口服务器 %1：对方拒绝连接。请检查地址和端口号是否正确，"
                   "串口服务器（例如 ser2net）是否已经启动。").arg(server),
                OpenFailure::Refused};
    case Failure::UnknownHost:
        return {false, tr("找不到串口服务器 %1 的主机。请检查主机名是否写对，或改用 IP 地址。").arg(server),
                OpenFailure::UnknownHost};
    case Failure::TimedOut:
        return {false,
                tr("连接串口服务器 %1 超时：%2 秒内没有完成连接（%3）。请检查网络连接和服务器地址，然后再试。")
                    .arg(server)
                    .arg(seconds(VorMsComm::kConnectTimeout))
                    .arg(connected.detail()),
                OpenFailure::TimedOut};
    case Failure::ClosedByServer:
        return {false,
                tr("串口服务器 %1 接受连接后又关闭了连接：它可能打不开自己的串口设备，或串口正被别的客户端使用，"
                   "或服务器不接受这种连接。请检查服务器上的串口设备和服务器的设置后再试。").arg(server),
                OpenFailure::ClosedByServer};
    case Failure::NoComPortOption:
    case Failure::SettingsRefused:
        return {false,
                tr("串口服务器 %1 没有把串口设成 %2,n,8,1（%3）。请确认服务器支持 RFC 2217，"
                   "或在服务器上设好串口参数后改用 tcp:// 连接。")
                    .arg(server)
                    .arg(kBaudRate)
                    .arg(connected.detail()),
                OpenFailure::NotADeviceServer};
    case Failure::Other:
        break;
    }
    return {false, tr("无法连接串口服务器 %1：%2。").arg(server, connected.detail()), OpenFailure::Other};
}

} // namespace

VorMsComm::OpenResult VorMsComm::openFailure() const
{
    const QString name = portName();
    switch (m_port.error()) {
    case QSerialPort::DeviceNotFoundError:
        return {false,
                tr("找不到串口设备 %1。请检查串口号是否正确，串口线或 USB 转串口适配器是否已插好。").arg(name),
                OpenFailure::NoSuchDevice};
    case QSerialPort::PermissionError:
        // Linux reports a busy port (another holder's lock file or exclusive
        // mode) and a missing access right alike; the access right tells them apart.
        if (!mayReadAndWrite(name))
            return {false,
                    tr("没有权限打开串口 %1。请把当前用户加入 dialout 组：在终端中运行 "
                       "sudo usermod -aG dialout $USER ，然后注销并重新登录后再试。")
                        .arg(name),
                    OpenFailure::NoPermission};
        return {false,
                tr("串口 %1 正被其他程序占用。请关闭正在使用该串口的程序后再试。（%2）").arg(name, m_port.errorString()),
                OpenFailure::InUse};
    default:
        return {false, tr("无法打开串口 %1：%2。").arg(name, m_port.errorString()), OpenFailure::Other};
    }
}

void VorMsComm::close()
{
    if (!m_serverName.isEmpty()) {
        m_server->close();
        m_serverName.clear();
    }
    if (!m_port.isOpen() || m_closing)
        return;
    const QScopedValueRollback closing(m_closing, true);
    m_port.close();
    m_port.clearError();
}

VorMsComm::WriteResult VorMsComm::write(const QByteArray& frame)
{
    if (frame.isEmpty())
        return {false, tr("没有可发送的数据帧，什么也没有发出。")};
    if (m_waiting)
        return {false, tr("上一帧数据还没有发完，这一帧没有发出。请稍候再发送。"), true};
    if (!portOpen())
        return {false, tr("串口没有打开，数据没有发出。请先点击“打开串口”。")};
    const QScopedValueRollback waiting(m_waiting, true);
    return m_server->isOpen() ? writeServer(frame) : writeSerial(frame);
}

VorMsComm::WriteResult VorMsComm::finish()
{
    if (m_waiting)
        return {false, tr("上一次发送或连接还没有结束，串口没有关闭。请稍候再试。"), true};
    if (m_serverName.isEmpty()) {
        close();
        return {true, {}};
    }
    const QString server = m_serverName;
    net::SocketLine::FinishResult finished;
    {
        const QScopedValueRollback waiting(m_waiting, true);
        finished = m_server->finish(kWriteTimeout);
    }
    m_serverName.clear();
    switch (finished.outcome) {
    case net::SocketLine::FinishOutcome::Done:
        return {true, {}};
    case net::SocketLine::FinishOutcome::NotConfirmed:
        return {false, tr("串口服务器 %1 在 %2 秒内没有确认收到数据（%3），连接已关闭，数据可能没有送到显示屏。"
                          "请检查服务器和它后面的显示屏，然后重新发送。")
                           .arg(server)
                           .arg(seconds(kWriteTimeout))
                           .arg(finished.detail)};
    case net::SocketLine::FinishOutcome::ClosedByServer:
    case net::SocketLine::FinishOutcome::NotOpen:
        break;
    }
    return {false, tr("串口服务器 %1 在数据送上串口之前关闭了连接，数据可能没有送到显示屏。它可能打不开自己的串口设备，"
                      "或串口正被别的客户端使用。请检查服务器和它的串口设备，然后重新发送。")
                       .arg(server)};
}

VorMsComm::WriteResult VorMsComm::writeServer(const QByteArray& frame)
{
    const QString server = m_serverName;
    const net::SocketLine::WriteResult written = m_server->write(frame, kWriteTimeout);
    switch (written.outcome) {
    case net::SocketLine::WriteOutcome::Done:
        return {true, {}};
    case net::SocketLine::WriteOutcome::TimedOut:
        m_serverName.clear();
        return {false, tr("串口服务器 %1 在 %2 秒内没有收下整帧数据（%3），连接已关闭。"
                          "请检查服务器和它后面的显示屏，然后重新打开串口。")
                           .arg(server)
                           .arg(seconds(kWriteTimeout))
                           .arg(written.detail)};
    case net::SocketLine::WriteOutcome::Lost:
    case net::SocketLine::WriteOutcome::NotOpen:
        break;
    }
    return {false, tr("与串口服务器 %1 的连接已断开，数据没有完整发出。请检查网络和服务器后重新打开串口。").arg(server)};
}

VorMsComm::WriteResult VorMsComm::writeSerial(const QByteArray& frame)
{
    const auto lost = [this] {
        return WriteResult {false, tr("串口 %1 的设备已断开，数据没有发出。请检查连接后重新打开串口。").arg(portName())};
    };
    const LineState line = lineState();
    if (line == LineState::HungUp) {
        loseDevice(tr("线路已挂断"));
        return lost();
    }
    m_port.clearError();
    qint64 accepted = 0;
    bool drained = false;
    {
        const QScopedValueRollback writing(m_writing, true);
        accepted = m_port.write(frame);
        // Hand the bytes to the driver now rather than on the next pass of the
        // event loop, so they are on their way even if the port is closed right
        // after. Only when the driver has room: QSerialPort takes a full
        // driver buffer (EAGAIN) for a vanished device.
        if (accepted > 0 && line == LineState::Writable)
            m_port.flush();
        if (accepted == frame.size() && m_port.error() == QSerialPort::NoError)
            drained = waitForSerialOutput();
    }
    if (!m_port.isOpen())
        return lost();
    if (accepted != frame.size() || m_port.error() != QSerialPort::NoError) {
        const QString detail = m_port.errorString();
        m_port.clearError();
        m_port.clear(QSerialPort::Output); // no tail of a broken frame follows later
        return {false, tr("串口 %1 只接受了 %2 个字节中的 %3 个，数据没有完整发出：%4。")
                           .arg(portName())
                           .arg(frame.size())
                           .arg(qMax<qint64>(accepted, 0))
                           .arg(detail)};
    }
    if (!drained) {
        // Closing drops the rest of this frame from QSerialPort's own buffer;
        // clearing the output would also flush the driver, losing the earlier
        // frames that were reported done.
        const qint64 left = m_port.bytesToWrite();
        const QString name = portName();
        close();
        return {false, tr("串口 %1 在 %2 秒内没有发完这一帧，还剩 %3 个字节没有发出，串口已关闭。"
                          "请检查串口线和显示屏是否在接收，然后重新打开串口再发送。")
                           .arg(name)
                           .arg(seconds(kWriteTimeout))
                           .arg(left)};
    }
    return {true, {}};
}

bool VorMsComm::waitForSerialOutput()
{
    const QDeadlineTimer deadline(kWriteTimeout);
    bool readDuringWait = false;
    const auto settled = [this] {
        return !m_port.isOpen() || m_port.bytesToWrite() == 0 || m_port.error() != QSerialPort::NoError;
    };
    while (!settled() && !deadline.hasExpired()) {
        QEventLoop loop;
        QTimer timer;
        timer.setSingleShot(true);
        connect(&timer, &QTimer::timeout, &loop, &QEventLoop::quit);
        connect(&m_port, &QSerialPort::bytesWritten, &loop, &QEventLoop::quit);
        connect(&m_port, &QSerialPort::aboutToClose, &loop, &QEventLoop::quit);
        connect(&m_port, &QSerialPort::errorOccurred, &loop, &QEventLoop::quit);
        // The loop is the connection's context and ends before the flag it sets.
        connect(&m_port, &QSerialPort::readyRead, &loop, [flag = &readDuringWait] { *flag = true; });
        timer.start(std::max<qint64>(deadline.remainingTime(), 0));
        loop.exec(QEventLoop::ExcludeUserInputEvents);
    }
    // A reply that came in meanwhile is raised once the write is over, not inside it.
    if (readDuringWait)
        QMetaObject::invokeMethod(this, &VorMsComm::handleReadyRead, Qt::QueuedConnection);
    return m_port.isOpen() && m_port.bytesToWrite() == 0;
}

VorMsComm::LineState VorMsComm::lineState() const
{
#ifdef Q_OS_WIN
    return LineState::Busy; // the written bytes go out from the event loop
#else
    pollfd watch {static_cast<int>(m_port.handle()), POLLOUT, 0};
    if (::poll(&watch, 1, 0) < 0)
        return LineState::Busy;
    if ((watch.revents & (POLLHUP | POLLERR | POLLNVAL)) != 0)
        return LineState::HungUp;
    return (watch.revents & POLLOUT) != 0 ? LineState::Writable : LineState::Busy;
#endif
}

void VorMsComm::setRThreshold(int bytes)
{
    m_rThreshold = qMax(bytes, 0);
}

int VorMsComm::rThreshold() const
{
    return m_rThreshold;
}

int VorMsComm::inBufferCount() const
{
    const qint64 waiting = m_server->isOpen() ? m_server->bytesWaiting() : m_port.bytesAvailable();
    return static_cast<int>(qMin<qint64>(waiting, std::numeric_limits<int>::max()));
}

QByteArray VorMsComm::input()
{
    if (m_server->isOpen())
        return m_server->takeAll();
    return m_port.isOpen() ? m_port.readAll() : QByteArray();
}

void VorMsComm::clearInput()
{
    if (m_server->isOpen())
        m_server->discardAll();
    if (m_port.isOpen())
        m_port.clear(QSerialPort::Input);
}

void VorMsComm::handleReadyRead()
{
    // Raised after the wait instead: an event handler with a modal dialog
    // would otherwise hold the frame's write open until the dialog is closed.
    if (m_waiting && m_port.isOpen())
        return;
    if (m_rThreshold > 0 && inBufferCount() >= m_rThreshold)
        raise(CommEvent::Receive);
}

void VorMsComm::raise(CommEvent event)
{
    if (m_inEvent)
        return;
    const QScopedValueRollback inEvent(m_inEvent, true);
    emit onComm(event);
}

void VorMsComm::handleError(QSerialPort::SerialPortError error)
{
    if (m_opening || m_closing || !m_port.isOpen())
        return;
    switch (error) {
    case QSerialPort::NoError:
    case QSerialPort::TimeoutError:
    case QSerialPort::NotOpenError:
        return;
    case QSerialPort::ResourceError:
    case QSerialPort::ReadError:
        // Both leave the read notifier firing on every pass of the event loop.
        loseDevice(m_port.errorString());
        return;
    default:
        if (m_writing)
            return; // write() answers for it
        m_port.clearError();
        if (error == QSerialPort::WriteError)
            m_port.clear(QSerialPort::Output); // a frame the driver refused is not retried for ever
        raise(CommEvent::Error);
        return;
    }
}

void VorMsComm::loseDevice(const QString& detail)
{
    if (!m_serverName.isEmpty()) {
        const QString server = m_serverName;
        close();
        emit portLost(tr("与串口服务器 %1 的连接断开了（%2），连接已关闭。请检查网络和服务器，"
                         "下次发送时会重新连接。").arg(server, detail));
        return;
    }
    if (!m_port.isOpen())
        return;
    const QString name = portName();
    close();
    emit portLost(tr("串口 %1 的设备已断开（%2），串口已关闭。请检查串口线或 USB 转串口适配器，然后重新打开串口。")
                      .arg(name, detail));
}

} // namespace serial
