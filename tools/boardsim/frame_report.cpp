#include "frame_report.h"

#include "protocol/segment.h"

#include <QJsonArray>

namespace boardsim {

using protocol::FrameEffect;

namespace {

QString timeText(const QDateTime& at)
{
    return at.toString(Qt::ISODateWithMs);
}

QString kindName(FrameEffect::Kind kind)
{
    switch (kind) {
    case FrameEffect::Kind::DisplayData: return QStringLiteral("display-data");
    case FrameEffect::Kind::Clock: return QStringLiteral("clock");
    case FrameEffect::Kind::Dots: return QStringLiteral("dots");
    case FrameEffect::Kind::ConnectionTest: return QStringLiteral("connection-test");
    case FrameEffect::Kind::Ignored: return QStringLiteral("ignored");
    case FrameEffect::Kind::Malformed: return QStringLiteral("malformed");
    case FrameEffect::Kind::UnknownCommand: return QStringLiteral("unknown-command");
    }
    return {};
}

QString clockText(const QDateTime& clock)
{
    return clock.toString(QStringLiteral("yyyy-MM-ddTHH:mm:ss"));
}

} // namespace

QString hexBytes(QByteArrayView bytes)
{
    return QString::fromLatin1(bytes.toByteArray().toHex(' ').toUpper());
}

QStringList dotRows(const protocol::DotMatrix& dots)
{
    QStringList rows;
    for (int row = 0; row < protocol::kDotRows; ++row) {
        QString text;
        for (int x = 0; x < protocol::kDotColumns; ++x)
            text += protocol::dotLit(dots, x, row) ? u'#' : u'.';
        rows.append(text);
    }
    return rows;
}

QJsonObject frameJson(const protocol::DecodedFrame& frame, const protocol::FrameEffect& effect, const QDateTime& at,
                      const BoardLayout& layout)
{
    QJsonObject json {
        {QStringLiteral("time"), timeText(at)},
        {QStringLiteral("kind"), kindName(effect.kind)},
        {QStringLiteral("bytes"), hexBytes(frame.bytes)},
        {QStringLiteral("device"), int(effect.device)},
        {QStringLiteral("command"), protocol::hexByte(effect.command)},
    };
    switch (effect.kind) {
    case FrameEffect::Kind::DisplayData: {
        json.insert(QStringLiteral("address"), effect.address);
        json.insert(QStringLiteral("count"), int(effect.cells.size()));
        json.insert(QStringLiteral("cells"), hexBytes(effect.cells));
        json.insert(QStringLiteral("text"), protocol::cellText(effect.cells));
        const QString area = areaAt(layout, effect.address);
        if (!area.isEmpty())
            json.insert(QStringLiteral("area"), area);
        break;
    }
    case FrameEffect::Kind::Clock:
        json.insert(QStringLiteral("datetime"), clockText(effect.clock));
        break;
    case FrameEffect::Kind::Dots:
        json.insert(QStringLiteral("rows"), QJsonArray::fromStringList(dotRows(effect.dots)));
        break;
    case FrameEffect::Kind::ConnectionTest:
        json.insert(QStringLiteral("reply"), hexBytes(effect.reply));
        break;
    case FrameEffect::Kind::Ignored:
    case FrameEffect::Kind::Malformed:
    case FrameEffect::Kind::UnknownCommand:
        break;
    }
    if (!effect.reason.isEmpty())
        json.insert(QStringLiteral("reason"), effect.reason);
    return json;
}

QJsonObject rejectJson(const protocol::RejectedRun& run, const QDateTime& at)
{
    return {
        {QStringLiteral("time"), timeText(at)},
        {QStringLiteral("kind"), QStringLiteral("rejected")},
        {QStringLiteral("bytes"), hexBytes(run.bytes)},
        {QStringLiteral("reason"), run.reason},
    };
}

QString frameSummary(const protocol::FrameEffect& effect, const BoardLayout& layout)
{
    const QString to = QStringLiteral("device %1: ").arg(effect.device);
    switch (effect.kind) {
    case FrameEffect::Kind::DisplayData: {
        QString area = areaAt(layout, effect.address);
        area = area.isEmpty() ? QString() : QStringLiteral(" (%1)").arg(area);
        QString text = to + QStringLiteral("display data at %1%2, %3 cells \"%4\"")
                                .arg(effect.address)
                                .arg(area)
                                .arg(effect.cells.size())
                                .arg(protocol::cellText(effect.cells));
        if (!effect.reason.isEmpty())
            text += QStringLiteral("; ") + effect.reason;
        return text;
    }
    case FrameEffect::Kind::Clock:
        return to + QStringLiteral("clock set to %1").arg(clockText(effect.clock).replace(u'T', u' '));
    case FrameEffect::Kind::Dots:
        return to + QStringLiteral("weather dot matrix 64 x 16");
    case FrameEffect::Kind::ConnectionTest:
        return to + QStringLiteral("connection test, answered %1").arg(hexBytes(effect.reply));
    case FrameEffect::Kind::Ignored:
        return QStringLiteral("ignored: ") + effect.reason;
    case FrameEffect::Kind::Malformed:
        return to + QStringLiteral("command %1 malformed: %2").arg(protocol::hexByte(effect.command), effect.reason);
    case FrameEffect::Kind::UnknownCommand:
        return to + effect.reason;
    }
    return {};
}

} // namespace boardsim
