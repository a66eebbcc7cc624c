#include "webd/web_service.h"

#include "web/web_text.h"

namespace webd {

using web::WebText;

WebService::WebService(BoardService& board, const web::StaticFiles& files, const WebServiceSettings& settings,
                       QObject* parent)
    : QObject(parent),
      m_api(board, files, settings.api),
      m_server(
          settings.limits,
          [this](const web::HttpRequest& request, const web::HttpResponder& responder) {
              m_api.handle(request, [responder](web::HttpResponse response) { responder.respond(std::move(response)); });
          },
          &WebApi::refusal)
{
    if (settings.trustedProxy)
        m_server.trustProxy(*settings.trustedProxy);
}

std::optional<QString> WebService::listen(const ListenAddress& listen, const QStringList& allowHosts,
                                          const std::optional<web::TlsCredentials>& tls)
{
    if (const std::optional<QString> refusal = listenRefusal(listen, m_api.passwordRequired()))
        return refusal;
    if (!m_server.listen(listen.address, listen.port, tls))
        return WebText::tr("Cannot listen on %1:%2: %3")
            .arg(listen.address.toString())
            .arg(listen.port)
            .arg(m_server.errorString());
    m_api.setAcceptedHosts(acceptedHosts(listen, m_server.port(), allowHosts));
    return std::nullopt;
}

quint16 WebService::port() const
{
    return m_server.port();
}

void WebService::setScheduleService(ScheduleService* schedule)
{
    m_api.setScheduleService(schedule);
}

bool WebService::passwordRequired() const
{
    return m_api.passwordRequired();
}

} // namespace webd
