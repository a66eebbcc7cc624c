// The board's topics without a broker: what each message leads to, on a board side that records
// what it is asked.
#include "support/board_double.h"
#include "webd/board_mqtt.h"

#include <QJsonDocument>

#include <gtest/gtest.h>

namespace {

struct Published {
    QString topic;
    QByteArray payload;
    bool retain;
};

class BoardTopics : public ::testing::Test {
protected:
    BoardTopics()
        : topics(board, {QStringLiteral("lobby-7"), QStringLiteral("hotel/lobby"), QStringLiteral("Lobby"), QStringLiteral("1"), {}},
                 [this](const QString& topic, const QByteArray& payload, bool retain) {
                     published.push_back({topic, payload, retain});
                 })
    {
    }

    QList<Published> on(const QString& topic) const
    {
        QList<Published> found;
        for (const Published& one : published) {
            if (one.topic == topic)
                found << one;
        }
        return found;
    }

    QJsonObject lastResult() const
    {
        const QList<Published> results = on(QStringLiteral("hotel/lobby/result"));
        return results.isEmpty() ? QJsonObject() : QJsonDocument::fromJson(results.last().payload).object();
    }

    webtest::BoardDouble board;
    webd::BoardMqtt topics;
    QList<Published> published;
};

TEST_F(BoardTopics, RetainedMessagesAndEmptyCommandsAreNotCarriedOut)
{
    topics.handle({QStringLiteral("hotel/lobby/set/rooms.1"), "688", true});
    EXPECT_EQ(board.patchCalls, 0);
    EXPECT_EQ(lastResult()[QStringLiteral("problem")].toString(), QStringLiteral("retained"));
    topics.handle({QStringLiteral("hotel/lobby/cmd/rooms"), "PRESS", true});
    EXPECT_TRUE(board.sends.isEmpty());
    EXPECT_EQ(lastResult()[QStringLiteral("request")].toString(), QStringLiteral("cmd/rooms"));
    const qsizetype results = on(QStringLiteral("hotel/lobby/result")).size();
    topics.handle({QStringLiteral("hotel/lobby/cmd/rooms"), QByteArray(), false});
    EXPECT_TRUE(board.sends.isEmpty());
    EXPECT_EQ(on(QStringLiteral("hotel/lobby/result")).size(), results) << "clearing a retained command is no press";
    for (const Published& result : on(QStringLiteral("hotel/lobby/result")))
        EXPECT_FALSE(result.retain);
}

TEST_F(BoardTopics, ACommandIsAnsweredWhenTheSendEndsAndTheStateFollows)
{
    topics.handle({QStringLiteral("hotel/lobby/cmd/weather"), "PRESS", false});
    ASSERT_EQ(board.sends.size(), 1);
    EXPECT_EQ(board.sends[0].command, QStringLiteral("weather"));
    EXPECT_FALSE(board.sends[0].device) << "the service's own device number";
    EXPECT_TRUE(on(QStringLiteral("hotel/lobby/result")).isEmpty());
    board.finishSend({502, {{QStringLiteral("ok"), false}, {QStringLiteral("problem"), QStringLiteral("line-lost")},
                            {QStringLiteral("message"), QStringLiteral("串口断开")}}});
    const QJsonObject result = lastResult();
    EXPECT_EQ(result[QStringLiteral("problem")].toString(), QStringLiteral("line-lost"));
    EXPECT_EQ(result[QStringLiteral("request")].toString(), QStringLiteral("cmd/weather"));
    ASSERT_FALSE(on(QStringLiteral("hotel/lobby/state")).isEmpty());
    EXPECT_TRUE(on(QStringLiteral("hotel/lobby/state")).last().retain);
}

TEST_F(BoardTopics, HomeAssistantComingOnlineGetsTheDeviceAgain)
{
    topics.announce();
    ASSERT_EQ(on(QStringLiteral("homeassistant/device/vorfjp_lobby_7/config")).size(), 1);
    EXPECT_EQ(on(QStringLiteral("hotel/lobby/availability")).last().payload, "online");
    topics.handle({QStringLiteral("homeassistant/status"), "offline", false});
    EXPECT_EQ(on(QStringLiteral("homeassistant/device/vorfjp_lobby_7/config")).size(), 1);
    topics.handle({QStringLiteral("homeassistant/status"), "online", false});
    const QList<Published> devices = on(QStringLiteral("homeassistant/device/vorfjp_lobby_7/config"));
    ASSERT_EQ(devices.size(), 2);
    EXPECT_TRUE(devices.last().retain);
    // Topics elsewhere, and deeper ones, are none of the board's business.
    const qsizetype before = published.size();
    for (const char* topic : {"hotel/lobby", "hotel/lobby/set", "hotel/lobbyx/set/rooms.1", "other/set/rooms.1"})
        topics.handle({QLatin1String(topic), "1", false});
    EXPECT_EQ(published.size(), before);
    EXPECT_EQ(board.patchCalls, 0);
}

TEST(BoardId, IsTheNameInLowerCaseWithTheDeviceNumber)
{
    EXPECT_EQ(webd::mqttBoardId(QStringLiteral("Lobby.East"), 3), QStringLiteral("lobby_east-3"));
    EXPECT_EQ(webd::mqttBoardId(QStringLiteral("大堂 1/#"), 255), QStringLiteral("___1__-255"));
    EXPECT_EQ(webd::defaultMqttBase(webd::mqttBoardId(QStringLiteral("ab-c_9"), 0)), QStringLiteral("vorfjp/ab-c_9-0"));
}

} // namespace
