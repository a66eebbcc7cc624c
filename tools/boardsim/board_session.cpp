#include "board_session.h"

namespace boardsim {

BoardSession::BoardSession(quint8 deviceId, Line& line, QObject* parent)
    : QObject(parent)
    , m_line(line)
    , m_model(deviceId)
{
    m_monotonic.start();
    m_idle.setSingleShot(true);
    m_idle.setInterval(kIdleFlushMs);
    connect(&m_idle, &QTimer::timeout, this, [this] { handle(m_decoder.flush()); });
    connect(&m_line, &Line::received, this, &BoardSession::receive);
}

std::optional<QDateTime> BoardSession::clock() const
{
    return m_model.clockAt(m_monotonic.elapsed());
}

void BoardSession::receive(const QByteArray& bytes)
{
    handle(m_decoder.push(bytes));
    if (m_decoder.pendingBytes() > 0)
        m_idle.start();
    else
        m_idle.stop();
}

void BoardSession::handle(std::vector<protocol::DecodedItem> items)
{
    for (const protocol::DecodedItem& item : items) {
        const QDateTime now = QDateTime::currentDateTime();
        if (const auto* frame = std::get_if<protocol::DecodedFrame>(&item)) {
            const protocol::FrameEffect effect = m_model.apply(*frame, m_monotonic.elapsed());
            if (!effect.reply.isEmpty() && !m_line.send(effect.reply))
                emit replyFailed(effect.reply);
            emit frameHandled(*frame, effect, now);
        } else {
            emit bytesRejected(std::get<protocol::RejectedRun>(item), now);
        }
    }
}

} // namespace boardsim
