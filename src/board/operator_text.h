#pragma once
// The operator's words for what the board engine reports: Chinese, as the window shows them in
// its message boxes and the web page shows them beside its buttons. Each text says what failed
// and what to do.
#include "board/content_edit.h"
#include "board/outcome.h"
#include "line/line_fault.h"

#include <QString>

namespace board {

QString openFaultText(const line::OpenFault& fault);
QString writeFaultText(const line::WriteFault& fault);
QString lossText(const line::LineLoss& loss);

// The whole message for a problem; empty for Withdrawn, which is not told.
QString operatorMessage(const Problem& problem);

// A loss of the line noticed while nothing was being sent.
QString lostLineMessage(const line::LineLoss& loss);

// Why a changed value is refused, for the field it belongs to (the key is not repeated).
QString editErrorText(const EditError& error);

// What the weather matrix shows of a text too wide for it.
QString weatherCutText(const WeatherCut& cut);

} // namespace board
