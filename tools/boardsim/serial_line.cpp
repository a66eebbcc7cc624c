#include "serial_line.h"

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
    m_port.setBaudRate(QSerialPort::Baud57600);
    m_port.setDataBits(QSerialPort::Data8);
    m_port.setParity(QSerialPort::NoParity);
    m_port.setStopBits(QSerialPort::OneStop);
    m_port.setFlowControl(QSerialPort::NoFlowControl);
    if (!m_port.open(QIODevice::ReadWrite))
        return QStringLiteral("cannot open %1: %2").arg(device, m_port.errorString());
    return {};
}

bool SerialLine::send(const QByteArray& bytes)
{
    return m_port.isOpen() && m_port.write(bytes) == bytes.size();
}

} // namespace boardsim
