// Dot test and bit layout of packDots on synthetic images, independent of any font.
#include "raster/weather_raster.h"

#include <gtest/gtest.h>

namespace {

QImage blackSurface(int width = raster::kSurfaceWidth, int height = raster::kSurfaceHeight)
{
    QImage image(width, height, QImage::Format_RGB32);
    image.fill(qRgb(0, 0, 0));
    return image;
}

struct SinglePixel {
    const char* name;
    int x;
    int y;
    int byteIndex;
    quint8 value;
};

void PrintTo(const SinglePixel& c, std::ostream* os) { *os << c.name; }

class SinglePixelLayout : public ::testing::TestWithParam<SinglePixel> {};

TEST_P(SinglePixelLayout, SetsExactlyOneBit)
{
    const SinglePixel& p = GetParam();
    QImage image = blackSurface();
    image.setPixel(p.x, p.y, qRgb(255, 0, 0));
    raster::DotMatrix expected{};
    expected[p.byteIndex] = p.value;
    EXPECT_EQ(raster::packDots(image), expected);
}

INSTANTIATE_TEST_SUITE_P(
    Pixels, SinglePixelLayout,
    ::testing::Values(SinglePixel{"TopLeft", 0, 0, 0, 0x80},
                      SinglePixel{"BottomRight", 63, 15, 127, 0x01},
                      SinglePixel{"SecondByteSecondRow", 9, 1, 9, 0x40},
                      SinglePixel{"EndOfFirstByte", 7, 0, 0, 0x01},
                      SinglePixel{"StartOfLastByteOfRow", 56, 0, 7, 0x80},
                      SinglePixel{"FirstDotOfBottomRow", 0, 15, 120, 0x80},
                      SinglePixel{"MiddleDot", 35, 6, 52, 0x10}),
    [](const ::testing::TestParamInfo<SinglePixel>& info) { return std::string(info.param.name); });

struct Colour {
    const char* name;
    QRgb rgb;
    bool lit;
};

void PrintTo(const Colour& c, std::ostream* os) { *os << c.name; }

class DotThreshold : public ::testing::TestWithParam<Colour> {};

TEST_P(DotThreshold, DecidesByBgrNumber)
{
    const Colour& c = GetParam();
    EXPECT_EQ(raster::isLitDot(c.rgb), c.lit);
    QImage image = blackSurface();
    image.setPixel(20, 3, c.rgb);
    EXPECT_EQ(raster::packDots(image)[3 * 8 + 2], c.lit ? 0x08 : 0x00);
}

INSTANTIATE_TEST_SUITE_P(
    Colours, DotThreshold,
    ::testing::Values(Colour{"Black", qRgb(0, 0, 0), false},
                      Colour{"Red128", qRgb(128, 0, 0), false},
                      Colour{"Red129", qRgb(129, 0, 0), true},
                      Colour{"PureRed", qRgb(255, 0, 0), true},
                      Colour{"FaintGreen", qRgb(0, 1, 0), true},
                      Colour{"FaintBlue", qRgb(0, 0, 1), true},
                      Colour{"GreyishRed", qRgb(100, 1, 0), true},
                      Colour{"White", qRgb(255, 255, 255), true}),
    [](const ::testing::TestParamInfo<Colour>& info) { return std::string(info.param.name); });

TEST(DotPacking, IgnoresPixelsOutsideTheMatrix)
{
    QImage image = blackSurface();
    for (int y = 0; y < image.height(); ++y)
        for (int x = 64; x < image.width(); ++x)
            image.setPixel(x, y, qRgb(255, 255, 255));
    for (int x = 0; x < image.width(); ++x)
        for (int y = 16; y < image.height(); ++y)
            image.setPixel(x, y, qRgb(255, 255, 255));
    EXPECT_EQ(raster::packDots(image), raster::DotMatrix{});
}

TEST(DotPacking, FullMatrixIsAllOnes)
{
    QImage image = blackSurface(64, 16);
    image.fill(qRgb(255, 0, 0));
    raster::DotMatrix expected;
    expected.fill(0xFF);
    EXPECT_EQ(raster::packDots(image), expected);
}

TEST(DotPacking, AlternatingColumnsGiveAlternatingBits)
{
    QImage image = blackSurface();
    for (int y = 0; y < 16; ++y)
        for (int x = 0; x < 64; x += 2)
            image.setPixel(x, y, qRgb(255, 0, 0));
    raster::DotMatrix expected;
    expected.fill(0xAA);
    EXPECT_EQ(raster::packDots(image), expected);
}

TEST(DotPacking, SmallerImageCountsMissingPixelsDark)
{
    QImage image = blackSurface(10, 2);
    image.fill(qRgb(255, 0, 0));
    raster::DotMatrix expected{};
    expected[0] = 0xFF;
    expected[1] = 0xC0;
    expected[8] = 0xFF;
    expected[9] = 0xC0;
    EXPECT_EQ(raster::packDots(image), expected);
    EXPECT_EQ(raster::packDots(QImage()), raster::DotMatrix{});
}

} // namespace
