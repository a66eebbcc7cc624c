// The window as designed: every control's name, kind, text, place, size, font, length limit and
// the tab order, checked against the design tables in twips (15 twips to the pixel).
#include "form_fixture.h"

#include "app/cell_limited_edit.h"
#include "app/name_label.h"
#include "app/status_lamp.h"

#include <QComboBox>
#include <QFontDatabase>
#include <QFontInfo>
#include <QGroupBox>
#include <QLabel>
#include <QMenuBar>
#include <QPushButton>

namespace {

using apptest::FormTest;

int px(int twips)
{
    return qRound(twips / 15.0);
}

QString expectedFamily()
{
    for (const char* songTi : {"宋体", "SimSun"}) {
        if (QFontDatabase::hasFamily(QString::fromUtf8(songTi)))
            return QString::fromUtf8(songTi);
    }
    return QStringLiteral("WenQuanYi Zen Hei");
}

enum class Kind { Frame, Button, Label, NameLabel, Edit, Combo };

struct ControlRow {
    std::string name;
    const char* frame; // "" for the window itself
    Kind kind;
    const char* text;
    int left, top, width, height;
    double points;
    bool bold;
    int limit; // 0: none
};

constexpr int kRowTops[10] = {360, 627, 939, 1251, 1563, 1875, 2187, 2499, 2811, 3120};

std::vector<ControlRow> designTable()
{
    std::vector<ControlRow> rows{
        {"Frame5", "", Kind::Frame, "今日房价", 120, 120, 2175, 4335, 12, true, 0},
        {"Frame3", "", Kind::Frame, "外币兑换", 2400, 120, 3015, 4335, 12, true, 0},
        {"Frame4", "", Kind::Frame, "现在时间", 5520, 120, 2415, 2055, 12, true, 0},
        {"Frame2", "", Kind::Frame, "天气预报", 5520, 2400, 2415, 2055, 12, true, 0},
        {"Frame1", "", Kind::Frame, "控制信息", 8040, 120, 1815, 4335, 14.25, true, 0},
        {"SendFJCommand", "Frame5", Kind::Button, "发送房价", 120, 3720, 1935, 495, 12, false, 0},
        {"FJNameLabel", "Frame5", Kind::NameLabel,
         "豪华套房商务套房公寓套房行政单间行政标间单 人 间标 准 间 加    床", 120, 360, 1215, 3255, 15, false, 0},
        {"SendWBCommand", "Frame3", Kind::Button, "发送牌价", 480, 3720, 2055, 495, 12, false, 0},
        {"WbNameLabel", "Frame3", Kind::NameLabel, "美元欧元英镑港币日元澳元", 120, 360, 735, 3255, 15, false, 0},
        {"SeTimeCommand", "Frame4", Kind::Button, "同步时间", 120, 1440, 2175, 495, 12, false, 0},
        {"Label6", "Frame4", Kind::Label, "", 480, 960, 1335, 375, 14.25, true, 0},
        {"Label5", "Frame4", Kind::Label, "", 120, 480, 2265, 375, 14.25, true, 0},
        {"WenDuTextH", "Frame2", Kind::Edit, "18", 1800, 885, 495, 405, 14.25, true, 2},
        {"WenDuTextL", "Frame2", Kind::Edit, "12", 840, 885, 495, 405, 14.25, true, 2},
        {"TxtSendCommand", "Frame2", Kind::Button, "发送天气预报", 120, 1440, 2175, 495, 12, false, 0},
        {"DotText", "Frame2", Kind::Edit, "多云转晴", 1200, 360, 1095, 345, 12, true, 8},
        {"Label3", "Frame2", Kind::Label, "今日天气", 120, 405, 1095, 255, 12, true, 0},
        {"Label2", "Frame2", Kind::Label, "温度：", 120, 960, 975, 255, 12, true, 0},
        {"LedIDText", "Frame1", Kind::Edit, "255", 240, 1560, 1335, 270, 12, true, 10},
        {"RsCombo", "Frame1", Kind::Combo, "Combo1", 240, 720, 1335, 360, 12, true, 0},
        {"ExitCommand", "Frame1", Kind::Button, "退    出", 120, 3600, 1575, 615, 12, false, 0},
        {"OpenRs232Command", "Frame1", Kind::Button, "打开串口", 120, 2160, 1575, 615, 12, false, 0},
        {"FindCommand", "Frame1", Kind::Button, "测试连接", 120, 2880, 1575, 615, 12, false, 0},
        {"Label4", "Frame1", Kind::Label, "设备编号：", 240, 1200, 1335, 255, 12, true, 0},
        {"Label1", "Frame1", Kind::Label, "串口号：", 240, 360, 1215, 255, 12, true, 0},
    };
    for (int i = 0; i < 10; ++i) {
        const std::string index = std::to_string(i);
        rows.push_back({"FJValText_" + index, "Frame5", Kind::Edit, "1234", 1440, kRowTops[i], 615,
                        (i == 0 || i == 9) ? 315 : 360, 12, false, 4});
        rows.push_back({"WbValTextA_" + index, "Frame3", Kind::Edit, "123.456", 840, kRowTops[i], 975, i == 0 ? 315 : 360,
                        12, false, 7});
        rows.push_back({"WbValTextB_" + index, "Frame3", Kind::Edit, "123.888", 1920, kRowTops[i], 975,
                        i == 0 ? 315 : 360, 12, false, 7});
    }
    return rows;
}

QString shownText(QWidget* widget, Kind kind)
{
    switch (kind) {
    case Kind::Frame:
        return static_cast<QGroupBox*>(widget)->title();
    case Kind::Button:
        return static_cast<QPushButton*>(widget)->text();
    case Kind::Label:
        return static_cast<QLabel*>(widget)->text();
    case Kind::NameLabel:
        return static_cast<app::NameLabel*>(widget)->caption();
    case Kind::Edit:
        return static_cast<QLineEdit*>(widget)->text();
    case Kind::Combo:
        return static_cast<QComboBox*>(widget)->currentText();
    }
    return {};
}

bool hasKind(QWidget* widget, Kind kind)
{
    switch (kind) {
    case Kind::Frame:
        return qobject_cast<QGroupBox*>(widget);
    case Kind::Button:
        return qobject_cast<QPushButton*>(widget);
    case Kind::Label:
        return qobject_cast<QLabel*>(widget) && !qobject_cast<app::NameLabel*>(widget);
    case Kind::NameLabel:
        return qobject_cast<app::NameLabel*>(widget);
    case Kind::Edit:
        return qobject_cast<app::CellLimitedEdit*>(widget);
    case Kind::Combo:
        return qobject_cast<QComboBox*>(widget) && static_cast<QComboBox*>(widget)->isEditable();
    }
    return false;
}

TEST_F(FormTest, EveryControlOfTheDesignIsInPlaceBeforeLoading)
{
    makeForm();
    const QString family = expectedFamily();
    for (const ControlRow& row : designTable()) {
        SCOPED_TRACE(row.name);
        auto* widget = child(QString::fromStdString(row.name));
        ASSERT_NE(widget, nullptr);
        EXPECT_TRUE(hasKind(widget, row.kind));
        const QString frame = QString::fromUtf8(row.frame);
        EXPECT_EQ(widget->parentWidget()->objectName(), frame.isEmpty() ? QStringLiteral("MainForm") : frame);
        EXPECT_EQ(shownText(widget, row.kind), QString::fromUtf8(row.text));
        EXPECT_EQ(widget->geometry(), QRect(px(row.left), px(row.top), px(row.width), px(row.height)));
        EXPECT_EQ(widget->font().family(), family);
        EXPECT_EQ(QFontInfo(widget->font()).family(), family) << "the font is not installed";
        EXPECT_DOUBLE_EQ(widget->font().pointSizeF(), row.points);
        EXPECT_EQ(widget->font().weight(), row.bold ? QFont::Bold : QFont::Normal);
        if (row.kind == Kind::Edit) {
            EXPECT_EQ(static_cast<app::CellLimitedEdit*>(widget)->cellLimit(), row.limit);
        }
    }
}

TEST_F(FormTest, WindowHasItsFixedTitleAndClientSize)
{
    makeForm();
    EXPECT_EQ(form->windowTitle(), QStringLiteral("VorFJP - 57600"));
    EXPECT_EQ(form->size(), QSize(662, 303));
    EXPECT_EQ(form->minimumSize(), form->maximumSize());
    EXPECT_TRUE(form->findChildren<QMenuBar*>().isEmpty());
    EXPECT_FALSE(form->windowIcon().isNull());
    EXPECT_EQ(form->windowIcon().pixmap(32, 32).size(), QSize(32, 32));
}

TEST_F(FormTest, DashBetweenTheTemperaturesIsAShortHorizontalLine)
{
    makeForm();
    auto* line = child<QFrame>(QStringLiteral("Line1"));
    ASSERT_NE(line, nullptr);
    EXPECT_EQ(line->parentWidget()->objectName(), QStringLiteral("Frame2"));
    EXPECT_EQ(line->frameShape(), QFrame::HLine);
    EXPECT_EQ(line->geometry().left(), px(1440));
    EXPECT_EQ(line->geometry().width(), px(1680) - px(1440));
    EXPECT_EQ(line->geometry().top(), px(1080));
}

TEST_F(FormTest, StatusLampStartsAsARedCircleBesideThePortNumber)
{
    makeForm();
    auto* lamp = child<app::StatusLamp>(QStringLiteral("GetValShape"));
    ASSERT_NE(lamp, nullptr);
    EXPECT_EQ(lamp->parentWidget()->objectName(), QStringLiteral("Frame1"));
    EXPECT_EQ(lamp->geometry(), QRect(px(1320), px(300), px(300), px(300)));
    EXPECT_EQ(lamp->fillColour(), QColor(255, 0, 0));

    const QImage picture = lamp->grab().toImage();
    EXPECT_EQ(QColor(picture.pixel(picture.width() / 2, picture.height() / 2)), QColor(255, 0, 0));
    // A circle: the corners are not painted red.
    EXPECT_NE(QColor(picture.pixel(0, 0)), QColor(255, 0, 0));
}

TEST_F(FormTest, TabWalksTheControlsInTheDesignedOrderStartingAtTheConnectionTest)
{
    makeForm();
    showActive();
    QStringList expected{"FindCommand", "OpenRs232Command", "ExitCommand", "RsCombo", "DotText", "TxtSendCommand",
                         "LedIDText", "WenDuTextL", "WenDuTextH", "SeTimeCommand", "SendFJCommand", "SendWBCommand"};
    for (const char* column : {"FJValText_%1", "WbValTextA_%1", "WbValTextB_%1"}) {
        for (int i = 0; i < 10; ++i)
            expected << QString::fromLatin1(column).arg(i);
    }
    EXPECT_EQ(QApplication::focusWidget(), form->findChild<QWidget*>(QStringLiteral("FindCommand")));

    QStringList walked;
    for (qsizetype i = 0; i < expected.size(); ++i) {
        QWidget* focused = QApplication::focusWidget();
        ASSERT_NE(focused, nullptr);
        // The combo box's line edit holds the focus on behalf of the combo box.
        QWidget* owner = qobject_cast<QComboBox*>(focused->parentWidget()) ? focused->parentWidget() : focused;
        walked << owner->objectName();
        QTest::keyClick(focused, Qt::Key_Tab);
    }
    EXPECT_EQ(walked, expected);
    EXPECT_EQ(QApplication::focusWidget()->objectName(), QStringLiteral("FindCommand")) << "the order wraps around";
}

TEST_F(FormTest, NameLabelsShowTheirCaptionsAsOneNamePerRow)
{
    makeForm();
    auto* rooms = child<app::NameLabel>(QStringLiteral("FJNameLabel"));
    auto* currencies = child<app::NameLabel>(QStringLiteral("WbNameLabel"));
    ASSERT_TRUE(rooms && currencies);
    const QStringList roomLines{"豪华套房", "商务套房", "公寓套房", "行政单间", "行政标间", "单 人 间", "标 准 间", "加    床"};
    const QStringList currencyLines{"美元", "欧元", "英镑", "港币", "日元", "澳元"};
    EXPECT_EQ(rooms->shownLines(), roomLines);
    EXPECT_EQ(rooms->text(), roomLines.join(QLatin1Char('\n')));
    EXPECT_EQ(currencies->shownLines(), currencyLines);
    EXPECT_EQ(currencies->text(), currencyLines.join(QLatin1Char('\n')));
}

// Rows of a label's picture that carry ink, as the middle of each inked band.
std::vector<int> inkedBandCentres(const QImage& image)
{
    std::vector<int> centres;
    int bandStart = -1;
    for (int y = 0; y <= image.height(); ++y) {
        bool inked = false;
        for (int x = 0; y < image.height() && x < image.width() && !inked; ++x)
            inked = qGray(image.pixel(x, y)) < 100;
        if (inked && bandStart < 0)
            bandStart = y;
        if (!inked && bandStart >= 0) {
            centres.push_back((bandStart + y - 1) / 2);
            bandStart = -1;
        }
    }
    return centres;
}

TEST_F(FormTest, EachNameStandsBesideItsRowOfFields)
{
    makeForm();
    struct Column {
        const char* label;
        const char* fields;
        std::size_t names;
    };
    for (const Column& column : {Column{"FJNameLabel", "FJValText_%1", 8}, Column{"WbNameLabel", "WbValTextA_%1", 6}}) {
        SCOPED_TRACE(column.label);
        auto* label = child<app::NameLabel>(QString::fromLatin1(column.label));
        const std::vector<int> centres = inkedBandCentres(label->grab().toImage());
        ASSERT_EQ(centres.size(), column.names) << "one band of ink per name";
        for (std::size_t i = 0; i < centres.size(); ++i) {
            const QRect row = child(QString::fromLatin1(column.fields).arg(i))->geometry();
            EXPECT_NEAR(label->y() + centres[i], row.center().y(), 5) << "name " << i;
        }
    }
}

} // namespace
