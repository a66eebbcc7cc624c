#include "storage/content_file.h"

#include "storage/gbk.h"
#include "qstring_printer.h"
#include "support/files.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <csignal>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

using storage::BoardContent;
using storage::loadContentFile;
using storage::saveContentFile;

QString spaces(int n)
{
    return QString(n, u' ');
}

using testsupport::readFile;
using testsupport::writeFile;

QString deliveredFile()
{
    return QStringLiteral(VORFJP_SOURCE_DIR "/data/VorFjp.ini");
}

QString edgeCaseFile()
{
    return QStringLiteral(VORFJP_TEST_DATA "/edge_cases.ini");
}

// What the delivered file holds: the window's design texts and the areas of the board.
BoardContent deliveredContent()
{
    BoardContent c;
    c.fjAddress = 0;
    c.fjLength = 32;
    c.wbAddress = 32;
    c.wbLength = 72;
    c.wenDuAddress = 104;
    c.wenDuLength = 4;
    c.fjAreaText = QStringLiteral("0   32  ");
    c.wbAreaText = QStringLiteral("32  72  ");
    c.wenDuAreaText = QStringLiteral("104 4   ");
    c.fjNames = QStringLiteral("豪华套房商务套房公寓套房行政单间行政标间单 人 间标 准 间 加    床");
    c.fjNames += spaces(100 - int(c.fjNames.size()));
    c.fjValues.fill(QStringLiteral("1234"));
    c.wbNames = QStringLiteral("美元欧元英镑港币日元澳元") + spaces(88);
    c.wbValuesA.fill(QStringLiteral("123.456"));
    c.wbValuesB.fill(QStringLiteral("123.888"));
    c.weatherText = QStringLiteral("多云转晴") + spaces(16);
    c.lowTemperature = QStringLiteral("12");
    c.highTemperature = QStringLiteral("18");
    return c;
}

TEST(ContentFilePath, IsTheFileBesideTheProgram)
{
    EXPECT_EQ(storage::contentFilePath(QStringLiteral("/opt/vorfjp/bin")), QStringLiteral("/opt/vorfjp/bin/VorFjp.ini"));
}

TEST(DeliveredFile, LoadsTheBoardAreasAndDesignTexts)
{
    const storage::DecodeResult result = loadContentFile(deliveredFile());
    ASSERT_TRUE(result.content) << result.error.toStdString();
    EXPECT_EQ(*result.content, deliveredContent());
}

// The delivered file was produced with Python's GBK codec, not with our encoder.
TEST(DeliveredFile, MatchesOurEncoderByteForByte)
{
    const QByteArray expected = storage::toGbk(storage::encodeRecord(deliveredContent())) + "\r\n";
    EXPECT_EQ(readFile(deliveredFile()), expected);
}

TEST(DeliveredFile, WeatherTextTakesTwentyFourBytesWhilePositionsStayFixed)
{
    const QByteArray bytes = readFile(deliveredFile());
    ASSERT_TRUE(bytes.endsWith("\r\n"));
    // 548 characters, 44 of them Chinese at two bytes each, then CR LF.
    EXPECT_EQ(bytes.size(), 548 + 44 + 2);
    const QByteArray weather = bytes.right(2 + 4 + 24).left(24);
    EXPECT_EQ(weather, QByteArray::fromHex("b6e0d4c6d7aac7e7") + QByteArray(16, ' '));
    EXPECT_EQ(bytes.right(6), QByteArray("1218\r\n"));
}

// edge_cases.ini was written by an independent throwaway Python script from these texts:
// commas, quotes, leading spaces, over-long texts, unrepresentable characters.
BoardContent edgeCaseInput()
{
    BoardContent c;
    c.fjAddress = -5;
    c.fjLength = 9999;
    c.wbAddress = 0;
    c.wbLength = 140;
    c.wenDuAddress = 1234;
    c.wenDuLength = 4;
    c.fjNames = QStringLiteral("a,\"b\" ") + QString(120, u'间');
    c.fjValues = {QStringLiteral("98"), QStringLiteral(" 7"), QStringLiteral("12345"), QString(),
                  QStringLiteral("1,2"), QStringLiteral("\""), QStringLiteral("  "), QStringLiteral("x"),
                  QStringLiteral("ÿ"), QString::fromUtf8("\xF0\x9F\x98\x80")};
    c.wbNames = QStringLiteral("  lead \"q\", 美元");
    c.wbValuesA = {QStringLiteral("1.5"), QStringLiteral("12345678"), QStringLiteral(","), QStringLiteral("\"x\""),
                   QStringLiteral(" 1"), QString(), QStringLiteral("7"), QStringLiteral("8"), QStringLiteral("9"),
                   QStringLiteral("美元")};
    c.wbValuesB = {QStringLiteral("-1"), {}, {}, {}, {}, {}, {}, {}, {}, QStringLiteral("123.888")};
    c.weatherText = QStringLiteral("多云转晴，有雨");
    c.lowTemperature = QStringLiteral("-5");
    c.highTemperature = QStringLiteral("355");
    return c;
}

