// vorfjp-web with --mqtt as it runs: a mosquitto of the test's own, the virtual board on a
// pseudo-terminal, and a client playing Home Assistant. Discovery, a value set and sent, refusals,
// a retained command, the broker going away and back, a wrong password and a killed service.
#include "mqtt_client.h"
#include "support/device_servers.h"
#include "support/files.h"
#include "support/hex.h"
#include "support/send_table.h"

#include <QJsonArray>
#include <QProcess>
#include <QRegularExpression>
#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace {

using mqtttest::Client;
using mqtttest::kWaitMs;
using testsupport::hex;

const QByteArray kBoardPassword = "board-secret";
const QByteArray kHaPassword = "ha-secret";
const QString kBase = QStringLiteral("vorfjp/lobby-255");
const QString kDiscovery = QStringLiteral("homeassistant/device/vorfjp_lobby_255/config");

// vorfjp-web, its own folders inherited from the test, with the broker's password stored by
// --set-mqtt-password as a user would.
class MqttWeb {
public:
    ~MqttWeb() { end(); }

    static bool storePassword(const QByteArray& password)
    {
        QProcess set;
        set.start(QStringLiteral(VORFJP_WEB), {QStringLiteral("--set-mqtt-password")});
        set.write(password + '\n');
        set.closeWriteChannel();
        return set.waitForFinished(kWaitMs) && set.exitCode() == 0;
    }

    bool start(const QString& port, const QString& content, const QString& url)
    {
        m_process.start(QStringLiteral(VORFJP_WEB),
                        {QStringLiteral("--listen"), QStringLiteral("127.0.0.1:0"), QStringLiteral("--port"), port,
                         QStringLiteral("--content"), content, QStringLiteral("--mqtt"), url,
                         QStringLiteral("--mqtt-name"), QStringLiteral("Lobby")});
        if (!QTest::qWaitFor([&] { return m_process.canReadLine() || m_process.state() == QProcess::NotRunning; },
                             kWaitMs))
            return false;
        const QString line = QString::fromUtf8(m_process.readLine());
        m_port = quint16(line.mid(line.lastIndexOf(u':') + 1).remove(u'/').trimmed().toUInt());
        return m_port != 0;
    }

    // curl against the HTTP API.
    QJsonObject http(const QString& path, const QString& method = QStringLiteral("GET"), const QByteArray& body = {})
    {
        QProcess curl;
        QStringList arguments {QStringLiteral("-sS"), QStringLiteral("-X"), method,
                               QStringLiteral("http://127.0.0.1:%1%2").arg(m_port).arg(path)};
        if (!body.isEmpty())
            arguments << QStringLiteral("-H") << QStringLiteral("Content-Type: application/json")
                      << QStringLiteral("--data-binary") << QString::fromUtf8(body);
        curl.start(QStringLiteral("curl"), arguments);
        curl.waitForFinished(kWaitMs);
        return QJsonDocument::fromJson(curl.readAllStandardOutput()).object();
    }

    QString errors()
    {
        m_errors += QString::fromUtf8(m_process.readAllStandardError());
        return m_errors;
    }
    void kill()
    {
        m_process.kill();
        m_process.waitForFinished(kWaitMs);
    }
    void end()
    {
        m_process.terminate();
        if (!m_process.waitForFinished(kWaitMs))
            kill();
    }

private:
    QProcess m_process;
    quint16 m_port = 0;
    QString m_errors;
};

