#include "webd/board_mqtt.h"

#include "board/command.h"
#include "board/content_edit.h"
#include "storage/board_content.h"
#include "storage/display_cells.h"

#include <QDateTime>
#include <QFileInfo>
#include <QJsonArray>
#include <QJsonDocument>
#include <QUtf8StringView>

#include <algorithm>

namespace webd {

namespace {

constexpr QLatin1String kDiscoveryPrefix("homeassistant");
constexpr QLatin1String kOnline("online");
constexpr QLatin1String kPress("PRESS");
// The longest value taken: the whole content record is 548 characters.
constexpr qsizetype kMaxValueBytes = 4096;

// The problems of a send that say the board could not be reached over the line.
constexpr const char* kLineProblems[] = {"port-unavailable", "line-busy", "send-failed", "line-lost", "port-closed",
                                         "no-answer"};

// The buttons, named as the window and the page name them.
struct Button {
    board::Command command;
    const char16_t* name;
};
constexpr Button kButtons[] = {
    {board::Command::Rooms, u"发送房价"},
    {board::Command::Rates, u"发送牌价"},
    {board::Command::Weather, u"发送天气预报"},
    {board::Command::Time, u"同步时间"},
    {board::Command::Test, u"测试连接"},
};

QJsonObject failure(const QString& problem, const QString& message)
{
    return {{QStringLiteral("ok"), false}, {QStringLiteral("problem"), problem}, {QStringLiteral("message"), message}};
}

QByteArray compact(const QJsonObject& object)
{
    return QJsonDocument(object).toJson(QJsonDocument::Compact);
}

// The status's local time, with the offset that Home Assistant's timestamps need.
QString withOffset(const QString& localTime)
{
    const QDateTime time = QDateTime::fromString(localTime, Qt::ISODate);
    if (!time.isValid())
        return localTime;
    return time.toOffsetFromUtc(time.offsetFromUtc()).toString(Qt::ISODate);
}

// What each text entity may hold: the field's characters, and the characters the board shows
// there (a value takes digits, blanks and one point; a temperature also a minus).
QString patternOf(storage::FieldRole role)
{
    switch (role) {
    case storage::FieldRole::RoomRate:
    case storage::FieldRole::RateValue:
        return QStringLiteral("^[0-9 ]*(\\.[0-9 ]*)?$");
    case storage::FieldRole::Temperature:
        return QStringLiteral("^[0-9 \\-]*(\\.[0-9 \\-]*)?$");
    default:
        break;
    }
    // A line of text: no line breaks or other control characters.
    return QStringLiteral("^[^\\x00-\\x1f\\x7f]*$");
}

// The value template of a key: "rates.3.a" -> value_json.content.rates[2].a
QString templateOf(const QString& key)
{
    QString path = QStringLiteral("value_json.content");
    for (const QString& part : key.split(u'.')) {
        bool row = false;
        const int number = part.toInt(&row);
        path += row ? QStringLiteral("[%1]").arg(number - 1) : u'.' + part;
    }
    return QStringLiteral("{{ %1 }}").arg(path);
}

QString componentId(const QString& key)
{
    return QString(key).replace(u'.', u'_');
}

} // namespace

QString mqttBoardId(const QString& name, quint8 deviceId)
{
    QString id = name.toLower();
    for (QChar& c : id) {
        const bool kept = (c >= u'a' && c <= u'z') || (c >= u'0' && c <= u'9') || c == u'_' || c == u'-';
        if (!kept)
            c = u'_';
    }
    return id + u'-' + QString::number(deviceId);
}

QString defaultMqttBase(const QString& boardId)
{
    return QStringLiteral("vorfjp/") + boardId;
}

BoardMqtt::BoardMqtt(BoardService& board, BoardMqttSetup setup, Publish publish, QObject* parent)
    : QObject(parent), m_board(board), m_setup(std::move(setup)), m_publish(std::move(publish))
{
    if (!m_setup.contentPath.isEmpty()) {
        // The folder, not the file: a writer replaces the file, and a watch on it would end there.
        m_watcher.addPath(QFileInfo(m_setup.contentPath).absolutePath());
        connect(&m_watcher, &QFileSystemWatcher::directoryChanged, this, &BoardMqtt::publishState);
    }
}

QString BoardMqtt::topic(const QString& suffix) const
{
    return m_setup.base + u'/' + suffix;
}

QString BoardMqtt::availabilityTopic() const
{
    return topic(QStringLiteral("availability"));
}

QString BoardMqtt::discoveryTopic() const
{
    return kDiscoveryPrefix + QStringLiteral("/device/vorfjp_") + QString(m_setup.boardId).replace(u'-', u'_')
           + QStringLiteral("/config");
}

QStringList BoardMqtt::subscriptions() const
{
    return {topic(QStringLiteral("set/+")), topic(QStringLiteral("cmd/+")), kDiscoveryPrefix + QStringLiteral("/status")};
}

void BoardMqtt::setBrokerStatus(std::function<QJsonObject()> brokerStatus)
{
    m_brokerStatus = std::move(brokerStatus);
}

void BoardMqtt::announce()
{
    m_publish(availabilityTopic(), QByteArray(kOnline.data(), kOnline.size()), true);
    publishDiscovery(true);
    m_lastState = compact(state());
    m_publish(topic(QStringLiteral("state")), m_lastState, true);
}

void BoardMqtt::publishState()
{
    const QByteArray now = compact(state());
    if (now == m_lastState)
        return;
    m_lastState = now;
    m_publish(topic(QStringLiteral("state")), now, true);
    // A renamed row renames its entity.
    publishDiscovery(false);
}

void BoardMqtt::publishDiscovery(bool always)
{
    const QByteArray now = compact(discovery());
    if (!always && now == m_lastDiscovery)
        return;
    m_lastDiscovery = now;
    m_publish(discoveryTopic(), now, true);
}

void BoardMqtt::handle(const mqtt::Message& message)
{
    if (message.topic == kDiscoveryPrefix + QStringLiteral("/status")) {
        if (message.payload == QByteArray(kOnline.data(), kOnline.size()))
            announce();
        return;
    }
    const QString setPrefix = topic(QStringLiteral("set/"));
    const QString commandPrefix = topic(QStringLiteral("cmd/"));
    if (message.topic.startsWith(setPrefix))
        set(message.topic.mid(setPrefix.size()), message);
    else if (message.topic.startsWith(commandPrefix))
        command(message.topic.mid(commandPrefix.size()), message);
}

void BoardMqtt::set(const QString& key, const mqtt::Message& message)
{
    const QString request = QStringLiteral("set/") + key;
    if (message.retained)
        return result(request, failure(QStringLiteral("retained"),
                                       QStringLiteral("“%1”是代理保留的旧消息，没有写入。请发送不保留的消息。").arg(request)));
    const std::optional<storage::Field> field = storage::fieldForKey(key);
    if (!field) {
        QJsonObject body = failure(QStringLiteral("unknown-key"), QStringLiteral("没有“%1”这一项。").arg(key));
        body[QStringLiteral("key")] = key;
        return result(request, body);
    }
    if (message.payload.size() > kMaxValueBytes || !QUtf8StringView(message.payload).isValidUtf8()) {
        QJsonObject body = failure(QStringLiteral("bad-value"),
                                   QStringLiteral("值须为不超过 %1 字节的 UTF-8 文字。").arg(kMaxValueBytes));
        body[QStringLiteral("key")] = key;
        return result(request, body);
    }
    const QString text = QString::fromUtf8(message.payload);
    const storage::FieldRole role = storage::groupOf(*field).role;
    QJsonValue value = text;
    if (role == storage::FieldRole::AreaAddress || role == storage::FieldRole::AreaLength) {
        bool whole = false;
        const qlonglong number = text.trimmed().toLongLong(&whole);
        if (whole)
            value = double(number);
    }
    const ServiceAnswer answer = patchContent(board::changeJson(*field, value));
    if (answer.httpStatus == 200)
        return result(request, {{QStringLiteral("ok"), true}, {QStringLiteral("key"), key}});
    QJsonObject body = answer.body;
    if (body.contains(QStringLiteral("errors"))) {
        const QJsonObject errors = body.value(QStringLiteral("errors")).toObject();
        const QString reason = errors.value(key).toString(errors.isEmpty() ? QString() : errors.constBegin().value().toString());
        body = failure(QStringLiteral("refused"), reason);
        body[QStringLiteral("errors")] = errors;
    }
    body[QStringLiteral("key")] = key;
    result(request, body);
}

void BoardMqtt::command(const QString& name, const mqtt::Message& message)
{
    // What clearing a retained message delivers; nobody pressed anything.
    if (message.payload.isEmpty())
        return;
    const QString request = QStringLiteral("cmd/") + name;
    if (message.retained)
        return result(request,
                      failure(QStringLiteral("retained"),
                              QStringLiteral("“%1”是代理保留的旧命令，没有执行。请发送不保留的消息，并清除保留的这条。")
                                  .arg(request)));
    send(name, std::nullopt, [self = QPointer<BoardMqtt>(this), request](const ServiceAnswer& answer) {
        if (self)
            self->result(request, answer.body);
    });
}

void BoardMqtt::result(const QString& request, QJsonObject body)
{
    body[QStringLiteral("request")] = request;
    m_publish(topic(QStringLiteral("result")), compact(body), false);
}

QJsonObject BoardMqtt::state()
{
    QJsonObject state;
    const ServiceAnswer content = m_board.content();
    if (content.httpStatus == 200) {
        state[QStringLiteral("content")] = content.body;
    } else {
        state[QStringLiteral("content")] = QJsonValue();
        state[QStringLiteral("contentProblem")] = content.body.value(QStringLiteral("message"));
    }
    const QJsonObject status = m_board.status();
    const QJsonArray last = status.value(QStringLiteral("last")).toArray();
    QJsonValue reachable;
    for (const QJsonValue& send : last) {
        const QByteArray problem = send[QStringLiteral("problem")].toString().toLatin1();
        if (send[QStringLiteral("ok")].toBool()) {
            reachable = true;
            break;
        }
        if (std::find(std::begin(kLineProblems), std::end(kLineProblems), problem) != std::end(kLineProblems)) {
            reachable = false;
            break;
        }
    }
    // Whether the port is open right now is left out: the service closes it a second after each
    // send, and no message would tell of that.
    state[QStringLiteral("line")] = QJsonObject{{QStringLiteral("port"), status.value(QStringLiteral("port"))},
                                                {QStringLiteral("reachable"), reachable}};
    if (last.isEmpty()) {
        state[QStringLiteral("lastSend")] = QJsonValue();
    } else {
        QJsonObject lastSend;
        const QJsonObject newest = last.first().toObject();
        for (const char* key : {"command", "ok", "problem", "message"}) {
            if (newest.contains(QLatin1String(key)))
                lastSend[QLatin1String(key)] = newest.value(QLatin1String(key));
        }
        lastSend[QStringLiteral("time")] = withOffset(newest.value(QStringLiteral("time")).toString());
        state[QStringLiteral("lastSend")] = lastSend;
    }
    return state;
}

QJsonObject BoardMqtt::discovery()
{
    const QString haId = QStringLiteral("vorfjp_") + QString(m_setup.boardId).replace(u'-', u'_');
    const QString stateTopic = topic(QStringLiteral("state"));
    const QJsonArray availability {QJsonObject {{QStringLiteral("topic"), availabilityTopic()}}};
    QJsonObject components;
    const auto add = [&](const QString& id, const QString& platform, QJsonObject component) {
        component[QStringLiteral("p")] = platform;
        component[QStringLiteral("unique_id")] = haId + u'_' + id;
        component[QStringLiteral("default_entity_id")] = platform + u'.' + haId + u'_' + id;
        component[QStringLiteral("availability")] = availability;
        components[id] = component;
    };

    // The rows' names as the board's labels show them, a line a row.
    const ServiceAnswer content = m_board.content();
    const QJsonObject names = content.body.value(QStringLiteral("names")).toObject();
    const QStringList roomNames = storage::wrapToCells(names.value(QStringLiteral("rooms")).toString(),
                                                       storage::kRoomNameLineCells);
    const QStringList currencyNames = storage::wrapToCells(names.value(QStringLiteral("currencies")).toString(),
                                                           storage::kCurrencyNameLineCells);
    const auto rowName = [](const QString& kind, int row, const QStringList& labels) {
        const QString label = labels.value(row - 1).trimmed();
        return label.isEmpty() ? QStringLiteral("%1 %2").arg(kind).arg(row) : QStringLiteral("%1 %2 %3").arg(kind).arg(row).arg(label);
    };

    for (const storage::Field field : storage::contentFields()) {
        const storage::FieldGroup& group = storage::groupOf(field);
        const QString key = storage::keyOf(field);
        const int row = field.index + 1;
        QString name;
        bool enabled = true;
        switch (group.role) {
        case storage::FieldRole::RoomRate:
            name = rowName(QStringLiteral("房价"), row, roomNames);
            break;
        case storage::FieldRole::RateValue:
            name = rowName(QStringLiteral("牌价"), row, currencyNames) + (key.endsWith(QLatin1String(".a")) ? QStringLiteral(" A") : QStringLiteral(" B"));
            enabled = false;
            break;
        case storage::FieldRole::WeatherText:
            name = QStringLiteral("天气预报");
            break;
        case storage::FieldRole::Temperature:
            name = key.endsWith(QLatin1String("low")) ? QStringLiteral("最低温度") : QStringLiteral("最高温度");
            break;
        default:
            continue;
        }
        QJsonObject text {{QStringLiteral("name"), name},
                          {QStringLiteral("command_topic"), topic(QStringLiteral("set/") + key)},
                          {QStringLiteral("state_topic"), stateTopic},
                          {QStringLiteral("value_template"), templateOf(key)},
                          {QStringLiteral("min"), 0},
                          {QStringLiteral("max"), group.width},
                          {QStringLiteral("pattern"), patternOf(group.role)}};
        if (!enabled)
            text[QStringLiteral("enabled_by_default")] = false;
        add(componentId(key), QStringLiteral("text"), text);
    }
    for (const Button& button : kButtons) {
        const QString command = board::commandName(button.command);
        add(QStringLiteral("send_") + command, QStringLiteral("button"),
            {{QStringLiteral("name"), QString::fromUtf16(button.name)},
             {QStringLiteral("command_topic"), topic(QStringLiteral("cmd/") + command)},
             {QStringLiteral("payload_press"), kPress}});
    }
    add(QStringLiteral("last_send"), QStringLiteral("sensor"),
        {{QStringLiteral("name"), QStringLiteral("上次发送")},
         {QStringLiteral("device_class"), QStringLiteral("timestamp")},
         {QStringLiteral("state_topic"), stateTopic},
         {QStringLiteral("value_template"), QStringLiteral("{{ value_json.lastSend.time if value_json.lastSend else None }}")}});
    add(QStringLiteral("line"), QStringLiteral("binary_sensor"),
        {{QStringLiteral("name"), QStringLiteral("串口线路")},
         {QStringLiteral("device_class"), QStringLiteral("connectivity")},
         {QStringLiteral("state_topic"), stateTopic},
         {QStringLiteral("value_template"),
          QStringLiteral("{% if value_json.line.reachable is none %}None{% elif value_json.line.reachable %}ON"
                         "{% else %}OFF{% endif %}")}});

    const QString title = m_setup.name.isEmpty() ? QStringLiteral("VorFJP") : QStringLiteral("VorFJP ") + m_setup.name;
    return {{QStringLiteral("dev"), QJsonObject {{QStringLiteral("identifiers"), QJsonArray {haId}},
                                                 {QStringLiteral("name"), title},
                                                 {QStringLiteral("manufacturer"), QStringLiteral("VorFJP")},
                                                 {QStringLiteral("model"), QStringLiteral("LED 房价牌")},
                                                 {QStringLiteral("sw_version"), m_setup.version}}},
            {QStringLiteral("o"), QJsonObject {{QStringLiteral("name"), QStringLiteral("vorfjp-web")},
                                               {QStringLiteral("sw_version"), m_setup.version}}},
            {QStringLiteral("cmps"), components}};
}

ServiceAnswer BoardMqtt::content()
{
    return m_board.content();
}

ServiceAnswer BoardMqtt::patchContent(const QJsonObject& changes)
{
    const ServiceAnswer answer = m_board.patchContent(changes);
    if (answer.httpStatus == 200)
        publishState();
    return answer;
}

ServiceAnswer BoardMqtt::preview(const QJsonObject& draft)
{
    return m_board.preview(draft);
}

void BoardMqtt::send(const QString& command, std::optional<int> device, std::function<void(ServiceAnswer)> done)
{
    m_board.send(command, device, [self = QPointer<BoardMqtt>(this), done = std::move(done)](const ServiceAnswer& answer) {
        done(answer);
        if (self)
            self->publishState();
    });
}

QJsonObject BoardMqtt::status()
{
    QJsonObject status = m_board.status();
    if (m_brokerStatus)
        status[QStringLiteral("mqtt")] = m_brokerStatus();
    return status;
}

} // namespace webd
