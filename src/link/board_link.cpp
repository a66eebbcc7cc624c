#include "link/board_link.h"

#include "protocol/connection_test.h"
#include "serial/port_choice.h"

#include <QEventLoop>
#include <QFileInfo>
#include <QScopedValueRollback>
#include <QTimer>

#include <utility>

namespace boardlink {

namespace {

OpenProblem problemOf(serial::VorMsComm::OpenFailure failure)
{
    switch (failure) {
    case serial::VorMsComm::OpenFailure::None:
    case serial::VorMsComm::OpenFailure::Other:
        return OpenProblem::Other;
    case serial::VorMsComm::OpenFailure::NoSuchDevice:
        return OpenProblem::NoSuchDevice;
    case serial::VorMsComm::OpenFailure::InUse:
        return OpenProblem::InUse;
    case serial::VorMsComm::OpenFailure::NoPermission:
        return OpenProblem::NoPermission;
    case serial::VorMsComm::OpenFailure::Refused:
    case serial::VorMsComm::OpenFailure::UnknownHost:
    case serial::VorMsComm::OpenFailure::TimedOut:
    case serial::VorMsComm::OpenFailure::NotADeviceServer:
        return OpenProblem::ServerUnreachable;
    case serial::VorMsComm::OpenFailure::ClosedByServer:
        return OpenProblem::ServerClosed;
    case serial::VorMsComm::OpenFailure::Busy:
        return OpenProblem::Busy;
    }
    return OpenProblem::Other;
}

QString sameFileKey(const QString& portName)
{
    const QString canonical = QFileInfo(portName).canonicalFilePath();
    return canonical.isEmpty() ? portName : canonical;
}

} // namespace

BoardLink::BoardLink(Pause pause, QObject* parent)
    : QObject(parent), m_comm(new serial::VorMsComm(this)), m_pause(std::move(pause))
{
    connect(m_comm, &serial::VorMsComm::onComm, this, &BoardLink::onComm);
    connect(m_comm, &serial::VorMsComm::portLost, this, &BoardLink::handlePortLost);
}

OpenOutcome BoardLink::open(const QString& choiceText)
{
    if (m_comm->portOpen())
        m_comm->close();
    const std::optional<QString> portName = serial::portNameForChoice(choiceText);
    if (!portName) {
        return {false, OpenProblem::NotAPortChoice, QString(),
                QStringLiteral("“%1”不是串口号。请在“串口号”一栏填写串口的编号（例如 1 到 16）、"
                               "串口设备的完整路径，或串口服务器的地址（tcp://主机:端口 或 rfc2217://主机:端口），然后再试。")
                    .arg(choiceText)};
    }
    const serial::VorMsComm::OpenResult opened = m_comm->open(*portName);
    if (opened.ok)
        return {true, OpenProblem::None, *portName, QString()};
    if (opened.failure == serial::VorMsComm::OpenFailure::Busy)
        return {false, OpenProblem::Busy, *portName, opened.reason};
    if (m_comm->portOpen())
        m_comm->close();
    return {false, problemOf(opened.failure), *portName, opened.reason};
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

SendOutcome BoardLink::send(const QByteArray& frame)
{
    const bool wasOpen = m_comm->portOpen();
    serial::VorMsComm::WriteResult written;
    {
        const QScopedValueRollback writing(m_writing, true);
        m_lostDuringWrite = false;
        written = m_comm->write(frame);
    }
    if (written.ok)
        return {true, SendProblem::None, QString()};
    if (written.busy)
        return {false, SendProblem::Busy, written.reason};
    m_comm->close();
    const SendProblem problem = !wasOpen           ? SendProblem::NotOpen
                                : m_lostDuringWrite ? SendProblem::LineLost
                                                    : SendProblem::NotAccepted;
    return {false, problem, written.reason};
}

SendOutcome BoardLink::finish()
{
    serial::VorMsComm::WriteResult finished;
    {
        const QScopedValueRollback writing(m_writing, true);
        m_lostDuringWrite = false;
        finished = m_comm->finish();
    }
    if (finished.ok)
        return {true, SendProblem::None, QString()};
    if (finished.busy)
        return {false, SendProblem::Busy, finished.reason};
    return {false, m_lostDuringWrite ? SendProblem::LineLost : SendProblem::NotAccepted, finished.reason};
}

SendOutcome BoardLink::sendConnectionTest(quint8 deviceId)
{
    return sendConnectionTest(protocol::connectionTestFrame(deviceId));
}

SendOutcome BoardLink::sendConnectionTest(const QByteArray& testFrame)
{
    const SendOutcome sent = send(testFrame);
    m_comm->setRThreshold(protocol::kReplyThreshold);
    return sent;
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

AnswerOutcome BoardLink::waitForAnswer(int timeoutMs)
{
    AnswerOutcome outcome;
    if (!isOpen()) {
        outcome.state = AnswerState::LineLost;
        return outcome;
    }
    expectAnswer();
    QEventLoop loop;
    connect(this, &BoardLink::onComm, &loop, [this](serial::VorMsComm::CommEvent event) {
        readReply(event);
        discardInput();
    });
    // The loop is the context of these connections and ends before the outcome they fill.
    AnswerOutcome* const result = &outcome;
    QEventLoop* const waiting = &loop;
    connect(this, &BoardLink::answerArrived, &loop, [result, waiting](int number) {
        *result = {AnswerState::Answered, number, QString()};
        waiting->quit();
    });
    connect(this, &BoardLink::lineLost, &loop, [result, waiting](const QString& reason) {
        *result = {AnswerState::LineLost, 0, reason};
        waiting->quit();
    });
    QTimer::singleShot(qMax(timeoutMs, 0), Qt::PreciseTimer, &loop, &QEventLoop::quit);
    loop.exec();
    if (outcome.state != AnswerState::Answered)
        stopExpectingAnswer();
    return outcome;
}

WeatherOutcome BoardLink::sendWeather(const std::function<bool()>& sendTemperatures,
                                      const std::function<bool()>& sendDots)
{
    WeatherOutcome outcome;
    QString lostInPause;
    outcome.stop = runWeatherSequence({
        sendTemperatures,
        [&](int ms) {
            const QScopedValueRollback watching(m_pauseLoss, &lostInPause);
            m_pause(ms);
        },
        [&] {
            if (!lostInPause.isEmpty() && !isOpen()) {
                outcome.lineLostInPause = lostInPause;
                return false;
            }
            return sendDots();
        },
    });
    return outcome;
}

void BoardLink::handlePortLost(const QString& reason)
{
    if (m_writing)
        m_lostDuringWrite = true;
    if (m_pauseLoss)
        *m_pauseLoss = reason;
    emit lineLost(reason);
}

} // namespace boardlink
