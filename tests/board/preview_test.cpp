// The preview against the send it stands for: a draft saved into the content file, read back
// and sent by the engine, must put on the line the cells the preview of the same draft shows,
// whatever the file's padding does to the texts.
#include "board/content_edit.h"
#include "board/preview.h"

#include "support/hex.h"

#include "storage/content_file.h"

#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <ostream>

namespace {

using testsupport::hex;

struct TemperatureRow {
    const char* name;
    const char* low;
    const char* high;
    const char* cells; // of the 4-cell temperature area, as the board gets them
};

void PrintTo(const TemperatureRow& row, std::ostream* out)
{
    *out << row.name;
}

// Each temperature keeps two characters in the file, a one-digit one followed by a blank.
const TemperatureRow kTemperatures[] = {
    {"OneDigit", "5", "9", "92 FF 90 FF"},
    {"TwoDigits", "12", "18", "F9 A4 F9 80"},
    {"Negative", "-5", "3", "BF 92 B0 FF"},
    {"Empty", "", "", "FF FF FF FF"},
};

storage::BoardContent temperaturesAtZero()
{
    storage::BoardContent content;
    content.fjAddress = 8;
    content.fjLength = 8;
    content.wbAddress = 256;
    content.wbLength = 12;
    content.wenDuLength = 4;
    content.lowTemperature = QStringLiteral("12");
    content.highTemperature = QStringLiteral("18");
    return content;
}

board::Drawn darkDots(const QString&)
{
    return {protocol::DotMatrix {}, {}};
}

class PreviewOfTheSend : public ::testing::TestWithParam<TemperatureRow> {};

TEST_P(PreviewOfTheSend, TemperatureCellsAreTheFramesCells)
{
    const TemperatureRow& row = GetParam();
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    const QString path = dir.filePath(QStringLiteral("VorFjp.ini"));
    ASSERT_TRUE(storage::saveContentFile(path, temperaturesAtZero()).ok);
    const board::Edits edits = board::editsFromPairs(
        {QStringLiteral("weather.low=%1").arg(QLatin1String(row.low)), QStringLiteral("weather.high=%1").arg(QLatin1String(row.high))});
    ASSERT_TRUE(edits.errors.empty());

    // The preview of the draft, drawn before anything is saved.
    const board::Applied draft = board::applyEdits(temperaturesAtZero(), edits.edits);
    ASSERT_TRUE(draft.errors.empty());
    const board::Preview shown = board::preview(board::asStored(draft.content), darkDots);
    const board::AreaPreview& temperature = shown.area(storage::Area::Temperature);
    ASSERT_FALSE(temperature.problem.has_value());

    // The send: saved first, read back from the file, sent by the engine.
    ASSERT_TRUE(board::writeEdits(path, edits.edits).content.has_value());
    const storage::DecodeResult stored = storage::loadContentFile(path);
    ASSERT_TRUE(stored.content.has_value()) << stored.error.toStdString();
    board::FrameRecorder line;
    board::EngineSetup setup;
    setup.draw = darkDots;
    setup.pause = [](std::chrono::milliseconds) {};
    setup.save = [](const storage::BoardContent& sent) { return storage::UpdateResult {sent, false, {}, {}}; };
    board::BoardEngine engine(line, std::move(setup));
    ASSERT_TRUE(engine.run(board::Command::Weather, [&] { return board::Draft {*stored.content, 1}; }).ok());
    ASSERT_EQ(line.frames().size(), 2u);
    const QByteArray sentCells = line.frames().front().mid(10, 4);

    EXPECT_EQ(sentCells.toHex(' ').toStdString(), hex(row.cells).toHex(' ').toStdString());
    EXPECT_EQ(temperature.cells.toHex(' ').toStdString(), sentCells.toHex(' ').toStdString());
}

INSTANTIATE_TEST_SUITE_P(Table, PreviewOfTheSend, ::testing::ValuesIn(kTemperatures),
                         [](const auto& info) { return std::string(info.param.name); });

} // namespace
