#pragma once
// The board on MQTT, with Home Assistant's device discovery, over the same board side as the
// HTTP API; and that board side again for the HTTP API, so that a change or a send made over
// HTTP shows in the state as well.
//
// Topics, under a base such as vorfjp/lobby-255:
//   BASE/availability   "online" / "offline", retained; "offline" is also the link's last will
//   BASE/state          retained: {"content": GET /api/content's body (null when the file cannot
//                       be used, with "contentProblem"), "line": {"port", "reachable":
//                       the last send that says anything about the line went out (true), failed on
//                       it (false), or none did (null)}, "lastSend": {"time" with its offset,
//                       "command", "ok", "problem", "message"} or null}
//   BASE/set/KEY        the value of one key of `vorfjp-send set` ("rooms.3", "weather.text",
//                       "areas.rooms.address"), checked and written as PATCH /api/content does
//   BASE/cmd/COMMAND    test, time, rooms, rates or weather; any payload but an empty one (which
//                       is what clearing a retained message delivers)
//   BASE/result         not retained: each set's and command's outcome, in the API's shape with
//                       "request" ("set/rooms.3", "cmd/rooms"): {"ok": true, "request": …} or
//                       {"ok": false, "problem": KIND, "message": Chinese text, "request": …,
//                       and for a refused value "key" and "errors": {KEY: reason}}
// A set or command that arrives retained was given some time ago, to someone else: it is not
// carried out, only answered (problem "retained").
//
// Home Assistant: one device, announced retained on homeassistant/device/ID/config with "dev",
// "o" and "cmps", ID being "vorfjp_" and the board id; announced again whenever
// homeassistant/status says "online", and when the names of the rows change.
#include "mqtt/broker_link.h"
#include "webd/board_service.h"

#include <QFileSystemWatcher>
#include <QJsonObject>
#include <QObject>
#include <QPointer>

#include <functional>

namespace webd {

// The board's id in topics and in Home Assistant: the instance name in lower case with every
// character but a-z, 0-9, "_" and "-" as "_", a "-", and the device number:
//   mqttBoardId("Lobby.East", 3) == "lobby_east-3"
QString mqttBoardId(const QString& name, quint8 deviceId);
// What BASE/availability says while the service is away: the link's last will.
inline constexpr char kMqttOffline[] = "offline";

// "vorfjp/" and the board id.
QString defaultMqttBase(const QString& boardId);

struct BoardMqttSetup {
    QString boardId;
    QString base;        // without a "/" at either end
    QString name;        // the instance name, for Home Assistant's device
    QString version;
    QString contentPath; // watched, so that a change by another writer shows in the state; may be empty
};

class BoardMqtt : public QObject, public BoardService {
    Q_OBJECT
public:
    using Publish = std::function<void(const QString& topic, const QByteArray& payload, bool retain)>;

    // board outlives this object; publish is called for every message to the broker.
    BoardMqtt(BoardService& board, BoardMqttSetup setup, Publish publish, QObject* parent = nullptr);

    QString availabilityTopic() const;
    QString discoveryTopic() const;
    // What to subscribe to: BASE/set/+, BASE/cmd/+ and homeassistant/status.
    QStringList subscriptions() const;
    // The broker's side of status(), as "mqtt".
    void setBrokerStatus(std::function<QJsonObject()> brokerStatus);

    // On every connection: "online", the device and the state.
    void announce();
    void handle(const mqtt::Message& message);
    // The state, when it differs from the one published last.
    void publishState();

    QJsonObject state();
    QJsonObject discovery();

    ServiceAnswer content() override;
    ServiceAnswer patchContent(const QJsonObject& changes) override;
    ServiceAnswer preview(const QJsonObject& draft) override;
    void send(const QString& command, std::optional<int> device, std::function<void(ServiceAnswer)> done) override;
    QJsonObject status() override;

private:
    void set(const QString& key, const mqtt::Message& message);
    void command(const QString& name, const mqtt::Message& message);
    void result(const QString& request, QJsonObject body);
    void publishDiscovery(bool always);
    QString topic(const QString& suffix) const;

    BoardService& m_board;
    BoardMqttSetup m_setup;
    Publish m_publish;
    std::function<QJsonObject()> m_brokerStatus;
    QByteArray m_lastState;
    QByteArray m_lastDiscovery;
    QFileSystemWatcher m_watcher;
};

} // namespace webd
