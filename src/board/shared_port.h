#pragma once
// The port of a sender that shares the board with the window (vorfjp-send, vorfjp-web): the
// window's open port when the window holds the port the choice names, so that its frames go out
// between the window's own, never mixed into them; otherwise a port of its own. Which of the two
// is decided when a send first needs the port, and again after finish().
#include "board/board_port.h"
#include "board/link_port.h"
#include "link/board_link.h"

#include <QString>

#include <functional>
#include <memory>

namespace board {

class SharedPort : public BoardPort {
    Q_OBJECT
public:
    // choice gives the port choice when a send first needs the port; socketPath is where a
    // running window lends its port.
    SharedPort(std::function<QString()> choice, QString socketPath, QObject* parent = nullptr);

    Outcome open() override;
    Outcome send(const QByteArray& frame) override;
    Outcome test(const QByteArray& frame, std::optional<std::chrono::milliseconds> answerWait) override;
    bool isOpen() const override;
    // Ends the session: a port of its own gets its last frames onto the line and is closed.
    Outcome finish() override;

    // A device server reached on a connection of the sender's own.
    bool finishConfirms() const override;
    // Whether the frames now go through the window's port.
    bool throughWindow() const { return m_way == Way::Window; }
    // The choice the port was last decided from.
    QString choice() const { return m_lastChoice; }

private:
    enum class Way { Undecided, Window, Own };
    Outcome askWindow(const QByteArray& frame, std::optional<std::chrono::milliseconds> answerWait);

    std::function<QString()> m_choice;
    QString m_socketPath;
    QString m_lastChoice;
    QString m_portName;
    Way m_way = Way::Undecided;
    boardlink::BoardLink m_link;
    LinkPort m_own;
};

} // namespace board
