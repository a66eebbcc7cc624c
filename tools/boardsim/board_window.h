#pragma once

// The virtual board's window: the board face above, the log of every frame and
// every rejected run of bytes below.

#include "board_layout.h"
#include "board_session.h"

#include <QWidget>

#include <optional>

class QPlainTextEdit;

namespace boardsim {

class BoardWindow : public QWidget {
    Q_OBJECT
public:
    BoardWindow(const BoardSession& session, std::optional<BoardLayout> contentLayout, const QString& lineName,
                QWidget* parent = nullptr);

    // Adds a line of the developer's own to the log (line failures and the like).
    void note(const QString& text);

private:
    void logFrame(const protocol::DecodedFrame& frame, const protocol::FrameEffect& effect, const QDateTime& at);
    void logReject(const protocol::RejectedRun& run, const QDateTime& at);
    void append(const QDateTime& at, const QString& hex, const QString& meaning, const QColor& colour);

    BoardLayout m_layout;
    QPlainTextEdit* m_log;
};

} // namespace boardsim
