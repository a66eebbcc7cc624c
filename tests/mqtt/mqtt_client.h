#pragma once
// A client of the test's broker, playing Home Assistant or anyone else on it: everything it
// receives is kept, and each topic is read in order of arrival.
#include "mqtt/broker_link.h"
#include "support/mosquitto_broker.h"

#include <QJsonDocument>
#include <QJsonObject>
#include <QList>
#include <QMap>
#include <QTest>

#include <gtest/gtest.h>

#include <optional>

namespace mqtttest {

// The longest a test waits for any one thing; reached only when it fails. Long enough for the
// link's back-off after a restart of the broker.
inline constexpr int kWaitMs = 60000;

class Client : public QObject {
public:
    Client(const testsupport::MosquittoBroker& broker, const QString& user, const QByteArray& password,
           const QStringList& subscriptions, const QString& id = QStringLiteral("test-client"))
        : m_link([&] {
              mqtt::BrokerSetup setup;
              setup.address = {QStringLiteral("127.0.0.1"), broker.port(), false, user};
              setup.password = password;
              setup.clientId = id;
              return setup;
          }())
    {
        m_link.setSubscriptions(subscriptions);
        connect(&m_link, &mqtt::BrokerLink::connected, this, [this] { ++connections; });
        connect(&m_link, &mqtt::BrokerLink::received, this, [this](const mqtt::Message& message) { received << message; });
        connect(&m_link, &mqtt::BrokerLink::problem, this, [this](const QString& what) { problems << what; });
        m_link.start();
    }

    // Waits for the next connection, counting from the ones seen so far.
    bool waitConnected(int already = 0)
    {
        return QTest::qWaitFor([&] { return connections > already && m_link.state() == mqtt::LinkState::Connected; },
                               kWaitMs);
    }

    void publish(const QString& topic, const QByteArray& payload, bool retain = false)
    {
        EXPECT_TRUE(m_link.publish(topic, payload, retain)) << topic.toStdString();
    }

    // The next message on topic after the ones already read there; nothing when none came.
    std::optional<mqtt::Message> next(const QString& topic)
    {
        int& read = m_read[topic];
        std::optional<mqtt::Message> found;
        const bool arrived = QTest::qWaitFor(
            [&] {
                int seen = 0;
                for (const mqtt::Message& message : received) {
                    if (message.topic == topic && seen++ == read) {
                        found = message;
                        return true;
                    }
                }
                return false;
            },
            kWaitMs);
        if (!arrived)
            return std::nullopt;
        ++read;
        return found;
    }

    // The next message on topic as a JSON object; an empty one when none came or it is no object.
    QJsonObject nextJson(const QString& topic)
    {
        const std::optional<mqtt::Message> message = next(topic);
        return message ? QJsonDocument::fromJson(message->payload).object() : QJsonObject();
    }

    // Skips what is already there on topic, so that next() waits for what comes from now on.
    void skip(const QString& topic)
    {
        int count = 0;
        for (const mqtt::Message& message : received)
            count += message.topic == topic;
        m_read[topic] = count;
    }

    mqtt::BrokerLink& link() { return m_link; }

    QList<mqtt::Message> received;
    QStringList problems;
    int connections = 0;

private:
    mqtt::BrokerLink m_link;
    QMap<QString, int> m_read;
};

} // namespace mqtttest
