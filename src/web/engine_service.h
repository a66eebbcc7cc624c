#pragma once
// The board side of vorfjp-web over the board engine: the content file with the same checks and
// the same writers' lock as vorfjp-send set, sends queued one at a time to the port the window
// holds or to one of the service's own, and the page's preview drawn from the engine's own frames
// decoded by the virtual board's model.
//
// Sends run from the event loop, one after another: a request that comes while one is under way
// waits in the queue, so two requests never interleave frames, and the nested waits of a send
// (the line, the weather pause) go on serving the other requests meanwhile. A port of the
// service's own is closed once no send has come for kIdleClose, so that the window can open it.
#include "board/board_engine.h"
#include "board/shared_port.h"
#include "web/board_service.h"

#include <QDateTime>
#include <QJsonArray>
#include <QObject>
#include <QTimer>

#include <chrono>
#include <deque>
#include <functional>

namespace web {

struct EngineServiceSetup {
    QString contentPath;
    std::function<QString()> portChoice; // read when a send first needs the port
    QString socketPath;                  // where a running window lends its port
    quint8 deviceId;                     // for a send that names none
    board::WeatherDrawing draw;
    std::function<QDateTime()> clock = [] { return QDateTime::currentDateTime(); };
};

class EngineService : public QObject, public BoardService {
    Q_OBJECT
public:
    static constexpr std::chrono::milliseconds kIdleClose {1000};
    // Sends kept for the status.
    static constexpr int kLastSends = 20;

    explicit EngineService(EngineServiceSetup setup, QObject* parent = nullptr);

    ServiceAnswer content() override;
    ServiceAnswer patchContent(const QJsonObject& changes) override;
    ServiceAnswer preview(const QJsonObject& draft) override;
    void send(const QString& command, std::optional<int> device, std::function<void(ServiceAnswer)> done) override;
    QJsonObject status() override;

private:
    struct Request {
        board::Command command;
        quint8 deviceId;
        std::function<void(ServiceAnswer)> done;
    };

    void runQueue();
    ServiceAnswer run(const Request& request);
    void record(const Request& request, const ServiceAnswer& answer);

    EngineServiceSetup m_setup;
    board::SharedPort m_port;
    board::BoardEngine m_engine;
    std::deque<Request> m_queue;
    bool m_running = false;
    QTimer m_idle;
    QJsonArray m_last;
};

// The HTTP status for an engine problem: 422 content the board cannot take, 503 no port to send
// on, 502 the line failed, 504 no answer to the test, 500 for the rest.
int httpStatusOf(const board::Problem& problem);

} // namespace web
