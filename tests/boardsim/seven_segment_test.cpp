#include "seven_segment.h"

#include <QImage>
#include <QPainter>

#include <gtest/gtest.h>

using boardsim::Segment;

namespace {

const boardsim::SegmentColours kColours {QColor(255, 0, 0), QColor(0, 0, 255), QColor(0, 0, 0)};

QImage painted(quint8 code, const QRect& rect)
{
    QImage image(100, 120, QImage::Format_RGB32);
    image.fill(Qt::white);
    QPainter painter(&image);
    boardsim::paintCell(painter, rect, code, kColours);
    return image;
}

QColor at(const QImage& image, Segment segment, const QRect& rect)
{
    return image.pixelColor(boardsim::segmentCentre(segment, rect).toPoint());
}

struct Row {
    const char* name;
    quint8 code;
    const char* lit;   // one character per segment a b c d e f g point: 1 lit, 0 dark
};

class SevenSegmentTest : public ::testing::TestWithParam<Row> {};

TEST_P(SevenSegmentTest, LightsExactlyTheSegmentsWithAZeroBit)
{
    const Row& row = GetParam();
    const QRect rect(10, 15, 44, 72);
    const QImage image = painted(row.code, rect);
    for (int bit = 0; bit < 8; ++bit) {
        const QColor expected = row.lit[bit] == '1' ? kColours.lit : kColours.dark;
        EXPECT_EQ(at(image, Segment(bit), rect), expected) << "segment " << "abcdefgp"[bit];
    }
    // The cell stays inside its rectangle, and its background is painted.
    EXPECT_EQ(image.pixelColor(rect.left() + 1, rect.top() + 1), kColours.background);
    EXPECT_EQ(image.pixelColor(rect.left() - 1, rect.top() - 1), QColor(Qt::white));
    EXPECT_EQ(image.pixelColor(rect.right() + 2, rect.bottom() + 2), QColor(Qt::white));
}

INSTANTIATE_TEST_SUITE_P(Codes, SevenSegmentTest,
                         ::testing::Values(Row {"Zero", 0xC0, "11111100"},
                                           Row {"ZeroWithPoint", 0xC0 & 0x7F, "11111101"},
                                           Row {"MinusOnlyG", 0xBF, "00000010"},
                                           Row {"Dark", 0xFF, "00000000"},
                                           Row {"One", 0xF9, "01100000"}),
                         [](const auto& info) { return std::string(info.param.name); });

TEST(SevenSegmentGeometryTest, SegmentsSitWhereADigitHasThem)
{
    const QRectF rect(0, 0, 40, 80);
    const auto c = [&rect](Segment s) { return boardsim::segmentCentre(s, rect); };
    EXPECT_LT(c(Segment::A).y(), c(Segment::G).y());
    EXPECT_LT(c(Segment::G).y(), c(Segment::D).y());
    EXPECT_LT(c(Segment::F).x(), c(Segment::B).x());
    EXPECT_LT(c(Segment::B).y(), c(Segment::C).y());
    EXPECT_GT(c(Segment::Point).x(), c(Segment::C).x());
    EXPECT_GT(c(Segment::Point).y(), c(Segment::G).y());
}

} // namespace
