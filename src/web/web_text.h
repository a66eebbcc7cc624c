#pragma once
// The translation context of vorfjp-web's messages to the user on the terminal: English source
// texts, Chinese from translations/vorfjp-web_zh_CN.ts under a Chinese locale. The API's answers
// to the page are Chinese always and live in web_api.cpp.
#include <QCoreApplication>

namespace web {

class WebText {
    Q_DECLARE_TR_FUNCTIONS(WebText)
};

} // namespace web
