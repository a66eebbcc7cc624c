#include "serial/vor_ms_comm.h"

#include "net/socket_line.h"
#include "serial/line_settings.h"
#include "serial/port_choice.h"
#include "serial/system_line.h"

#include <QScopedValueRollback>

#include <limits>
#include <utility>

namespace serial {

namespace {

static_assert(!kParityBit && kStopBits == 1 && !kFlowControl && kDataBits == 8
                  && line::kBitsPerCharacter == 1 + kDataBits + kStopBits,
              "a device server is asked for the board's line as net::LineSettings spells it");
constexpr net::LineSettings kServerLine {quint32(kBaudRate), quint8(kDataBits), net::LineSettings::Parity::None,
                                         net::LineSettings::StopBits::One};

// The transport a port name names.
std::variant<std::unique_ptr<line::Line>, line::OpenFault> openLine(const QString& portName)
{
    auto opened = [](auto&& result) -> std::variant<std::unique_ptr<line::Line>, line::OpenFault> {
        if (auto* fault = std::get_if<line::OpenFault>(&result))
            return *fault;
        return std::unique_ptr<line::Line>(std::move(std::get<0>(result)));
    };
    if (const std::optional<net::ServerAddress> server = serverAddressForChoice(portName))
        return opened(net::SocketLine::open(*server, kServerLine, choiceForServerAddress(*server)));
    return opened(SystemLine::open(portName));
}

} // namespace

VorMsComm::VorMsComm(QObject* parent) : QObject(parent) {}

VorMsComm::~VorMsComm() = default;

bool VorMsComm::portOpen() const
{
    return m_line && m_line->isOpen();
}

QString VorMsComm::portName() const
{
    return m_portName;
}

line::Result<line::OpenFault> VorMsComm::open(const QString& portName)
{
    if (m_waiting)
        return line::OpenFault {line::OpenFailure::Busy, portName, {}};
    close();
    // No wait of the old line is running (it would have made this open Busy), so it can go now.
    m_line.reset();
    m_portName = portName;
    std::variant<std::unique_ptr<line::Line>, line::OpenFault> opened = [&] {
        const QScopedValueRollback waiting(m_waiting, true);
        return openLine(portName);
    }();
    if (auto* fault = std::get_if<line::OpenFault>(&opened))
        return *fault;
    m_line = std::move(std::get<0>(opened));
    connect(m_line.get(), &line::Line::received, this, &VorMsComm::handleReceived);
    connect(m_line.get(), &line::Line::lost, this, &VorMsComm::loseLine);
    if (auto* serial = qobject_cast<SystemLine*>(m_line.get()))
        connect(serial, &SystemLine::lineError, this, [this] { raise(CommEvent::Error); });
    return line::Result<line::OpenFault>::done();
}

void VorMsComm::close()
{
    // The closed line is kept until the next open: close() may come from inside one of the
    // line's own signals, or from an event handled while a write of the line waits.
    if (m_line) {
        m_line->disconnect(this);
        m_line->close();
    }
}

line::Result<line::WriteFault> VorMsComm::write(const QByteArray& frame)
{
    if (frame.isEmpty())
        return line::WriteFault {line::WriteFailure::NoFrame, m_portName, {}, 0, 0, 0};
    if (m_waiting)
        return line::WriteFault {line::WriteFailure::Busy, m_portName, {}, frame.size(), 0, 0};
    if (!portOpen())
        return line::WriteFault {line::WriteFailure::NotOpen, m_portName, {}, frame.size(), 0, 0};
    line::Result<line::WriteFault> written = [&] {
        const QScopedValueRollback waiting(m_waiting, true);
        return m_line->write(frame);
    }();
    if (!written.ok() && m_line && !m_line->isOpen())
        close();
    // A reply that came in meanwhile is raised now the write is over, not inside it.
    if (std::exchange(m_receivedWhileWaiting, false))
        QMetaObject::invokeMethod(this, &VorMsComm::handleReceived, Qt::QueuedConnection);
    return written;
}

line::Result<line::WriteFault> VorMsComm::finish()
{
    if (!portOpen())
        return line::Result<line::WriteFault>::done();
    line::Result<line::WriteFault> finished = [&] {
        const QScopedValueRollback waiting(m_waiting, true);
        return m_line->finish();
    }();
    close();
    return finished;
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
    const qint64 waiting = m_line ? m_line->bytesWaiting() : 0;
    return static_cast<int>(qMin<qint64>(waiting, std::numeric_limits<int>::max()));
}

QByteArray VorMsComm::input()
{
    return m_line ? m_line->takeAll() : QByteArray();
}

void VorMsComm::clearInput()
{
    if (m_line)
        m_line->discardAll();
}

void VorMsComm::handleReceived()
{
    // Raised after the wait instead: an event handler with a modal dialog would otherwise hold
    // the frame's write open until the dialog is closed.
    if (m_waiting) {
        m_receivedWhileWaiting = true;
        return;
    }
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

void VorMsComm::loseLine(const line::LineLoss& loss)
{
    close();
    emit portLost(loss);
}

} // namespace serial
