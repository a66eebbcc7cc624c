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
    const storage::BoardContent& content = *loaded.content;

    m_fjAreaText = content.fjAreaText;
    m_wbAreaText = content.wbAreaText;
    m_wenDuAreaText = content.wenDuAreaText;
    Frame5->setTitle(QStringLiteral("今日房价") + content.fjAreaText);
    Frame3->setTitle(QStringLiteral("外币兑换") + content.wbAreaText);
    Frame2->setTitle(QStringLiteral("天气预报") + content.wenDuAreaText);
    FjAddress = content.fjAddress;
    FjLength = content.fjLength;
    WbAddress = content.wbAddress;
    WbLength = content.wbLength;
    WenDuAddress = content.wenDuAddress;
    WenDuLength = content.wenDuLength;

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

void MainForm::SaveBoardSettings()
{
    storage::BoardContent content;
    content.fjAddress = FjAddress;
    content.fjLength = FjLength;
    content.wbAddress = WbAddress;
    content.wbLength = WbLength;
    content.wenDuAddress = WenDuAddress;
    content.wenDuLength = WenDuLength;
    content.fjAreaText = m_fjAreaText;
    content.wbAreaText = m_wbAreaText;
    content.wenDuAreaText = m_wenDuAreaText;
    content.fjNames = FJNameLabel->caption();
    content.fjValues = textsOf(FJValText);
    content.wbNames = WbNameLabel->caption();
    content.wbValuesA = textsOf(WbValTextA);
    content.wbValuesB = textsOf(WbValTextB);
    content.weatherText = DotText->text();
    content.lowTemperature = WenDuTextL->text();
    content.highTemperature = WenDuTextH->text();

    const storage::SaveResult saved = storage::saveContentFile(m_options.contentFilePath, content);
    if (!saved.ok)
        showMessage(QStringLiteral("显示内容已经发送，但没有保存到 VorFjp.ini：%1\n\n"
                                   "下次启动时会显示上次保存的内容。请检查程序目录能否写入。")
                        .arg(saved.error));
}

} // namespace app
