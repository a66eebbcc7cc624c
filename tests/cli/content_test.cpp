// vorfjp-send show and set as scripts use them: the JSON round trip that leaves a file byte for
// byte as it was, changes that touch only their own characters, every kind of bad value refused
// with the file untouched, and a change sent in the same call.
#include "support/send_process.h"

#include "support/board_line.h"
#include "support/content_file_bytes.h"
#include "support/files.h"
#include "support/hex.h"
#include "support/pty_pair.h"

#include <QJsonDocument>
#include <QJsonObject>
#include <QStringDecoder>
#include <QStringEncoder>
#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace {

using apptest::RecordPieces;
using clitest::SendProcess;
using clitest::SendRun;
using testsupport::readFile;

class ContentFile : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(m_dir.isValid()); }

    QString write(const QByteArray& bytes)
    {
        m_path = m_dir.filePath(QStringLiteral("VorFjp.ini"));
        testsupport::writeFile(m_path, bytes);
        return m_path;
    }

    SendRun run(QStringList arguments, const QByteArray& input = {})
    {
        arguments.prepend(m_path);
        arguments.prepend(QStringLiteral("--content"));
        return send.run(arguments, input);
    }

    // The record's characters, decoded from the file's first line.
    static QString recordOf(const QByteArray& bytes)
    {
        QStringDecoder gbk("GBK");
        return QString(gbk.decode(bytes.left(bytes.indexOf("\r\n"))));
    }

    QTemporaryDir m_dir;
    QString m_path;
    SendProcess send;
};

// The delivered file and files as the window writes them: Chinese names, values padded in their
// fields, one-character temperatures followed by their blank.
std::vector<std::pair<const char*, QByteArray>> roundTripFiles()
{
    RecordPieces padded;
    padded.fjValues[0] = "98";
    padded.fjValues[9] = "";
    padded.wbValuesA[3] = "1.5";
    padded.wbValuesB[9] = "7";
    RecordPieces shortTemperatures;
    shortTemperatures.low = "5";
    shortTemperatures.high = "-";
    shortTemperatures.weather = {QByteArray::fromHex("c7e7"), 1}; // 晴
    RecordPieces otherNames;
    otherNames.fjNames = {QByteArray::fromHex("b4f3b4b2b7bf") + "  A", 6}; // 大床房, blanks, A
    otherNames.wbNames = {QByteArray::fromHex("c3c0d4aa"), 2};            // 美元
    otherNames.areas = "0   40  256 12  104 4   ";
    return {{"Delivered", readFile(QStringLiteral(VORFJP_SOURCE_DIR "/data/VorFjp.ini"))},
            {"PaddedValues", padded.fileBytes()},
            {"OneCharacterTemperatures", shortTemperatures.fileBytes()},
            {"ChineseNamesAndOtherAreas", otherNames.fileBytes()}};
}

TEST_F(ContentFile, ShowPipedIntoSetLeavesEveryFileByteForByte)
{
    for (const auto& [name, bytes] : roundTripFiles()) {
        write(bytes);
        const SendRun shown = run({QStringLiteral("show")});
        ASSERT_EQ(shown.exitCode, 0) << name << ": " << shown.err.toStdString();
        const QJsonDocument json = QJsonDocument::fromJson(shown.out.toUtf8());
        ASSERT_TRUE(json.isObject()) << name << ": " << shown.out.toStdString();
        const SendRun set = run({QStringLiteral("set"), QStringLiteral("--json"), QStringLiteral("-")}, shown.out.toUtf8());
        EXPECT_EQ(set.exitCode, 0) << name << ": " << set.err.toStdString();
        EXPECT_EQ(readFile(m_path), bytes) << name;
    }
}

TEST_F(ContentFile, ShowGivesTheTextsWithoutTheirPadding)
{
    RecordPieces pieces;
    pieces.fjValues[0] = "98";
    pieces.low = "5";
    write(pieces.fileBytes());
    const SendRun shown = run({QStringLiteral("show")});
    ASSERT_EQ(shown.exitCode, 0) << shown.err.toStdString();
    const QJsonObject json = QJsonDocument::fromJson(shown.out.toUtf8()).object();
    EXPECT_EQ(json[QStringLiteral("rooms")][0].toString(), QStringLiteral("98"));
    EXPECT_EQ(json[QStringLiteral("rates")][9][QStringLiteral("b")].toString(), QStringLiteral("123.888"));
    EXPECT_EQ(json[QStringLiteral("weather")][QStringLiteral("low")].toString(), QStringLiteral("5"));
    EXPECT_EQ(json[QStringLiteral("weather")][QStringLiteral("text")].toString(), QStringLiteral("多云转晴"));
    EXPECT_EQ(json[QStringLiteral("names")][QStringLiteral("currencies")].toString(),
              QStringLiteral("美元欧元英镑港币日元澳元"));
    EXPECT_EQ(json[QStringLiteral("areas")][QStringLiteral("rates")][QStringLiteral("length")].toInt(), 72);
}

