#pragma once
#include <QString>
#include <QtGlobal>

namespace net {

// Where a serial device server is reached, and how it wants the bytes.
struct ServerAddress {
    enum class Protocol { RawTcp, Rfc2217 };
    Protocol protocol = Protocol::RawTcp;
    QString host;
    quint16 port = 0;
};

} // namespace net
