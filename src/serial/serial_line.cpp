#include "serial/serial_line.h"

#include "line/event_wait.h"
#include "serial/line_settings.h"

#include <QFile>
#include <QSignalBlocker>

#include <fcntl.h>
#include <poll.h>
#include <unistd.h>

namespace serial {

namespace {

bool mayReadAndWrite(const QString& path)
{
    // Effective ids, as open() uses them.
    return ::faccessat(AT_FDCWD, QFile::encodeName(path).constData(), R_OK | W_OK, AT_EACCESS) == 0;
}

} // namespace

std::variant<std::unique_ptr<SystemLine>, line::OpenFault> SystemLine::open(const QString& portName)
{
    std::variant<std::unique_ptr<SerialLine>, line::OpenFault> opened = SerialLine::open(portName);
    if (auto* fault = std::get_if<line::OpenFault>(&opened))
        return *fault;
    return std::unique_ptr<SystemLine>(std::move(std::get<0>(opened)));
}

SerialLine::SerialLine(const QString& portName) : m_name(portName)
{
    m_port.setPortName(portName);
    applyLineSettings(m_port);
}

std::variant<std::unique_ptr<SerialLine>, line::OpenFault> SerialLine::open(const QString& portName)
{
    std::unique_ptr<SerialLine> serial(new SerialLine(portName));
    if (!serial->m_port.open(QIODevice::ReadWrite))
        return serial->openFault();
    // A freshly opened port starts empty: bytes the driver kept from before would otherwise
    // pass for a reply.
    serial->m_port.clear(QSerialPort::Input);
    SerialLine* const line = serial.get();
    connect(&line->m_port, &QSerialPort::readyRead, line, &SerialLine::received);
    connect(&line->m_port, &QSerialPort::errorOccurred, line, &SerialLine::handleError);
    return serial;
}

line::OpenFault SerialLine::openFault() const
{
    const QString detail = m_port.errorString();
    switch (m_port.error()) {
    case QSerialPort::DeviceNotFoundError:
        return {line::OpenFailure::NoSuchDevice, m_name, detail};
    case QSerialPort::PermissionError:
        return {mayReadAndWrite(m_name) ? line::OpenFailure::InUse : line::OpenFailure::NoPermission, m_name, detail};
    default:
        return {line::OpenFailure::Other, m_name, detail};
    }
}

void SerialLine::close()
{
    if (!m_port.isOpen())
        return;
    // Closing a device that is already gone raises errors that are no news.
    const QSignalBlocker quiet(m_port);
    m_port.close();
    m_port.clearError();
}

line::WriteFault SerialLine::fault(line::WriteFailure why, const QString& detail) const
{
    return {why, m_name, detail, 0, 0, 0};
}

line::Result<line::WriteFault> SerialLine::write(const QByteArray& frame)
{
    if (!m_port.isOpen())
        return fault(line::WriteFailure::NotOpen);
    const State before = state();
    if (before == State::HungUp) {
        loseDevice(QStringLiteral("the line hung up"));
        return fault(line::WriteFailure::HungUp);
    }
    m_port.clearError();
    qint64 accepted = 0;
    bool drained = false;
    m_writing = true;
    accepted = m_port.write(frame);
    // Hand the bytes to the driver now rather than on the next pass of the event loop, so they
    // are on their way even if the port is closed right after. Only when the driver has room:
    // QSerialPort takes a full driver buffer (EAGAIN) for a vanished device.
    if (accepted > 0 && before == State::Writable)
        m_port.flush();
    if (accepted == frame.size() && m_port.error() == QSerialPort::NoError)
        drained = waitForOutput();
    m_writing = false;
    if (!m_port.isOpen())
        return fault(line::WriteFailure::HungUp);
    if (accepted != frame.size() || m_port.error() != QSerialPort::NoError) {
        line::WriteFault partial = fault(line::WriteFailure::NotAccepted, m_port.errorString());
        partial.total = frame.size();
        partial.accepted = qMax<qint64>(accepted, 0);
        m_port.clearError();
        m_port.clear(QSerialPort::Output); // no tail of a broken frame follows later
        return partial;
    }
    if (!drained) {
        // Closing drops the rest of this frame from QSerialPort's own buffer; clearing the
        // output would also flush the driver, losing the earlier frames that were reported done.
        line::WriteFault stuck = fault(line::WriteFailure::NotDrained);
        stuck.total = frame.size();
        stuck.left = m_port.bytesToWrite();
        close();
        return stuck;
    }
    return line::Result<line::WriteFault>::done();
}

bool SerialLine::waitForOutput()
{
    const auto settled = [this] {
        return !m_port.isOpen() || m_port.bytesToWrite() == 0 || m_port.error() != QSerialPort::NoError;
    };
    // Mostly the driver has taken the whole frame at the flush: no loop to set up then.
    if (settled())
        return m_port.isOpen() && m_port.bytesToWrite() == 0;
    line::EventWait wait;
    wait.wakeOn(&m_port, &QSerialPort::bytesWritten);
    wait.wakeOn(&m_port, &QSerialPort::aboutToClose);
    wait.wakeOn(&m_port, &QSerialPort::errorOccurred);
    wait.until(settled, QDeadlineTimer(line::kWriteTimeout));
    return m_port.isOpen() && m_port.bytesToWrite() == 0;
}

SerialLine::State SerialLine::state() const
{
    pollfd watch {static_cast<int>(m_port.handle()), POLLOUT, 0};
    if (::poll(&watch, 1, 0) < 0)
        return State::Busy;
    if ((watch.revents & (POLLHUP | POLLERR | POLLNVAL)) != 0)
        return State::HungUp;
    return (watch.revents & POLLOUT) != 0 ? State::Writable : State::Busy;
}

QByteArray SerialLine::takeAll()
{
    return m_port.isOpen() ? m_port.readAll() : QByteArray();
}

void SerialLine::discardAll()
{
    if (m_port.isOpen())
        m_port.clear(QSerialPort::Input);
}

void SerialLine::handleError(QSerialPort::SerialPortError error)
{
    if (!m_port.isOpen())
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
        emit lineError();
        return;
    }
}

void SerialLine::loseDevice(const QString& detail)
{
    if (!m_port.isOpen())
        return;
    close();
    emit lost({m_name, detail});
}

} // namespace serial
