#pragma once
// What came of asking the board for something: done (with the answering device for a test, and
// the content file as the send left it), or one problem with the facts needed to say what went
// wrong and what to do about it; operator_text.h words them for each front end.
#include "board/content_edit.h"
#include "line/line_fault.h"
#include "protocol/display_data.h"
#include "storage/board_content.h"

#include <QString>

#include <chrono>
#include <optional>
#include <type_traits>
#include <variant>
#include <vector>

namespace board {

// The content file gives an area that no frame can address.
struct AreaUnusable {
    storage::Area area;
    protocol::DisplayArea value;
    protocol::AreaProblem why;
    QString storedText; // the area's 8 characters as the file holds them
};

// No line to the board: the choice names no port, or the port could not be opened or reached.
struct PortUnavailable {
    line::OpenFault fault;
};

// A frame did not go out whole.
struct SendFailed {
    line::WriteFault fault;
    bool temperaturesSent = false; // a weather send whose first frame went out
};

// The device went away while the board's answer or the weather pause was awaited.
struct LineLost {
    line::LineLoss loss;
    bool temperaturesSent = false;
};

// Something else closed the port during the weather pause; the temperatures went out.
struct PortClosedInPause {};

// The window already waits for the answer to another program's connection test.
struct TestWaiting {};

struct NoAnswer {
    std::chrono::milliseconds waited;
};

// The weather text cannot be drawn: no fitting font, or no drawing module. The temperatures were
// sent before it was found out, so that a missing font never holds them back.
struct FontMissing {
    QString unloadable; // why the drawing module did not load (the system's detail); empty: no font
};

// The content file gives nothing to send: it cannot be read (error, Chinese, from the file's
// side), or it refuses the edits that came with the send (refused; nothing was sent).
struct ContentUnusable {
    QString error;
    std::vector<EditError> refused;
};

// The computer's clock gives no valid local time.
struct ClockInvalid {};

// The frames went out, but the content file was not rewritten: the file refused the edits as it
// stood by then (refused), changed while it was read, or could not be written (error, Chinese,
// from the content file's side).
struct SaveFailed {
    QString error;
    std::vector<EditError> refused;
    bool changedWhileRead = false;
};

// The sender that asked went away during the weather pause (the window was closed): nothing more
// is sent and nothing is said.
struct Withdrawn {};

using Problem = std::variant<AreaUnusable, PortUnavailable, SendFailed, LineLost, PortClosedInPause, TestWaiting,
                             NoAnswer, FontMissing, ContentUnusable, ClockInvalid, SaveFailed, Withdrawn>;

// A send's outcome is never dropped unread: a failure that nobody looks at is a failure reported
// as success.
class [[nodiscard]] Outcome {
public:
    static Outcome done() { return Outcome(); }
    static Outcome answered(int deviceNumber)
    {
        Outcome outcome;
        outcome.m_device = deviceNumber;
        return outcome;
    }
    // A problem, or one of its kinds, is a failed outcome.
    template <typename Kind>
        requires std::is_constructible_v<Problem, Kind>
    Outcome(Kind problem) : m_problem(Problem(std::move(problem))) // NOLINT: implicit on purpose
    {
    }

    bool ok() const { return !m_problem.has_value(); }
    // Only for an outcome that is not ok().
    const Problem& problem() const { return *m_problem; }
    // The answering board's number, after a connection test that waited for it.
    std::optional<int> deviceNumber() const { return m_device; }

    // The content file as a send of rooms, rates or weather left it, when it was rewritten.
    std::optional<storage::BoardContent> saved;

private:
    Outcome() = default;
    std::optional<Problem> m_problem;
    std::optional<int> m_device;
};

} // namespace board
