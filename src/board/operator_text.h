#pragma once
// The operator's words for what the board engine reports: Chinese, as the window shows them in
// its message boxes and the web page shows them beside its buttons. Each text says what failed
// and what to do.
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

} // namespace board
