#include "protocol/display_data.h"

namespace protocol {

namespace {

bool inFieldRange(int value)
{
    return value >= 0 && value <= kMaxAreaField;
}

// The payload's two 16-bit fields, high byte first, before the cell codes.
constexpr int kAddressAt = 0;
constexpr int kCountAt = 2;

void appendBigEndian16(QByteArray& bytes, int value)
{
    bytes.append(char(value >> 8));
    bytes.append(char(value & 0xFF));
}

int bigEndian16(QByteArrayView bytes, int offset)
{
    return quint8(bytes[offset]) * 256 + quint8(bytes[offset + 1]);
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

PayloadParse<DisplayWrite> parseDisplayData(QByteArrayView payload)
{
    if (payload.size() < kDisplayDataHeader) {
        return PayloadFault {
            QStringLiteral("display data needs %1 header bytes, got %2").arg(kDisplayDataHeader).arg(payload.size())};
    }
    const int count = bigEndian16(payload, kCountAt);
    const QByteArrayView cells = payload.sliced(kDisplayDataHeader);
    if (cells.size() != count)
        return PayloadFault {QStringLiteral("display data announces %1 cells but carries %2").arg(count).arg(cells.size())};
    return DisplayWrite {bigEndian16(payload, kAddressAt), cells.toByteArray()};
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
