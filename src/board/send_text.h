#pragma once
// The translation context of vorfjp-send's messages, the board's problems worded for it among
// them: English source texts, Chinese from translations/vorfjp-send_zh_CN.ts under a Chinese
// locale.
#include <QCoreApplication>

namespace board {

class SendText {
    Q_DECLARE_TR_FUNCTIONS(SendText)
};

} // namespace board
