#pragma once
// The translation context of vorfjp-send's messages: English source texts, Chinese from
// translations/vorfjp-send_zh_CN.ts under a Chinese locale.
#include <QCoreApplication>

namespace cli {

class SendText {
    Q_DECLARE_TR_FUNCTIONS(SendText)
};

} // namespace cli
