#include "webd/web_options.h"

#include "protocol/device_number.h"
#include "web/web_text.h"

#include <QNetworkInterface>
#include <QRegularExpression>
#include <QSysInfo>

namespace webd {

using web::WebText;

namespace {

ParsedWebCommandLine usage(const QString& error)
{
    ParsedWebCommandLine parsed;
    parsed.error = error;
    return parsed;
}

// A host name or IPv4 address with an optional port, or a bracketed IPv6 address with one.
bool isHostName(const QString& text)
{
    static const QRegularExpression kHost(QRegularExpression::anchoredPattern(
        QStringLiteral("(?:[a-z0-9](?:[a-z0-9-]{0,61}[a-z0-9])?(?:\\.[a-z0-9](?:[a-z0-9-]{0,61}[a-z0-9])?)*"
                       "|\\[[0-9a-f:.]+\\])(?::[0-9]{1,5})?")));
    return text.size() <= 255 && kHost.match(text).hasMatch();
}

QString hostLiteral(const QHostAddress& address)
{
    QHostAddress plain = address;
    plain.setScopeId(QString());
    return plain.protocol() == QAbstractSocket::IPv6Protocol ? u'[' + plain.toString() + u']' : plain.toString();
}

} // namespace

ParsedWebCommandLine parseWebCommandLine(QCommandLineParser& parser, const QStringList& arguments)
{
    parser.setApplicationDescription(
        WebText::tr("Serves the board content and the board's commands over HTTP, to a page and to scripts."));
    const QCommandLineOption helpOption = parser.addHelpOption();
    const QCommandLineOption versionOption = parser.addVersionOption();
    const QCommandLineOption listen(
        QStringLiteral("listen"),
        WebText::tr("The address to listen on: IPV4:PORT, [IPV6]:PORT or localhost:PORT (default "
                    "127.0.0.1:8417). An address that other computers can reach needs a password first "
                    "(--set-password)."),
        QStringLiteral("HOST:PORT"));
    const QCommandLineOption port(QStringLiteral("port"),
                                  WebText::tr("The serial port, as the window's port box takes it: a number, a "
                                              "device path, tcp://HOST:PORT or rfc2217://HOST:PORT "
                                              "(default: the window's saved choice)."),
                                  QStringLiteral("PORT"));
    const QCommandLineOption device(
        QStringLiteral("device"),
        WebText::tr("The board's device number, 0 to 255, for sends that name none (default 255: every board)."),
        QStringLiteral("N"));
    const QCommandLineOption content(QStringLiteral("content"),
                                     WebText::tr("The board content file (default: the one the window uses)."),
                                     QStringLiteral("FILE"));
    const QCommandLineOption allowHost(
        QStringLiteral("allow-host"),
        WebText::tr("A further name the service answers to, such as the computer's name on the hotel's "
                    "network, with or without :PORT; may be given more than once."),
        QStringLiteral("NAME"));
    const QCommandLineOption tlsCert(
        QStringLiteral("tls-cert"),
        WebText::tr("Serve HTTPS with this certificate (PEM, the chain after it); needs --tls-key. Without it, "
                    "an address that other computers can reach is served over HTTPS with a self-signed "
                    "certificate made on the first start."),
        QStringLiteral("FILE"));
    const QCommandLineOption tlsKey(QStringLiteral("tls-key"),
                                    WebText::tr("The private key of --tls-cert (PEM)."), QStringLiteral("FILE"));
    const QCommandLineOption plainHttp(
        QStringLiteral("plain-http"),
        WebText::tr("Serve plain HTTP even on an address that other computers can reach, such as behind a "
                    "proxy that speaks HTTPS for the service."));
    const QCommandLineOption trustProxy(
        QStringLiteral("trust-proxy"),
        WebText::tr("The address of a proxy in front of the service: only for its requests is the client taken "
                    "from the last address in X-Forwarded-For."),
        QStringLiteral("ADDRESS"));
    const QCommandLineOption setPassword(
        QStringLiteral("set-password"),
        WebText::tr("Read a password from standard input (one line), store only a slow salted hash of it, and end."));
    const QCommandLineOption newToken(
        QStringLiteral("new-token"),
        WebText::tr("Print a new token for scripts (Authorization: Bearer TOKEN), store only its hash under "
                    "NAME, and end. A token stored under the same name stops working."),
        QStringLiteral("NAME"));
    const QCommandLineOption mqttUrl(
        QStringLiteral("mqtt"),
        WebText::tr("Also serve the board on an MQTT broker, with Home Assistant discovery: mqtt://[USER@]HOST[:PORT] "
                    "or mqtts://[USER@]HOST[:PORT]. The password is stored with --set-mqtt-password."),
        QStringLiteral("URL"));
    const QCommandLineOption mqttName(
        QStringLiteral("mqtt-name"),
        WebText::tr("This board's name on the broker and in Home Assistant, with the device number making its id "
                    "(default: the computer's host name)."),
        QStringLiteral("NAME"));
    const QCommandLineOption mqttBase(QStringLiteral("mqtt-base"),
                                      WebText::tr("The topics' base (default: vorfjp/NAME-DEVICE)."),
                                      QStringLiteral("TOPIC"));
    const QCommandLineOption mqttCa(QStringLiteral("mqtt-ca"),
                                    WebText::tr("For mqtts: the CA certificate the broker's is checked against "
                                                "(default: the system's)."),
                                    QStringLiteral("FILE"));
    const QCommandLineOption setMqttPassword(
        QStringLiteral("set-mqtt-password"),
        WebText::tr("Read the broker's password from standard input (one line), store it in a file only you can "
                    "read, and end."));
    parser.addOptions({listen, port, device, content, allowHost, tlsCert, tlsKey, plainHttp, trustProxy, setPassword,
                       newToken, mqttUrl, mqttName, mqttBase, mqttCa, setMqttPassword});

    if (!parser.parse(arguments))
        return usage(parser.errorText());
    ParsedWebCommandLine parsed;
    if (parser.isSet(helpOption)) {
        parsed.helpAsked = true;
        return parsed;
    }
    if (parser.isSet(versionOption)) {
        parsed.versionAsked = true;
        return parsed;
    }
    if (!parser.positionalArguments().isEmpty())
        return usage(WebText::tr("vorfjp-web takes no commands, not \"%1\"; see --help.")
                         .arg(parser.positionalArguments().constFirst()));

    WebOptions options;
    if (parser.isSet(listen)) {
        const std::optional<ListenAddress> address = parseListenAddress(parser.value(listen));
        if (!address)
            return usage(WebText::tr("--listen takes IPV4:PORT, [IPV6]:PORT or localhost:PORT, not \"%1\".")
                             .arg(parser.value(listen)));
        options.listen = *address;
    }
    if (parser.isSet(port))
        options.port = parser.value(port);
    if (parser.isSet(content))
        options.contentFile = parser.value(content);
    if (parser.isSet(device)) {
        const QString text = parser.value(device);
        const protocol::DeviceNumberInput read = protocol::readDeviceNumber(text, protocol::kEveryDevice);
        if (read.fieldText != text)
            return usage(WebText::tr("--device takes a number from 0 to 255, not \"%1\".").arg(text));
        options.deviceId = read.deviceId;
    }
    for (const QString& name : parser.values(allowHost)) {
        const QString host = name.trimmed().toLower();
        if (!isHostName(host))
            return usage(WebText::tr("--allow-host takes a host name, with or without :PORT, not \"%1\".").arg(name));
        options.allowHosts << host;
    }
    if (parser.isSet(tlsCert) != parser.isSet(tlsKey))
        return usage(WebText::tr("Give --tls-cert and --tls-key together."));
    if (parser.isSet(tlsCert)) {
        if (parser.isSet(plainHttp))
            return usage(WebText::tr("Give --tls-cert or --plain-http, not both."));
        options.tlsCertificate = parser.value(tlsCert);
        options.tlsKey = parser.value(tlsKey);
    }
    options.plainHttp = parser.isSet(plainHttp);
    if (parser.isSet(trustProxy)) {
        QHostAddress proxy;
        if (!proxy.setAddress(parser.value(trustProxy)))
            return usage(WebText::tr("--trust-proxy takes an IPv4 or IPv6 address, not \"%1\".").arg(parser.value(trustProxy)));
        options.trustProxy = proxy;
    }
    options.setPassword = parser.isSet(setPassword);
    if (parser.isSet(newToken))
        options.newTokenName = parser.value(newToken);
    if (options.setPassword && options.newTokenName)
        return usage(WebText::tr("Give --set-password or --new-token, not both."));
    options.setMqttPassword = parser.isSet(setMqttPassword);
    if (parser.isSet(mqttUrl)) {
        const mqtt::ParsedBrokerAddress broker = mqtt::parseBrokerAddress(parser.value(mqttUrl));
        if (!broker.address)
            return usage(broker.problem == mqtt::AddressProblem::PasswordInAddress
                             ? WebText::tr("--mqtt takes no password, which anyone could read in the process "
                                           "list; store it with --set-mqtt-password.")
                             : WebText::tr("--mqtt takes mqtt://[USER@]HOST[:PORT] or mqtts://[USER@]HOST[:PORT], "
                                           "not \"%1\".")
                                   .arg(parser.value(mqttUrl)));
        MqttOptions chosen;
        chosen.broker = *broker.address;
        chosen.name = parser.isSet(mqttName) ? parser.value(mqttName).trimmed() : QSysInfo::machineHostName();
        // Letters beyond a-z would all become "_" in the board's id, and two boards named in
        // Chinese would share one id on the broker.
        static const QRegularExpression kName(QRegularExpression::anchoredPattern(QStringLiteral("[A-Za-z0-9][A-Za-z0-9._-]{0,63}")));
        if (!kName.match(chosen.name).hasMatch())
            return usage(WebText::tr("--mqtt-name takes 1 to 64 letters a-z, digits, dots, dashes or underscores, "
                                     "starting with a letter or digit, not \"%1\".")
                             .arg(chosen.name));
        if (parser.isSet(mqttBase)) {
            const QString base = parser.value(mqttBase);
            static const QRegularExpression kBase(
                QRegularExpression::anchoredPattern(QStringLiteral("[^/+#\\x00]+(/[^/+#\\x00]+)*")));
            if (!kBase.match(base).hasMatch() || base.toUtf8().size() > 200)
                return usage(WebText::tr("--mqtt-base takes a topic such as hotel/lobby: no \"+\" or \"#\", and "
                                         "no \"/\" at either end, not \"%1\".")
                                 .arg(base));
            chosen.base = base;
        }
        if (parser.isSet(mqttCa)) {
            if (!chosen.broker.tls)
                return usage(WebText::tr("--mqtt-ca is for a broker reached with mqtts://."));
            chosen.caFile = parser.value(mqttCa);
        }
        options.mqtt = std::move(chosen);
    } else if (parser.isSet(mqttName) || parser.isSet(mqttBase) || parser.isSet(mqttCa)) {
        return usage(WebText::tr("--mqtt-name, --mqtt-base and --mqtt-ca go with --mqtt."));
    }
    parsed.options = std::move(options);
    return parsed;
}

std::optional<ListenAddress> parseListenAddress(const QString& text)
{
    static const QRegularExpression kForm(QRegularExpression::anchoredPattern(
        QStringLiteral("(?:([0-9]{1,3}(?:\\.[0-9]{1,3}){3})|\\[([0-9A-Za-z:.%]+)\\]|(localhost)):([0-9]{1,5})")),
        QRegularExpression::CaseInsensitiveOption);
    const QRegularExpressionMatch match = kForm.match(text);
    if (!match.hasMatch())
        return std::nullopt;
    const uint port = match.captured(4).toUInt();
    if (port > 65535)
        return std::nullopt;
    ListenAddress listen;
    listen.port = quint16(port);
    if (match.hasCaptured(3)) {
        listen.address = QHostAddress(QHostAddress::LocalHost);
        listen.byName = true;
        return listen;
    }
    const bool v6 = match.hasCaptured(2);
    if (!listen.address.setAddress(match.captured(v6 ? 2 : 1)))
        return std::nullopt;
    if ((listen.address.protocol() == QAbstractSocket::IPv6Protocol) != v6)
        return std::nullopt;
    return listen;
}

bool isLoopback(const ListenAddress& listen)
{
    return listen.address.isLoopback();
}

Transport transportOf(const WebOptions& options)
{
    if (options.tlsCertificate)
        return Transport::GivenCertificate;
    if (options.plainHttp || isLoopback(options.listen))
        return Transport::PlainHttp;
    return Transport::SelfSigned;
}

std::optional<QString> listenRefusal(const ListenAddress& listen, bool passwordStored)
{
    if (isLoopback(listen) || passwordStored)
        return std::nullopt;
    return WebText::tr("%1 can be reached from other computers, so the service needs a password first. Set one "
                       "with: vorfjp-web --set-password")
        .arg(hostLiteral(listen.address));
}

QStringList acceptedHosts(const ListenAddress& listen, quint16 boundPort, const QStringList& allowHosts)
{
    const QString port = QString::number(boundPort);
    QStringList hosts;
    const auto add = [&](const QString& host) {
        if (!hosts.contains(host))
            hosts << host;
    };
    const QHostAddress& address = listen.address;
    const bool wildcard = address == QHostAddress(QHostAddress::AnyIPv4) || address == QHostAddress(QHostAddress::AnyIPv6);
    if (wildcard) {
        for (const QHostAddress& own : QNetworkInterface::allAddresses())
            add(hostLiteral(own).toLower() + u':' + port);
    } else {
        add(hostLiteral(address).toLower() + u':' + port);
    }
    if (wildcard || address.isLoopback())
        add(QStringLiteral("localhost:") + port);
    for (const QString& name : allowHosts) {
        const QString host = name.toLower();
        const bool hasPort = host.startsWith(u'[') ? host.contains(QLatin1String("]:")) : host.contains(u':');
        if (hasPort) {
            add(host);
        } else {
            add(host + u':' + port);
            add(host);
        }
    }
    return hosts;
}

} // namespace webd