class BoardOnMqtt : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(dir.isValid());
        ASSERT_TRUE(broker.start({{QStringLiteral("board"), kBoardPassword, {QStringLiteral("vorfjp/#"),
                                                                             QStringLiteral("homeassistant/#")}},
                                  {QStringLiteral("ha"), kHaPassword, {QStringLiteral("#")}}}))
            << broker.errorString().toStdString();
        ASSERT_TRUE(board.start({QStringLiteral("--pty"), QStringLiteral("--id"), QStringLiteral("5")}))
            << board.errorString().toStdString();
    }

    void startService(const QByteArray& password = kBoardPassword)
    {
        contentPath = dir.filePath(QStringLiteral("VorFjp.ini"));
        contentBytes = sendtable::withAreas("0   8   256 12  0   4   ").fileBytes();
        testsupport::writeFile(contentPath, contentBytes);
        ASSERT_TRUE(MqttWeb::storePassword(password));
        ASSERT_TRUE(service.start(board.firstLine().value(QStringLiteral("pty")).toString(), contentPath,
                                  broker.url(QStringLiteral("board"))))
            << service.errors().toStdString();
    }

    // Home Assistant's side, subscribed to all the board says.
    std::unique_ptr<Client> homeAssistant()
    {
        return std::make_unique<Client>(broker, QStringLiteral("ha"), kHaPassword,
                                        QStringList {QStringLiteral("homeassistant/#"), kBase + QStringLiteral("/#")},
                                        QStringLiteral("ha"));
    }

    QByteArray nextFrame()
    {
        return QByteArray::fromHex(board.nextObject(kWaitMs).value(QStringLiteral("bytes")).toString().toLatin1());
    }

    QTemporaryDir dir;
    QString contentPath;
    QByteArray contentBytes;
    testsupport::MosquittoBroker broker;
    testsupport::HeadlessBoard board;
    MqttWeb service;
};

TEST_F(BoardOnMqtt, DiscoveryArrivesRetainedAndEveryEntityHasItsTopics)
{
    startService();
    const std::unique_ptr<Client> ha = homeAssistant();
    const std::optional<mqtt::Message> announced = ha->next(kDiscovery);
    ASSERT_TRUE(announced);
    EXPECT_TRUE(announced->retained);
    const QJsonObject device = QJsonDocument::fromJson(announced->payload).object();
    EXPECT_EQ(device[QStringLiteral("dev")][QStringLiteral("identifiers")][0].toString(), QStringLiteral("vorfjp_lobby_255"));
    EXPECT_FALSE(device[QStringLiteral("o")][QStringLiteral("name")].toString().isEmpty());
    const QJsonObject components = device[QStringLiteral("cmps")].toObject();

    // Whoever comes later finds the state kept by the broker.
    Client late(broker, QStringLiteral("ha"), kHaPassword, {kBase + QStringLiteral("/state")}, QStringLiteral("late"));
    const std::optional<mqtt::Message> stateMessage = late.next(kBase + QStringLiteral("/state"));
    ASSERT_TRUE(stateMessage);
    EXPECT_TRUE(stateMessage->retained);
    const QJsonObject state = QJsonDocument::fromJson(stateMessage->payload).object();
    EXPECT_EQ(state[QStringLiteral("content")][QStringLiteral("rooms")].toArray().size(), 10);
    EXPECT_EQ(ha->next(kBase + QStringLiteral("/availability"))->payload, "online");

    QMap<QString, int> platforms;
    int disabled = 0;
    QStringList commandTopics;
    for (auto it = components.begin(); it != components.end(); ++it) {
        const QJsonObject component = it.value().toObject();
        const QString platform = component[QStringLiteral("p")].toString();
        ++platforms[platform];
        const QString id = component[QStringLiteral("unique_id")].toString();
        EXPECT_TRUE(id.startsWith(QLatin1String("vorfjp_lobby_255_"))) << id.toStdString();
        EXPECT_EQ(component[QStringLiteral("default_entity_id")].toString(), platform + u'.' + id);
        EXPECT_FALSE(component.contains(QStringLiteral("object_id")));
        EXPECT_EQ(component[QStringLiteral("availability")][0][QStringLiteral("topic")].toString(),
                  kBase + QStringLiteral("/availability"));
        if (component.contains(QStringLiteral("state_topic"))) {
            EXPECT_EQ(component[QStringLiteral("state_topic")].toString(), kBase + QStringLiteral("/state")) << id.toStdString();
        }
        disabled += component[QStringLiteral("enabled_by_default")] == false;
        if (platform == QLatin1String("text")) {
            EXPECT_GT(component[QStringLiteral("max")].toInt(), 0) << id.toStdString();
            EXPECT_TRUE(QRegularExpression(component[QStringLiteral("pattern")].toString()).isValid()) << id.toStdString();
            EXPECT_TRUE(component[QStringLiteral("command_topic")].toString().startsWith(kBase + QStringLiteral("/set/")));
        }
        if (platform == QLatin1String("button")) {
            EXPECT_TRUE(component[QStringLiteral("command_topic")].toString().startsWith(kBase + QStringLiteral("/cmd/")));
        }
        if (component.contains(QStringLiteral("command_topic")))
            commandTopics << component[QStringLiteral("command_topic")].toString();
    }
    EXPECT_EQ(platforms[QStringLiteral("text")], 10 + 20 + 3);
    EXPECT_EQ(platforms[QStringLiteral("button")], 5);
    EXPECT_EQ(platforms[QStringLiteral("sensor")], 1);
    EXPECT_EQ(platforms[QStringLiteral("binary_sensor")], 1);
    EXPECT_EQ(disabled, 20) << "the exchange values";
    EXPECT_EQ(components[QStringLiteral("rooms_3")][QStringLiteral("pattern")].toString(),
              QStringLiteral("^[0-9 ]*(\\.[0-9 ]*)?$"));
    EXPECT_EQ(components[QStringLiteral("rooms_3")][QStringLiteral("max")].toInt(), 4);

    // Every command topic is listened to: each text given its own value back, each button
    // pressed, is answered on the result topic.
    ha->skip(kBase + QStringLiteral("/result"));
    for (const QString& topic : commandTopics) {
        const QString key = topic.section(u'/', -1);
        QByteArray payload = "PRESS";
        if (topic.contains(QLatin1String("/set/"))) {
            QJsonValue value = state[QStringLiteral("content")];
            for (const QString& part : key.split(u'.')) {
                bool row = false;
                const int number = part.toInt(&row);
                value = row ? value.toArray().at(number - 1) : value.toObject().value(part);
            }
            ASSERT_TRUE(value.isString()) << key.toStdString();
            payload = value.toString().toUtf8();
        }
        ha->publish(topic, payload);
        const QJsonObject result = ha->nextJson(kBase + QStringLiteral("/result"));
        EXPECT_EQ(result[QStringLiteral("request")].toString(), topic.mid(kBase.size() + 1));
        if (topic.contains(QLatin1String("/set/"))) {
            EXPECT_TRUE(result[QStringLiteral("ok")].toBool()) << key.toStdString();
        }
    }
    EXPECT_EQ(testsupport::readFile(contentPath).left(24), contentBytes.left(24)) << "no area changed";
}

