// The board content file: what the window shows at start and what it keeps after each send.
#include "app/main_form.h"

#include "app/cell_limited_edit.h"
#include "app/name_label.h"
#include "storage/content_file.h"

#include <QGroupBox>

namespace app {

namespace {

void fill(const ValueFields& fields, const protocol::ValueColumn& texts)
{
    for (std::size_t i = 0; i < fields.size(); ++i)
        fields[i]->setText(texts[i]);
}

} // namespace

std::optional<QString> MainForm::LoadBoardSettings()
{
    const storage::DecodeResult loaded = storage::loadContentFile(m_options.contentFilePath);
    if (!loaded.content)
        return loaded.error;
    m_content = *loaded.content;
    const storage::BoardContent& content = m_content;

    Frame5->setTitle(QStringLiteral("今日房价") + storage::areaText(content, storage::Area::Rooms));
    Frame3->setTitle(QStringLiteral("外币兑换") + storage::areaText(content, storage::Area::Rates));
    Frame2->setTitle(QStringLiteral("天气预报") + storage::areaText(content, storage::Area::Temperature));
    FJNameLabel->setCaption(content.fjNames);
    fill(FJValText, content.fjValues);
    WbNameLabel->setCaption(content.wbNames);
    fill(WbValTextA, content.wbValuesA);
    fill(WbValTextB, content.wbValuesB);
    DotText->setText(content.weatherText);
    WenDuTextL->setText(content.lowTemperature);
    WenDuTextH->setText(content.highTemperature);
    return std::nullopt;
}

storage::SaveResult MainForm::SaveBoardSettings(const storage::BoardContent& content)
{
    return storage::saveContentFile(m_options.contentFilePath, content);
}

} // namespace app
