#pragma once
// The HTTP service as vorfjp-web runs it: the API over the HTTP server, on one listening
// address, in front of a board side. Tests build the very same thing with a board side of their
// own and kernel-picked ports.
#include "web/http_server.h"
#include "web/static_files.h"
#include "webd/board_service.h"
#include "webd/web_api.h"
#include "webd/web_options.h"

#include <QObject>

namespace webd {

struct WebServiceSettings {
    web::HttpLimits limits;
    WebApiSettings api;
    std::optional<QHostAddress> trustedProxy; // HttpServer::trustProxy()
};

class WebService : public QObject {
    Q_OBJECT
public:
    // board and files must outlive the service.
    WebService(BoardService& board, const web::StaticFiles& files, const WebServiceSettings& settings = {},
               QObject* parent = nullptr);

    // Listens on listen, over TLS with tls when given, and answers to the hosts acceptedHosts()
    // gives for it and allowHosts. The error, for the user, when it cannot: the address is
    // reachable from other computers while no password is stored (checked again here, whoever
    // calls), or cannot be bound, or TLS cannot start.
    std::optional<QString> listen(const ListenAddress& listen, const QStringList& allowHosts,
                                  const std::optional<web::TlsCredentials>& tls = std::nullopt);
    quint16 port() const;
    bool passwordRequired() const;
    // The schedule endpoints' side; it must outlive the service.
    void setScheduleService(ScheduleService* schedule);

private:
    // Declared in this order so that the server, and with it every connection, goes first.
    WebApi m_api;
    web::HttpServer m_server;
};

} // namespace webd
