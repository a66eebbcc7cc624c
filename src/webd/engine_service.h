#pragma once
// The board side of vorfjp-web over the board engine: the content file with the same checks and
// the same writers' lock as vorfjp-send set, sends queued one at a time to the port the window
// holds or to one of the service's own, and the page's preview drawn from the engine's own frames
// decoded by the virtual board's model.
//
// Sends go to the process's board session (board/session.h), which queues them, runs them one at
// a time and answers each once it is sure how it went: a send on a device server only once the
// end of the connection has shown that the server got its frames onto its line.
#include "board/session.h"
#include "board/shared_port.h"
#include "webd/board_service.h"

#include <QDateTime>
#include <QJsonArray>
#include <QObject>

#include <chrono>
#include <functional>

namespace webd {

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
    // The board as it would look once the draft (any part of the content's shape) were sent;
    // nothing is saved:
    //   {"areas": {"rooms": {"address": 0, "length": 32, "cells": [255, 130, …], "groups": [4]},
    //              "rates": {… "groups": [6, 6]}, "temperature": {… "groups": [2, 2]}},
    //    "weather": {"text": "多云转晴有雨", "dots": ["0200000020200020", …16 rows],
    //                "cut": {"cells": 12, "shownCells": 8, "shown": "多云转晴", "message": "…"}},
    //    "names": {"rooms": ["豪华套房", …], "currencies": ["美元", …]},
    //    "errors": {"rooms.1": "…"}}
    // cells: the area's cell codes in area order; groups: how many of them each group of one of
    // the board's rows holds; an area that cannot be framed has {"problem": "…"} instead. dots:
    // the matrix rows top first, bit 7 of each byte the leftmost dot; "missing" instead when no
    // font can draw the text. cut: only for a text wider than the matrix. names: the row names,
    // a line each. errors: what a save of the draft would refuse, by key.
    ServiceAnswer preview(const QJsonObject& draft) override;
    void send(const QString& command, std::optional<int> device, std::function<void(ServiceAnswer)> done) override;
    // {"now": the time a clock send would set, "port", "throughWindow", "open", "sending",
    //  "queued", "device", "last": [the last sends, newest first]}
    QJsonObject status() override;

private:
    void record(board::Command command, quint8 deviceId, const ServiceAnswer& answer);

    EngineServiceSetup m_setup;
    board::SharedPort* m_port; // the session's
    board::Session m_session;
    QJsonArray m_last;
};

} // namespace webd
