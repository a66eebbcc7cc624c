#include "storage/board_content.h"

#include "qstring_printer.h"

#include <gtest/gtest.h>

#include <QString>

namespace {

using storage::BoardContent;
using storage::decodeRecord;
using storage::encodeRecord;
using storage::kRecordLength;

QString spaces(int n)
{
    return QString(n, u' ');
}

BoardContent sampleContent()
{
    BoardContent content;
    content.fjAddress = 0;
    content.fjLength = 32;
    content.wbAddress = 32;
    content.wbLength = 72;
    content.wenDuAddress = 104;
    content.wenDuLength = 4;
    content.fjNames = QStringLiteral("豪华套房商务套房");
    content.fjValues.fill(QStringLiteral("1234"));
    content.wbNames = QStringLiteral("美元欧元");
    content.wbValuesA.fill(QStringLiteral("123.456"));
    content.wbValuesB.fill(QStringLiteral("123.888"));
    content.weatherText = QStringLiteral("多云转晴");
    content.lowTemperature = QStringLiteral("12");
    content.highTemperature = QStringLiteral("18");
    return content;
}

TEST(EncodeRecord, PlacesEveryFieldAtItsCharacterPosition)
{
    BoardContent content = sampleContent();
    content.fjValues[9] = QStringLiteral("98");
    content.wbValuesA[9] = QStringLiteral("1.5");
    content.wbValuesB[0] = QStringLiteral("-1");
    const QString r = encodeRecord(content);

    ASSERT_EQ(r.size(), kRecordLength);
    EXPECT_EQ(r.mid(0, 24), QStringLiteral("0   32  32  72  104 4   "));
    EXPECT_EQ(r.mid(24, 100), QStringLiteral("豪华套房商务套房") + spaces(92));
    EXPECT_EQ(r.mid(124, 4), QStringLiteral("1234"));
    EXPECT_EQ(r.mid(160, 4), QStringLiteral("  98"));
    EXPECT_EQ(r.mid(164, 60), spaces(60));
    EXPECT_EQ(r.mid(224, 100), QStringLiteral("美元欧元") + spaces(96));
    EXPECT_EQ(r.mid(324, 7), QStringLiteral("123.456"));
    EXPECT_EQ(r.mid(387, 7), QStringLiteral("    1.5"));
    EXPECT_EQ(r.mid(394, 30), spaces(30));
    EXPECT_EQ(r.mid(424, 7), QStringLiteral("     -1"));
    EXPECT_EQ(r.mid(487, 7), QStringLiteral("123.888"));
    EXPECT_EQ(r.mid(494, 30), spaces(30));
    EXPECT_EQ(r.mid(524, 20), QStringLiteral("多云转晴") + spaces(16));
    EXPECT_EQ(r.mid(544, 4), QStringLiteral("1218"));
}

TEST(EncodeRecord, EmptyContentIsStillFullLength)
{
    const QString r = encodeRecord(BoardContent {});
    EXPECT_EQ(r, QStringLiteral("0   0   0   0   0   0   ") + spaces(kRecordLength - 24));
}

TEST(EncodeRecord, NumberFieldsAreLeftJustifiedDecimal)
{
    BoardContent content;
    content.fjAddress = -5;
    content.fjLength = 9999;
    content.wbAddress = -999;
    content.wbLength = 7;
    EXPECT_EQ(encodeRecord(content).left(16), QStringLiteral("-5  9999-9997   "));
}

TEST(EncodeRecord, CutsValuesToTheirLastAndTextsToTheirFirstCharacters)
{
    BoardContent content;
    content.fjNames = QString(99, u'名') + QStringLiteral("ABC");
    content.fjValues[0] = QStringLiteral("12345");
    content.wbNames = QStringLiteral("x") + QString(120, u'元');
    content.wbValuesA[0] = QStringLiteral("12345678");
    content.wbValuesB[9] = QStringLiteral("abcdefghij");
    content.weatherText = QStringLiteral("晴") + QString(25, u'云');
    content.lowTemperature = QStringLiteral("-12");
    content.highTemperature = QStringLiteral("355");
    const QString r = encodeRecord(content);

    ASSERT_EQ(r.size(), kRecordLength);
    EXPECT_EQ(r.mid(24, 100), QString(99, u'名') + u'A');
    EXPECT_EQ(r.mid(124, 4), QStringLiteral("2345"));
    EXPECT_EQ(r.mid(224, 100), QStringLiteral("x") + QString(99, u'元'));
    EXPECT_EQ(r.mid(324, 7), QStringLiteral("2345678"));
    EXPECT_EQ(r.mid(487, 7), QStringLiteral("defghij"));
    EXPECT_EQ(r.mid(524, 20), QStringLiteral("晴") + QString(19, u'云'));
    EXPECT_EQ(r.mid(544, 2), QStringLiteral("-1"));
    EXPECT_EQ(r.mid(546, 2), QStringLiteral("35"));
}

TEST(EncodeRecord, CharactersThatWouldMovePositionsOrBreakTheLineBecomeOneQuestionMark)
{
    BoardContent content;
    content.fjNames = QString::fromUtf8("a\xF0\x9F\x98\x80" "b") + QChar(0xD800) + u'c';
    content.fjValues[0] = QString::fromUtf8("1\xF0\x9F\x98\x80");
    content.weatherText = QStringLiteral("多\r\n云") + QChar(u'\0') + u'晴';
    const QString r = encodeRecord(content);

    ASSERT_EQ(r.size(), kRecordLength);
    EXPECT_EQ(r.mid(24, 5), QStringLiteral("a?b?c"));
    EXPECT_EQ(r.mid(124, 4), QStringLiteral("  1?"));
    EXPECT_EQ(r.mid(524, 6), QStringLiteral("多??云?晴"));
}

TEST(DecodeRecord, ReadsTheFieldsPaddedAsStored)
{
    // Laid out by hand, field by field.
    const QString r = QStringLiteral("0   32  32  72  104 4   ")
        + QStringLiteral("豪华套房") + spaces(96)
        + QStringLiteral("  98") + QString(9 * 4, u'1') + spaces(60)
        + QStringLiteral(" 美元,\"") + spaces(95)
        + QStringLiteral("    1.5") + QString(9 * 7, u'2') + spaces(30)
        + QString(10 * 7, u'3') + spaces(30)
        + QStringLiteral("多云转晴") + spaces(16) + QStringLiteral("1218");
    ASSERT_EQ(r.size(), kRecordLength);
    const storage::DecodeResult result = decodeRecord(r);
    ASSERT_TRUE(result.content) << result.error.toStdString();
    const BoardContent& c = *result.content;

    EXPECT_EQ(c.fjAddress, 0);
    EXPECT_EQ(c.fjLength, 32);
    EXPECT_EQ(c.wbAddress, 32);
    EXPECT_EQ(c.wbLength, 72);
    EXPECT_EQ(c.wenDuAddress, 104);
    EXPECT_EQ(c.wenDuLength, 4);
    EXPECT_EQ(c.fjAreaText, QStringLiteral("0   32  "));
    EXPECT_EQ(c.wbAreaText, QStringLiteral("32  72  "));
    EXPECT_EQ(c.wenDuAreaText, QStringLiteral("104 4   "));
    EXPECT_EQ(c.fjNames, QStringLiteral("豪华套房") + spaces(96));
    EXPECT_EQ(c.fjValues[0], QStringLiteral("  98"));
    EXPECT_EQ(c.fjValues[9], QStringLiteral("1111"));
    EXPECT_EQ(c.wbNames, QStringLiteral(" 美元,\"") + spaces(95));
    EXPECT_EQ(c.wbValuesA[0], QStringLiteral("    1.5"));
    EXPECT_EQ(c.wbValuesA[9], QStringLiteral("2222222"));
    EXPECT_EQ(c.wbValuesB[0], QStringLiteral("3333333"));
    EXPECT_EQ(c.weatherText, QStringLiteral("多云转晴") + spaces(16));
    EXPECT_EQ(c.lowTemperature, QStringLiteral("12"));
    EXPECT_EQ(c.highTemperature, QStringLiteral("18"));
    EXPECT_EQ(encodeRecord(c), r);
}

TEST(DecodeRecord, PaddedTextsRoundTripUnchanged)
{
    BoardContent content = sampleContent();
    content.fjNames = QStringLiteral("  a,\"b\", c");
    content.fjValues[3] = QStringLiteral(" ,\"");
    content.wbValuesB[4] = QStringLiteral("\"1,5\"");
    content.weatherText = QStringLiteral(" \"晴\",");
    const QString first = encodeRecord(content);
    const storage::DecodeResult loaded = decodeRecord(first);
    ASSERT_TRUE(loaded.content);
    EXPECT_TRUE(loaded.content->fjNames.startsWith(QStringLiteral("  a,\"b\", c")));
    EXPECT_EQ(loaded.content->fjValues[3], QStringLiteral("  ,\""));
    EXPECT_EQ(loaded.content->wbValuesB[4], QStringLiteral("  \"1,5\""));
    EXPECT_TRUE(loaded.content->weatherText.startsWith(QStringLiteral(" \"晴\",")));
    EXPECT_EQ(encodeRecord(*loaded.content), first);
}

TEST(DecodeRecord, ShortRecordGivesShortAndEmptyFields)
{
    const storage::DecodeResult onlyNumbers = decodeRecord(QStringLiteral("1   2   3   4   5   6   "));
    ASSERT_TRUE(onlyNumbers.content) << onlyNumbers.error.toStdString();
    EXPECT_EQ(onlyNumbers.content->wenDuLength, 6);
    EXPECT_EQ(onlyNumbers.content->fjNames, QString());
    EXPECT_EQ(onlyNumbers.content->fjValues[0], QString());
    EXPECT_EQ(onlyNumbers.content->highTemperature, QString());

    // Ends two characters into the second room rate.
    const storage::DecodeResult midField =
        decodeRecord(QStringLiteral("1   2   3   4   5   6   ") + QStringLiteral("名") + spaces(99) + QStringLiteral("123412"));
    ASSERT_TRUE(midField.content);
    EXPECT_EQ(midField.content->fjNames, QStringLiteral("名") + spaces(99));
    EXPECT_EQ(midField.content->fjValues[0], QStringLiteral("1234"));
    EXPECT_EQ(midField.content->fjValues[1], QStringLiteral("12"));
    EXPECT_EQ(midField.content->fjValues[2], QString());
    EXPECT_EQ(midField.content->wbNames, QString());

    // Ends inside the low temperature.
    QString almostFull = encodeRecord(sampleContent());
    almostFull.truncate(545);
    const storage::DecodeResult nearEnd = decodeRecord(almostFull);
    ASSERT_TRUE(nearEnd.content);
    EXPECT_EQ(nearEnd.content->lowTemperature, QStringLiteral("1"));
    EXPECT_EQ(nearEnd.content->highTemperature, QString());
}

TEST(DecodeRecord, CharactersBeyondTheRecordAreIgnored)
{
    const QString r = encodeRecord(sampleContent());
    const storage::DecodeResult result = decodeRecord(r + QStringLiteral("extra"));
    ASSERT_TRUE(result.content);
    EXPECT_EQ(result.content->highTemperature, QStringLiteral("18"));
    EXPECT_EQ(encodeRecord(*result.content), r);
}

// One row per number text, placed in the room-rate length field (characters 5-8).
struct NumberRow {
    const char* name;
    QString field;
    std::optional<qint16> value;
};

void PrintTo(const NumberRow& row, std::ostream* out)
{
    *out << row.name;
}

class NumberField : public testing::TestWithParam<NumberRow> {};

TEST_P(NumberField, LoadsOrFailsNamingTheField)
{
    const NumberRow& row = GetParam();
    const QString r = QStringLiteral("0   ") + row.field + QStringLiteral("32  72  104 4   ");
    const storage::DecodeResult result = decodeRecord(r);
    if (row.value) {
        ASSERT_TRUE(result.content) << result.error.toStdString();
        EXPECT_EQ(result.content->fjLength, *row.value);
        EXPECT_EQ(result.content->fjAreaText, QStringLiteral("0   ") + row.field);
        EXPECT_TRUE(result.error.isEmpty());
    } else {
        EXPECT_FALSE(result.content);
        EXPECT_TRUE(result.error.contains(QStringLiteral("第 5–8 个字符"))) << result.error.toStdString();
        EXPECT_TRUE(result.error.contains(QStringLiteral("房价区长度"))) << result.error.toStdString();
        EXPECT_TRUE(result.error.contains(QStringLiteral("“") + row.field + QStringLiteral("”")))
            << result.error.toStdString();
    }
}

INSTANTIATE_TEST_SUITE_P(Table, NumberField, testing::Values(
    NumberRow {"TrailingSpaces", QStringLiteral("40  "), 40},
    NumberRow {"SpacesAround", QStringLiteral(" 40 "), 40},
    NumberRow {"LeadingSpaces", QStringLiteral("  40"), 40},
    NumberRow {"FourDigits", QStringLiteral("9999"), 9999},
    NumberRow {"Negative", QStringLiteral("-999"), -999},
    NumberRow {"PlusSign", QStringLiteral("+5  "), 5},
    NumberRow {"MinusZero", QStringLiteral("-0  "), 0},
    NumberRow {"HalfToEvenDown", QStringLiteral("4.5 "), 4},
    NumberRow {"HalfToEvenUp", QStringLiteral("5.5 "), 6},
    NumberRow {"NegativeHalfToEven", QStringLiteral("-1.5"), -2},
    NumberRow {"ZeroPointFive", QStringLiteral("0.5 "), 0},
    NumberRow {"AboveHalf", QStringLiteral("2.51"), 3},
    NumberRow {"BelowHalf", QStringLiteral("2.49"), 2},
    NumberRow {"RoundsUpToThousand", QStringLiteral("99.9"), 100},
    NumberRow {"TrailingPoint", QStringLiteral("7.  "), 7},
    NumberRow {"OnlyFraction", QStringLiteral(".6  "), 1},
    NumberRow {"Exponent", QStringLiteral("1e3 "), std::nullopt},
    NumberRow {"HexPrefix", QStringLiteral("0x10"), std::nullopt},
    NumberRow {"AllSpaces", QStringLiteral("    "), std::nullopt},
    NumberRow {"SpaceInside", QStringLiteral("4 0 "), std::nullopt},
    NumberRow {"SignOnly", QStringLiteral("-   "), std::nullopt},
    NumberRow {"PointOnly", QStringLiteral(".   "), std::nullopt},
    NumberRow {"TwoSigns", QStringLiteral("+-5 "), std::nullopt},
    NumberRow {"SpaceAfterSign", QStringLiteral("- 5 "), std::nullopt},
    NumberRow {"Letters", QStringLiteral("ab  "), std::nullopt},
    NumberRow {"DigitsThenLetter", QStringLiteral("40a "), std::nullopt},
    NumberRow {"Tab", QStringLiteral("\t40 "), std::nullopt},
    NumberRow {"TwoPoints", QStringLiteral("1.2."), std::nullopt},
    NumberRow {"FullWidthDigits", QStringLiteral("１２  "), std::nullopt},
    NumberRow {"Chinese", QStringLiteral("四十  "), std::nullopt}),
    [](const auto& rowInfo) { return std::string(rowInfo.param.name); });

TEST(DecodeRecord, EachNumberFieldIsNamedInItsError)
{
    const QString good = QStringLiteral("1   2   3   4   5   6   ");
    const char* names[] = {"房价区地址", "房价区长度", "外币区地址", "外币区长度", "温度区地址", "温度区长度"};
    for (int i = 0; i < 6; ++i) {
        QString r = good;
        r.replace(i * 4, 4, QStringLiteral("x   "));
        const storage::DecodeResult result = decodeRecord(r);
        EXPECT_FALSE(result.content) << i;
        EXPECT_TRUE(result.error.contains(QString::fromUtf8(names[i]))) << result.error.toStdString();
        EXPECT_TRUE(result.error.contains(QStringLiteral("第 %1–%2 个字符").arg(i * 4 + 1).arg(i * 4 + 4)))
            << result.error.toStdString();
    }
}

TEST(DecodeRecord, RecordEndingBeforeANumberFieldFails)
{
    const storage::DecodeResult empty = decodeRecord(QString());
    EXPECT_FALSE(empty.content);
    EXPECT_TRUE(empty.error.contains(QStringLiteral("房价区地址"))) << empty.error.toStdString();

    const storage::DecodeResult cut = decodeRecord(QStringLiteral("0   32  32  72  104 "));
    EXPECT_FALSE(cut.content);
    EXPECT_TRUE(cut.error.contains(QStringLiteral("温度区长度"))) << cut.error.toStdString();
    EXPECT_TRUE(cut.error.contains(QStringLiteral("结束"))) << cut.error.toStdString();

    // A partly present number field still loads when what is there is a number.
    const storage::DecodeResult partial = decodeRecord(QStringLiteral("0   32  32  72  104 4"));
    ASSERT_TRUE(partial.content);
    EXPECT_EQ(partial.content->wenDuLength, 4);
    EXPECT_EQ(partial.content->wenDuAreaText, QStringLiteral("104 4"));
}

// The names scripts give the fields, each at the character position of the record's
// description (counted from 1) and with its width.
TEST(RecordLayout, EveryKeyNamesTheFieldAtItsPosition)
{
    struct Row {
        const char* key;
        int at;
        int width;
    };
    const Row rows[] = {
        {"areas.rooms.address", 1, 4},       {"areas.rooms.length", 5, 4},   {"areas.rates.address", 9, 4},
        {"areas.rates.length", 13, 4},       {"areas.temperature.address", 17, 4},
        {"areas.temperature.length", 21, 4}, {"names.rooms", 25, 100},       {"rooms.1", 125, 4},
        {"rooms.10", 161, 4},                {"names.currencies", 225, 100}, {"rates.1.a", 325, 7},
        {"rates.4.a", 346, 7},               {"rates.10.a", 388, 7},         {"rates.1.b", 425, 7},
        {"rates.10.b", 488, 7},              {"weather.text", 525, 20},      {"weather.low", 545, 2},
        {"weather.high", 547, 2},
    };
    for (const Row& row : rows) {
        const std::optional<storage::Field> field = storage::fieldForKey(QString::fromLatin1(row.key));
        ASSERT_TRUE(field.has_value()) << row.key;
        EXPECT_EQ(storage::positionOf(*field) + 1, row.at) << row.key;
        EXPECT_EQ(storage::groupOf(*field).width, row.width) << row.key;
        EXPECT_EQ(storage::keyOf(*field), QLatin1String(row.key));
    }
    EXPECT_EQ(storage::contentFields().size(), 6u + 1 + 10 + 1 + 10 + 10 + 3);
    for (const char* unknown : {"rooms.0", "rooms.11", "rates.1", "rates.1.c", "weather", "areas.rooms", ""})
        EXPECT_FALSE(storage::fieldForKey(QString::fromLatin1(unknown)).has_value()) << unknown;
}

// Setting an area's number moves the characters its caption shows with it.
TEST(RecordLayout, AreaNumberAndItsCaptionTextChangeTogether)
{
    BoardContent content = sampleContent();
    content.fjAreaText = QStringLiteral(" 0  32 ");
    storage::setAreaNumber(content, *storage::fieldForKey(u"areas.rooms.length"), 40);
    EXPECT_EQ(content.fjLength, 40);
    EXPECT_EQ(content.fjAreaText, QStringLiteral("0   40  "));
    EXPECT_EQ(encodeRecord(content).left(8), content.fjAreaText);
}

} // namespace
