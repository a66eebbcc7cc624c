#include "protocol/display_data.h"

namespace protocol {

namespace {

bool inFieldRange(int value)
{
    return value >= 0 && value <= kMaxAreaField;
}

void appendBigEndian16(QByteArray& bytes, int value)
{
    bytes.append(char(value >> 8));
    bytes.append(char(value & 0xFF));
}

} // namespace

AreaProblem checkArea(DisplayArea area)
{
    if (!inFieldRange(area.address))
        return AreaProblem::AddressOutOfRange;
    if (!inFieldRange(area.length))
        return AreaProblem::LengthOutOfRange;
    return AreaProblem::None;
}

std::optional<QByteArray> displayDataFrame(quint8 deviceId, DisplayArea area, QByteArrayView cellCodes)
{
    if (checkArea(area) != AreaProblem::None || cellCodes.size() != area.length)
        return std::nullopt;

    QByteArray payload;
    payload.reserve(kDisplayDataHeader + cellCodes.size());
    appendBigEndian16(payload, area.address);
    appendBigEndian16(payload, area.length);
    payload.append(cellCodes);
    return buildFrame(deviceId, Command::DisplayData, payload);
}

QString rightAligned(QStringView text, int width)
{
    if (text.size() >= width)
        return text.right(width).toString();
    QString aligned(width - text.size(), u' ');
    aligned.append(text);
    return aligned;
}

} // namespace protocol
