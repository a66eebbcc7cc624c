// The rendered weather text against GNU Unifont's own glyph bitmaps: what the
// board shows must be exactly the font's design, dot for dot.
#include "raster/weather_raster.h"
#include "unifont_hex.h"

#include <gtest/gtest.h>

namespace {

// One line of '#' and '.' per matrix row, so a failure shows the picture.
std::string art(const std::array<quint8, 128>& matrix)
{
    std::string out;
    for (int row = 0; row < 16; ++row) {
        out += '\n';
        for (int x = 0; x < 64; ++x)
            out += (matrix[row * 8 + x / 8] & (0x80 >> (x % 8))) ? '#' : '.';
    }
    return out;
}

struct GoldenCase {
    const char* name;
    const char16_t* text;
    // Only the first characters whose glyphs reach the matrix; empty = text.
    const char16_t* visible = u"";
};

void PrintTo(const GoldenCase& c, std::ostream* os) { *os << c.name; }

class UnifontGolden : public ::testing::TestWithParam<GoldenCase> {
protected:
    void SetUp() override
    {
        const raster::WeatherFont choice = raster::weatherFont();
        ASSERT_TRUE(choice.font.has_value());
        if (choice.font->family() != QString::fromUtf16(raster::kUnifontFamily))
            GTEST_SKIP() << "this machine draws with " << choice.font->family().toStdString()
                         << ", whose glyphs are not Unifont's; the Unifont golden data do not apply";
        font = *choice.font;
        const auto table = rastertest::readUnifontHex(QStringLiteral(VORFJP_TEST_DATA "/unifont-glyphs.hex"));
        ASSERT_TRUE(table.has_value()) << "cannot read unifont-glyphs.hex";
        glyphs = *table;
    }

    QFont font;
    rastertest::GlyphTable glyphs;
};

TEST_P(UnifontGolden, MatchesFontBitmaps)
{
    const GoldenCase& c = GetParam();
    const QString text = QString::fromUtf16(c.text);
    const QString visible = *c.visible ? QString::fromUtf16(c.visible) : text;
    const auto expected = rastertest::expectedMatrix(glyphs, visible);
    ASSERT_TRUE(expected.has_value()) << "a glyph of the case is missing from unifont-glyphs.hex";
    const raster::DotMatrix actual = raster::rasterizeWeatherText(text, font);
    EXPECT_EQ(art(actual), art(*expected));
}

INSTANTIATE_TEST_SUITE_P(
    Texts, UnifontGolden,
    ::testing::Values(
        GoldenCase{"FourChineseFillTheMatrix", u"多云转晴"},
        GoldenCase{"EightHalfWidth", u"Sunny25C"},
        GoldenCase{"DescenderReachesBottomRow", u"yyyyyyyy"},
        GoldenCase{"MixedWithBlank", u"多云 12C"},
        GoldenCase{"FullWidthAtOddByte", u"1多云转"},
        GoldenCase{"FifthChineseNotSent", u"多云转晴天", u"多云转晴"},
        // The last glyph starts at column 56: its left half is sent, its right half cut.
        GoldenCase{"GlyphCutAtColumn64", u"5多云转晴"},
        GoldenCase{"NinthHalfWidthNotSent", u"Sunny25C1", u"Sunny25C"},
        GoldenCase{"ShortText", u"晴"}),
    [](const ::testing::TestParamInfo<GoldenCase>& info) { return std::string(info.param.name); });

// The golden data themselves must be Unifont's glyphs and not an empty file
// that would make every comparison vacuous.
TEST(UnifontGlyphData, HoldsTheGlyphsOfTheCases)
{
    const auto table = rastertest::readUnifontHex(QStringLiteral(VORFJP_TEST_DATA "/unifont-glyphs.hex"));
    ASSERT_TRUE(table.has_value());
    for (const char32_t c : QStringLiteral("多云转晴天Sunny25C1 y").toUcs4())
        EXPECT_TRUE(table->contains(c)) << "missing U+" << std::hex << quint32(c);
    EXPECT_EQ(table->value(U'多').size(), 32);
    EXPECT_EQ(table->value(U'S').size(), 16);
    EXPECT_EQ(table->value(U' '), QByteArray(16, '\0'));
}

} // namespace