TEST_F(BoardOnMqtt, ValuesSetOverMqttGoOutWithTheNextSendAndStayInTheFile)
{
    startService();
    const std::unique_ptr<Client> ha = homeAssistant();
    ASSERT_TRUE(ha->next(kBase + QStringLiteral("/state")));
    const QString result = kBase + QStringLiteral("/result");
    for (const auto& [key, value] : {std::pair {"rooms.1", "688"}, {"rooms.2", "5.6"}, {"rooms.3", "688"}}) {
        ha->publish(kBase + QStringLiteral("/set/") + QLatin1String(key), value);
        const QJsonObject answer = ha->nextJson(result);
        EXPECT_TRUE(answer[QStringLiteral("ok")].toBool()) << key;
        EXPECT_EQ(answer[QStringLiteral("request")].toString(), QStringLiteral("set/") + QLatin1String(key));
    }
    ha->publish(kBase + QStringLiteral("/cmd/rooms"), "PRESS");
    // Eight cells: " 688", " 5." and "6" (the point takes no cell of its own), and the blank
    // that begins " 688" of the third row.
    EXPECT_EQ(nextFrame().toHex(' '), hex("02 00 14 FF EE 25 00 00 00 08 FF 82 80 80 FF 12 82 FF C5 03").toHex(' '));
    EXPECT_TRUE(ha->nextJson(result)[QStringLiteral("ok")].toBool());

    const QJsonObject content = service.http(QStringLiteral("/api/content"));
    EXPECT_EQ(content[QStringLiteral("rooms")][2].toString(), QStringLiteral("688"));
    EXPECT_TRUE(testsupport::readFile(contentPath).contains(" 688 5.6 688")) << testsupport::readFile(contentPath).toStdString();
    // The state follows: the last one published holds the values and the send.
    QJsonObject state;
    ASSERT_TRUE(QTest::qWaitFor(
        [&] {
            state = ha->nextJson(kBase + QStringLiteral("/state"));
            return state.isEmpty() || state[QStringLiteral("lastSend")].isObject();
        },
        kWaitMs));
    EXPECT_EQ(state[QStringLiteral("content")][QStringLiteral("rooms")][2].toString(), QStringLiteral("688"));
    EXPECT_EQ(state[QStringLiteral("lastSend")][QStringLiteral("command")].toString(), QStringLiteral("rooms"));
    EXPECT_TRUE(state[QStringLiteral("line")][QStringLiteral("reachable")].toBool());
    EXPECT_TRUE(QDateTime::fromString(state[QStringLiteral("lastSend")][QStringLiteral("time")].toString(), Qt::ISODate)
                    .isValid());
}

