#include "storage/gbk.h"

#include "qstring_printer.h"

#include <gtest/gtest.h>

#include <QString>

namespace {

// Expected bytes checked with `iconv -f UTF-8 -t CP936`, not with our encoder.
struct EncodeRow {
    const char* name;
    QString text;
    QByteArray hex;
};

void PrintTo(const EncodeRow& row, std::ostream* out)
{
    *out << row.name;
}

class GbkEncode : public testing::TestWithParam<EncodeRow> {};

TEST_P(GbkEncode, GivesTheCodePage936Bytes)
{
    EXPECT_EQ(storage::toGbk(GetParam().text).toHex(' '), GetParam().hex);
}

INSTANTIATE_TEST_SUITE_P(Table, GbkEncode, testing::Values(
    EncodeRow {"Ascii", QStringLiteral("a,\" 1"), "61 2c 22 20 31"},
    EncodeRow {"WeatherText", QStringLiteral("多云转晴"), "b6 e0 d4 c6 d7 aa c7 e7"},
    EncodeRow {"MiddleDotAndAccent", QStringLiteral("·é"), "a1 a4 a8 a6"},
    EncodeRow {"EuroIsWindows0x80", QStringLiteral("€"), "80"},
    EncodeRow {"UnrepresentableLatin", QStringLiteral("aÿb"), "61 3f 62"},
    EncodeRow {"UnrepresentableKatakanaDot", QStringLiteral("・"), "3f"},
    EncodeRow {"OutsideBmpIsOneQuestionMark", QString::fromUtf8("a\xF0\x9F\x98\x80" "b"), "61 3f 62"},
    EncodeRow {"TwoOutsideBmp", QString::fromUtf8("\xF0\x9F\x98\x80\xF0\x9F\x98\x81"), "3f 3f"},
    EncodeRow {"LoneHighSurrogate", QString(QChar(0xD800)) + u'a', "3f 61"},
    EncodeRow {"LoneLowSurrogateAtEnd", QStringLiteral("多") + QChar(0xDC00), "b6 e0 3f"},
    EncodeRow {"Empty", QString(), ""}),
    [](const auto& rowInfo) { return std::string(rowInfo.param.name); });

struct DecodeRow {
    const char* name;
    QByteArray bytes;
    std::optional<QString> text;
};

void PrintTo(const DecodeRow& row, std::ostream* out)
{
    *out << row.name;
}

class GbkDecode : public testing::TestWithParam<DecodeRow> {};

TEST_P(GbkDecode, DecodesOrRefuses)
{
    EXPECT_EQ(storage::fromGbk(GetParam().bytes), GetParam().text);
}

INSTANTIATE_TEST_SUITE_P(Table, GbkDecode, testing::Values(
    DecodeRow {"Ascii", QByteArray("0   32  "), QStringLiteral("0   32  ")},
    DecodeRow {"Chinese", QByteArray::fromHex("b6e0d4c6d7aac7e7"), QStringLiteral("多云转晴")},
    DecodeRow {"Euro", QByteArray::fromHex("80"), QStringLiteral("€")},
    DecodeRow {"Empty", QByteArray(), QString()},
    DecodeRow {"TruncatedLeadByte", QByteArray::fromHex("b6e0d4"), std::nullopt},
    DecodeRow {"LoneLeadByte", QByteArray::fromHex("b6"), std::nullopt},
    DecodeRow {"TrailByte7F", QByteArray::fromHex("817f"), std::nullopt},
    DecodeRow {"TrailByteSpace", QByteArray::fromHex("8120"), std::nullopt},
    DecodeRow {"Gb18030FourBytes", QByteArray::fromHex("81308130"), std::nullopt},
    DecodeRow {"BadPairInsideText", QByteArray("40  ") + QByteArray::fromHex("b6e0817f41"), std::nullopt}),
    [](const auto& rowInfo) { return std::string(rowInfo.param.name); });

} // namespace
