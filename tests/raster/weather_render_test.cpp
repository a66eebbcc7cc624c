// Properties of the rendering that hold whatever font is chosen.
#include "raster/weather_raster.h"

#include <gtest/gtest.h>

namespace {

class WeatherRender : public ::testing::Test {
protected:
    void SetUp() override
    {
        const raster::WeatherFont choice = raster::weatherFont();
        ASSERT_TRUE(choice.font.has_value());
        font = *choice.font;
    }

    QFont font;
};

TEST_F(WeatherRender, SurfaceIsBlackWithPureRedDotsOnly)
{
    const QImage image = raster::renderWeatherText(QStringLiteral("多云转晴"), font);
    ASSERT_EQ(image.size(), QSize(raster::kSurfaceWidth, raster::kSurfaceHeight));
    int red = 0;
    for (int y = 0; y < image.height(); ++y) {
        for (int x = 0; x < image.width(); ++x) {
            const QRgb pixel = image.pixel(x, y) & 0xFFFFFF;
            ASSERT_TRUE(pixel == 0 || pixel == 0xFF0000)
                << "blended pixel " << std::hex << pixel << " at " << std::dec << x << "," << y;
            red += pixel != 0;
        }
    }
    EXPECT_GT(red, 100);
}

TEST_F(WeatherRender, BlankAndEmptyTextsLightNothing)
{
    for (const QString& text : {QString(), QStringLiteral(" "), QStringLiteral("        "), QStringLiteral("    ")})
        EXPECT_EQ(raster::rasterizeWeatherText(text, font), raster::DotMatrix{}) << '"' << text.toStdString() << '"';
}

TEST_F(WeatherRender, ShorterSecondTextLeavesNoTraceOfTheFirst)
{
    const QString shortText = QStringLiteral("晴");
    const raster::DotMatrix alone = raster::rasterizeWeatherText(shortText, font);
    const raster::DotMatrix full = raster::rasterizeWeatherText(QStringLiteral("多云转晴"), font);
    const raster::DotMatrix after = raster::rasterizeWeatherText(shortText, font);
    EXPECT_EQ(after, alone);
    EXPECT_NE(after, full);
    // Columns 16 to 63 were lit by the long text and must now be dark.
    for (int row = 0; row < 16; ++row)
        for (int byte = 2; byte < 8; ++byte)
            EXPECT_EQ(after[row * 8 + byte], 0) << "row " << row << " byte " << byte;
}

TEST_F(WeatherRender, SameTextTwiceGivesSameDots)
{
    const QString text = QStringLiteral("多云 12C");
    EXPECT_EQ(raster::rasterizeWeatherText(text, font), raster::rasterizeWeatherText(text, font));
}

// The cell of a 16-pixel font ends at row 15; the rows below stay dark even for
// descenders, so nothing of the text is lost below the matrix.
TEST_F(WeatherRender, NothingBelowTheMatrix)
{
    const QImage image = raster::renderWeatherText(QStringLiteral("yyyy多云"), font);
    for (int y = protocol::kDotRows; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            ASSERT_EQ(image.pixel(x, y) & 0xFFFFFF, 0u) << x << "," << y;
}

} // namespace
