#include "serial_line.h"

#include "line/line_fault.h"

namespace boardsim {

namespace {

QString openProblem(const line::OpenFault& fault)
{
    switch (fault.why) {
    case line::OpenFailure::NoSuchDevice:
        return QStringLiteral("no such port");
    case line::OpenFailure::InUse:
        return QStringLiteral("another program holds the port");
    case line::OpenFailure::NoPermission:
        return QStringLiteral("no permission to open the port");
    default:
        return fault.detail.isEmpty() ? QStringLiteral("the port cannot be opened") : fault.detail;
    }
}

} // namespace

QString SerialLine::open(const QString& device)
{
    auto opened = serial::SystemLine::open(device);
    if (const auto* fault = std::get_if<line::OpenFault>(&opened)) {
        const QString detail = fault->detail.isEmpty() || fault->why == line::OpenFailure::Other
                                   ? QString()
                                   : QStringLiteral(" (%1)").arg(fault->detail);
        return QStringLiteral("cannot open %1: %2%3").arg(device, openProblem(*fault), detail);
    }
    m_port = std::move(std::get<std::unique_ptr<serial::SystemLine>>(opened));
    connect(m_port.get(), &line::Line::received, this, [this] { emit received(m_port->takeAll()); });
    connect(m_port.get(), &line::Line::lost, this, [this](const line::LineLoss& loss) {
        emit failed(loss.detail.isEmpty() ? QStringLiteral("the port went away") : loss.detail);
    });
    return {};
}

bool SerialLine::send(const QByteArray& bytes)
{
    return m_port && m_port->isOpen() && m_port->write(bytes).ok();
}

} // namespace boardsim
