#include "board_window.h"

#include "board_view.h"
#include "frame_report.h"

#include <QFontDatabase>
#include <QPlainTextEdit>
#include <QScrollArea>
#include <QSplitter>
#include <QVBoxLayout>

namespace boardsim {

namespace {

constexpr int kLogLines = 5000;
constexpr int kLogHeight = 260;
constexpr int kLargestFaceHeight = 640;
constexpr int kSmallestWidth = 900;

const QColor kFrameColour(20, 20, 20);
const QColor kPassedOverColour(120, 110, 60);
const QColor kRejectColour(200, 30, 30);
const QColor kNoteColour(40, 80, 160);

} // namespace

BoardWindow::BoardWindow(const BoardSession& session, std::optional<BoardLayout> contentLayout, const QString& lineName,
                         QWidget* parent)
    : QWidget(parent)
    , m_layout(contentLayout.value_or(BoardLayout {}))
    , m_log(new QPlainTextEdit)
{
    setWindowTitle(QStringLiteral("boardsim: device %1 on %2").arg(session.model().deviceId()).arg(lineName));

    auto* view = new BoardView(session, std::move(contentLayout));
    auto* scroll = new QScrollArea;
    scroll->setWidget(view);
    scroll->setWidgetResizable(true);

    m_log->setReadOnly(true);
    m_log->setMaximumBlockCount(kLogLines);
    m_log->setFont(QFontDatabase::systemFont(QFontDatabase::FixedFont));
    m_log->setLineWrapMode(QPlainTextEdit::WidgetWidth);

    auto* splitter = new QSplitter(Qt::Vertical);
    splitter->addWidget(scroll);
    splitter->addWidget(m_log);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(splitter);

    const QSize face = view->sizeHint();
    const int faceHeight = std::min(face.height() + 4, kLargestFaceHeight);
    splitter->setSizes({faceHeight, kLogHeight});
    resize(std::max(face.width() + 24, kSmallestWidth), faceHeight + kLogHeight + splitter->handleWidth());

    connect(&session, &BoardSession::frameHandled, this, &BoardWindow::logFrame);
    connect(&session, &BoardSession::bytesRejected, this, &BoardWindow::logReject);
    connect(&session, &BoardSession::replyFailed, this, [this](const QByteArray& reply) {
        note(QStringLiteral("could not send the reply %1").arg(hexBytes(reply)));
    });
}

void BoardWindow::note(const QString& text)
{
    append(QDateTime::currentDateTime(), {}, text, kNoteColour);
}

void BoardWindow::logFrame(const protocol::DecodedFrame& frame, const protocol::FrameEffect& effect, const QDateTime& at)
{
    using Kind = protocol::FrameEffect::Kind;
    const bool passedOver = effect.kind == Kind::Ignored || effect.kind == Kind::Malformed || effect.kind == Kind::UnknownCommand;
    append(at, hexBytes(frame.bytes), frameSummary(effect, m_layout), passedOver ? kPassedOverColour : kFrameColour);
}

void BoardWindow::logReject(const protocol::RejectedRun& run, const QDateTime& at)
{
    append(at, hexBytes(run.bytes), QStringLiteral("rejected: ") + run.reason, kRejectColour);
}

void BoardWindow::append(const QDateTime& at, const QString& hex, const QString& meaning, const QColor& colour)
{
    QString html = QStringLiteral("<span style=\"color:%1; white-space:pre-wrap\">%2  <b>%3</b>")
                       .arg(colour.name(), at.toString(QStringLiteral("HH:mm:ss.zzz")), meaning.toHtmlEscaped());
    if (!hex.isEmpty())
        html += QStringLiteral("<br/>  %1").arg(hex.toHtmlEscaped());
    html += QStringLiteral("</span>");
    m_log->appendHtml(html);
}

} // namespace boardsim
