#pragma once
// A port of the sender's own, opened through a board link on the port the sender's choice names.
#include "board/board_port.h"
#include "link/board_link.h"

#include <QString>

#include <functional>

namespace board {

class LinkPort : public BoardPort {
    Q_OBJECT
public:
    // choice gives the port choice as it stands when the port is opened (the window's port
    // field, or a fixed text).
    LinkPort(boardlink::BoardLink& link, std::function<QString()> choice, QObject* parent = nullptr);

    // Opens the chosen port when it is closed; an open port is used as it is.
    Outcome open() override;
    Outcome send(const QByteArray& frame) override;
    Outcome test(const QByteArray& frame, std::optional<std::chrono::milliseconds> answerWait) override;
    bool isOpen() const override { return m_link.isOpen(); }
    Outcome finish() override;

private:
    boardlink::BoardLink& m_link;
    std::function<QString()> m_choice;
};

} // namespace board
