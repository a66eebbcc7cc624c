#pragma once
// The command line of vorfjp-web:
//   vorfjp-web [--listen HOST:PORT] [--port PORT] [--device N] [--content FILE] [--allow-host NAME]...
//              [--tls-cert FILE --tls-key FILE | --plain-http] [--trust-proxy ADDRESS]
//   vorfjp-web --set-password
//   vorfjp-web --new-token NAME
//   vorfjp-web ... --mqtt URL [--mqtt-name NAME] [--mqtt-base TOPIC] [--mqtt-ca FILE]
//   vorfjp-web --set-mqtt-password
#include "mqtt/broker_address.h"
#include "protocol/frame.h"

#include <QCommandLineParser>
#include <QHostAddress>
#include <QString>
#include <QStringList>

#include <optional>

namespace webd {

// Exit statuses, after sysexits.h as vorfjp-send uses them; spelt out, as Windows has no such
// header and scripts on both systems see the same numbers.
enum ExitStatus : int {
    kDone = 0,
    kUsage = 64,        // EX_USAGE: a wrong option or value
    kDataError = 65,    // EX_DATAERR: an empty password, or two that differ
    kUnavailable = 69,  // EX_UNAVAILABLE: the listening address cannot be bound
    kCannotCreate = 73, // EX_CANTCREAT: the password or token file cannot be written
    kConfig = 78,       // EX_CONFIG: beyond this computer without a password; a password file without
                        // one; a certificate that cannot be read or made
};

inline constexpr quint16 kDefaultListenPort = 8417;

struct ListenAddress {
    QHostAddress address = QHostAddress(QHostAddress::LocalHost);
    quint16 port = kDefaultListenPort; // 0: the kernel picks one
    bool byName = false;               // given as "localhost"
};

struct MqttOptions {
    mqtt::BrokerAddress broker;
    QString name;                // this board's instance name; default: the computer's host name
    std::optional<QString> base; // the topics' base; default: vorfjp/<board id>
    QString caFile;              // mqtts: the CA of the broker's certificate; empty: the system's
};

struct WebOptions {
    ListenAddress listen;
    std::optional<QString> port; // the serial port; without it, the window's saved choice
    quint8 deviceId = protocol::kEveryDevice;
    std::optional<QString> contentFile; // without it, the one the window uses
    QStringList allowHosts;             // further Host names to answer to, lower case
    std::optional<QString> tlsCertificate; // with tlsKey: serve HTTPS with them
    std::optional<QString> tlsKey;
    bool plainHttp = false;                // serve plain HTTP beyond this computer too
    std::optional<QHostAddress> trustProxy; // whose X-Forwarded-For names the client
    bool setPassword = false;           // store a password read from standard input, then end
    std::optional<QString> newTokenName; // print and store a token, then end
    std::optional<MqttOptions> mqtt;     // without it, no broker
    bool setMqttPassword = false;        // store the broker's password read from standard input, then end
};

struct ParsedWebCommandLine {
    std::optional<WebOptions> options; // empty: see error, or help/version was asked for
    QString error;                     // for the user, in their language; empty with help/version
    bool helpAsked = false;
    bool versionAsked = false;
};

// Declares every option on parser (so that --help lists them) and reads arguments (the first one
// the program's name). --port, --device and --content are read as vorfjp-send reads them.
ParsedWebCommandLine parseWebCommandLine(QCommandLineParser& parser, const QStringList& arguments);

// "127.0.0.1:8417", "[::1]:8417", "0.0.0.0:80", "localhost:8417" (the IPv4 loopback); nothing
// for anything else: a name other than localhost, no port, a port over 65535.
std::optional<ListenAddress> parseListenAddress(const QString& text);
bool isLoopback(const ListenAddress& listen);

// How the service speaks: HTTPS with the given certificate when there is one; plain HTTP on
// loopback, or when --plain-http says so; otherwise HTTPS with a self-signed certificate kept
// beside the password file.
enum class Transport { PlainHttp, GivenCertificate, SelfSigned };
Transport transportOf(const WebOptions& options);
// Why the service may not start as asked, for the user: an address reachable from other
// computers while no password is stored. Nothing when it may.
std::optional<QString> listenRefusal(const ListenAddress& listen, bool passwordStored);

// The Host header values the service answers to once bound to boundPort, lower case: the
// address itself ("127.0.0.1:8417", "[::1]:8417"), localhost for a loopback address, every
// address of this computer for a wildcard one, and each allowed name, with the port and, for a
// name given without one, also bare (for a proxy in front on the default port).
QStringList acceptedHosts(const ListenAddress& listen, quint16 boundPort, const QStringList& allowHosts);

} // namespace webd
