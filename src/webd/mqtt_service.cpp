#include "webd/mqtt_service.h"

#include "web/credentials.h"
#include "web/web_text.h"
#include "webd/credential_commands.h"

#include <QCoreApplication>
#include <QFile>
#include <QFileInfo>

namespace webd {

using web::WebText;

namespace {

// The longest password file read: a broker's password is a line.
constexpr qint64 kMaxPasswordBytes = 4096;

std::optional<QByteArray> readPassword(const QString& path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return std::nullopt;
    QByteArray password = file.read(kMaxPasswordBytes);
    while (password.endsWith('\n') || password.endsWith('\r'))
        password.chop(1);
    return password;
}

QString baseOf(const MqttOptions& options, quint8 deviceId)
{
    return options.base.value_or(defaultMqttBase(mqttBoardId(options.name, deviceId)));
}

mqtt::BrokerSetup linkSetup(const MqttOptions& options, quint8 deviceId, const QString& passwordFile)
{
    mqtt::BrokerSetup setup;
    setup.address = options.broker;
    setup.clientId = QStringLiteral("vorfjp-") + mqttBoardId(options.name, deviceId);
    if (!options.broker.user.isEmpty())
        setup.password = readPassword(passwordFile);
    setup.caFile = options.caFile;
    setup.will = {baseOf(options, deviceId) + QStringLiteral("/availability"), QByteArray(kMqttOffline)};
    return setup;
}

const char* stateName(mqtt::LinkState state)
{
    switch (state) {
    case mqtt::LinkState::Connecting:
        return "connecting";
    case mqtt::LinkState::Connected:
        return "connected";
    case mqtt::LinkState::Waiting:
        break;
    }
    return "waiting";
}

} // namespace

QString mqttPasswordFile()
{
    return QFileInfo(defaultCredentialFiles().password).absolutePath() + QStringLiteral("/mqtt-password");
}

int setMqttPasswordCommand(const QString& path, const LineReader& readLine, bool askTwice, QTextStream& err)
{
    const std::optional<QByteArray> password =
        readNewSecret(WebText::tr("The broker's password: "), readLine, askTwice, err);
    if (!password)
        return kDataError;
    if (const std::optional<QString> error = web::writePrivateFile(path, *password + '\n')) {
        err << "vorfjp-web: " << *error << Qt::endl;
        return kCannotCreate;
    }
    err << WebText::tr("The broker's password is stored in %1, readable by you alone. Restart the service for it to "
                       "take effect: systemctl --user restart vorfjp-web")
               .arg(path)
        << Qt::endl;
    return kDone;
}

MqttService::MqttService(BoardService& board, const MqttOptions& options, quint8 deviceId, const QString& contentPath,
                         const QString& passwordFile, QTextStream& err, QObject* parent)
    : QObject(parent),
      m_err(err),
      m_base(baseOf(options, deviceId)),
      m_link(linkSetup(options, deviceId, passwordFile)),
      m_board(board,
              {mqttBoardId(options.name, deviceId), m_base, options.name,
               QCoreApplication::applicationVersion(), contentPath},
              [this](const QString& topic, const QByteArray& payload, bool retain) {
                  m_link.publish(topic, payload, retain);
              })
{
    m_link.setSubscriptions(m_board.subscriptions());
    m_board.setBrokerStatus([this] { return brokerStatus(); });
    connect(&m_link, &mqtt::BrokerLink::connected, this, [this] {
        m_board.announce();
        m_err << "vorfjp-web: "
              << WebText::tr("MQTT: connected to %1; the board's topics are under %2/.")
                     .arg(m_link.address().url(), m_base)
              << Qt::endl;
    });
    connect(&m_link, &mqtt::BrokerLink::received, this, [this](const mqtt::Message& message) { m_board.handle(message); });
    connect(&m_link, &mqtt::BrokerLink::problem, this, [this](const QString& what) {
        m_err << "vorfjp-web: " << WebText::tr("MQTT %1: %2").arg(m_link.address().url(), what) << Qt::endl;
    });
    if (!options.broker.user.isEmpty() && !QFileInfo::exists(passwordFile))
        m_err << "vorfjp-web: "
              << WebText::tr("MQTT: no password is stored for %1; store one with: vorfjp-web --set-mqtt-password")
                     .arg(options.broker.user)
              << Qt::endl;
}

void MqttService::start()
{
    m_link.start();
}

QJsonObject MqttService::brokerStatus() const
{
    QJsonObject status {{QStringLiteral("broker"), m_link.address().url()},
                        {QStringLiteral("base"), m_base},
                        {QStringLiteral("state"), QLatin1String(stateName(m_link.state()))},
                        {QStringLiteral("since"), m_link.since().toString(Qt::ISODate)},
                        {QStringLiteral("attempts"), m_link.attempts()}};
    if (!m_link.lastProblem().isEmpty())
        status[QStringLiteral("problem")] = m_link.lastProblem();
    return status;
}

} // namespace webd