TEST(EdgeCaseFile, OurEncoderWritesTheSameBytesAsTheIndependentOne)
{
    const QByteArray expected = readFile(edgeCaseFile());
    ASSERT_FALSE(expected.isEmpty());
    EXPECT_EQ(storage::toGbk(storage::encodeRecord(edgeCaseInput())) + "\r\n", expected);
}

TEST(EdgeCaseFile, LoadsTextsAsStored)
{
    const storage::DecodeResult result = loadContentFile(edgeCaseFile());
    ASSERT_TRUE(result.content) << result.error.toStdString();
    const BoardContent& c = *result.content;
    EXPECT_EQ(c.fjAddress, -5);
    EXPECT_EQ(c.fjLength, 9999);
    EXPECT_EQ(c.wbLength, 140);
    EXPECT_EQ(c.wenDuAddress, 1234);
    EXPECT_EQ(c.fjAreaText, QStringLiteral("-5  9999"));
    EXPECT_EQ(c.fjNames, QStringLiteral("a,\"b\" ") + QString(94, u'间'));
    const std::array<QString, 10> fj = {QStringLiteral("  98"), QStringLiteral("   7"), QStringLiteral("2345"),
                                        spaces(4), QStringLiteral(" 1,2"), QStringLiteral("   \""), spaces(4),
                                        QStringLiteral("   x"), QStringLiteral("   ?"), QStringLiteral("   ?")};
    EXPECT_EQ(c.fjValues, fj);
    EXPECT_EQ(c.wbNames, QStringLiteral("  lead \"q\", 美元") + spaces(86));
    EXPECT_EQ(c.wbValuesA[1], QStringLiteral("2345678"));
    EXPECT_EQ(c.wbValuesA[3], QStringLiteral("    \"x\""));
    EXPECT_EQ(c.wbValuesA[9], QStringLiteral("     美元"));
    EXPECT_EQ(c.wbValuesB[0], QStringLiteral("     -1"));
    EXPECT_EQ(c.wbValuesB[5], spaces(7));
    EXPECT_EQ(c.weatherText, QStringLiteral("多云转晴，有雨") + spaces(13));
    EXPECT_EQ(c.lowTemperature, QStringLiteral("-5"));
    EXPECT_EQ(c.highTemperature, QStringLiteral("35"));
}

TEST(SaveAndLoad, RepeatedRunsKeepTheFileByteIdentical)
{
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    for (const QString& source : {deliveredFile(), edgeCaseFile()}) {
        const QByteArray original = readFile(source);
        const QString path = dir.filePath(QStringLiteral("VorFjp.ini"));
        writeFile(path, original);
        for (int run = 0; run < 3; ++run) {
            const storage::DecodeResult loaded = loadContentFile(path);
            ASSERT_TRUE(loaded.content) << loaded.error.toStdString();
            const storage::SaveResult saved = saveContentFile(path, *loaded.content);
            ASSERT_TRUE(saved.ok) << saved.error.toStdString();
            EXPECT_TRUE(saved.error.isEmpty());
            EXPECT_EQ(readFile(path), original) << source.toStdString() << " run " << run;
        }
    }
}

TEST(SaveAndLoad, SavingCreatesTheFileAndReplacesALongerOneCompletely)
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("VorFjp.ini"));
    ASSERT_TRUE(saveContentFile(path, deliveredContent()).ok);
    EXPECT_EQ(readFile(path), readFile(deliveredFile()));

    writeFile(path, QByteArray(5000, 'x'));
    ASSERT_TRUE(saveContentFile(path, deliveredContent()).ok);
    EXPECT_EQ(readFile(path), readFile(deliveredFile()));
}

TEST(LoadContentFile, AcceptsOtherLineEndsAndIgnoresFurtherLines)
{
    const QByteArray record = readFile(deliveredFile()).chopped(2);
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("VorFjp.ini"));
    const struct {
        const char* name;
        QByteArray bytes;
    } rows[] = {
        {"LfOnly", record + "\n"},
        {"CrOnly", record + "\r"},
        {"NoLineEnd", record},
        {"CrOnlyThenMore", record + "\rsecond line"},
        {"InvalidGbkOnSecondLine", record + "\r\n\x81\x7f\r\n"},
    };
    for (const auto& row : rows) {
        writeFile(path, row.bytes);
        const storage::DecodeResult result = loadContentFile(path);
        ASSERT_TRUE(result.content) << row.name << ": " << result.error.toStdString();
        EXPECT_EQ(*result.content, deliveredContent()) << row.name;
    }
}

