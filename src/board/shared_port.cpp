#include "board/shared_port.h"

#include "serial/port_choice.h"
#include "share/line_client.h"

namespace board {

namespace {

// How long the window may take beyond the answer's wait to say how a request went.
constexpr std::chrono::milliseconds kWindowReplyMargin {5000};

std::optional<share::LineResponse> ask(const QString& socketPath, const share::LineRequest& request,
                                       std::chrono::milliseconds wait)
{
    return share::askWindow(socketPath, request, int(wait.count())).response;
}

} // namespace

SharedPort::SharedPort(std::function<QString()> choice, QString socketPath, QObject* parent)
    : BoardPort(parent)
    , m_choice(std::move(choice))
    , m_socketPath(std::move(socketPath))
    , m_own(m_link, [this] { return m_lastChoice; })
{
    connect(&m_own, &BoardPort::lost, this, &BoardPort::lost);
}

Outcome SharedPort::open()
{
    if (m_way == Way::Window)
        return Outcome::done();
    if (m_way == Way::Own && m_link.isOpen())
        return Outcome::done();
    m_lastChoice = m_choice();
    if (const std::optional<QString> portName = serial::portNameForChoice(m_lastChoice)) {
        share::LineRequest held;
        held.kind = share::LineKind::AskHeld;
        held.portName = *portName;
        const std::optional<share::LineResponse> answer = ask(m_socketPath, held, kWindowReplyMargin);
        if (answer && answer->status == share::LineStatus::Held) {
            m_portName = *portName;
            m_way = Way::Window;
            return Outcome::done();
        }
    }
    m_way = Way::Own;
    return m_own.open();
}

Outcome SharedPort::send(const QByteArray& frame)
{
    if (m_way == Way::Window)
        return askWindow(frame, std::nullopt);
    return m_own.send(frame);
}

Outcome SharedPort::test(const QByteArray& frame, std::optional<std::chrono::milliseconds> answerWait)
{
    if (m_way == Way::Window)
        return askWindow(frame, answerWait);
    return m_own.test(frame, answerWait);
}

bool SharedPort::isOpen() const
{
    // The window keeps its port open between frames, or says why not with the next one.
    return m_way == Way::Window || m_link.isOpen();
}

bool SharedPort::finishConfirms() const
{
    return m_way == Way::Own && line::isDeviceServer(m_lastChoice);
}

Outcome SharedPort::finish()
{
    const Way way = std::exchange(m_way, Way::Undecided);
    if (way != Way::Own)
        return Outcome::done();
    // A write that failed has closed the connection: what went before it is not known to have
    // reached the server's line.
    if (line::isDeviceServer(m_lastChoice) && !m_link.isOpen())
        return SendFailed {line::WriteFault {line::WriteFailure::NotConfirmed, m_lastChoice,
                                             QStringLiteral("the connection ended before the server confirmed the frames"),
                                             0, 0, 0}};
    return m_own.finish();
}

Outcome SharedPort::askWindow(const QByteArray& frame, std::optional<std::chrono::milliseconds> answerWait)
{
    share::LineRequest request;
    request.kind = share::LineKind::SendFrame;
    request.portName = m_portName;
    request.frame = frame;
    request.awaitAnswer = answerWait.has_value();
    request.answerTimeoutMs = quint32(qMax<qint64>(answerWait.value_or(std::chrono::milliseconds(0)).count(), 0));
    const std::optional<share::LineResponse> answer =
        ask(m_socketPath, request, answerWait.value_or(std::chrono::milliseconds(0)) + kWindowReplyMargin);
    const auto failed = [&](line::WriteFailure why, const QString& detail) {
        return SendFailed {line::WriteFault {why, m_portName, detail, frame.size(), 0, 0}};
    };
    if (!answer)
        return failed(line::WriteFailure::NotOpen, QStringLiteral("the window did not answer"));
    switch (answer->status) {
    case share::LineStatus::Sent:
        return Outcome::done();
    case share::LineStatus::Answered:
        return Outcome::answered(answer->deviceNumber);
    case share::LineStatus::NoAnswer:
        return NoAnswer {answerWait.value_or(std::chrono::milliseconds(0))};
    case share::LineStatus::TestWaiting:
        return TestWaiting {};
    case share::LineStatus::LineLost:
        return LineLost {line::LineLoss {m_portName, answer->detail}};
    case share::LineStatus::NotHeld:
        return failed(line::WriteFailure::NotOpen, QStringLiteral("the window no longer holds the port"));
    case share::LineStatus::WriteFailed:
        return SendFailed {line::WriteFault {answer->failure, m_portName, answer->detail, answer->total,
                                             answer->accepted, answer->left}};
    case share::LineStatus::Held:
    case share::LineStatus::Refused:
        break;
    }
    return failed(line::WriteFailure::NotAccepted, answer->detail);
}

} // namespace board
