// serial_port_probe hold <port>: opens the port, prints "held", keeps it until
// its standard input closes.
// serial_port_probe open <port>: tries to open the port, prints the failure kind
// ("opened", or a number) and the operator's reason on the next line.
#include "board/operator_text.h"
#include "serial/vor_ms_comm.h"

#include <QCoreApplication>

#include <cstdio>
#include <iostream>

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    const QStringList args = app.arguments();
    if (args.size() != 3 || (args[1] != QLatin1String("hold") && args[1] != QLatin1String("open"))) {
        std::fprintf(stderr, "usage: serial_port_probe hold|open <port>\n");
        return 2;
    }
    serial::VorMsComm comm;
    const auto result = comm.open(args[2]);
    if (result.ok())
        std::printf("opened\n\n");
    else
        std::printf("%d\n%s\n", int(result.fault().why), board::openFaultText(result.fault()).toUtf8().constData());
    std::fflush(stdout);
    if (args[1] == QLatin1String("hold") && result.ok()) {
        std::string line;
        while (std::getline(std::cin, line)) {
        }
    }
    return result.ok() ? 0 : 1;
}
