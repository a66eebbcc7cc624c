#include "schedule/schedule_file.h"

#include "storage/writer_lock.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QJsonDocument>
#include <QSaveFile>

namespace schedule {

namespace {

// Files larger than this are not read: a schedule of a few hundred rules stays far below it.
constexpr qint64 kMaxFileBytes = 4 * 1024 * 1024;

QString beside(const QString& contentPath, const char* name)
{
    return QFileInfo(contentPath).dir().filePath(QLatin1String(name));
}

std::optional<QByteArray> readAll(const QString& path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return std::nullopt;
    QByteArray bytes = file.read(kMaxFileBytes + 1);
    if (file.error() != QFileDevice::NoError || bytes.size() > kMaxFileBytes)
        return std::nullopt;
    return bytes;
}

std::optional<QJsonObject> readObject(const QString& path)
{
    const std::optional<QByteArray> bytes = readAll(path);
    if (!bytes)
        return std::nullopt;
    QJsonParseError parsed {};
    const QJsonDocument document = QJsonDocument::fromJson(*bytes, &parsed);
    if (parsed.error != QJsonParseError::NoError || !document.isObject())
        return std::nullopt;
    return document.object();
}

// Empty on success, else Chinese: why.
QString writeWhole(const QString& path, const QByteArray& bytes)
{
    QSaveFile file(path);
    if (file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size() && file.flush() && file.commit())
        return {};
    const QString why = file.errorString();
    file.cancelWriting();
    return QStringLiteral("无法写入“%1”（%2）。请检查该文件夹能否写入、磁盘是否已满；原来的文件保持不变。")
        .arg(QDir::toNativeSeparators(path), why);
}

QString lockFailure(const QString& contentPath)
{
    return QStringLiteral("无法锁定“%1”以便写入。请检查它所在的文件夹能否写入。")
        .arg(QDir::toNativeSeparators(storage::contentLockPath(contentPath)));
}

int revisionOf(const QString& path)
{
    const std::optional<QJsonObject> stored = readObject(path);
    return stored ? stored->value(QLatin1String("revision")).toInt(0) : 0;
}

std::optional<Level> levelNamed(const QString& name)
{
    for (const Level level : {Level::Weekly, Level::Season, Level::Dates, Level::Override}) {
        if (levelName(level) == name)
            return level;
    }
    return std::nullopt;
}

} // namespace

QString schedulePath(const QString& contentPath)
{
    return beside(contentPath, "schedule.json");
}

QString appliedPath(const QString& contentPath)
{
    return beside(contentPath, "schedule-applied.json");
}

QString historyPath(const QString& contentPath)
{
    return beside(contentPath, "schedule-history.jsonl");
}

LoadedSchedule loadSchedule(const QString& contentPath, const ValueCheck& check)
{
    const QString path = schedulePath(contentPath);
    if (!QFileInfo::exists(path))
        return {Schedule {}, {}, {}};
    const std::optional<QJsonObject> json = readObject(path);
    if (!json)
        return {std::nullopt, {},
                QStringLiteral("日程文件“%1”无法读取，或不是一个 JSON 对象。").arg(QDir::toNativeSeparators(path))};
    ParseResult parsed = parseSchedule(*json, check);
    return {std::move(parsed.schedule), std::move(parsed.errors), {}};
}

StoreResult storeSchedule(const QString& contentPath, const QJsonObject& json, const ValueCheck& check)
{
    StoreResult result;
    ParseResult parsed = parseSchedule(json, check);
    const QString path = schedulePath(contentPath);
    if (!parsed.schedule) {
        result.outcome = StoreOutcome::Invalid;
        result.errors = std::move(parsed.errors);
        result.clashes = std::move(parsed.clashes);
        result.currentRevision = revisionOf(path);
        return result;
    }
    const storage::WriterLock lock(storage::contentLockPath(contentPath));
    if (!lock.held()) {
        result.error = lockFailure(contentPath);
        result.currentRevision = revisionOf(path);
        return result;
    }
    const int current = revisionOf(path);
    result.currentRevision = current;
    if (parsed.schedule->revision != current) {
        result.outcome = StoreOutcome::Stale;
        return result;
    }
    Schedule stored = std::move(*parsed.schedule);
    stored.revision = current + 1;
    result.error = writeWhole(path, QJsonDocument(scheduleJson(stored)).toJson(QJsonDocument::Indented));
    if (!result.error.isEmpty())
        return result;
    result.outcome = StoreOutcome::Stored;
    result.currentRevision = stored.revision;
    result.schedule = std::move(stored);
    return result;
}

AppliedState loadApplied(const QString& contentPath)
{
    AppliedState state;
    const std::optional<QJsonObject> json = readObject(appliedPath(contentPath));
    if (!json)
        return state;
    for (const Area area : kAreas) {
        const QJsonObject entry = json->value(areaName(area)).toObject();
        const std::optional<Level> level = levelNamed(entry.value(QLatin1String("level")).toString());
        if (entry.isEmpty() || !level)
            continue;
        state[std::size_t(area)] = Applied {{entry.value(QLatin1String("plan")).toString(), entry.value(QLatin1String("rule")).toString(), *level},
                                            entry.value(QLatin1String("revision")).toInt(),
                                            qint64(entry.value(QLatin1String("at")).toDouble()),
                                            entry.value(QLatin1String("values")),
                                            entry.value(QLatin1String("shown")),
                                            entry.value(QLatin1String("sent")).toBool()};
    }
    return state;
}

QString storeApplied(const QString& contentPath, const AppliedState& state)
{
    QJsonObject json;
    for (const Area area : kAreas) {
        const std::optional<Applied>& applied = state[std::size_t(area)];
        if (!applied)
            continue;
        json.insert(areaName(area), QJsonObject {{QStringLiteral("plan"), applied->winner.plan},
                                                 {QStringLiteral("rule"), applied->winner.rule},
                                                 {QStringLiteral("level"), levelName(applied->winner.level)},
                                                 {QStringLiteral("revision"), applied->revision},
                                                 {QStringLiteral("at"), double(applied->atMs)},
                                                 {QStringLiteral("values"), applied->values},
                                                 {QStringLiteral("shown"), applied->shown},
                                                 {QStringLiteral("sent"), applied->sent}});
    }
    const storage::WriterLock lock(storage::contentLockPath(contentPath));
    if (!lock.held())
        return lockFailure(contentPath);
    return writeWhole(appliedPath(contentPath), QJsonDocument(json).toJson(QJsonDocument::Compact));
}

QString appendHistory(const QString& contentPath, const QJsonObject& entry)
{
    const storage::WriterLock lock(storage::contentLockPath(contentPath));
    if (!lock.held())
        return lockFailure(contentPath);
    const QString path = historyPath(contentPath);
    QList<QByteArray> lines = readAll(path).value_or(QByteArray()).split('\n');
    // A line cut short or edited into something else is dropped, so that it takes no entry's place.
    lines.removeIf([](const QByteArray& line) { return !QJsonDocument::fromJson(line).isObject(); });
    lines.append(QJsonDocument(entry).toJson(QJsonDocument::Compact));
    if (lines.size() > kHistoryEntries)
        lines.remove(0, lines.size() - kHistoryEntries);
    return writeWhole(path, lines.join('\n') + '\n');
}

QJsonArray loadHistory(const QString& contentPath, int count)
{
    const QList<QByteArray> lines = readAll(historyPath(contentPath)).value_or(QByteArray()).split('\n');
    QJsonArray entries;
    for (const QByteArray& line : lines) {
        const QJsonDocument document = QJsonDocument::fromJson(line);
        if (document.isObject())
            entries.append(document.object());
    }
    while (entries.size() > count)
        entries.removeFirst();
    return entries;
}

} // namespace schedule
