#pragma once
// vorfjp-web's line to a broker (--mqtt): the link, the board on it, and the broker's state for
// /api/status and the terminal.
#include "mqtt/broker_link.h"
#include "webd/board_mqtt.h"
#include "webd/credential_commands.h"
#include "webd/web_options.h"

#include <QTextStream>

namespace webd {

// The broker's password, kept as it is (the broker needs it so) in a file only the user can read:
// $XDG_CONFIG_HOME/VorFJP/mqtt-password.
QString mqttPasswordFile();

// --set-mqtt-password: reads one line (on a terminal twice, and both must agree) and stores it
// at path. Exit status as setPasswordCommand()'s.
int setMqttPasswordCommand(const QString& path, const LineReader& readLine, bool askTwice, QTextStream& err);

class MqttService : public QObject {
    Q_OBJECT
public:
    // The password, when the address names a user, from passwordFile; each change of the link's
    // state and each problem is told on err once.
    MqttService(BoardService& board, const MqttOptions& options, quint8 deviceId, const QString& contentPath,
                const QString& passwordFile, QTextStream& err, QObject* parent = nullptr);

    // The board side for the HTTP API: the same board, with the broker in its status.
    BoardService& board() { return m_board; }
    void start();

    // {"broker": "mqtt://hotel@host:1883", "base": "vorfjp/lobby-255", "state": "connected" |
    //  "connecting" | "waiting", "since": UTC time, "attempts": N, "problem": "…" when waiting}
    QJsonObject brokerStatus() const;

private:
    QTextStream& m_err;
    QString m_base;
    mqtt::BrokerLink m_link;
    BoardMqtt m_board;
};

} // namespace webd
