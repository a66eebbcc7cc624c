#include "storage/content_update.h"

#include "storage/file_platform.h"
#include "storage/gbk.h"

#include <QFile>
#include <QFileInfo>

namespace storage {

namespace {

struct Current {
    std::optional<BoardContent> content;
    QString record;
};

Current readCurrent(const QString& path)
{
    if (!QFileInfo(path).isFile())
        return {};
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return {};
    const DecodeResult decoded = decodeContentBytes(path, file.read(kMaxContentFileBytes + 1));
    if (!decoded.content)
        return {};
    return {decoded.content, decoded.record};
}

} // namespace

ContentStamp contentStamp(const QString& path)
{
    return fileStamp(path);
}

bool fieldDiffers(const BoardContent& a, const BoardContent& b, Field field)
{
    return fieldText(a, field) != fieldText(b, field);
}

UpdateResult updateContentFile(const QString& path, const ContentChange& change)
{
    const WriterLock lock(contentLockPath(path));
    if (!lock.held())
        return {std::nullopt, false,
                QStringLiteral("无法锁定内容文件“%1”以便写入。请检查它所在的文件夹能否写入。").arg(contentLockPath(path)),
                {}};
    const Current current = readCurrent(path);
    const std::optional<BoardContent> wanted = change(current.content ? &*current.content : nullptr);
    const auto stamp = [&path] { return contentStamp(path); };
    if (!wanted)
        return {current.content, false, current.content ? QString() : QStringLiteral("内容文件无法读取。"), stamp()};

    QString record;
    if (current.content) {
        record = current.record;
        bool changed = false;
        for (const Field field : contentFields()) {
            if (!fieldDiffers(*wanted, *current.content, field))
                continue;
            const int at = positionOf(field);
            const int width = groupOf(field).width;
            if (record.size() < at + width)
                record = record.leftJustified(at + width, u' ');
            record.replace(at, width, encodeField(*wanted, field));
            changed = true;
        }
        if (!changed)
            return {current.content, false, {}, stamp()};
    } else {
        record = encodeRecord(*wanted);
    }
    const SaveResult saved = saveContentRecord(path, record);
    if (!saved.ok)
        return {std::nullopt, false, saved.error, {}};
    return {decodeRecord(record).content, true, {}, stamp()};
}

} // namespace storage