TEST_F(BoardOnMqtt, RefusedValuesAreAnsweredWithTheKeyAndWriteNothing)
{
    startService();
    const std::unique_ptr<Client> ha = homeAssistant();
    ASSERT_TRUE(ha->next(kBase + QStringLiteral("/state")));
    const QString result = kBase + QStringLiteral("/result");
    struct Row {
        const char* key;
        QByteArray payload;
        const char* problem;
    };
    const Row rows[] = {
        {"rooms.3", "12345", "refused"},
        {"rates.2.a", "1.2.3", "refused"},
        {"weather.low", "x", "refused"},
        {"areas.rooms.address", "-1", "refused"},
        {"weather.text", "晴\n", "refused"},
        {"no.such", "1", "unknown-key"},
        {"rooms.11", "1", "unknown-key"},
        {"weather.text", QByteArray("\xff\xfe", 2), "bad-value"},
        {"weather.text", QByteArray(100000, '1'), "bad-value"},
    };
    for (const Row& row : rows) {
        ha->publish(kBase + QStringLiteral("/set/") + QLatin1String(row.key), row.payload);
        const QJsonObject answer = ha->nextJson(result);
        EXPECT_FALSE(answer[QStringLiteral("ok")].toBool(true)) << row.key;
        EXPECT_EQ(answer[QStringLiteral("problem")].toString(), QLatin1String(row.problem)) << row.key;
        EXPECT_EQ(answer[QStringLiteral("key")].toString(), QLatin1String(row.key));
        EXPECT_FALSE(answer[QStringLiteral("message")].toString().isEmpty()) << row.key;
    }
    ha->publish(kBase + QStringLiteral("/set/rooms.3"), "12345");
    EXPECT_TRUE(ha->nextJson(result)[QStringLiteral("message")].toString().contains(QStringLiteral("4 位")));
    EXPECT_EQ(testsupport::readFile(contentPath), contentBytes);
}

// A command left retained on the broker is answered, not carried out, when the service
// subscribes; the next command given goes out first.
TEST_F(BoardOnMqtt, ARetainedCommandIsNotReplayed)
{
    const std::unique_ptr<Client> ha = homeAssistant();
    ASSERT_TRUE(ha->waitConnected());
    ha->publish(kBase + QStringLiteral("/cmd/time"), "PRESS", true);
    startService();
    const QJsonObject answer = ha->nextJson(kBase + QStringLiteral("/result"));
    EXPECT_EQ(answer[QStringLiteral("problem")].toString(), QStringLiteral("retained"));
    EXPECT_EQ(answer[QStringLiteral("request")].toString(), QStringLiteral("cmd/time"));
    ha->publish(kBase + QStringLiteral("/cmd/test"), "PRESS");
    EXPECT_EQ(nextFrame()[5], char(0x21)) << "the test's frame, not the clock's";
    // Clearing the retained command delivers an empty one, which is nobody's press.
    ha->publish(kBase + QStringLiteral("/cmd/time"), QByteArray(), true);
    ha->publish(kBase + QStringLiteral("/cmd/test"), "PRESS");
    EXPECT_EQ(nextFrame()[5], char(0x21));
}

