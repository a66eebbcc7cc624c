#pragma once
// The program's side of the line to the board, without any window: it opens the port the
// operator chose, writes frames, watches the line and reads the board's answer to the connection
// test. Every sender that holds a port of its own (the window, vorfjp-send, vorfjp-web) drives
// the board through one of these, so they keep the same rules.
//
// Losing the device closes the port and raises lineLost once. A loss noticed while a frame is
// written is also in that write's result.
#include "line/line_fault.h"
#include "line/result.h"
#include "serial/vor_ms_comm.h"

#include <QByteArray>
#include <QObject>
#include <QString>

#include <chrono>
#include <optional>

namespace boardlink {

struct AnswerOutcome {
    enum class State { TimedOut, Answered, LineLost };
    State state = State::TimedOut;
    int deviceNumber = 0; // with Answered
    line::LineLoss loss;  // with LineLost
};

class BoardLink : public QObject {
    Q_OBJECT
public:
    explicit BoardLink(QObject* parent = nullptr);

    // The only place where a port choice becomes an open port. Closes the port first, so a
    // failed open leaves it closed, also when it was open before. A text that names no port
    // fails with NotAPortChoice and the text as the port.
    line::Result<line::OpenFault> open(const QString& choiceText);
    void close();
    bool isOpen() const;
    QString portName() const;
    // Whether the port is open on the device that portName names (the same file, through
    // whatever links).
    bool holds(const QString& portName) const;
    // An open or a write is waiting for the line: another one now would be refused as Busy.
    bool waiting() const { return m_comm->waiting(); }

    // Writes one whole frame. A port that could not take it is closed (writeFailed): it is of
    // no further use until it is opened again. A Busy refusal leaves it as it is.
    line::Result<line::WriteFault> send(const QByteArray& frame);
    // Writes the connection test frame, then sets the receive threshold to the shortest reply,
    // whatever the write did: the answer is read from the receive events.
    line::Result<line::WriteFault> sendConnectionTest(const QByteArray& testFrame);
    // Ends a short session and closes the port: see line::Line::finish().
    line::Result<line::WriteFault> finish();

    // For the owner's handler of onComm: the device number of the reply when the bytes of a
    // receive event are exactly one well-formed reply; nullopt otherwise, and also when someone
    // awaited that answer (it goes to answerArrived instead). Leaves the bytes waiting: the
    // owner calls discardInput() when it is done with the event.
    std::optional<int> readReply(serial::VorMsComm::CommEvent event);
    void discardInput();

    // Claims the next valid answer for answerArrived, once per call; stopExpectingAnswer()
    // withdraws one claim not yet met.
    void expectAnswer();
    void stopExpectingAnswer();

    // For an owner without a handler of its own: reads the receive events until a valid answer
    // arrives, the line is lost or the time is up.
    AnswerOutcome waitForAnswer(std::chrono::milliseconds timeout);

    const serial::VorMsComm& comm() const { return *m_comm; }

signals:
    void onComm(serial::VorMsComm::CommEvent event);
    void opened();
    void openFailed(const line::OpenFault& fault);
    // A write failed and the port is closed.
    void writeFailed(const line::WriteFault& fault);
    void lineLost(const line::LineLoss& loss);
    void answerArrived(int deviceNumber);
    // An open, write or finish has returned: the line takes the next request.
    void settled();

private:
    serial::VorMsComm* m_comm;
    int m_awaitedAnswers = 0;
};

} // namespace boardlink
