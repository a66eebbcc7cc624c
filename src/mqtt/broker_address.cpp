#include "mqtt/broker_address.h"

#include <QUrl>

namespace mqtt {

QString BrokerAddress::url() const
{
    const QString shownHost = host.contains(u':') ? u'[' + host + u']' : host;
    const QString login = user.isEmpty() ? QString() : QString::fromUtf8(QUrl::toPercentEncoding(user)) + u'@';
    return (tls ? QStringLiteral("mqtts://") : QStringLiteral("mqtt://")) + login + shownHost + u':'
           + QString::number(port);
}

ParsedBrokerAddress parseBrokerAddress(const QString& text)
{
    ParsedBrokerAddress parsed;
    const QUrl url(text, QUrl::StrictMode);
    if (!url.isValid())
        return parsed;
    const QString scheme = url.scheme().toLower();
    if (scheme != QLatin1String("mqtt") && scheme != QLatin1String("mqtts"))
        return parsed;
    if (!url.password().isEmpty() || (text.contains(u'@') && text.section(u'@', 0, 0).count(u':') > 1)) {
        parsed.problem = AddressProblem::PasswordInAddress;
        return parsed;
    }
    if (url.host().isEmpty() || !(url.path().isEmpty() || url.path() == QLatin1String("/")) || url.hasQuery()
        || url.hasFragment())
        return parsed;
    BrokerAddress address;
    address.tls = scheme == QLatin1String("mqtts");
    address.host = url.host();
    const int port = url.port(address.tls ? kTlsPort : kPlainPort);
    if (port <= 0 || port > 65535)
        return parsed;
    address.port = quint16(port);
    address.user = url.userName();
    parsed.address = address;
    return parsed;
}

} // namespace mqtt