// The broker stops while the service runs: the page's API goes on, the status says so; the
// broker comes back empty and the service announces itself again and takes commands.
TEST_F(BoardOnMqtt, AfterTheBrokerRestartsTheServiceAnnouncesAgainAndTakesCommands)
{
    startService();
    {
        const std::unique_ptr<Client> ha = homeAssistant();
        ASSERT_TRUE(ha->next(kDiscovery));
    }
    broker.stop();
    ASSERT_TRUE(QTest::qWaitFor(
        [&] {
            return service.http(QStringLiteral("/api/status"))[QStringLiteral("mqtt")][QStringLiteral("state")]
                   != QStringLiteral("connected");
        },
        kWaitMs));
    const QJsonObject patched =
        service.http(QStringLiteral("/api/content"), QStringLiteral("PATCH"), R"({"rooms": ["688"]})");
    EXPECT_EQ(patched[QStringLiteral("rooms")][0].toString(), QStringLiteral("688"));

    ASSERT_TRUE(broker.restart()) << broker.errorString().toStdString();
    const std::unique_ptr<Client> ha = homeAssistant();
    const std::optional<mqtt::Message> again = ha->next(kDiscovery);
    ASSERT_TRUE(again) << "nothing is kept across the broker's restart: this is the service's announcement";
    const QJsonObject state = ha->nextJson(kBase + QStringLiteral("/state"));
    EXPECT_EQ(state[QStringLiteral("content")][QStringLiteral("rooms")][0].toString(), QStringLiteral("688"))
        << "the change made over HTTP meanwhile";
    ASSERT_TRUE(QTest::qWaitFor([&] {
        return service.http(QStringLiteral("/api/status"))[QStringLiteral("mqtt")][QStringLiteral("state")]
               == QStringLiteral("connected");
    }, kWaitMs));
    ha->publish(kBase + QStringLiteral("/cmd/rooms"), "PRESS");
    EXPECT_EQ(nextFrame().left(6).toHex(' '), hex("02 00 14 FF EE 25").toHex(' '));
    EXPECT_TRUE(ha->nextJson(kBase + QStringLiteral("/result"))[QStringLiteral("ok")].toBool());
}

// A wrong password is told once on the terminal and in the status, while the service goes on
// trying with growing pauses and serving HTTP.
TEST_F(BoardOnMqtt, AWrongPasswordIsToldOnce)
{
    startService("not-the-password");
    QJsonObject mqttState;
    ASSERT_TRUE(QTest::qWaitFor(
        [&] {
            mqttState = service.http(QStringLiteral("/api/status"))[QStringLiteral("mqtt")].toObject();
            return mqttState[QStringLiteral("attempts")].toInt() >= 3;
        },
        kWaitMs));
    EXPECT_EQ(mqttState[QStringLiteral("broker")].toString(), broker.url(QStringLiteral("board")));
    EXPECT_TRUE(mqttState[QStringLiteral("problem")].toString().contains(QLatin1String("refused")));
    const QString errors = service.errors();
    EXPECT_EQ(errors.count(QLatin1String("refused")), 1) << errors.toStdString();
    EXPECT_FALSE(errors.contains(QLatin1String("not-the-password")));
}

// Killed, the service leaves "offline" behind through its last will.
TEST_F(BoardOnMqtt, AKilledServiceIsOfflineThroughItsLastWill)
{
    startService();
    const std::unique_ptr<Client> ha = homeAssistant();
    ASSERT_EQ(ha->next(kBase + QStringLiteral("/availability"))->payload, "online");
    service.kill();
    const std::optional<mqtt::Message> gone = ha->next(kBase + QStringLiteral("/availability"));
    ASSERT_TRUE(gone);
    EXPECT_EQ(gone->payload, "offline");
}

} // namespace