// A hand-written file: a number written " 0  ", marks in the reserved characters. One key set
// changes that field's characters and no other.
TEST_F(ContentFile, SetOfOneKeyChangesOnlyItsCharacters)
{
    QString record = recordOf(RecordPieces().fileBytes());
    record.replace(0, 4, QStringLiteral(" 0  "));
    record.replace(164, 3, QStringLiteral("xyz")); // reserved, after the room rates
    QStringEncoder gbk("GBK");
    write(QByteArray(gbk.encode(record)) + "\r\n");
    const QString recordBefore = recordOf(readFile(m_path));
    ASSERT_EQ(recordBefore.mid(164, 3), QStringLiteral("xyz"));
    const SendRun set = run({QStringLiteral("set"), QStringLiteral("rooms.2=688")});
    ASSERT_EQ(set.exitCode, 0) << set.err.toStdString();
    const QString recordAfter = recordOf(readFile(m_path));
    ASSERT_EQ(recordAfter.size(), recordBefore.size());
    for (qsizetype i = 0; i < recordBefore.size(); ++i) {
        if (i >= 128 && i < 132)
            continue;
        EXPECT_EQ(recordAfter[i], recordBefore[i]) << "character " << i + 1;
    }
    EXPECT_EQ(recordAfter.mid(128, 4), QStringLiteral(" 688"));
}

// null leaves a value, or a whole row of the exchange rates, as it is.
TEST_F(ContentFile, NullInJsonLeavesItsValueAsItIs)
{
    write(RecordPieces().fileBytes());
    const SendRun set = run({QStringLiteral("set"), QStringLiteral("--json"), QStringLiteral("-")},
                            R"({"rates": [null, {"a": null, "b": "1.5"}], "rooms": [null, "77"], "weather": {"text": null}})");
    ASSERT_EQ(set.exitCode, 0) << set.err.toStdString();
    const QJsonObject json = QJsonDocument::fromJson(run({QStringLiteral("show")}).out.toUtf8()).object();
    EXPECT_EQ(json[QStringLiteral("rates")][0][QStringLiteral("a")].toString(), QStringLiteral("123.456"));
    EXPECT_EQ(json[QStringLiteral("rates")][1][QStringLiteral("a")].toString(), QStringLiteral("123.456"));
    EXPECT_EQ(json[QStringLiteral("rates")][1][QStringLiteral("b")].toString(), QStringLiteral("1.5"));
    EXPECT_EQ(json[QStringLiteral("rooms")][0].toString(), QStringLiteral("1234"));
    EXPECT_EQ(json[QStringLiteral("rooms")][1].toString(), QStringLiteral("77"));
    EXPECT_EQ(json[QStringLiteral("weather")][QStringLiteral("text")].toString(), QStringLiteral("多云转晴"));
}

struct BadValue {
    const char* name;
    QStringList arguments;  // after "set"
    QByteArray json;        // given on standard input with --json -, when not empty
    int status;
    const char* said;       // the key, or what names the input
};

void PrintTo(const BadValue& row, std::ostream* out)
{
    *out << row.name;
}

class SetRefuses : public ContentFile, public ::testing::WithParamInterface<BadValue> {};

TEST_P(SetRefuses, WithItsKeyNamedAndTheFileUntouched)
{
    const BadValue& row = GetParam();
    const QByteArray bytes = RecordPieces().fileBytes();
    write(bytes);
    QStringList arguments {QStringLiteral("set")};
    arguments << row.arguments;
    // A good change beside the bad one: all or nothing.
    arguments << QStringLiteral("rooms.1=77");
    if (!row.json.isEmpty())
        arguments << QStringLiteral("--json") << QStringLiteral("-");
    const SendRun set = run(arguments, row.json);
    EXPECT_EQ(set.exitCode, row.status) << set.err.toStdString();
    EXPECT_TRUE(set.err.contains(QString::fromUtf8(row.said))) << set.err.toStdString();
    EXPECT_TRUE(set.out.isEmpty());
    EXPECT_EQ(readFile(m_path), bytes);
}

