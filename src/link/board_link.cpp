#include "link/board_link.h"

#include "line/event_wait.h"
#include "protocol/connection_test.h"
#include "serial/port_choice.h"

#include <QFileInfo>

namespace boardlink {

namespace {

QString sameFileKey(const QString& portName)
{
    const QString canonical = QFileInfo(portName).canonicalFilePath();
    return canonical.isEmpty() ? portName : canonical;
}

} // namespace

BoardLink::BoardLink(QObject* parent) : QObject(parent), m_comm(new serial::VorMsComm(this))
{
    connect(m_comm, &serial::VorMsComm::onComm, this, &BoardLink::onComm);
    connect(m_comm, &serial::VorMsComm::portLost, this, &BoardLink::lineLost);
}

line::Result<line::OpenFault> BoardLink::open(const QString& choiceText)
{
    const std::optional<QString> portName = serial::portNameForChoice(choiceText);
    line::Result<line::OpenFault> result = portName
        ? m_comm->open(*portName)
        : line::Result<line::OpenFault>(line::OpenFault {line::OpenFailure::NotAPortChoice, choiceText, {}});
    emit settled();
    if (result.ok()) {
        emit opened();
        return result;
    }
    if (result.fault().why != line::OpenFailure::Busy)
        m_comm->close();
    emit openFailed(result.fault());
    return result;
}

void BoardLink::close()
{
    m_comm->close();
}

bool BoardLink::isOpen() const
{
    return m_comm->portOpen();
}

QString BoardLink::portName() const
{
    return m_comm->portName();
}

bool BoardLink::holds(const QString& portName) const
{
    return isOpen() && !portName.isEmpty() && sameFileKey(m_comm->portName()) == sameFileKey(portName);
}

line::Result<line::WriteFault> BoardLink::send(const QByteArray& frame)
{
    line::Result<line::WriteFault> written = m_comm->write(frame);
    emit settled();
    if (written.ok() || written.fault().why == line::WriteFailure::Busy)
        return written;
    m_comm->close();
    emit writeFailed(written.fault());
    return written;
}

line::Result<line::WriteFault> BoardLink::sendConnectionTest(const QByteArray& testFrame)
{
    line::Result<line::WriteFault> sent = send(testFrame);
    m_comm->setRThreshold(protocol::kReplyThreshold);
    return sent;
}

line::Result<line::WriteFault> BoardLink::finish()
{
    line::Result<line::WriteFault> finished = m_comm->finish();
    emit settled();
    if (!finished.ok())
        emit writeFailed(finished.fault());
    return finished;
}

std::optional<int> BoardLink::readReply(serial::VorMsComm::CommEvent event)
{
    if (event != serial::VorMsComm::CommEvent::Receive)
        return std::nullopt;
    const int waiting = m_comm->inBufferCount();
    const std::optional<int> number = protocol::deviceNumberFromReply(m_comm->input().left(waiting));
    if (number && m_awaitedAnswers > 0) {
        --m_awaitedAnswers;
        emit answerArrived(*number);
        return std::nullopt;
    }
    return number;
}

void BoardLink::discardInput()
{
    m_comm->clearInput();
}

void BoardLink::expectAnswer()
{
    ++m_awaitedAnswers;
}

void BoardLink::stopExpectingAnswer()
{
    if (m_awaitedAnswers > 0)
        --m_awaitedAnswers;
}

AnswerOutcome BoardLink::waitForAnswer(std::chrono::milliseconds timeout)
{
    AnswerOutcome outcome;
    if (!isOpen()) {
        outcome.state = AnswerOutcome::State::LineLost;
        outcome.loss = {portName(), {}};
        return outcome;
    }
    expectAnswer();
    // The receive events are this owner's to read while it waits.
    const QMetaObject::Connection reading = connect(this, &BoardLink::onComm, this, [this](serial::VorMsComm::CommEvent event) {
        readReply(event);
        discardInput();
    });
    // Both are disconnected before the outcome they fill goes out of scope.
    AnswerOutcome* const result = &outcome;
    const QMetaObject::Connection answered = connect(this, &BoardLink::answerArrived, this, [result](int number) {
        result->state = AnswerOutcome::State::Answered;
        result->deviceNumber = number;
    });
    const QMetaObject::Connection lost = connect(this, &BoardLink::lineLost, this, [result](const line::LineLoss& loss) {
        result->state = AnswerOutcome::State::LineLost;
        result->loss = loss;
    });
    line::EventWait wait;
    wait.wakeOn(this, &BoardLink::answerArrived);
    wait.wakeOn(this, &BoardLink::lineLost);
    wait.until([&outcome] { return outcome.state != AnswerOutcome::State::TimedOut; }, QDeadlineTimer(timeout));
    disconnect(reading);
    disconnect(answered);
    disconnect(lost);
    if (outcome.state != AnswerOutcome::State::Answered)
        stopExpectingAnswer();
    return outcome;
}

} // namespace boardlink
