#include "unifont_hex.h"

#include <QFile>

namespace rastertest {

namespace {

constexpr int kRows = 16;
constexpr int kRowBytes = 8;

} // namespace

std::optional<GlyphTable> readUnifontHex(const QString& path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly | QIODevice::Text))
        return std::nullopt;
    GlyphTable glyphs;
    while (!file.atEnd()) {
        const QByteArray line = file.readLine().trimmed();
        if (line.isEmpty() || line.startsWith('#'))
            continue;
        const qsizetype colon = line.indexOf(':');
        if (colon < 0)
            return std::nullopt;
        bool ok = false;
        const uint codePoint = line.left(colon).toUInt(&ok, 16);
        const QByteArray hex = line.mid(colon + 1);
        if (!ok || (hex.size() != 32 && hex.size() != 64))
            return std::nullopt;
        const QByteArray bytes = QByteArray::fromHex(hex);
        if (bytes.size() * 2 != hex.size())
            return std::nullopt;
        glyphs.insert(char32_t(codePoint), bytes);
    }
    return glyphs;
}

std::optional<std::array<quint8, 128>> expectedMatrix(const GlyphTable& glyphs, const QString& text)
{
    std::array<quint8, 128> matrix{};
    int columnByte = 0;
    for (const char32_t codePoint : text.toUcs4()) {
        const auto glyph = glyphs.constFind(codePoint);
        if (glyph == glyphs.cend())
            return std::nullopt;
        const int widthBytes = int(glyph->size()) / kRows;
        for (int row = 0; row < kRows; ++row) {
            for (int k = 0; k < widthBytes && columnByte + k < kRowBytes; ++k)
                matrix[row * kRowBytes + columnByte + k] = quint8(glyph->at(row * widthBytes + k));
        }
        columnByte += widthBytes;
    }
    return matrix;
}

} // namespace rastertest
