#pragma once
// What the HTTP API asks of the board side. The API has checked everything that is HTTP's
// business (route, credentials, JSON shape, device range) before it calls in here.
#include <QJsonObject>
#include <QString>

#include <functional>
#include <optional>

namespace webd {

struct ServiceAnswer {
    int httpStatus;
    QJsonObject body;
};

// The board side of the API. Every call is made on the main thread; send() answers through
// done exactly once, later: sends are queued, and a send on a device server is answered only once
// the end of the connection has confirmed it.
class BoardService {
public:
    virtual ~BoardService() = default;
    virtual ServiceAnswer content() = 0;                                // GET /api/content: 200 + content, or a failure
    virtual ServiceAnswer patchContent(const QJsonObject& changes) = 0; // PATCH /api/content: 200 + content, or 422 + {"errors":{...}}
    virtual ServiceAnswer preview(const QJsonObject& draft) = 0;        // POST /api/preview: the page's live preview
    virtual void send(const QString& command, std::optional<int> device,
                      std::function<void(ServiceAnswer)> done) = 0;     // POST /api/send/<command>
    virtual QJsonObject status() = 0;                                   // GET /api/status
};

} // namespace webd
