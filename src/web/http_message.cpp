#include "web/http_message.h"

namespace web {

namespace {

std::optional<QByteArray> firstMatch(const HttpFields& fields, QByteArrayView name, Qt::CaseSensitivity cs)
{
    for (const auto& [key, value] : fields) {
        if (QByteArrayView(key).compare(name, cs) == 0)
            return value;
    }
    return std::nullopt;
}

} // namespace

std::optional<QByteArray> HttpRequest::header(QByteArrayView name) const
{
    return firstMatch(headers, name, Qt::CaseInsensitive);
}

std::optional<QByteArray> HttpRequest::cookie(QByteArrayView name) const
{
    return firstMatch(cookies, name, Qt::CaseSensitive);
}

} // namespace web
