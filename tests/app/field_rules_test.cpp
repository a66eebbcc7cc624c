// What the operator's keys do in the fields: length limits in display cells, Enter discarded in
// the value fields, and the device number taken when its field loses the focus.
#include "form_fixture.h"

#include "app/cell_limited_edit.h"

#include <QClipboard>
#include <QInputMethodEvent>
#include <QSignalSpy>

namespace {

using apptest::FormTest;

void typeCharacter(QWidget* field, const QString& character)
{
    QKeyEvent press(QEvent::KeyPress, 0, Qt::NoModifier, character);
    QApplication::sendEvent(field, &press);
    QKeyEvent release(QEvent::KeyRelease, 0, Qt::NoModifier, character);
    QApplication::sendEvent(field, &release);
}

void commitFromInputMethod(QWidget* field, const QString& text)
{
    QInputMethodEvent event;
    event.setCommitString(text);
    QApplication::sendEvent(field, &event);
}

TEST_F(FormTest, WeatherTextTakesFourChineseCharactersAndNoFifth)
{
    makeForm();
    auto* dotText = child<QLineEdit>(QStringLiteral("DotText"));
    ASSERT_NE(dotText, nullptr);
    dotText->clear();
    for (const char16_t* c : {u"多", u"云", u"转", u"晴", u"雨"})
        typeCharacter(dotText, QString::fromUtf16(c));
    EXPECT_EQ(dotText->text(), QStringLiteral("多云转晴"));

    dotText->clear();
    commitFromInputMethod(dotText, QStringLiteral("多云转晴"));
    commitFromInputMethod(dotText, QStringLiteral("雨"));
    EXPECT_EQ(dotText->text(), QStringLiteral("多云转晴"));
}

TEST_F(FormTest, WeatherTextTakesEightAsciiCharacters)
{
    makeForm();
    auto* dotText = child<QLineEdit>(QStringLiteral("DotText"));
    dotText->clear();
    QTest::keyClicks(dotText, QStringLiteral("Cloudy 9x"));
    EXPECT_EQ(dotText->text(), QStringLiteral("Cloudy 9"));
}

TEST_F(FormTest, AFullFieldRefusesAKeyInTheMiddleWithoutLosingItsText)
{
    makeForm();
    auto* dotText = child<QLineEdit>(QStringLiteral("DotText"));
    dotText->setText(QStringLiteral("多云转晴"));
    dotText->setCursorPosition(2);
    typeCharacter(dotText, QStringLiteral("x"));
    EXPECT_EQ(dotText->text(), QStringLiteral("多云转晴"));
    EXPECT_EQ(dotText->cursorPosition(), 2);
}

TEST_F(FormTest, PasteKeepsWhatFitsAtTheCursor)
{
    makeForm();
    auto* rate = child<QLineEdit>(QStringLiteral("FJValText_0"));
    rate->setText(QStringLiteral("12"));
    rate->setCursorPosition(1);
    QApplication::clipboard()->setText(QStringLiteral("abcdef"));
    rate->paste();
    EXPECT_EQ(rate->text(), QStringLiteral("1ab2"));

    auto* dotText = child<QLineEdit>(QStringLiteral("DotText"));
    dotText->clear();
    QApplication::clipboard()->setText(QStringLiteral("晴ab转a多云"));
    dotText->paste();
    EXPECT_EQ(dotText->text(), QStringLiteral("晴ab转a")) << "no room left for half of 多";
}

TEST_F(FormTest, TextSetFromCodeIsCutToEachFieldsLimit)
{
    makeForm();
    struct Row {
        const char* field;
        const char* set;
        const char* kept;
    };
    const Row rows[] = {
        {"DotText", "多云转晴有雨", "多云转晴"}, {"FJValText_3", "123456", "1234"},
        {"WbValTextA_0", "1234.5678", "1234.56"}, {"WbValTextB_9", "人民币12", "人民币1"},
        {"WenDuTextL", "-12", "-1"},           {"WenDuTextH", "零下", "零"},
        {"LedIDText", "12345678901", "1234567890"},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.field);
        auto* field = child<QLineEdit>(QString::fromUtf8(row.field));
        ASSERT_NE(field, nullptr);
        field->setText(QString::fromUtf8(row.set));
        EXPECT_EQ(field->text(), QString::fromUtf8(row.kept));
    }
}

