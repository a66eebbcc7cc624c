// The send buttons: room rates, exchange rates, the clock and the weather forecast.
#include "app/main_form.h"

#include "app/cell_limited_edit.h"
#include "protocol/clock.h"
#include "protocol/exchange_rate.h"
#include "protocol/room_rate.h"
#include "protocol/temperature.h"
#include "protocol/weather_dots.h"
#include "raster/weather_raster.h"


namespace app {

bool MainForm::areaUsable(const QString& areaName, protocol::DisplayArea area, const QString& storedText)
{
    QString why;
    switch (protocol::checkArea(area)) {
    case protocol::AreaProblem::None:
        return true;
    case protocol::AreaProblem::AddressOutOfRange:
        why = QStringLiteral("显示地址 %1 不在 0 到 %2 之间").arg(area.address).arg(protocol::kMaxAreaField);
        break;
    case protocol::AreaProblem::LengthOutOfRange:
        why = QStringLiteral("显示长度 %1 不在 0 到 %2 之间").arg(area.length).arg(protocol::kMaxAreaField);
        break;
    }
    showMessage(QStringLiteral("%1区没有发送：%2。\n\nVorFjp.ini 中这一区的地址和长度是“%3”。"
                               "请按显示屏的实际设置改正 VorFjp.ini，再重新启动程序。")
                    .arg(areaName, why, storedText));
    return false;
}

void MainForm::SendFJCommand_Click()
{
    // An area the board cannot have is a fault of the content file: no use opening the port.
    const protocol::DisplayArea area{FjAddress, FjLength};
    if (!areaUsable(QStringLiteral("房价"), area, m_fjAreaText))
        return;
    if (!ensurePortOpen())
        return;
    if (!writeFrame(protocol::roomRateFrame(DeviceId, area, textsOf(FJValText))))
        return;
    SaveBoardSettings();
}

void MainForm::SendWBCommand_Click()
{
    // An area the board cannot have is a fault of the content file: no use opening the port.
    const protocol::DisplayArea area{WbAddress, WbLength};
    if (!areaUsable(QStringLiteral("外币牌价"), area, m_wbAreaText))
        return;
    if (!ensurePortOpen())
        return;
    if (!writeFrame(protocol::exchangeRateFrame(DeviceId, area, textsOf(WbValTextA), textsOf(WbValTextB))))
        return;
    SaveBoardSettings();
}

void MainForm::SeTimeCommand_Click()
{
    // Writing to a closed port could only fail; open it first, as the send buttons do.
    if (!ensurePortOpen())
        return;
    writeFrame(protocol::clockFrame(DeviceId, m_options.clock()));
}

bool MainForm::SendTemperature()
{
    return writeFrame(protocol::temperatureFrame(DeviceId, {WenDuAddress, WenDuLength}, WenDuTextL->text(),
                                                 WenDuTextH->text()));
}

void MainForm::TxtSendCommand_Click()
{
    // An area the board cannot have is a fault of the content file: no use opening the port.
    if (!areaUsable(QStringLiteral("温度"), {WenDuAddress, WenDuLength}, m_wenDuAreaText))
        return;
    if (!ensurePortOpen())
        return;
    // The pause lets other handlers run: the operator may have closed the window, the line may
    // have gone, or another handler closed the port (SendWeatherDots checks that).
    const boardlink::WeatherOutcome sent =
        m_link->sendWeather([this] { return SendTemperature(); }, [this] { return isVisible() && SendWeatherDots(); });
    if (sent.lineLostInPause && isVisible()) {
        showMessage(QStringLiteral("与显示屏的串口连接断开了：%1\n\n温度已经发出，天气文字没有发送。"
                                   "请检查串口线和串口设备是否接好，按“打开串口”重新连接后再按“发送天气预报”。")
                        .arg(*sent.lineLostInPause));
    }
    if (sent.stop != boardlink::WeatherStop::None)
        return;
    SaveBoardSettings();
}

bool MainForm::DrawWeatherText()
{
    const raster::WeatherFont weatherFont = m_options.weatherFont();
    if (!weatherFont.font) {
        showMessage(QStringLiteral("天气文字没有发送：%1").arg(weatherFont.missingHint));
        return false;
    }
    const raster::DotMatrix dots = raster::rasterizeWeatherText(DotText->text(), *weatherFont.font);
    std::copy(dots.begin(), dots.end(), DotBuffer.begin());
    return true;
}

bool MainForm::SendWeatherDots()
{
    if (!DrawWeatherText())
        return false;
    if (!m_link->isOpen()) {
        showMessage(QStringLiteral("天气文字没有发送：等待期间串口被关闭了。\n\n温度已经发出。"
                                   "请按“打开串口”后再按“发送天气预报”。"));
        return false;
    }
    return writeFrame(protocol::weatherDotFrame(DeviceId, std::span(DotBuffer).first<protocol::kDotBytes>()));
}

} // namespace app
