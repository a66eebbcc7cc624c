// The board's handling of one message from the broker, as the link hands it over. The input is
// read as FLAGS TOPIC \n PAYLOAD: bit 0 of FLAGS says the message was retained, bit 1 that the
// topic is under the board's base (so that most inputs reach set/ and cmd/).
// Whatever comes in: a set/ or cmd/ message with a payload is answered on the result topic
// exactly once (a command once its send ends), never retained, with "ok" and "request", and a
// failure with a problem and a message; the content is changed only by a set that was not
// retained, and only a command that was not retained is sent; nothing else is published but the
// state, the availability and the device.
#include "support/board_double.h"
#include "webd/board_mqtt.h"

#include <QCoreApplication>
#include <QJsonDocument>

#include <cstdint>
#include <cstdlib>

namespace {

const QString kBase = QStringLiteral("vorfjp/fuzz-255");

struct Setup {
    int argc = 1;
    char name[16] = "fuzz_mqtt";
    char* argv[2] = {name, nullptr};
    QCoreApplication application {argc, argv};
};

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    static Setup setup;
    if (size == 0)
        return 0;
    const QByteArray input(reinterpret_cast<const char*>(data) + 1, qsizetype(size - 1));
    const bool retained = (data[0] & 1) != 0;
    const qsizetype end = input.indexOf('\n');
    QString topic = QString::fromUtf8(end < 0 ? input : input.left(end));
    if ((data[0] & 2) != 0)
        topic = kBase + u'/' + topic;
    const QByteArray payload = end < 0 ? QByteArray() : input.mid(end + 1);

    webtest::BoardDouble board;
    const QJsonObject before = board.currentContent();
    QList<QPair<QString, QByteArray>> results;
    bool other = false;
    webd::BoardMqtt topics(board, {QStringLiteral("fuzz-255"), kBase, QStringLiteral("fuzz"), QStringLiteral("1"), {}},
                          [&](const QString& to, const QByteArray& bytes, bool retain) {
                              if (to == kBase + QStringLiteral("/result")) {
                                  if (retain)
                                      std::abort();
                                  results.append({to, bytes});
                              } else if (to != kBase + QStringLiteral("/state") && to != kBase + QStringLiteral("/availability")
                                         && !to.startsWith(QLatin1String("homeassistant/device/"))) {
                                  other = true;
                              }
                          });
    topics.handle({topic, payload, retained});
    const bool sent = !board.sends.isEmpty();
    while (!board.sends.isEmpty())
        board.finishSend({200, {{QStringLiteral("ok"), true}}});

    const bool isSet = topic.startsWith(kBase + QStringLiteral("/set/"));
    const bool isCommand = topic.startsWith(kBase + QStringLiteral("/cmd/"));
    const bool answered = isSet || (isCommand && !payload.isEmpty());
    if (other || results.size() != (answered ? 1 : 0))
        std::abort();
    for (const auto& result : results) {
        const QJsonObject body = QJsonDocument::fromJson(result.second).object();
        if (!body.value(QLatin1String("ok")).isBool() || !body.value(QLatin1String("request")).isString())
            std::abort();
        if (body.value(QLatin1String("ok")) == false
            && (body.value(QLatin1String("problem")).toString().isEmpty() || !body.value(QLatin1String("message")).isString()))
            std::abort();
    }
    if ((board.currentContent() != before || board.patchCalls > 0) && !(isSet && !retained))
        std::abort();
    if (sent && !(isCommand && !retained))
        std::abort();
    return 0;
}
