// The send buttons: room rates, exchange rates, the clock and the weather forecast. Each reads
// the fields, asks the board engine and tells the operator how it went.
#include "app/main_form.h"

#include "app/cell_limited_edit.h"
#include "app/name_label.h"
#include "board/operator_text.h"
#include "raster/weather_raster.h"

namespace app {

void MainForm::SendFJCommand_Click()
{
    showOutcome(m_engine->run(board::Command::Rooms, [this] { return currentDraft(); }));
}

void MainForm::SendWBCommand_Click()
{
    showOutcome(m_engine->run(board::Command::Rates, [this] { return currentDraft(); }));
}

void MainForm::SeTimeCommand_Click()
{
    showOutcome(m_engine->run(board::Command::Time, [this] { return currentDraft(); }));
}

void MainForm::TxtSendCommand_Click()
{
    // The operator may close the window during the pause: nothing more is sent for it then.
    showOutcome(m_engine->run(board::Command::Weather, [this]() -> std::optional<board::Draft> {
        if (!isVisible())
            return std::nullopt;
        return currentDraft();
    }));
}

bool MainForm::SendTemperature()
{
    const board::Outcome sent = m_engine->sendTemperatures(draft());
    showOutcome(sent);
    return sent.ok();
}

board::Draft MainForm::draft() const
{
    board::Draft now {m_content, DeviceId};
    storage::BoardContent& content = now.content;
    content.fjNames = FJNameLabel->caption();
    content.fjValues = textsOf(FJValText);
    content.wbNames = WbNameLabel->caption();
    content.wbValuesA = textsOf(WbValTextA);
    content.wbValuesB = textsOf(WbValTextB);
    content.weatherText = DotText->text();
    content.lowTemperature = WenDuTextL->text();
    content.highTemperature = WenDuTextH->text();
    return now;
}

board::Draft MainForm::currentDraft()
{
    keepUp();
    return draft();
}

void MainForm::showOutcome(const board::Outcome& outcome)
{
    if (outcome.saved)
        sentAndSaved(*outcome.saved);
    if (outcome.ok())
        return;
    if (const QString message = board::operatorMessage(outcome.problem()); !message.isEmpty())
        showMessage(message);
}

board::Drawn MainForm::DrawWeatherText(const QString& text)
{
    const raster::WeatherFont weatherFont = m_options.weatherFont();
    if (!weatherFont.font)
        return {std::nullopt, {}};
    return {raster::rasterizeWeatherText(text, *weatherFont.font), {}};
}

} // namespace app
