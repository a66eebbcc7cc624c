// Choice of the dot-matrix font: SimSun when truly installed, else Unifont,
// else nothing and a hint for the operator, never a look-alike.
#include "raster/weather_font.h"

#include <QFontInfo>
#include <gtest/gtest.h>

namespace {

const QString kUnifont = QStringLiteral("Unifont");

TEST(WeatherFontChoice, PrefersSimSunAtTwelvePoints)
{
    for (const QString& simSun : {QStringLiteral("SimSun"), QStringLiteral("宋体")}) {
        const raster::WeatherFont choice = raster::chooseWeatherFont({QStringLiteral("DejaVu Sans"), kUnifont, simSun});
        ASSERT_TRUE(choice.font.has_value()) << simSun.toStdString();
        EXPECT_EQ(choice.font->family(), simSun);
        EXPECT_EQ(choice.font->pointSize(), 12);
        EXPECT_EQ(choice.font->weight(), QFont::Normal);
        EXPECT_FALSE(choice.font->italic());
        EXPECT_FALSE(choice.font->underline());
        EXPECT_FALSE(choice.font->strikeOut());
        EXPECT_TRUE(choice.font->styleStrategy() & QFont::NoAntialias);
    }
}

TEST(WeatherFontChoice, FallsBackToUnifontAsBitmap)
{
    const raster::WeatherFont choice =
        raster::chooseWeatherFont({QStringLiteral("WenQuanYi Zen Hei"), QStringLiteral("Unifont Upper"), kUnifont});
    ASSERT_TRUE(choice.font.has_value());
    EXPECT_EQ(choice.font->family(), kUnifont);
    EXPECT_EQ(choice.font->pixelSize(), 16);
    EXPECT_TRUE(choice.font->styleStrategy() & QFont::NoAntialias);
    EXPECT_TRUE(choice.font->styleStrategy() & QFont::NoFontMerging);
}

struct NoFontCase {
    const char* name;
    QStringList families;
};

void PrintTo(const NoFontCase& c, std::ostream* os) { *os << c.name; }

class WeatherFontMissing : public ::testing::TestWithParam<NoFontCase> {};

TEST_P(WeatherFontMissing, GivesNoFont)
{
    EXPECT_FALSE(raster::chooseWeatherFont(GetParam().families).font.has_value());
}

// Outline CJK fonts and names that merely resemble the wanted ones must not be
// taken: their dots would not be the 16 x 16 design.
INSTANTIATE_TEST_SUITE_P(
    Families, WeatherFontMissing,
    ::testing::Values(NoFontCase{"NoFontsAtAll", {}},
                      NoFontCase{"OutlineCjkOnly", {QStringLiteral("WenQuanYi Zen Hei"), QStringLiteral("Noto Sans CJK SC")}},
                      NoFontCase{"UnifontVariantsOnly",
                                 {QStringLiteral("Unifont Upper"), QStringLiteral("Unifont-JP"), QStringLiteral("Unifont CSUR")}},
                      NoFontCase{"CaseDiffers", {QStringLiteral("unifont"), QStringLiteral("simsun")}},
                      NoFontCase{"SimilarNames", {QStringLiteral("NSimSun"), QStringLiteral("SimSun-ExtB"), QStringLiteral("新宋体")}}),
    [](const ::testing::TestParamInfo<NoFontCase>& info) { return std::string(info.param.name); });

// This machine has Unifont from fonts-unifont and no SimSun: the font actually
// used must be Unifont itself, not a substitute the font system picked.
TEST(WeatherFontOnThisMachine, IsTheInstalledUnifont)
{
    const raster::WeatherFont choice = raster::weatherFont();
    ASSERT_TRUE(choice.font.has_value());
    if (choice.font->family() != kUnifont)
        GTEST_SKIP() << "SimSun is installed here, so Unifont is not used";
    const QFontInfo info(*choice.font);
    EXPECT_EQ(info.family(), kUnifont);
    EXPECT_EQ(info.pixelSize(), 16);
}

} // namespace
