// The window's design: frames, controls, fonts, geometry and tab order. Positions are given in
// twips as the board's designers drew them and converted at 15 twips per pixel.
#include "app/main_form.h"

#include "app/app_icon.h"
#include "app/cell_limited_edit.h"
#include "app/name_label.h"
#include "app/status_lamp.h"
#include "app/window_font.h"
#include "protocol/exchange_rate.h"
#include "protocol/room_rate.h"
#include "protocol/temperature.h"
#include "raster/weather_font.h"
#include "serial/line_settings.h"
#include "storage/app_name.h"
#include "storage/board_content.h"

#include "app/port_combo.h"

#include <QComboBox>
#include <QFrame>
#include <QGroupBox>
#include <QLabel>
#include <QPushButton>

#include <array>

namespace app {

namespace {

constexpr int kTwipsPerPixel = 15;

int px(int twips)
{
    return qRound(double(twips) / kTwipsPerPixel);
}

QRect twipsRect(int left, int top, int width, int height)
{
    return {px(left), px(top), px(width), px(height)};
}

// Tops of the ten rows shared by the room-rate and exchange-rate field arrays.
constexpr std::array<int, protocol::kValueRows> kRowTops{360, 627, 939, 1251, 1563, 1875, 2187, 2499, 2811, 3120};

template <typename Widget>
Widget* place(Widget* widget, const QString& name, QRect geometry, const QFont& font)
{
    widget->setObjectName(name);
    widget->setGeometry(geometry);
    widget->setFont(font);
    return widget;
}

QLabel* makeLabel(QWidget* frame, const QString& name, const QString& caption, QRect geometry, const QFont& font)
{
    auto* label = place(new QLabel(caption, frame), name, geometry, font);
    label->setTextFormat(Qt::PlainText);
    label->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    return label;
}

QPushButton* makeButton(QWidget* frame, const QString& name, const QString& caption, QRect geometry, const QFont& font)
{
    auto* button = place(new QPushButton(caption, frame), name, geometry, font);
    button->setAutoDefault(false);
    // A click repaints its button at once, pressed and again released, before the handler runs:
    // a button that fills its own background spares the frame beneath it both repaints, which
    // would otherwise hold back the handler's frame on the line.
    button->setBackgroundRole(QPalette::Window);
    button->setAutoFillBackground(true);
    return button;
}

CellLimitedEdit* makeEdit(QWidget* frame, const QString& name, int cellLimit, const QString& text, QRect geometry,
                          const QFont& font)
{
    auto* edit = place(new CellLimitedEdit(cellLimit, frame), name, geometry, font);
    edit->setText(text);
    return edit;
}

QGroupBox* makeFrame(QWidget* window, const QString& name, const QString& caption, QRect geometry, const QFont& font)
{
    auto* frame = place(new QGroupBox(caption, window), name, geometry, font);
    frame->setFlat(false);
    return frame;
}

QString indexed(const char* name, int index)
{
    return QStringLiteral("%1_%2").arg(QLatin1String(name)).arg(index);
}

} // namespace

QFont MainForm::windowFont(qreal points, bool bold) const
{
    return uiFont(m_fontFamily, points, bold);
}

void MainForm::buildLayout()
{
    m_fontFamily = uiFontFamily();
    setWindowTitle(QStringLiteral("%1 - %2").arg(QString::fromUtf16(storage::kApplicationName)).arg(serial::kBaudRate));
    setWindowIcon(drawAppIcon(m_fontFamily));
    setFixedSize(px(9930), px(4545));

    buildFrame5();
    buildFrame3();
    buildFrame4();
    buildFrame2();
    buildFrame1();
    arrangeTabOrder();
    FindCommand->setFocus(Qt::OtherFocusReason);
}

void MainForm::buildFrame5()
{
    Frame5 = makeFrame(this, QStringLiteral("Frame5"), QStringLiteral("今日房价"), twipsRect(120, 120, 2175, 4335),
                       windowFont(12, true));
    for (int i = 0; i < protocol::kValueRows; ++i) {
        const int height = (i == 0 || i == 9) ? 315 : 360;
        FJValText[i] = makeEdit(Frame5, indexed("FJValText", i), protocol::kRoomRateWidth, QStringLiteral("1234"),
                                twipsRect(1440, kRowTops[i], 615, height), windowFont(12, false));
    }
    SendFJCommand = makeButton(Frame5, QStringLiteral("SendFJCommand"), QStringLiteral("发送房价"),
                               twipsRect(120, 3720, 1935, 495), windowFont(12, false));
    FJNameLabel = place(new NameLabel(storage::kRoomNameLineCells, Frame5), QStringLiteral("FJNameLabel"),
                        twipsRect(120, 360, 1215, 3255), windowFont(15, false));
    FJNameLabel->setCaption(QStringLiteral("豪华套房商务套房公寓套房行政单间行政标间单 人 间标 准 间 加    床"));
}

void MainForm::buildFrame3()
{
    Frame3 = makeFrame(this, QStringLiteral("Frame3"), QStringLiteral("外币兑换"), twipsRect(2400, 120, 3015, 4335),
                       windowFont(12, true));
    for (int i = 0; i < protocol::kValueRows; ++i) {
        const int height = i == 0 ? 315 : 360;
        WbValTextA[i] = makeEdit(Frame3, indexed("WbValTextA", i), protocol::kExchangeRateWidth,
                                 QStringLiteral("123.456"), twipsRect(840, kRowTops[i], 975, height), windowFont(12, false));
        WbValTextB[i] = makeEdit(Frame3, indexed("WbValTextB", i), protocol::kExchangeRateWidth,
                                 QStringLiteral("123.888"), twipsRect(1920, kRowTops[i], 975, height), windowFont(12, false));
    }
    SendWBCommand = makeButton(Frame3, QStringLiteral("SendWBCommand"), QStringLiteral("发送牌价"),
                               twipsRect(480, 3720, 2055, 495), windowFont(12, false));
    WbNameLabel = place(new NameLabel(storage::kCurrencyNameLineCells, Frame3), QStringLiteral("WbNameLabel"),
                        twipsRect(120, 360, 735, 3255), windowFont(15, false));
    WbNameLabel->setCaption(QStringLiteral("美元欧元英镑港币日元澳元"));
}

void MainForm::buildFrame4()
{
    Frame4 = makeFrame(this, QStringLiteral("Frame4"), QStringLiteral("现在时间"), twipsRect(5520, 120, 2415, 2055),
                       windowFont(12, true));
    SeTimeCommand = makeButton(Frame4, QStringLiteral("SeTimeCommand"), QStringLiteral("同步时间"),
                               twipsRect(120, 1440, 2175, 495), windowFont(12, false));
    Label6 = makeLabel(Frame4, QStringLiteral("Label6"), QString(), twipsRect(480, 960, 1335, 375), windowFont(14.25, true));
    Label5 = makeLabel(Frame4, QStringLiteral("Label5"), QString(), twipsRect(120, 480, 2265, 375), windowFont(14.25, true));
}

void MainForm::buildFrame2()
{
    Frame2 = makeFrame(this, QStringLiteral("Frame2"), QStringLiteral("天气预报"), twipsRect(5520, 2400, 2415, 2055),
                       windowFont(12, true));
    WenDuTextH = makeEdit(Frame2, QStringLiteral("WenDuTextH"), protocol::kTemperatureWidth, QStringLiteral("18"),
                          twipsRect(1800, 885, 495, 405), windowFont(14.25, true));
    WenDuTextL = makeEdit(Frame2, QStringLiteral("WenDuTextL"), protocol::kTemperatureWidth, QStringLiteral("12"),
                          twipsRect(840, 885, 495, 405), windowFont(14.25, true));
    TxtSendCommand = makeButton(Frame2, QStringLiteral("TxtSendCommand"), QStringLiteral("发送天气预报"),
                                twipsRect(120, 1440, 2175, 495), windowFont(12, false));
    DotText = makeEdit(Frame2, QStringLiteral("DotText"), raster::kWeatherTextCells, QStringLiteral("多云转晴"),
                       twipsRect(1200, 360, 1095, 345), windowFont(12, true));
    Label3 = makeLabel(Frame2, QStringLiteral("Label3"), QStringLiteral("今日天气"), twipsRect(120, 405, 1095, 255),
                       windowFont(12, true));
    // The dash between the two temperatures, drawn from (1440, 1080) to (1680, 1080).
    auto* line = new QFrame(Frame2);
    line->setObjectName(QStringLiteral("Line1"));
    line->setFrameShape(QFrame::HLine);
    line->setFrameShadow(QFrame::Plain);
    line->setLineWidth(1);
    line->setGeometry(px(1440), px(1080), px(1680) - px(1440), 1);
    Label2 = makeLabel(Frame2, QStringLiteral("Label2"), QStringLiteral("温度："), twipsRect(120, 960, 975, 255),
                       windowFont(12, true));
}

void MainForm::buildFrame1()
{
    Frame1 = makeFrame(this, QStringLiteral("Frame1"), QStringLiteral("控制信息"), twipsRect(8040, 120, 1815, 4335),
                       windowFont(14.25, true));
    LedIDText = makeEdit(Frame1, QStringLiteral("LedIDText"), 10, QStringLiteral("255"), twipsRect(240, 1560, 1335, 270),
                         windowFont(12, true));
    RsCombo = place(new PortCombo(Frame1), QStringLiteral("RsCombo"), twipsRect(240, 720, 1335, 360), windowFont(12, true));
    RsCombo->setEditable(true);
    RsCombo->setInsertPolicy(QComboBox::NoInsert);
    RsCombo->setEditText(QStringLiteral("Combo1"));
    ExitCommand = makeButton(Frame1, QStringLiteral("ExitCommand"), QStringLiteral("退    出"),
                             twipsRect(120, 3600, 1575, 615), windowFont(12, false));
    OpenRs232Command = makeButton(Frame1, QStringLiteral("OpenRs232Command"), QStringLiteral("打开串口"),
                                  twipsRect(120, 2160, 1575, 615), windowFont(12, false));
    FindCommand = makeButton(Frame1, QStringLiteral("FindCommand"), QStringLiteral("测试连接"),
                             twipsRect(120, 2880, 1575, 615), windowFont(12, false));
    GetValShape = new StatusLamp(Frame1);
    GetValShape->setObjectName(QStringLiteral("GetValShape"));
    GetValShape->setGeometry(twipsRect(1320, 300, 300, 300));
    Label4 = makeLabel(Frame1, QStringLiteral("Label4"), QStringLiteral("设备编号："), twipsRect(240, 1200, 1335, 255),
                       windowFont(12, true));
    Label1 = makeLabel(Frame1, QStringLiteral("Label1"), QStringLiteral("串口号："), twipsRect(240, 360, 1215, 255),
                       windowFont(12, true));
}

void MainForm::arrangeTabOrder()
{
    std::vector<QWidget*> order{FindCommand, OpenRs232Command, ExitCommand, RsCombo,       DotText,       TxtSendCommand,
                                LedIDText,   WenDuTextL,       WenDuTextH,  SeTimeCommand, SendFJCommand, SendWBCommand};
    for (auto* field : FJValText)
        order.push_back(field);
    for (auto* field : WbValTextA)
        order.push_back(field);
    for (auto* field : WbValTextB)
        order.push_back(field);
    for (std::size_t i = 1; i < order.size(); ++i)
        QWidget::setTabOrder(order[i - 1], order[i]);
}

} // namespace app
