// bare_send PORT BYTES: the reference for the command-line sender: a bare Qt program that opens
// the line and writes BYTES bytes, then ends.
#include "serial/line_settings.h"

#include <QCoreApplication>
#include <QSerialPort>

#include <cstdio>
#include <cstdlib>

int main(int argc, char** argv)
{
    QCoreApplication application(argc, argv);
    if (argc != 3 || std::atoi(argv[2]) < 1) {
        std::fprintf(stderr, "usage: bare_send PORT BYTES\n");
        return 2;
    }
    QSerialPort port(QString::fromLocal8Bit(argv[1]));
    serial::applyLineSettings(port);
    if (!port.open(QIODevice::ReadWrite)) {
        std::fprintf(stderr, "bare_send: cannot open %s\n", argv[1]);
        return 1;
    }
    const QByteArray bytes(std::atoi(argv[2]), '\x55');
    port.write(bytes);
    return port.waitForBytesWritten(1000) ? 0 : 1;
}
