#include "cli/board_sender.h"

#include "link/event_loop_pause.h"
#include "protocol/connection_test.h"
#include "link/weather_sequence.h"
#include "share/line_client.h"

#include <utility>

namespace cli {

namespace {

// How long the window may take beyond the answer's timeout to say how a request went.
constexpr int kWindowReplyMarginMs = 5000;

DeliveryReport fromSend(const boardlink::SendOutcome& sent)
{
    if (sent.ok)
        return {Delivery::Sent, 0, QString()};
    return {sent.problem == boardlink::SendProblem::LineLost ? Delivery::LineLost : Delivery::WriteFailed, 0,
            sent.reason};
}

} // namespace

boardlink::OpenOutcome OwnPortSender::open(const QString& choiceText)
{
    return m_link.open(choiceText);
}

DeliveryReport OwnPortSender::send(const QByteArray& frame)
{
    return fromSend(m_link.send(frame));
}

DeliveryReport OwnPortSender::test(quint8 deviceId, int timeoutMs)
{
    const DeliveryReport sent = fromSend(m_link.sendConnectionTest(deviceId));
    if (sent.delivery != Delivery::Sent)
        return sent;
    const boardlink::AnswerOutcome answer = m_link.waitForAnswer(timeoutMs);
    switch (answer.state) {
    case boardlink::AnswerState::Answered:
        return {Delivery::Answered, answer.deviceNumber, QString()};
    case boardlink::AnswerState::TimedOut:
        return {Delivery::NoAnswer, 0, QString()};
    case boardlink::AnswerState::LineLost:
        break;
    }
    return {Delivery::LineLost, 0, answer.reason};
}

DeliveryReport OwnPortSender::weather(const QByteArray& temperatures, const QByteArray& dots)
{
    DeliveryReport report{Delivery::Sent, 0, QString()};
    const auto sendOne = [&](const QByteArray& frame) {
        report = fromSend(m_link.send(frame));
        return report.delivery == Delivery::Sent;
    };
    const boardlink::WeatherOutcome sent =
        m_link.sendWeather([&] { return sendOne(temperatures); }, [&] { return sendOne(dots); });
    if (sent.lineLostInPause)
        return {Delivery::LineLost, 0, *sent.lineLostInPause};
    return report;
}

DeliveryReport OwnPortSender::finish()
{
    const boardlink::SendOutcome finished = m_link.finish();
    if (finished.ok)
        return {Delivery::Sent, 0, QString()};
    return {finished.problem == boardlink::SendProblem::LineLost ? Delivery::ServerHungUp : Delivery::NotConfirmed, 0,
            finished.reason};
}

WindowSender::WindowSender(QString socketPath, QString portName)
    : m_socketPath(std::move(socketPath)), m_portName(std::move(portName))
{
}

bool WindowSender::windowHoldsPort() const
{
    share::LineRequest request;
    request.kind = share::LineKind::AskHeld;
    request.portName = m_portName;
    const share::ClientOutcome asked = share::askWindow(m_socketPath, request, kWindowReplyMarginMs);
    return asked.response && asked.response->status == share::LineStatus::Held;
}

DeliveryReport WindowSender::ask(const QByteArray& frame, bool awaitAnswer, int timeoutMs) const
{
    share::LineRequest request;
    request.kind = share::LineKind::SendFrame;
    request.portName = m_portName;
    request.frame = frame;
    request.awaitAnswer = awaitAnswer;
    request.answerTimeoutMs = quint32(qMax(timeoutMs, 0));
    const share::ClientOutcome asked = share::askWindow(m_socketPath, request, qMax(timeoutMs, 0) + kWindowReplyMarginMs);
    if (!asked.response)
        return {Delivery::WriteFailed, 0, QString()};
    switch (asked.response->status) {
    case share::LineStatus::Sent:
        return {Delivery::Sent, 0, QString()};
    case share::LineStatus::Answered:
        return {Delivery::Answered, asked.response->deviceNumber, QString()};
    case share::LineStatus::NoAnswer:
        return {Delivery::NoAnswer, 0, asked.response->reason};
    case share::LineStatus::Held:
    case share::LineStatus::NotHeld:
    case share::LineStatus::WriteFailed:
    case share::LineStatus::Refused:
        break;
    }
    return {Delivery::WriteFailed, 0, asked.response->reason};
}

DeliveryReport WindowSender::send(const QByteArray& frame)
{
    return ask(frame, false, 0);
}

DeliveryReport WindowSender::test(quint8 deviceId, int timeoutMs)
{
    return ask(protocol::connectionTestFrame(deviceId), true, timeoutMs);
}

DeliveryReport WindowSender::weather(const QByteArray& temperatures, const QByteArray& dots)
{
    DeliveryReport report{Delivery::Sent, 0, QString()};
    const auto sendOne = [&](const QByteArray& frame) {
        report = send(frame);
        return report.delivery == Delivery::Sent;
    };
    boardlink::runWeatherSequence(
        {[&] { return sendOne(temperatures); }, boardlink::eventLoopPause, [&] { return sendOne(dots); }});
    return report;
}

DeliveryReport WindowSender::finish()
{
    return {Delivery::Sent, 0, QString()};
}

} // namespace cli
