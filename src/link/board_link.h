#pragma once
// The program's side of the line to the board, without any window: it opens the port the
// operator chose, writes frames, watches the line, reads the board's answer to the connection
// test and runs the weather send with a pause supplied by its owner. The window and the
// command-line sender both drive the board through it, so the two keep the same rules.
//
// Losing the device closes the port and raises lineLost once. A loss noticed while a frame is
// written is also in that write's outcome; a loss during the weather pause is also in the weather
// outcome; writing() and pausing() tell an owner that reports losses itself which case it is in.
#include "link/event_loop_pause.h"
#include "link/weather_sequence.h"
#include "serial/vor_ms_comm.h"

#include <QByteArray>
#include <QObject>
#include <QString>

#include <functional>
#include <optional>

namespace boardlink {

// Waits ms milliseconds while the owner's events go on being handled.
using Pause = std::function<void(int ms)>;

enum class OpenProblem {
    None,
    NotAPortChoice,
    NoSuchDevice,
    InUse,
    NoPermission,
    ServerUnreachable, // a tcp:// or rfc2217:// device server: refused, unknown, silent, not one
    ServerClosed,      // a device server took the connection and closed it: its device cannot be opened, or is held
    Busy,              // another open or write was still waiting for the line
    Other,
};

struct OpenOutcome {
    bool ok = false;
    OpenProblem problem = OpenProblem::None;
    QString portName; // the device the choice names; empty when it names none
    QString reason;   // Chinese, for the operator: what went wrong and what to do
};

// Busy: another frame was still on its way; the port was left as it is.
enum class SendProblem { None, NotOpen, LineLost, NotAccepted, Busy };

struct SendOutcome {
    bool ok = false;
    SendProblem problem = SendProblem::None;
    QString reason; // Chinese, for the operator
};

enum class AnswerState { Answered, TimedOut, LineLost };

struct AnswerOutcome {
    AnswerState state = AnswerState::TimedOut;
    int deviceNumber = 0; // with Answered
    QString reason;       // Chinese, with LineLost
};

struct WeatherOutcome {
    WeatherStop stop = WeatherStop::None;
    // The line went during the pause and was still closed after it: the dots were not sent.
    std::optional<QString> lineLostInPause;
};

class BoardLink : public QObject {
    Q_OBJECT
public:
    explicit BoardLink(Pause pause = eventLoopPause, QObject* parent = nullptr);

    // The only place where a port choice becomes an open port. Closes the port first, so a
    // failed open leaves it closed, also when it was open before.
    OpenOutcome open(const QString& choiceText);
    void close();
    bool isOpen() const;
    QString portName() const;
    // Whether the port is open on the device that portName names (the same file, through
    // whatever links).
    bool holds(const QString& portName) const;

    // Writes one whole frame. A port that could not take it is closed: it is of no further use
    // until it is opened again.
    SendOutcome send(const QByteArray& frame);

    // Closes the port at the end of a session so that no frame sent is lost (see
    // serial::VorMsComm::finish). LineLost when the line went before the frames could be on it,
    // NotAccepted when a device server did not confirm them; the port is closed in every case.
    SendOutcome finish();

    // Writes the connection test frame, then sets the receive threshold to the shortest reply,
    // whatever the write did: the answer is read from the receive events.
    SendOutcome sendConnectionTest(quint8 deviceId);
    // The same for a test frame built elsewhere (another program's, relayed by the window).
    SendOutcome sendConnectionTest(const QByteArray& testFrame);

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
    // arrives, the line is lost or timeoutMs have passed.
    AnswerOutcome waitForAnswer(int timeoutMs);

    // The weather send: sendTemperatures, the pause, then sendDots, unless the line was lost in
    // the pause and is still closed.
    WeatherOutcome sendWeather(const std::function<bool()>& sendTemperatures, const std::function<bool()>& sendDots);

    bool writing() const { return m_writing; }
    bool pausing() const { return m_pauseLoss != nullptr; }

    const serial::VorMsComm& comm() const { return *m_comm; }

signals:
    void onComm(serial::VorMsComm::CommEvent event);
    void lineLost(const QString& reason);
    void answerArrived(int deviceNumber);

private:
    void handlePortLost(const QString& reason);

    serial::VorMsComm* m_comm;
    Pause m_pause;
    bool m_writing = false;
    bool m_lostDuringWrite = false;
    QString* m_pauseLoss = nullptr; // where the current weather pause keeps a loss
    int m_awaitedAnswers = 0;
};

} // namespace boardlink
