// Loading the window from the content file, the live clock, and the start-up and exit steps.
#include "form_fixture.h"

#include "app/cell_limited_edit.h"
#include "app/name_label.h"

#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QTimer>

#include <optional>

namespace {

using apptest::FormTest;
using apptest::RecordPieces;

QString labelText(app::MainForm& form, const char* name)
{
    return form.findChild<QLabel*>(QString::fromLatin1(name))->text();
}

TEST_F(FormTest, ClockLabelsStayEmptyUntilTheFirstTickThenShowDateAndTime)
{
    loadForm();
    EXPECT_EQ(labelText(*form, "Label5"), QString());
    EXPECT_EQ(labelText(*form, "Label6"), QString());
    // A timer due half-way to the first tick fires before it, however late both run.
    std::optional<QString> dateHalfWay;
    std::optional<QString> timeHalfWay;
    QTimer::singleShot(500, form.get(), [&] {
        dateHalfWay = labelText(*form, "Label5");
        timeHalfWay = labelText(*form, "Label6");
    });

    QTRY_COMPARE_WITH_TIMEOUT(labelText(*form, "Label6"), QStringLiteral("09:05:03"), 5000);
    EXPECT_EQ(labelText(*form, "Label5"), QStringLiteral("2026年03月07日"));
    ASSERT_TRUE(dateHalfWay.has_value()) << "the first tick came before half a second";
    EXPECT_EQ(*dateHalfWay, QString()) << "half a second in";
    EXPECT_EQ(*timeHalfWay, QString()) << "half a second in";
}

TEST_F(FormTest, ClockShowsTheEveningOnTheTwentyFourHourClock)
{
    loadForm();
    now = QDateTime(QDate(2012, 12, 31), QTime(21, 0, 0));
    form->BJNowTimer_Timer();
    EXPECT_EQ(labelText(*form, "Label6"), QStringLiteral("21:00:00"));
    EXPECT_EQ(labelText(*form, "Label5"), QStringLiteral("2012年12月31日"));

    now = QDateTime(QDate(2026, 1, 2), QTime(0, 0, 9));
    form->BJNowTimer_Timer();
    EXPECT_EQ(labelText(*form, "Label6"), QStringLiteral("00:00:09"));
    EXPECT_EQ(labelText(*form, "Label5"), QStringLiteral("2026年01月02日"));
}

TEST_F(FormTest, LoadFillsFieldsLabelsCaptionsAndAreasFromTheContentFile)
{
    RecordPieces pieces;
    pieces.areas = "40  8   300 12  0   4   ";
    pieces.fjValues[0] = "98";
    pieces.fjValues[9] = "1.5";
    pieces.wbValuesA[3] = "7.1";
    pieces.wbValuesB[9] = "";
    pieces.weather = apptest::ascii("Fine");
    pieces.low = "-5";
    pieces.high = "3";
    loadForm(pieces.fileBytes());

    EXPECT_EQ(child<QGroupBox>(QStringLiteral("Frame5"))->title(), QStringLiteral("今日房价40  8   "));
    EXPECT_EQ(child<QGroupBox>(QStringLiteral("Frame3"))->title(), QStringLiteral("外币兑换300 12  "));
    EXPECT_EQ(child<QGroupBox>(QStringLiteral("Frame2"))->title(), QStringLiteral("天气预报0   4   "));
    EXPECT_EQ(child<QGroupBox>(QStringLiteral("Frame4"))->title(), QStringLiteral("现在时间"));
    EXPECT_EQ(form->fjArea().address, 40);
    EXPECT_EQ(form->fjArea().length, 8);
    EXPECT_EQ(form->wbArea().address, 300);
    EXPECT_EQ(form->wbArea().length, 12);
    EXPECT_EQ(form->wenDuArea().address, 0);
    EXPECT_EQ(form->wenDuArea().length, 4);

    EXPECT_EQ(child<QLineEdit>(QStringLiteral("FJValText_0"))->text(), QStringLiteral("  98"));
    EXPECT_EQ(child<QLineEdit>(QStringLiteral("FJValText_9"))->text(), QStringLiteral(" 1.5"));
    EXPECT_EQ(child<QLineEdit>(QStringLiteral("WbValTextA_3"))->text(), QStringLiteral("    7.1"));
    EXPECT_EQ(child<QLineEdit>(QStringLiteral("WbValTextB_9"))->text(), QStringLiteral("       "));
    EXPECT_EQ(child<QLineEdit>(QStringLiteral("DotText"))->text(), QStringLiteral("Fine    ")) << "cut to 8 cells";
    EXPECT_EQ(child<QLineEdit>(QStringLiteral("WenDuTextL"))->text(), QStringLiteral("-5"));
    EXPECT_EQ(child<QLineEdit>(QStringLiteral("WenDuTextH"))->text(), QStringLiteral("3 "));

    auto* rooms = child<app::NameLabel>(QStringLiteral("FJNameLabel"));
    EXPECT_EQ(rooms->caption().size(), 100) << "the caption keeps its padding for the next save";
    EXPECT_EQ(rooms->shownLines().size(), 8);
    EXPECT_EQ(rooms->shownLines().last(), QStringLiteral("加    床"));
    EXPECT_EQ(child<app::NameLabel>(QStringLiteral("WbNameLabel"))->shownLines().size(), 6);
}

TEST_F(FormTest, LoadWithAChineseWeatherTextKeepsFourCharacters)
{
    loadForm();
    EXPECT_EQ(child<QLineEdit>(QStringLiteral("DotText"))->text(), QStringLiteral("多云转晴"));
}

TEST_F(FormTest, PortListHoldsOneToSixteenAndTheChoiceDefaultsToOne)
{
    loadForm();
    auto* combo = child<QComboBox>(QStringLiteral("RsCombo"));
    QStringList items;
    for (int i = 0; i < combo->count(); ++i)
        items << combo->itemText(i);
    QStringList expected;
    for (int i = 1; i <= 16; ++i)
        expected << QString::number(i);
    // The machine's own ports follow once the list is opened (port_combo_test).
    EXPECT_EQ(items, expected);
    EXPECT_EQ(combo->currentText(), QStringLiteral("1"));
}

TEST_F(FormTest, PortChoiceTypedBeforeClosingIsShownAtTheNextStart)
{
    loadForm();
    child<QComboBox>(QStringLiteral("RsCombo"))->setEditText(QStringLiteral("7"));
    form->close();
    form.reset();

    loadForm();
    EXPECT_EQ(child<QComboBox>(QStringLiteral("RsCombo"))->currentText(), QStringLiteral("7"));
    EXPECT_EQ(form->deviceId(), 255);
}

TEST_F(FormTest, ExitButtonClosesTheWindowWithoutSavingTheContent)
{
    loadForm();
    showActive();
    const QByteArray before = apptest::readFile(contentPath);
    child<QLineEdit>(QStringLiteral("FJValText_0"))->setText(QStringLiteral("9"));
    QTest::mouseClick(child(QStringLiteral("ExitCommand")), Qt::LeftButton);
    EXPECT_FALSE(form->isVisible());
    EXPECT_EQ(apptest::readFile(contentPath), before);
}

struct BadFileRow {
    const char* name;
    std::optional<QByteArray> bytes; // nullopt: no file at all
};

// Names the row in test listings instead of dumping its bytes.
void PrintTo(const BadFileRow& row, std::ostream* out)
{
    *out << row.name;
}

class StartUpFailure : public FormTest, public ::testing::WithParamInterface<BadFileRow> {};

TEST_P(StartUpFailure, SaysWhyInAPlainBoxAndShowsNoWindow)
{
    const BadFileRow& row = GetParam();
    makeForm(row.bytes.value_or(QByteArray()));
    if (!row.bytes)
        QFile::remove(contentPath);
    apptest::MessageBoxWatcher boxes;
    EXPECT_NE(app::loadAndShow(*form), 0);
    EXPECT_FALSE(form->isVisible());
    ASSERT_EQ(boxes.seen().size(), 1u);
    const apptest::SeenBox& box = boxes.seen().front();
    EXPECT_TRUE(box.text.contains(QStringLiteral("VorFjp.ini"))) << box.text.toStdString();
    EXPECT_EQ(box.icon, QMessageBox::NoIcon);
    EXPECT_EQ(box.buttons, QMessageBox::StandardButtons(QMessageBox::Ok));
    EXPECT_EQ(box.format, Qt::PlainText);
}

INSTANTIATE_TEST_SUITE_P(
    ContentFile, StartUpFailure,
    ::testing::Values(BadFileRow{"Missing", std::nullopt}, BadFileRow{"Empty", QByteArray()},
                      BadFileRow{"NumberFieldOfSpaces", QByteArray("    32  32  72  104 4   ") + QByteArray(524, ' ')},
                      BadFileRow{"NumberFieldNotANumber", QByteArray("abcd32  32  72  104 4   ") + QByteArray(524, ' ')}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(FormTest, SuccessfulStartCentresAndShowsTheWindow)
{
    makeForm();
    apptest::MessageBoxWatcher boxes;
    ASSERT_EQ(app::loadAndShow(*form), 0);
    EXPECT_TRUE(form->isVisible());
    EXPECT_TRUE(boxes.seen().empty());
    const QRect screen = QGuiApplication::primaryScreen()->geometry();
    EXPECT_EQ(form->pos(), QPoint((screen.width() - 662) / 2, (screen.height() - 303) / 2));
}

} // namespace
