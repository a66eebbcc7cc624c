#pragma once
// A board side for testing the HTTP layer: it keeps a small content, checks changes to it the
// way the real one answers (422 with an error per field, nothing written), records every call,
// and holds each send until the test finishes it, as the real queue answers later.
#include "webd/board_service.h"

#include <QJsonArray>
#include <QJsonObject>
#include <QList>
#include <QString>

#include <functional>
#include <optional>

namespace webtest {

class BoardDouble : public webd::BoardService {
public:
    struct Send {
        QString command;
        std::optional<int> device;
        std::function<void(webd::ServiceAnswer)> done;
    };

    BoardDouble()
    {
        QJsonArray rooms;
        for (int i = 0; i < 10; ++i)
            rooms.append(QString::number(300 + i * 20));
        m_content = {{QStringLiteral("rooms"), rooms}, {QStringLiteral("weatherText"), QStringLiteral("晴")}};
    }

    webd::ServiceAnswer content() override
    {
        ++contentCalls;
        return {200, m_content};
    }

    // "rooms": ten strings of at most four digits; "weatherText": a string. Anything else is refused.
    webd::ServiceAnswer patchContent(const QJsonObject& changes) override
    {
        ++patchCalls;
        QJsonObject errors;
        for (auto it = changes.begin(); it != changes.end(); ++it) {
            if (it.key() == QLatin1String("rooms")) {
                const QJsonArray rooms = it.value().toArray();
                if (!it.value().isArray() || rooms.size() != 10)
                    errors.insert(QStringLiteral("rooms"), QStringLiteral("须为 10 个房价"));
                for (qsizetype i = 0; i < rooms.size(); ++i) {
                    const QString room = rooms[i].toString();
                    bool digits = !room.isEmpty() && room.size() <= 4;
                    for (QChar c : room)
                        digits = digits && c.isDigit();
                    if (!rooms[i].isString() || !digits)
                        errors.insert(QStringLiteral("rooms.%1").arg(i), QStringLiteral("房价须为 1 到 4 位数字"));
                }
            } else if (it.key() == QLatin1String("weatherText")) {
                if (!it.value().isString())
                    errors.insert(it.key(), QStringLiteral("须为文字"));
            } else {
                errors.insert(it.key(), QStringLiteral("没有这一项"));
            }
        }
        if (!errors.isEmpty())
            return {422, {{QStringLiteral("errors"), errors}}};
        for (auto it = changes.begin(); it != changes.end(); ++it)
            m_content.insert(it.key(), it.value());
        return {200, m_content};
    }

    webd::ServiceAnswer preview(const QJsonObject& draft) override
    {
        ++previewCalls;
        return {200, {{QStringLiteral("draft"), draft}}};
    }

    void send(const QString& command, std::optional<int> device, std::function<void(webd::ServiceAnswer)> done) override
    {
        sends.append({command, device, std::move(done)});
    }

    QJsonObject status() override
    {
        ++statusCalls;
        return {{QStringLiteral("port"), QStringLiteral("1")}, {QStringLiteral("sending"), !sends.isEmpty()}};
    }

    // Answers the oldest send still waiting.
    void finishSend(const webd::ServiceAnswer& answer)
    {
        const Send send = sends.takeFirst();
        send.done(answer);
    }

    const QJsonObject& currentContent() const { return m_content; }

    int contentCalls = 0;
    int patchCalls = 0;
    int previewCalls = 0;
    int statusCalls = 0;
    QList<Send> sends; // waiting for finishSend(), oldest first

private:
    QJsonObject m_content;
};

} // namespace webtest