INSTANTIATE_TEST_SUITE_P(
    Values, SetRefuses,
    ::testing::Values(
        BadValue {"FiveDigitRoomRate", {QStringLiteral("rooms.3=12345")}, {}, 65, "rooms.3: \"12345\" is 5 characters"},
        BadValue {"RateOfEightCharacters", {QStringLiteral("rates.1.a=12345678")}, {}, 65, "rates.1.a"},
        BadValue {"LetterInARate", {QStringLiteral("rooms.4=12a")}, {}, 65, "rooms.4"},
        BadValue {"TwoPoints", {QStringLiteral("rates.2.b=1.2.3")}, {}, 65, "rates.2.b"},
        BadValue {"OutsideGbk", {QStringLiteral("weather.text=晴😀")}, {}, 65, "weather.text"},
        BadValue {"UnknownKeyOnTheCommandLine", {QStringLiteral("rooms.11=5")}, {}, 64, "rooms.11"},
        BadValue {"UnknownKeyInJson", {}, R"({"rooms": ["1","2","3","4","5","6","7","8","9","10","11"]})", 65, "rooms.11"},
        BadValue {"BrokenJson", {}, R"({"rooms": ["1", )", 65, "not JSON"},
        BadValue {"AreaOf10000", {QStringLiteral("areas.rooms.length=10000")}, {}, 65, "areas.rooms.length"},
        BadValue {"ThreeCharacterTemperature", {QStringLiteral("weather.low=-12")}, {}, 65, "weather.low"},
        BadValue {"LineBreakInANameFromJson", {}, R"({"names": {"currencies": "美元\n欧元"}})", 65, "names.currencies"},
        BadValue {"AreaNotANumber", {QStringLiteral("areas.rates.address=abc")}, {}, 65, "areas.rates.address"},
        BadValue {"NumberForAText", {}, R"({"weather": {"high": 18}})", 65, "weather.high"}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(ContentFile, WeatherTextWiderThanTheMatrixIsWrittenWithWhatTheBoardShows)
{
    write(RecordPieces().fileBytes());
    const SendRun set = run({QStringLiteral("set"), QStringLiteral("weather.text=多云转晴有雨")});
    EXPECT_EQ(set.exitCode, 0) << set.err.toStdString();
    EXPECT_TRUE(set.err.contains(QStringLiteral("12 cells"))) << set.err.toStdString();
    EXPECT_TRUE(set.err.contains(QStringLiteral("first 8: \"多云转晴\""))) << set.err.toStdString();
    const SendRun shown = run({QStringLiteral("show")});
    EXPECT_EQ(QJsonDocument::fromJson(shown.out.toUtf8())[QStringLiteral("weather")][QStringLiteral("text")].toString(),
              QStringLiteral("多云转晴有雨"));
}

// The changes are saved first, then the commands go out with them.
TEST_F(ContentFile, SetThenSendInOneCall)
{
    RecordPieces pieces;
    pieces.areas = "0   8   256 12  0   4   ";
    write(pieces.fileBytes());
    PtyPair pty;
    ASSERT_TRUE(pty.start()) << pty.errorString().toStdString();
    e2etest::BoardLine board(pty.linkB());
    ASSERT_TRUE(board.isOpen());
    const SendRun set = run({QStringLiteral("--port"), pty.linkA(), QStringLiteral("--device"), QStringLiteral("1"),
                             QStringLiteral("set"), QStringLiteral("rooms.1=688"), QStringLiteral("rooms.2=5.6"),
                             QStringLiteral("rooms")});
    ASSERT_EQ(set.exitCode, 0) << set.err.toStdString();
    // 688 right-justified: dark, 6, 8, 8; 5.6 as " 5.6": dark, 5 with its point, 6; then 1234's 1.
    const QByteArray frame = testsupport::hex("02 00 14 01 EE 25 00 00 00 08 FF 82 80 80 FF 12 82 F9 3D 03");
    ASSERT_TRUE(board.waitForBytes(int(frame.size())));
    EXPECT_EQ(board.received().toHex(' '), frame.toHex(' '));
    const QJsonObject json = QJsonDocument::fromJson(run({QStringLiteral("show")}).out.toUtf8()).object();
    EXPECT_EQ(json[QStringLiteral("rooms")][0].toString(), QStringLiteral("688"));
}

} // namespace
