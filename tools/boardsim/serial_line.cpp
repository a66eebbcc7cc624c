#include "serial_line.h"

#include "serial/line_settings.h"

namespace boardsim {

SerialLine::SerialLine(QObject* parent)
    : Line(parent)
    , m_port(this)
{
    connect(&m_port, &QSerialPort::readyRead, this, [this] { emit received(m_port.readAll()); });
    connect(&m_port, &QSerialPort::errorOccurred, this, [this](QSerialPort::SerialPortError error) {
        if (error == QSerialPort::ResourceError) {
            const QString reason = m_port.errorString();
            m_port.close();
            emit failed(reason);
        }
    });
}

QString SerialLine::open(const QString& device)
{
    m_port.setPortName(device);
    serial::applyLineSettings(m_port);
    if (!m_port.open(QIODevice::ReadWrite))
        return QStringLiteral("cannot open %1: %2").arg(device, m_port.errorString());
    return {};
}

bool SerialLine::send(const QByteArray& bytes)
{
    return m_port.isOpen() && m_port.write(bytes) == bytes.size();
}

} // namespace boardsim
