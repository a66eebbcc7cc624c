#include "mqtt/broker_link.h"

#include "mqtt/tls_session.h"

#include <QFile>

#include <mosquitto.h>
#include <mqtt_protocol.h>

#include <algorithm>
#include <cstring>
#include <utility>
#include <vector>

namespace mqtt {

namespace {

constexpr int kQos = 1;
// Where Debian keeps the system's trusted certificates, for mqtts without a CA file of its own.
constexpr const char* kSystemCertificates = "/etc/ssl/certs";

QString libraryError(int rc)
{
    return QString::fromUtf8(mosquitto_strerror(rc));
}

QString reasonText(int reason)
{
    return QString::fromUtf8(mosquitto_reason_string(reason));
}

QByteArray local(const QString& text)
{
    return text.toUtf8();
}

} // namespace

BrokerLink::BrokerLink(BrokerSetup setup, QObject* parent)
    : QObject(parent), m_setup(std::move(setup)), m_since(QDateTime::currentDateTimeUtc())
{
    // Counted by the library: every instance starts and ends its own use of it.
    mosquitto_lib_init();
    m_mosq = mosquitto_new(local(m_setup.clientId).constData(), true, this);
    mosquitto_int_option(m_mosq, MOSQ_OPT_PROTOCOL_VERSION, MQTT_PROTOCOL_V5);
    mosquitto_connect_v5_callback_set(m_mosq, &BrokerLink::onConnect);
    mosquitto_disconnect_v5_callback_set(m_mosq, &BrokerLink::onDisconnect);
    mosquitto_message_v5_callback_set(m_mosq, &BrokerLink::onMessage);
    mosquitto_subscribe_v5_callback_set(m_mosq, &BrokerLink::onSubscribe);
    mosquitto_publish_v5_callback_set(m_mosq, &BrokerLink::onPublish);
    m_retryTimer.setSingleShot(true);
    connect(&m_retryTimer, &QTimer::timeout, this, &BrokerLink::attempt);
    // The library's misc call only keeps the connection alive: a few times per keep-alive period
    // is enough, and the service wakes no more often than that while nothing happens.
    m_misc.setInterval(std::max(std::chrono::milliseconds(m_setup.keepAlive) / 4, std::chrono::milliseconds(1000)));
    m_misc.setTimerType(Qt::VeryCoarseTimer);
    connect(&m_misc, &QTimer::timeout, this, [this] { afterLibraryCall(mosquitto_loop_misc(m_mosq)); });
}

BrokerLink::~BrokerLink()
{
    if (m_state == LinkState::Connected) {
        // A planned end: say what the last will would have said, then leave without one.
        if (!m_setup.will.topic.isEmpty())
            mosquitto_publish_v5(m_mosq, nullptr, local(m_setup.will.topic).constData(), int(m_setup.will.payload.size()),
                                 m_setup.will.payload.constData(), kQos, true, nullptr);
        mosquitto_disconnect_v5(m_mosq, MQTT_RC_NORMAL_DISCONNECTION, nullptr);
    }
    m_read.reset();
    m_write.reset();
    mosquitto_destroy(m_mosq);
    mosquitto_lib_cleanup();
}

void BrokerLink::start()
{
    if (std::exchange(m_started, true))
        return;
    const BrokerAddress& address = m_setup.address;
    if (!address.user.isEmpty())
        mosquitto_username_pw_set(m_mosq, local(address.user).constData(),
                                  m_setup.password ? m_setup.password->constData() : nullptr);
    if (!m_setup.will.topic.isEmpty())
        mosquitto_will_set(m_mosq, local(m_setup.will.topic).constData(), int(m_setup.will.payload.size()),
                           m_setup.will.payload.constData(), kQos, true);
    if (address.tls) {
        const QByteArray ca = QFile::encodeName(m_setup.caFile);
        const int rc = mosquitto_tls_set(m_mosq, ca.isEmpty() ? nullptr : ca.constData(),
                                         ca.isEmpty() ? kSystemCertificates : nullptr, nullptr, nullptr, nullptr);
        if (rc != MOSQ_ERR_SUCCESS) {
            // Never tried again: without TLS the login would cross the network in the clear.
            m_problem = QStringLiteral("TLS cannot be set up with %1: %2")
                            .arg(m_setup.caFile.isEmpty() ? QString::fromLatin1(kSystemCertificates) : m_setup.caFile,
                                 libraryError(rc));
            reportConnection(m_problem);
            return;
        }
    }
    attempt();
}

void BrokerLink::setSubscriptions(const QStringList& filters)
{
    m_subscriptions = filters;
}

bool BrokerLink::publish(const QString& topic, const QByteArray& payload, bool retain)
{
    int mid = 0;
    const int rc = mosquitto_publish_v5(m_mosq, &mid, local(topic).constData(), int(payload.size()), payload.constData(),
                                        kQos, retain, nullptr);
    if (rc != MOSQ_ERR_SUCCESS)
        return false;
    m_pendingPublishes[mid] = topic;
    afterLibraryCall(MOSQ_ERR_SUCCESS);
    return true;
}

void BrokerLink::attempt()
{
    ++m_attempts;
    setState(LinkState::Connecting);
    const int rc = m_attempts == 1
        ? mosquitto_connect_async(m_mosq, local(m_setup.address.host).constData(), m_setup.address.port,
                                  int(m_setup.keepAlive.count()))
        : mosquitto_reconnect_async(m_mosq);
    if (rc != MOSQ_ERR_SUCCESS && mosquitto_socket(m_mosq) < 0) {
        lost(rc == MOSQ_ERR_ERRNO ? QString::fromLocal8Bit(strerror(errno)) : libraryError(rc));
        return;
    }
    afterLibraryCall(MOSQ_ERR_SUCCESS);
}

void BrokerLink::lost(const QString& why)
{
    const bool wasConnected = m_state == LinkState::Connected;
    dropNotifiers();
    m_misc.stop();
    m_pendingPublishes.clear();
    m_pendingSubscribes.clear();
    const QString problem = m_refusal.isEmpty() ? why : m_refusal;
    m_refusal.clear();
    m_problem = problem;
    setState(LinkState::Waiting);
    reportConnection(problem);
    m_retryTimer.start(m_retry);
    m_retry = std::min(m_retry * 2, kLastRetry);
    if (wasConnected)
        m_events.push_back({Event::Down, {}});
}

void BrokerLink::afterLibraryCall(int rc)
{
    const int fd = mosquitto_socket(m_mosq);
    if (fd < 0) {
        if (m_state != LinkState::Waiting)
            lost(libraryError(rc == MOSQ_ERR_SUCCESS ? MOSQ_ERR_CONN_LOST : rc));
    } else {
        if (!m_read || m_read->socket() != fd) {
            dropNotifiers();
            m_read = std::make_unique<QSocketNotifier>(fd, QSocketNotifier::Read);
            m_write = std::make_unique<QSocketNotifier>(fd, QSocketNotifier::Write);
            connect(m_read.get(), &QSocketNotifier::activated, this, [this] {
                int rc = mosquitto_loop_read(m_mosq, 1);
                while (rc == MOSQ_ERR_SUCCESS && tlsHoldsMore())
                    rc = mosquitto_loop_read(m_mosq, 1);
                afterLibraryCall(rc);
            });
            connect(m_write.get(), &QSocketNotifier::activated, this,
                    [this] { afterLibraryCall(mosquitto_loop_write(m_mosq, 1)); });
        }
        m_write->setEnabled(mosquitto_want_write(m_mosq));
    }
    deliver();
}

bool BrokerLink::tlsHoldsMore() const
{
    if (!m_setup.address.tls)
        return false;
    return tlsHoldsBytes(mosquitto_ssl_get(m_mosq));
}

void BrokerLink::dropNotifiers()
{
    // The library has closed the socket, maybe from inside one of these notifiers' own signal.
    for (std::unique_ptr<QSocketNotifier>* notifier : {&m_read, &m_write}) {
        if (*notifier) {
            (*notifier)->setEnabled(false);
            notifier->release()->deleteLater();
        }
    }
}

void BrokerLink::deliver()
{
    if (std::exchange(m_delivering, true))
        return;
    while (!m_events.empty()) {
        const Event event = std::move(m_events.front());
        m_events.pop_front();
        switch (event.kind) {
        case Event::Arrived:
            emit received(event.message);
            break;
        case Event::Up:
            emit connected();
            break;
        case Event::Down:
            emit disconnected();
            break;
        }
    }
    m_delivering = false;
}

void BrokerLink::setState(LinkState state)
{
    if (m_state == state)
        return;
    m_state = state;
    m_since = QDateTime::currentDateTimeUtc();
    emit stateChanged();
}

void BrokerLink::reportConnection(const QString& why)
{
    if (std::exchange(m_toldConnection, why) != why)
        emit problem(why);
}

void BrokerLink::reportForbidden(const QString& what)
{
    if (m_toldForbidden.contains(what))
        return;
    m_toldForbidden.insert(what);
    emit problem(what);
}

void BrokerLink::onConnect(mosquitto*, void* self, int reason, int, const mosquitto_property*)
{
    auto* link = static_cast<BrokerLink*>(self);
    if (reason != 0) {
        link->m_refusal = QStringLiteral("the broker refused the connection: %1").arg(reasonText(reason));
        return;
    }
    link->m_retry = kFirstRetry;
    link->m_problem.clear();
    // A refusal is told again should it come back; a forbidden topic stays told.
    link->m_toldConnection.clear();
    if (!link->m_subscriptions.isEmpty()) {
        std::vector<QByteArray> filters;
        std::vector<char*> pointers;
        for (const QString& filter : link->m_subscriptions)
            filters.push_back(local(filter));
        for (QByteArray& filter : filters)
            pointers.push_back(filter.data());
        int mid = 0;
        if (mosquitto_subscribe_multiple(link->m_mosq, &mid, int(pointers.size()), pointers.data(), kQos, 0, nullptr)
            == MOSQ_ERR_SUCCESS)
            link->m_pendingSubscribes[mid] = link->m_subscriptions;
    }
    link->m_misc.start();
    link->setState(LinkState::Connected);
    link->m_events.push_back({Event::Up, {}});
}

void BrokerLink::onDisconnect(mosquitto*, void*, int, const mosquitto_property*)
{
    // The socket is closed by now; afterLibraryCall() sees it and waits for the next attempt.
}

void BrokerLink::onMessage(mosquitto*, void* self, const mosquitto_message* message, const mosquitto_property*)
{
    auto* link = static_cast<BrokerLink*>(self);
    link->m_events.push_back({Event::Arrived,
                              {QString::fromUtf8(message->topic),
                               QByteArray(static_cast<const char*>(message->payload), message->payloadlen),
                               message->retain}});
}

void BrokerLink::onSubscribe(mosquitto*, void* self, int mid, int count, const int* granted, const mosquitto_property*)
{
    auto* link = static_cast<BrokerLink*>(self);
    const auto pending = link->m_pendingSubscribes.find(mid);
    if (pending == link->m_pendingSubscribes.end())
        return;
    const QStringList filters = pending->second;
    link->m_pendingSubscribes.erase(pending);
    for (int i = 0; i < count && i < filters.size(); ++i) {
        if (granted[i] >= MQTT_RC_UNSPECIFIED)
            link->reportForbidden(QStringLiteral("the broker refused the subscription to %1: %2")
                             .arg(filters[i], reasonText(granted[i])));
    }
}

void BrokerLink::onPublish(mosquitto*, void* self, int mid, int reason, const mosquitto_property*)
{
    auto* link = static_cast<BrokerLink*>(self);
    const auto pending = link->m_pendingPublishes.find(mid);
    if (pending == link->m_pendingPublishes.end())
        return;
    const QString topic = pending->second;
    link->m_pendingPublishes.erase(pending);
    if (reason >= MQTT_RC_UNSPECIFIED)
        link->reportForbidden(QStringLiteral("the broker refused to take %1: %2").arg(topic, reasonText(reason)));
}

} // namespace mqtt