TEST(LoadContentFile, ShortRecordLoadsWithEmptyFields)
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("VorFjp.ini"));
    writeFile(path, "0   32  32  72  104 4   \xba\xc0\xbb\xaa\r\n");
    const storage::DecodeResult result = loadContentFile(path);
    ASSERT_TRUE(result.content) << result.error.toStdString();
    EXPECT_EQ(result.content->fjNames, QStringLiteral("豪华"));
    EXPECT_EQ(result.content->fjValues[0], QString());
    EXPECT_EQ(result.content->weatherText, QString());
}

struct BadFileRow {
    const char* name;
    QByteArray bytes;
    QString expected; // a piece of the message that says what is wrong
};

void PrintTo(const BadFileRow& row, std::ostream* out)
{
    *out << row.name;
}

class BadFile : public testing::TestWithParam<BadFileRow> {};

TEST_P(BadFile, FailsNamingTheFileAndTheProblem)
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("VorFjp.ini"));
    writeFile(path, GetParam().bytes);
    const storage::DecodeResult result = loadContentFile(path);
    EXPECT_FALSE(result.content);
    EXPECT_TRUE(result.error.contains(path)) << result.error.toStdString();
    EXPECT_TRUE(result.error.contains(GetParam().expected)) << result.error.toStdString();
}

QByteArray deliveredRecord()
{
    return readFile(deliveredFile()).chopped(2);
}

INSTANTIATE_TEST_SUITE_P(Table, BadFile, testing::Values(
    BadFileRow {"Empty", QByteArray(), QStringLiteral("空的")},
    BadFileRow {"OnlyLineEnd", QByteArray("\r\n"), QStringLiteral("房价区地址")},
    BadFileRow {"OnlyCr", QByteArray("\r"), QStringLiteral("房价区地址")},
    BadFileRow {"BinaryGarbage", QByteArray("\x7f" "ELF\x02\x01\x01\x00\x00\x00\xff\xfe\x10", 13), QStringLiteral("空字节")},
    BadFileRow {"TenMegabyteLine", QByteArray(10 * 1024 * 1024, '1'), QStringLiteral("65536")},
    BadFileRow {"JustOverTheBound", QByteArray(storage::kMaxContentFileBytes + 1, ' '), QStringLiteral("65536")},
    BadFileRow {"InvalidGbk", QByteArray("0   32  32  72  104 4   \x81\x7f\r\n"), QStringLiteral("GBK")},
    BadFileRow {"TruncatedGbkAtLineEnd", QByteArray("0   32  32  72  104 4   \xba\r\n"), QStringLiteral("GBK")},
    BadFileRow {"Utf8ByteOrderMark", "\xEF\xBB\xBF" + deliveredRecord(), QStringLiteral("UTF-8")},
    BadFileRow {"Utf16ByteOrderMark", QByteArray("\xFF\xFE" "0\0 \0", 6), QStringLiteral("UTF-16")},
    BadFileRow {"SpacesAsAddress", "    " + deliveredRecord().mid(4), QStringLiteral("房价区地址")},
    BadFileRow {"LetterInLength", deliveredRecord().left(20) + "4x  " + deliveredRecord().mid(24),
                QStringLiteral("“4x  ”")},
    BadFileRow {"ExponentInAddress", deliveredRecord().left(8) + "1e3 " + deliveredRecord().mid(12),
                QStringLiteral("外币区地址")}),
    [](const auto& rowInfo) { return std::string(rowInfo.param.name); });

TEST(LoadContentFile, MissingFileFails)
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("VorFjp.ini"));
    const storage::DecodeResult result = loadContentFile(path);
    EXPECT_FALSE(result.content);
    EXPECT_TRUE(result.error.contains(path));
    EXPECT_TRUE(result.error.contains(QStringLiteral("不存在"))) << result.error.toStdString();
}

TEST(LoadContentFile, DirectoryInItsPlaceFails)
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("VorFjp.ini"));
    ASSERT_TRUE(QDir().mkdir(path));
    const storage::DecodeResult result = loadContentFile(path);
    EXPECT_FALSE(result.content);
    EXPECT_TRUE(result.error.contains(QStringLiteral("文件夹"))) << result.error.toStdString();
}

