#pragma once
// Where vorfjp-send's frames go: through the window when it holds the port asked for, otherwise
// through a port of its own.
#include "link/board_link.h"

#include <QByteArray>
#include <QString>

#include <memory>

namespace cli {

// ServerHungUp and NotConfirmed come only from finish(), over a device server: the server ended
// the connection before its line could carry the frames, or did not show in time that it had
// read them.
enum class Delivery { Sent, Answered, NoAnswer, WriteFailed, LineLost, ServerHungUp, NotConfirmed };

struct DeliveryReport {
    Delivery delivery = Delivery::WriteFailed;
    int deviceNumber = 0;
    QString detail; // the operator's reason from the link or the window (Chinese), may be empty
};

class BoardSender {
public:
    virtual ~BoardSender() = default;
    virtual DeliveryReport send(const QByteArray& frame) = 0;
    // The connection test frame for deviceId, then the board's answer within timeoutMs.
    virtual DeliveryReport test(quint8 deviceId, int timeoutMs) = 0;
    // The weather send: the temperatures, the pause, the dots.
    virtual DeliveryReport weather(const QByteArray& temperatures, const QByteArray& dots) = 0;
    // After the last command: Sent once every frame sent can be on the line to the board.
    virtual DeliveryReport finish() = 0;
};

// A port of its own, opened by the link.
class OwnPortSender : public BoardSender {
public:
    // Opens the port; the outcome says why not.
    boardlink::OpenOutcome open(const QString& choiceText);
    DeliveryReport send(const QByteArray& frame) override;
    DeliveryReport test(quint8 deviceId, int timeoutMs) override;
    DeliveryReport weather(const QByteArray& temperatures, const QByteArray& dots) override;
    // Closes the port: a device server's connection ends only once its line can have the frames.
    DeliveryReport finish() override;

private:
    boardlink::BoardLink m_link;
};

// The window's open port, reached through its local socket.
class WindowSender : public BoardSender {
public:
    WindowSender(QString socketPath, QString portName);
    // Whether a window listens there and holds the port.
    bool windowHoldsPort() const;
    DeliveryReport send(const QByteArray& frame) override;
    DeliveryReport test(quint8 deviceId, int timeoutMs) override;
    DeliveryReport weather(const QByteArray& temperatures, const QByteArray& dots) override;
    // Nothing to end: the window keeps its port open, and each frame was done when it said so.
    DeliveryReport finish() override;

private:
    DeliveryReport ask(const QByteArray& frame, bool awaitAnswer, int timeoutMs) const;

    QString m_socketPath;
    QString m_portName;
};

} // namespace cli
