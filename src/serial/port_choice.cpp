#include "serial/port_choice.h"

#include "serial/port_naming.h"
#include "storage/app_name.h"

#include <QRegularExpression>
#include <QSettings>
#include <QUrl>

namespace serial {

namespace {

constexpr auto kGroup = "CommPort";
constexpr auto kKey = "CommPort";
constexpr auto kDefaultChoice = "1";

// Plain decimal only: "0x3", "3.0" or "1e1" are neither numbers nor device names.
bool looksLikeNumber(const QString& text)
{
    static const QRegularExpression signedDigits(QStringLiteral("^[+-]?[0-9]+$"));
    return signedDigits.match(text).hasMatch();
}

// The choice has always been read as a signed 16-bit number.
std::optional<int> portNumber(const QString& text)
{
    bool ok = false;
    const short number = text.toShort(&ok, 10);
    if (!ok || number < 1)
        return std::nullopt;
    return number;
}

constexpr auto kTcpScheme = "tcp";
constexpr auto kRfc2217Scheme = "rfc2217";

} // namespace

std::optional<net::ServerAddress> serverAddressForChoice(const QString& choiceText)
{
    const QString text = choiceText.trimmed();
    const QUrl url(text, QUrl::StrictMode);
    if (!url.isValid() || url.host().isEmpty() || url.port() < 1 || !url.userInfo().isEmpty()
        || !url.path().isEmpty() || url.hasQuery() || url.hasFragment())
        return std::nullopt;
    net::ServerAddress address;
    const QString scheme = url.scheme().toLower();
    if (scheme == QLatin1String(kTcpScheme))
        address.protocol = net::ServerAddress::Protocol::RawTcp;
    else if (scheme == QLatin1String(kRfc2217Scheme))
        address.protocol = net::ServerAddress::Protocol::Rfc2217;
    else
        return std::nullopt;
    address.host = url.host();
    address.port = quint16(url.port());
    return address;
}

QString choiceForServerAddress(const net::ServerAddress& address)
{
    const bool raw = address.protocol == net::ServerAddress::Protocol::RawTcp;
    const QString host = address.host.contains(QLatin1Char(':')) ? QStringLiteral("[%1]").arg(address.host) : address.host;
    return QStringLiteral("%1://%2:%3")
        .arg(QLatin1String(raw ? kTcpScheme : kRfc2217Scheme), host)
        .arg(address.port);
}

std::optional<QString> portNameForChoice(const QString& choiceText)
{
    const QString text = choiceText.trimmed();
    if (text.contains(QLatin1String("://"))) {
        if (const std::optional<net::ServerAddress> address = serverAddressForChoice(text))
            return choiceForServerAddress(*address);
        return std::nullopt;
    }
    if (looksLikeNumber(text)) {
        if (const auto number = portNumber(text))
            return numberedPort(*number);
        return std::nullopt;
    }
    return devicePath(text);
}

QString loadPortChoice()
{
    const QString name = QString::fromUtf16(storage::kApplicationName);
    QSettings settings(name, name);
    settings.beginGroup(QString::fromLatin1(kGroup));
    return settings.value(QString::fromLatin1(kKey), QString::fromLatin1(kDefaultChoice)).toString();
}

void savePortChoice(const QString& choice)
{
    const QString name = QString::fromUtf16(storage::kApplicationName);
    QSettings settings(name, name);
    settings.beginGroup(QString::fromLatin1(kGroup));
    settings.setValue(QString::fromLatin1(kKey), choice);
}

} // namespace serial
