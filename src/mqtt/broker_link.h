#pragma once
// One client's line to an MQTT broker (MQTT 5), kept up for as long as the object lives.
//
// libmosquitto runs inside the Qt event loop and has no thread of its own: a read notifier on its
// socket calls mosquitto_loop_read, a write notifier enabled only while it has bytes to write
// calls mosquitto_loop_write, and a timer calls mosquitto_loop_misc for the keep-alive.
// In this mode the library does not reconnect by itself: after a lost or refused connection the
// link waits (kFirstRetry, doubling up to kLastRetry) and reconnects with new notifiers.
//
// What arrives is handed on only after the library's call has returned, one message at a time,
// so that a receiver may publish, or wait in a nested event loop, without re-entering the library.
//
//   BrokerLink link({address, "vorfjp-lobby-255", password, {}, {"vorfjp/lobby-255/availability", "offline"}});
//   link.setSubscriptions({"vorfjp/lobby-255/cmd/+"});   // made again on every connection
//   connect(&link, &BrokerLink::connected, ctx, [&] { link.publish("vorfjp/…/availability", "online", true); });
//   connect(&link, &BrokerLink::received, ctx, [](const Message& m) { … });
//   link.start();
#include "mqtt/broker_address.h"

#include <QByteArray>
#include <QDateTime>
#include <QObject>
#include <QSet>
#include <QSocketNotifier>
#include <QStringList>
#include <QTimer>

#include <chrono>
#include <deque>
#include <map>
#include <memory>
#include <optional>

struct mosquitto;
struct mosquitto_message;
typedef struct mqtt5__property mosquitto_property;

namespace mqtt {

struct LastWill {
    QString topic;      // empty: none
    QByteArray payload; // published retained by the broker when the link vanishes without a goodbye
};

struct BrokerSetup {
    BrokerAddress address;
    QString clientId;
    std::optional<QByteArray> password; // with address.user
    QString caFile;                     // mqtts: the CA that signed the broker's certificate; empty: the system's
    LastWill will;
    std::chrono::seconds keepAlive {30};
};

struct Message {
    QString topic;
    QByteArray payload;
    bool retained = false; // kept by the broker from earlier, not published just now
};

enum class LinkState {
    Connecting, // a connection is under way
    Connected,
    Waiting,    // the last attempt failed or the connection was lost; the next one is due later
};

class BrokerLink : public QObject {
    Q_OBJECT
public:
    static constexpr std::chrono::milliseconds kFirstRetry {500};
    static constexpr std::chrono::milliseconds kLastRetry {30000};

    explicit BrokerLink(BrokerSetup setup, QObject* parent = nullptr);
    // Says goodbye when connected, so that the broker does not publish the last will.
    ~BrokerLink() override;
    BrokerLink(const BrokerLink&) = delete;
    BrokerLink& operator=(const BrokerLink&) = delete;

    // Connects, and keeps connecting; a TLS set-up that fails (an unreadable CA file) is told and
    // ends the link's tries for good.
    void start();
    // The topic filters to subscribe to (QoS 1) on this and every later connection.
    void setSubscriptions(const QStringList& filters);
    // QoS 1. False when the library refuses it at once (not connected, a topic with wildcards);
    // a publish the broker's access list forbids is reported through problem().
    bool publish(const QString& topic, const QByteArray& payload, bool retain);

    LinkState state() const { return m_state; }
    // What went wrong last, in the library's words; empty once connected.
    QString lastProblem() const { return m_problem; }
    // Connection attempts made, the first one included.
    int attempts() const { return m_attempts; }
    QDateTime since() const { return m_since; }
    const BrokerAddress& address() const { return m_setup.address; }

signals:
    void connected();
    void disconnected();
    void stateChanged();
    void received(const mqtt::Message& message);
    // Each distinct problem once, however often it repeats: the same refusal at every retry, the
    // same forbidden topic at every publish. A connection that succeeds forgets the refusals.
    void problem(const QString& what);

private:
    static void onConnect(mosquitto*, void* self, int reason, int flags, const mosquitto_property*);
    static void onDisconnect(mosquitto*, void* self, int reason, const mosquitto_property*);
    static void onMessage(mosquitto*, void* self, const mosquitto_message* message, const mosquitto_property*);
    static void onSubscribe(mosquitto*, void* self, int mid, int count, const int* granted, const mosquitto_property*);
    static void onPublish(mosquitto*, void* self, int mid, int reason, const mosquitto_property*);

    void attempt();
    void lost(const QString& why);
    // After every call into the library: notifiers for the socket it has now, writing only while
    // it has something to write, and whatever arrived handed on.
    void afterLibraryCall(int rc);
    void dropNotifiers();
    // Over TLS, bytes already taken from the socket and decrypted may hold a further packet,
    // which the read notifier would not tell of.
    bool tlsHoldsMore() const;
    void deliver();
    void setState(LinkState state);
    void reportConnection(const QString& why);
    void reportForbidden(const QString& what);

    BrokerSetup m_setup;
    mosquitto* m_mosq = nullptr;
    LinkState m_state = LinkState::Waiting;
    QString m_problem;
    QString m_refusal; // why the broker refused the connection, until the disconnect that follows
    int m_attempts = 0;
    QDateTime m_since;
    std::chrono::milliseconds m_retry = kFirstRetry;
    QTimer m_retryTimer;
    QTimer m_misc;
    std::unique_ptr<QSocketNotifier> m_read;
    std::unique_ptr<QSocketNotifier> m_write;
    QStringList m_subscriptions;
    std::map<int, QString> m_pendingPublishes;    // message id -> topic, until the broker acknowledges
    std::map<int, QStringList> m_pendingSubscribes;
    // What the library said during its last call, handed on after it returned.
    struct Event {
        enum Kind { Arrived, Up, Down } kind;
        Message message;
    };
    std::deque<Event> m_events;
    bool m_delivering = false;
    bool m_started = false;
    QString m_toldConnection; // the connection problem told last
    QSet<QString> m_toldForbidden;
};

} // namespace mqtt