// A named pipe would block a plain read until someone writes to it.
TEST(LoadContentFile, NamedPipeIsRefusedWithoutBlocking)
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("VorFjp.ini"));
    ASSERT_EQ(::mkfifo(QFile::encodeName(path).constData(), 0600), 0);
    const storage::DecodeResult result = loadContentFile(path);
    EXPECT_FALSE(result.content);
    EXPECT_TRUE(result.error.contains(QStringLiteral("不是普通文件"))) << result.error.toStdString();
}

TEST(LoadContentFile, UnreadableFileFails)
{
    if (::geteuid() == 0)
        GTEST_SKIP() << "file permissions do not bind root";
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("VorFjp.ini"));
    writeFile(path, readFile(deliveredFile()));
    ASSERT_TRUE(QFile::setPermissions(path, QFileDevice::WriteOwner));
    const storage::DecodeResult result = loadContentFile(path);
    EXPECT_FALSE(result.content);
    EXPECT_TRUE(result.error.contains(QStringLiteral("无法打开"))) << result.error.toStdString();
}

TEST(SaveContentFile, DirectoryInThePlaceOfTheFileIsLeftAlone)
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("VorFjp.ini"));
    ASSERT_TRUE(QDir().mkdir(path));
    writeFile(path + QStringLiteral("/keep.txt"), "kept");

    const storage::SaveResult result = saveContentFile(path, deliveredContent());
    EXPECT_FALSE(result.ok);
    EXPECT_TRUE(result.error.contains(path));
    EXPECT_TRUE(result.error.contains(QStringLiteral("文件夹"))) << result.error.toStdString();
    EXPECT_EQ(readFile(path + QStringLiteral("/keep.txt")), QByteArray("kept"));
    EXPECT_EQ(QDir(dir.path()).entryList(QDir::NoDotAndDotDot | QDir::AllEntries), QStringList {"VorFjp.ini"});
}

TEST(SaveContentFile, MissingFolderFailsWithAReason)
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("gone/VorFjp.ini"));
    const storage::SaveResult result = saveContentFile(path, deliveredContent());
    EXPECT_FALSE(result.ok);
    EXPECT_TRUE(result.error.contains(path)) << result.error.toStdString();
    EXPECT_FALSE(QFile::exists(path));
}

// Caps the size of files this process may write, which makes a write fail part-way as on
// a full disk, for root too. SIGXFSZ is ignored so that the write reports EFBIG instead.
class FileSizeLimit {
public:
    explicit FileSizeLimit(rlim_t bytes)
    {
        ::getrlimit(RLIMIT_FSIZE, &saved_);
        previousHandler_ = std::signal(SIGXFSZ, SIG_IGN);
        rlimit limited = saved_;
        limited.rlim_cur = bytes;
        active_ = ::setrlimit(RLIMIT_FSIZE, &limited) == 0;
    }
    ~FileSizeLimit()
    {
        ::setrlimit(RLIMIT_FSIZE, &saved_);
        std::signal(SIGXFSZ, previousHandler_);
    }
    FileSizeLimit(const FileSizeLimit&) = delete;
    FileSizeLimit& operator=(const FileSizeLimit&) = delete;
    bool active() const { return active_; }

private:
    rlimit saved_ {};
    void (*previousHandler_)(int) = SIG_DFL;
    bool active_ = false;
};

TEST(SaveContentFile, FailedWriteLeavesTheOldFileWhole)
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("VorFjp.ini"));
    const QByteArray original = readFile(deliveredFile());
    writeFile(path, original);

    BoardContent changed = deliveredContent();
    changed.fjValues[0] = QStringLiteral("9999");
    storage::SaveResult result;
    {
        FileSizeLimit limit(100);
        ASSERT_TRUE(limit.active());
        result = saveContentFile(path, changed);
    }
    EXPECT_FALSE(result.ok);
    EXPECT_TRUE(result.error.contains(path)) << result.error.toStdString();
    EXPECT_TRUE(result.error.contains(QStringLiteral("磁盘"))) << result.error.toStdString();
    EXPECT_TRUE(result.error.contains(QStringLiteral("原来的文件保持不变"))) << result.error.toStdString();
    EXPECT_EQ(readFile(path), original);
    // No half-written temporary file is left behind.
    EXPECT_EQ(QDir(dir.path()).entryList(QDir::NoDotAndDotDot | QDir::AllEntries), QStringList {"VorFjp.ini"});

    ASSERT_TRUE(saveContentFile(path, changed).ok);
    EXPECT_EQ(loadContentFile(path).content->fjValues[0], QStringLiteral("9999"));
}

} // namespace