TEST_F(FormTest, EnterIsDiscardedInAllThirtyValueFields)
{
    makeForm();
    for (const char* column : {"FJValText_%1", "WbValTextA_%1", "WbValTextB_%1"}) {
        for (int i = 0; i < 10; ++i) {
            auto* field = child<QLineEdit>(QString::fromLatin1(column).arg(i));
            ASSERT_NE(field, nullptr);
            SCOPED_TRACE(field->objectName().toStdString());
            field->setText(QStringLiteral("12"));
            QSignalSpy returned(field, &QLineEdit::returnPressed);
            QTest::keyClick(field, Qt::Key_Return);
            QTest::keyClick(field, Qt::Key_Enter, Qt::KeypadModifier);
            QTest::keyClick(field, Qt::Key_5);
            EXPECT_EQ(field->text(), QStringLiteral("125")) << "other keys still type";
            EXPECT_EQ(returned.count(), 0);
        }
    }
    // Fields outside the three arrays keep the toolkit's own Enter behaviour.
    auto* dotText = child<QLineEdit>(QStringLiteral("DotText"));
    QSignalSpy returned(dotText, &QLineEdit::returnPressed);
    QTest::keyClick(dotText, Qt::Key_Return);
    EXPECT_EQ(returned.count(), 1);
}

struct DeviceNumberRow {
    const char* name;
    const char* typed;
    const char* shown;
    int deviceId;
};

// Names the row in test listings instead of dumping its bytes.
void PrintTo(const DeviceNumberRow& row, std::ostream* out)
{
    *out << row.name;
}

class DeviceNumberField : public FormTest, public ::testing::WithParamInterface<DeviceNumberRow> {};

TEST_P(DeviceNumberField, TakesEffectWhenTheFieldLosesTheFocus)
{
    const DeviceNumberRow& row = GetParam();
    loadForm();
    showActive();
    auto* field = child<QLineEdit>(QStringLiteral("LedIDText"));
    field->setFocus();
    ASSERT_TRUE(QTest::qWaitFor([&] { return field->hasFocus(); }));
    // A number already taken, so that texts without one show what happens to the previous number.
    field->setText(QStringLiteral("7"));
    child(QStringLiteral("DotText"))->setFocus();
    ASSERT_EQ(form->deviceId(), 7);

    field->setFocus();
    field->clear();
    QTest::keyClicks(field, QString::fromUtf8(row.typed));
    EXPECT_EQ(form->deviceId(), 7) << "nothing changes while the field has the focus";
    child(QStringLiteral("SendFJCommand"))->setFocus();
    EXPECT_EQ(field->text(), QString::fromUtf8(row.shown));
    EXPECT_EQ(form->deviceId(), row.deviceId);
}

INSTANTIATE_TEST_SUITE_P(Typed, DeviceNumberField,
                         ::testing::Values(DeviceNumberRow{"AboveTheRangeShows255", "300", "255", 255},
                                           DeviceNumberRow{"TopOfTheRange", "255", "255", 255},
                                           DeviceNumberRow{"Zero", "0", "0", 0},
                                           DeviceNumberRow{"HalfRoundsToEvenAbove255", "255.5", "255", 255},
                                           DeviceNumberRow{"HalfRoundsToEvenBelow", "254.5", "254.5", 254},
                                           DeviceNumberRow{"LeadingZerosStay", "0012", "0012", 12},
                                           DeviceNumberRow{"FractionRounds", "3.7", "3.7", 4},
                                           DeviceNumberRow{"EmptyKeepsThePreviousNumber", "", "7", 7},
                                           DeviceNumberRow{"LettersKeepThePreviousNumber", "abc", "7", 7},
                                           DeviceNumberRow{"NegativeKeepsThePreviousNumber", "-1", "7", 7}),
                         [](const auto& info) { return std::string(info.param.name); });

TEST_F(FormTest, DeviceNumberIs255AfterLoadingWhateverTheFieldHeld)
{
    makeForm();
    child<QLineEdit>(QStringLiteral("LedIDText"))->setText(QStringLiteral("12"));
    ASSERT_FALSE(form->Form_Load().has_value());
    EXPECT_EQ(child<QLineEdit>(QStringLiteral("LedIDText"))->text(), QStringLiteral("255"));
    EXPECT_EQ(form->deviceId(), 255);
}

} // namespace
