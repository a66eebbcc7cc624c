#pragma once
// The one catalogue of words for what the board engine reports. The lower layers report facts (a
// kind, the port, the system's detail); here each problem is worded for every audience at once:
// the window's and the page's Chinese, vorfjp-send's English (translated in the SendText
// context), the kind for scripts, the service's HTTP status and vorfjp-send's exit status. Each
// text says what failed and what to do. A new kind of problem does not compile until it is
// worded here: every choice below is an exhaustive visit or a switch without default.
#include "board/content_edit.h"
#include "board/outcome.h"
#include "line/line_fault.h"

#include <QString>

namespace board {

// One problem as each audience is told it.
// Example: tell(NoAnswer {500ms}) gives kind "no-answer", HTTP 504, exit 75, the window's
// "显示屏在 500 毫秒内没有回答连接测试。……" and vorfjp-send's
// "The board did not answer the connection test within 500 ms."
struct Told {
    const char* kind;  // for machines: "port-unavailable", "no-answer", ...
    int httpStatus;    // the service's: 422 content the board cannot take, 503 no port to send on
                       // or the line busy, 502 the line failed, 504 no answer to the test, 500 the rest
    int exitStatus;    // vorfjp-send's, see exit_status.h
    QString window;    // Chinese: the window's message box and the page; empty for Withdrawn
    QString sender;    // vorfjp-send's; empty for Withdrawn
};
Told tell(const Problem& problem);

const char* problemKind(const Problem& problem);
// The whole message for the window and the page; empty for Withdrawn, which is not told.
QString operatorMessage(const Problem& problem);

// The window's words for the line's own faults, as its status bar and message boxes show them.
QString openFaultText(const line::OpenFault& fault);
QString writeFaultText(const line::WriteFault& fault);
QString lossText(const line::LineLoss& loss);
// A loss of the line noticed while nothing was being sent.
QString lostLineMessage(const line::LineLoss& loss);

// Why a changed value is refused, for the field it belongs to (the key is not repeated);
// editErrorWords is vorfjp-send's, with the key in front.
QString editErrorText(const EditError& error);
QString editErrorWords(const EditError& error);

// Why the weather text cannot be drawn, without what was sent: the preview's words. The hint to
// install a font is the same in every program, so that an operator told it by vorfjp-send and by
// the window installs the same thing.
QString fontMissingText(const FontMissing& missing);

// What the weather matrix shows of a text too wide for it; weatherCutWords is vorfjp-send's,
// with the key in front.
QString weatherCutText(const WeatherCut& cut);
QString weatherCutWords(const WeatherCut& cut);

} // namespace board
