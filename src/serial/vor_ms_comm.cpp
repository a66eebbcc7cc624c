#include "serial/vor_ms_comm.h"

#include "serial/line_settings.h"

#include <QFile>
#include <QScopedValueRollback>

#include <limits>

#ifndef Q_OS_WIN
#include <fcntl.h>
#include <poll.h>
#include <unistd.h>
#endif

namespace serial {

namespace {

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
{
    connect(&m_port, &QSerialPort::readyRead, this, &VorMsComm::handleReadyRead);
    connect(&m_port, &QSerialPort::errorOccurred, this, &VorMsComm::handleError);
}

bool VorMsComm::portOpen() const
{
    return m_port.isOpen();
}

QString VorMsComm::portName() const
{
    return m_portName;
}

VorMsComm::OpenResult VorMsComm::open(const QString& portName)
{
    close();
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
    if (!m_port.isOpen())
        return {false, tr("串口没有打开，数据没有发出。请先点击“打开串口”。")};
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
    {
        const QScopedValueRollback writing(m_writing, true);
        accepted = m_port.write(frame);
        // Hand the bytes to the driver now rather than on the next pass of the
        // event loop, so they are on their way even if the port is closed right
        // after. Only when the driver has room: QSerialPort takes a full
        // driver buffer (EAGAIN) for a vanished device.
        if (accepted > 0 && line == LineState::Writable)
            m_port.flush();
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
    return {true, {}};
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
    return static_cast<int>(qMin<qint64>(m_port.bytesAvailable(), std::numeric_limits<int>::max()));
}

QByteArray VorMsComm::input()
{
    return m_port.isOpen() ? m_port.readAll() : QByteArray();
}

void VorMsComm::clearInput()
{
    if (m_port.isOpen())
        m_port.clear(QSerialPort::Input);
}

void VorMsComm::handleReadyRead()
{
    if (m_rThreshold > 0 && m_port.bytesAvailable() >= m_rThreshold)
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
    if (!m_port.isOpen())
        return;
    const QString name = portName();
    close();
    emit portLost(tr("串口 %1 的设备已断开（%2），串口已关闭。请检查串口线或 USB 转串口适配器，然后重新打开串口。")
                      .arg(name, detail));
}

} // namespace serial
