#pragma once

// The board behind a raw TCP serial device server: one client at a time is the
// program's end of the line. The line outlives a client that goes away; the
// next one to connect takes its place.

#include "line.h"

#include <QHostAddress>
#include <QString>
#include <QTcpServer>

class QTcpSocket;

namespace boardsim {

class TcpLine : public Line {
    Q_OBJECT
public:
    explicit TcpLine(QObject* parent = nullptr);

    // Empty on success, else why the address could not be listened on. Port 0
    // takes a free port; address() then tells which.
    QString listen(const QHostAddress& host, quint16 port);
    QString address() const; // "127.0.0.1:40000", "[::1]:40000"

    bool send(const QByteArray& bytes) override;

private:
    void takeConnection();

    QTcpServer m_server;
    QTcpSocket* m_client = nullptr;
};

} // namespace boardsim
