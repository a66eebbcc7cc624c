#pragma once
// Board content files written byte by byte, the way the delivered file is laid out, so that the
// tests do not depend on the program's own encoder. Chinese texts are given as their GBK bytes.
#include <QByteArray>
#include <QString>

namespace apptest {

// A piece of the record: its GBK bytes and how many characters it stands for.
struct GbkText {
    QByteArray bytes;
    int chars = 0;
};

inline GbkText ascii(const char* text)
{
    const QByteArray bytes(text);
    return {bytes, int(bytes.size())};
}

// Left-justified in width characters.
inline QByteArray left(const GbkText& text, int width)
{
    return text.bytes + QByteArray(width - text.chars, ' ');
}

// Right-justified in width characters.
inline QByteArray right(const GbkText& text, int width)
{
    return QByteArray(width - text.chars, ' ') + text.bytes;
}

// GBK of the design captions and the initial weather text.
inline GbkText roomTypeNames()
{
    // 豪华套房商务套房公寓套房行政单间行政标间单 人 间标 准 间 加    床
    return {QByteArray::fromHex("bac0bbaaccd7b7bfc9cccef1ccd7b7bfb9abd4a2ccd7b7bfd0d0d5feb5a5bce4d0d0d5feb1eabce4"
                                "b5a520c8cb20bce4b1ea20d7bc20bce420bcd320202020b4b2"),
            37};
}

inline GbkText currencyNames()
{
    // 美元欧元英镑港币日元澳元
    return {QByteArray::fromHex("c3c0d4aac5b7d4aad3a2b0f7b8dbb1d2c8d5d4aab0c4d4aa"), 12};
}

inline GbkText cloudyThenFine()
{
    // 多云转晴
    return {QByteArray::fromHex("b6e0d4c6d7aac7e7"), 4};
}

struct RecordPieces {
    QByteArray areas = "0   32  32  72  104 4   "; // characters 1-24
    GbkText fjNames = roomTypeNames();
    QByteArray fjValues[10];
    GbkText wbNames = currencyNames();
    QByteArray wbValuesA[10];
    QByteArray wbValuesB[10];
    GbkText weather = cloudyThenFine();
    QByteArray low = "12";
    QByteArray high = "18";

    RecordPieces()
    {
        for (auto& v : fjValues)
            v = "1234";
        for (auto& v : wbValuesA)
            v = "123.456";
        for (auto& v : wbValuesB)
            v = "123.888";
    }

    // The whole line with its CR LF.
    QByteArray fileBytes() const
    {
        QByteArray line = areas;
        line += left(fjNames, 100);
        for (const auto& v : fjValues)
            line += right(ascii(v.constData()), 4);
        line += QByteArray(60, ' ');
        line += left(wbNames, 100);
        for (const auto& v : wbValuesA)
            line += right(ascii(v.constData()), 7);
        line += QByteArray(30, ' ');
        for (const auto& v : wbValuesB)
            line += right(ascii(v.constData()), 7);
        line += QByteArray(30, ' ');
        line += left(weather, 20);
        line += left(ascii(low.constData()), 2);
        line += left(ascii(high.constData()), 2);
        return line + "\r\n";
    }
};

} // namespace apptest
