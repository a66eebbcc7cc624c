#include "board/link_port.h"

namespace board {

LinkPort::LinkPort(boardlink::BoardLink& link, std::function<QString()> choice, QObject* parent)
    : BoardPort(parent), m_link(link), m_choice(std::move(choice))
{
    connect(&m_link, &boardlink::BoardLink::lineLost, this, &BoardPort::lost);
}

Outcome LinkPort::open()
{
    if (m_link.isOpen())
        return Outcome::done();
    const line::Result<line::OpenFault> opened = m_link.open(m_choice());
    if (!opened.ok())
        return PortUnavailable {opened.fault()};
    return Outcome::done();
}

Outcome LinkPort::send(const QByteArray& frame)
{
    const line::Result<line::WriteFault> written = m_link.send(frame);
    if (!written.ok())
        return SendFailed {written.fault()};
    return Outcome::done();
}

Outcome LinkPort::test(const QByteArray& frame, std::optional<std::chrono::milliseconds> answerWait)
{
    const line::Result<line::WriteFault> written = m_link.sendConnectionTest(frame);
    if (!written.ok())
        return SendFailed {written.fault()};
    if (!answerWait)
        return Outcome::done();
    const boardlink::AnswerOutcome answer = m_link.waitForAnswer(*answerWait);
    switch (answer.state) {
    case boardlink::AnswerOutcome::State::Answered:
        return Outcome::answered(answer.deviceNumber);
    case boardlink::AnswerOutcome::State::LineLost:
        return LineLost {answer.loss};
    case boardlink::AnswerOutcome::State::TimedOut:
        break;
    }
    return NoAnswer {*answerWait};
}

Outcome LinkPort::finish()
{
    const line::Result<line::WriteFault> finished = m_link.finish();
    if (!finished.ok())
        return SendFailed {finished.fault()};
    return Outcome::done();
}

} // namespace board
