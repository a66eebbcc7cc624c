// The board content file: what the window shows at start, what it keeps after each send, and how
// it keeps up with other writers of the file (vorfjp-send set, vorfjp-web).
//
// The rule between the window and the other writers: the window takes a change of the file into
// every field the operator has not edited since the file was last loaded or a send saved it, and
// into the captions and name labels; a field the operator is editing keeps the operator's text.
// A send then writes the operator's edited fields into the file as it stands, under the writers'
// lock, so the window never writes back a value it did not show and no writer loses a change.
#include "app/main_form.h"

#include "app/cell_limited_edit.h"
#include "app/name_label.h"
#include "storage/content_file.h"

#include <QFileInfo>
#include <QFileSystemWatcher>
#include <QGroupBox>

namespace app {

CellLimitedEdit* MainForm::fieldEdit(storage::Field field) const
{
    const storage::FieldGroup& group = storage::groupOf(field);
    const auto at = std::size_t(field.index);
    if (group.column == &storage::BoardContent::fjValues)
        return FJValText[at];
    if (group.column == &storage::BoardContent::wbValuesA)
        return WbValTextA[at];
    if (group.column == &storage::BoardContent::wbValuesB)
        return WbValTextB[at];
    if (group.text == &storage::BoardContent::weatherText)
        return DotText;
    if (group.text == &storage::BoardContent::lowTemperature)
        return WenDuTextL;
    if (group.text == &storage::BoardContent::highTemperature)
        return WenDuTextH;
    return nullptr;
}

std::optional<QString> MainForm::LoadBoardSettings()
{
    m_contentStamp = storage::contentStamp(m_options.contentFilePath);
    const storage::DecodeResult loaded = storage::loadContentFile(m_options.contentFilePath);
    if (!loaded.content)
        return loaded.error;
    takeContent(*loaded.content, false);
    watchContentFile();
    return std::nullopt;
}

void MainForm::takeContent(const storage::BoardContent& content, bool keepEdits)
{
    m_content = content;
    Frame5->setTitle(QStringLiteral("今日房价") + storage::areaText(content, storage::Area::Rooms));
    Frame3->setTitle(QStringLiteral("外币兑换") + storage::areaText(content, storage::Area::Rates));
    Frame2->setTitle(QStringLiteral("天气预报") + storage::areaText(content, storage::Area::Temperature));
    FJNameLabel->setCaption(content.fjNames);
    WbNameLabel->setCaption(content.wbNames);
    for (const storage::Field field : storage::contentFields()) {
        CellLimitedEdit* edit = fieldEdit(field);
        if (!edit)
            continue;
        const QString shown = storage::fieldText(m_shown, field);
        const QString now = edit->text();
        const QString stored = storage::fieldText(content, field);
        if (keepEdits && (now != shown || storage::unpadded(now, storage::groupOf(field).justify) == storage::unpadded(stored, storage::groupOf(field).justify)))
            continue;
        edit->setText(stored);
        storage::setFieldText(m_shown, field, edit->text());
    }
}

void MainForm::keepUp()
{
    const storage::ContentStamp stamp = storage::contentStamp(m_options.contentFilePath);
    if (stamp == m_contentStamp)
        return;
    m_contentStamp = stamp;
    const storage::DecodeResult loaded = storage::loadContentFile(m_options.contentFilePath);
    // A file that cannot be read now (a writer's replacement under way, a broken hand edit) is
    // no content to take; the window keeps what it shows.
    if (loaded.content && *loaded.content != m_content)
        takeContent(*loaded.content, true);
}

void MainForm::watchContentFile()
{
    if (!m_watcher) {
        m_watcher = new QFileSystemWatcher(this);
        // The file is replaced whole by every writer, so its folder tells of a new one.
        const auto changed = [this] {
            if (!m_watcher->files().contains(m_options.contentFilePath) && QFileInfo::exists(m_options.contentFilePath))
                m_watcher->addPath(m_options.contentFilePath);
            keepUp();
        };
        connect(m_watcher, &QFileSystemWatcher::fileChanged, this, changed);
        connect(m_watcher, &QFileSystemWatcher::directoryChanged, this, changed);
    }
    m_watcher->addPath(m_options.contentFilePath);
    m_watcher->addPath(QFileInfo(m_options.contentFilePath).absolutePath());
}

storage::UpdateResult MainForm::SaveBoardSettings(const storage::BoardContent& sent)
{
    const storage::BoardContent shown = m_shown;
    const storage::UpdateResult saved = storage::updateContentFile(
        m_options.contentFilePath, [&](const storage::BoardContent* current) -> std::optional<storage::BoardContent> {
            // A file that cannot be read takes the whole window, as a save always wrote it.
            if (!current)
                return sent;
            storage::BoardContent merged = *current;
            for (const storage::Field field : storage::contentFields()) {
                if (fieldEdit(field) && storage::fieldDiffers(sent, shown, field))
                    storage::setFieldText(merged, field, storage::fieldText(sent, field));
            }
            return merged;
        });
    // What the window now shows is the file as the save left it (sentAndSaved takes it in); a
    // writer after it replaces the file again, which the next look notices.
    if (saved.content)
        m_contentStamp = saved.stamp;
    return saved;
}

void MainForm::sentAndSaved(const storage::BoardContent& saved)
{
    takeContent(saved, true);
    // The operator's edits are in the file now: no field counts as edited any more.
    for (const storage::Field field : storage::contentFields()) {
        if (CellLimitedEdit* edit = fieldEdit(field))
            storage::setFieldText(m_shown, field, edit->text());
    }
}

} // namespace app
