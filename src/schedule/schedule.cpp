#include "schedule/schedule.h"

#include "schedule/local_time.h"

#include <QJsonArray>
#include <QRegularExpression>
#include <QSet>

#include <algorithm>
#include <cmath>
#include <limits>

namespace schedule {

namespace {

constexpr int kFirstYear = 1970;
constexpr int kLastYear = 2199;

QString areaLabel(Area area)
{
    switch (area) {
    case Area::Rooms:
        return QStringLiteral("房价");
    case Area::Rates:
        return QStringLiteral("牌价");
    case Area::Weather:
        return QStringLiteral("天气预报");
    }
    return {};
}

QString levelLabel(Level level)
{
    switch (level) {
    case Level::Weekly:
        return QStringLiteral("每周");
    case Level::Season:
        return QStringLiteral("季节");
    case Level::Dates:
        return QStringLiteral("日期");
    case Level::Override:
        return QStringLiteral("临时");
    }
    return {};
}

QString jsonKind(const QJsonValue& value)
{
    switch (value.type()) {
    case QJsonValue::Null:
        return QStringLiteral("null");
    case QJsonValue::Bool:
        return QStringLiteral("布尔值");
    case QJsonValue::Double:
        return QStringLiteral("数字");
    case QJsonValue::String:
        return QStringLiteral("文本");
    case QJsonValue::Array:
        return QStringLiteral("数组");
    case QJsonValue::Object:
        return QStringLiteral("对象");
    case QJsonValue::Undefined:
        break;
    }
    return QStringLiteral("空");
}

QString join(const QString& path, const QString& key)
{
    return path.isEmpty() ? key : path + u'.' + key;
}

QString join(const QString& path, qsizetype index)
{
    return join(path, QString::number(index + 1));
}

std::optional<int> weekday(QStringView name)
{
    static const QStringList names {QStringLiteral("mon"), QStringLiteral("tue"), QStringLiteral("wed"),
                                    QStringLiteral("thu"), QStringLiteral("fri"), QStringLiteral("sat"),
                                    QStringLiteral("sun")};
    const qsizetype at = names.indexOf(name.toString().toLower());
    return at < 0 ? std::nullopt : std::optional<int>(int(at));
}

QString weekText(int minute)
{
    static const char* const names[] = {"mon", "tue", "wed", "thu", "fri", "sat", "sun"};
    const int day = minute / kMinutesPerDay;
    const int ofDay = minute % kMinutesPerDay;
    return QStringLiteral("%1 %2:%3")
        .arg(QLatin1String(names[day]))
        .arg(ofDay / 60, 2, 10, QLatin1Char('0'))
        .arg(ofDay % 60, 2, 10, QLatin1Char('0'));
}

QString monthDayText(MonthDay day)
{
    return QStringLiteral("%1-%2").arg(day.month, 2, 10, QLatin1Char('0')).arg(day.day, 2, 10, QLatin1Char('0'));
}

QString localText(LocalMinute minute)
{
    const int ofDay = minuteOfDay(minute);
    return dateOf(minute).toString(QStringLiteral("yyyy-MM-dd")) +
           QStringLiteral("T%1:%2").arg(ofDay / 60, 2, 10, QLatin1Char('0')).arg(ofDay % 60, 2, 10, QLatin1Char('0'));
}

// Whether the month and day exist in some year (29 February does).
bool monthDayExists(MonthDay day)
{
    return QDate(2000, day.month, day.day).isValid();
}

bool inSeason(const std::pair<MonthDay, MonthDay>& season, MonthDay day)
{
    const auto& [from, to] = season;
    return from <= to ? (from <= day && day <= to) : (day >= from || day <= to);
}

class Reader {
public:
    explicit Reader(const ValueCheck& check)
        : m_check(check)
    {
    }

    std::vector<FieldError> errors;

    void fail(const QString& field, const QString& message) { errors.push_back({field, message}); }

    // Reports every key of the object outside `known`.
    void onlyKnown(const QJsonObject& object, const QString& path, const QStringList& known)
    {
        for (auto it = object.begin(); it != object.end(); ++it) {
            if (!known.contains(it.key()))
                fail(join(path, it.key()),
                     QStringLiteral("无法识别的字段“%1”：这里可用的字段是 %2。").arg(it.key(), known.join(QStringLiteral("、"))));
        }
    }

    std::optional<QString> text(const QJsonValue& value, const QString& path, const QString& what)
    {
        if (!value.isString()) {
            fail(path, QStringLiteral("%1须为文本，这里是%2。").arg(what, jsonKind(value)));
            return std::nullopt;
        }
        return value.toString();
    }

    std::optional<QJsonObject> object(const QJsonValue& value, const QString& path, const QString& what)
    {
        if (!value.isObject()) {
            fail(path, QStringLiteral("%1须为对象，这里是%2。").arg(what, jsonKind(value)));
            return std::nullopt;
        }
        return value.toObject();
    }

    std::optional<QJsonArray> array(const QJsonValue& value, const QString& path, const QString& what)
    {
        if (!value.isArray() || value.toArray().isEmpty()) {
            fail(path, value.isArray() ? QStringLiteral("%1不能为空数组。").arg(what)
                                       : QStringLiteral("%1须为数组，这里是%2。").arg(what, jsonKind(value)));
            return std::nullopt;
        }
        return value.toArray();
    }

    // A text value or null of the plan at `key` (a content key such as "rooms.3").
    void planValue(Plan& plan, const QJsonValue& value, const QString& path, const QString& key)
    {
        if (value.isNull() || value.isUndefined())
            return;
        const std::optional<QString> given = text(value, path, QStringLiteral("计划中的值"));
        if (!given)
            return;
        const std::optional<storage::Field> field = storage::fieldForKey(key);
        if (!field)
            return;
        if (m_check) {
            if (const QString problem = m_check(*field, *given); !problem.isEmpty()) {
                fail(path, problem);
                return;
            }
        }
        plan.values.push_back({*field, *given});
    }

    // An array of at most one entry per row of the board.
    std::optional<QJsonArray> rows(const QJsonValue& value, const QString& path)
    {
        if (!value.isArray()) {
            fail(path, QStringLiteral("须为数组，这里是%1。").arg(jsonKind(value)));
            return std::nullopt;
        }
        const QJsonArray rows = value.toArray();
        if (rows.size() > protocol::kValueRows) {
            fail(path, QStringLiteral("最多 %1 行，这里有 %2 行。").arg(protocol::kValueRows).arg(rows.size()));
            return std::nullopt;
        }
        return rows;
    }

    std::optional<Plan> plan(const QString& name, const QJsonValue& value, const QString& path)
    {
        if (name.trimmed().isEmpty())
            fail(path, QStringLiteral("计划名不能为空。"));
        const std::optional<QJsonObject> object = this->object(value, path, QStringLiteral("计划"));
        if (!object)
            return std::nullopt;
        Plan plan {name, {}, *object};
        onlyKnown(*object, path, {QStringLiteral("rooms"), QStringLiteral("rates"), QStringLiteral("weather")});
        if (const QJsonValue rooms = object->value(QLatin1String("rooms")); !rooms.isUndefined() && !rooms.isNull()) {
            const QString at = join(path, QStringLiteral("rooms"));
            if (const auto list = rows(rooms, at)) {
                for (qsizetype i = 0; i < list->size(); ++i)
                    planValue(plan, list->at(i), join(at, i), QStringLiteral("rooms.%1").arg(i + 1));
            }
        }
        if (const QJsonValue rates = object->value(QLatin1String("rates")); !rates.isUndefined() && !rates.isNull()) {
            const QString at = join(path, QStringLiteral("rates"));
            if (const auto list = rows(rates, at)) {
                for (qsizetype i = 0; i < list->size(); ++i) {
                    const QJsonValue row = list->at(i);
                    if (row.isNull())
                        continue;
                    const QString rowAt = join(at, i);
                    const std::optional<QJsonObject> pair = this->object(row, rowAt, QStringLiteral("一行牌价"));
                    if (!pair)
                        continue;
                    onlyKnown(*pair, rowAt, {QStringLiteral("a"), QStringLiteral("b")});
                    for (const QString& column : {QStringLiteral("a"), QStringLiteral("b")})
                        planValue(plan, pair->value(column), join(rowAt, column),
                                  QStringLiteral("rates.%1.%2").arg(i + 1).arg(column));
                }
            }
        }
        if (const QJsonValue weather = object->value(QLatin1String("weather")); !weather.isUndefined() && !weather.isNull()) {
            const QString at = join(path, QStringLiteral("weather"));
            if (const std::optional<QJsonObject> parts = this->object(weather, at, QStringLiteral("天气预报"))) {
                const QStringList keys {QStringLiteral("text"), QStringLiteral("low"), QStringLiteral("high")};
                onlyKnown(*parts, at, keys);
                for (const QString& key : keys)
                    planValue(plan, parts->value(key), join(at, key), QStringLiteral("weather.") + key);
            }
        }
        std::sort(plan.values.begin(), plan.values.end(), [](const PlanValue& a, const PlanValue& b) {
            return storage::positionOf(a.field) < storage::positionOf(b.field);
        });
        return plan;
    }

    std::optional<int> weekTime(const QJsonValue& value, const QString& path)
    {
        const std::optional<QString> given = text(value, path, QStringLiteral("每周时间"));
        if (!given)
            return std::nullopt;
        static const QRegularExpression shape(QStringLiteral("^([A-Za-z]{3}) ([01][0-9]|2[0-3]):([0-5][0-9])$"));
        const QRegularExpressionMatch match = shape.match(*given);
        const std::optional<int> day = match.hasMatch() ? weekday(match.capturedView(1)) : std::nullopt;
        if (!day) {
            fail(path, QStringLiteral("“%1”不是每周时间：须为“星期 时:分”，如“fri 18:00”（星期为 mon tue wed thu fri sat "
                                      "sun）。")
                           .arg(*given));
            return std::nullopt;
        }
        return *day * kMinutesPerDay + match.capturedView(2).toInt() * 60 + match.capturedView(3).toInt();
    }

    std::optional<MonthDay> monthDay(const QJsonValue& value, const QString& path)
    {
        const std::optional<QString> given = text(value, path, QStringLiteral("日期"));
        if (!given)
            return std::nullopt;
        static const QRegularExpression shape(QStringLiteral("^([0-9]{2})-([0-9]{2})$"));
        const QRegularExpressionMatch match = shape.match(*given);
        const MonthDay day {match.capturedView(1).toInt(), match.capturedView(2).toInt()};
        if (!match.hasMatch() || !monthDayExists(day)) {
            fail(path, QStringLiteral("“%1”不是有效的月-日：须为“MM-DD”，如“12-20”。").arg(*given));
            return std::nullopt;
        }
        return day;
    }

    std::optional<DateItem> dateItem(const QJsonValue& value, const QString& path)
    {
        const std::optional<QString> given = text(value, path, QStringLiteral("日期"));
        if (!given)
            return std::nullopt;
        static const QRegularExpression shape(QStringLiteral("^(?:([0-9]{4})-)?([0-9]{2})-([0-9]{2})$"));
        const QRegularExpressionMatch match = shape.match(*given);
        const DateItem item {match.capturedView(1).toInt(), {match.capturedView(2).toInt(), match.capturedView(3).toInt()}};
        const bool valid = match.hasMatch() && (item.year == 0 ? monthDayExists(item.day)
                                                               : QDate(item.year, item.day.month, item.day.day).isValid());
        if (!valid || (item.year != 0 && (item.year < kFirstYear || item.year > kLastYear))) {
            fail(path, QStringLiteral("“%1”不是有效的日期：须为每年的“MM-DD”或某一天的“YYYY-MM-DD”（%2 到 %3 年）。")
                           .arg(*given)
                           .arg(kFirstYear)
                           .arg(kLastYear));
            return std::nullopt;
        }
        return item;
    }

    std::optional<LocalMinute> localDateTime(const QJsonValue& value, const QString& path)
    {
        const std::optional<QString> given = text(value, path, QStringLiteral("日期时间"));
        if (!given)
            return std::nullopt;
        static const QRegularExpression shape(
            QStringLiteral("^([0-9]{4})-([0-9]{2})-([0-9]{2})T([01][0-9]|2[0-3]):([0-5][0-9])$"));
        const QRegularExpressionMatch match = shape.match(*given);
        const QDate date(match.capturedView(1).toInt(), match.capturedView(2).toInt(), match.capturedView(3).toInt());
        if (!match.hasMatch() || !date.isValid() || date.year() < kFirstYear || date.year() > kLastYear) {
            fail(path, QStringLiteral("“%1”不是有效的日期时间：须为“YYYY-MM-DDTHH:MM”，如“2026-12-16T18:00”。").arg(*given));
            return std::nullopt;
        }
        return localMinuteOf(date, match.capturedView(4).toInt() * 60 + match.capturedView(5).toInt());
    }

    template <typename T, typename Read>
    std::optional<std::pair<T, T>> span(const QJsonValue& value, const QString& path, const QString& what, Read read)
    {
        const std::optional<QJsonObject> object = this->object(value, path, what);
        if (!object)
            return std::nullopt;
        onlyKnown(*object, path, {QStringLiteral("from"), QStringLiteral("to")});
        const std::optional<T> from = read(object->value(QLatin1String("from")), join(path, QStringLiteral("from")));
        const std::optional<T> to = read(object->value(QLatin1String("to")), join(path, QStringLiteral("to")));
        if (!from || !to)
            return std::nullopt;
        return std::pair<T, T> {*from, *to};
    }

    std::optional<Rule> rule(const QJsonValue& value, const QString& path)
    {
        const std::optional<QJsonObject> object = this->object(value, path, QStringLiteral("规则"));
        if (!object)
            return std::nullopt;
        onlyKnown(*object, path,
                  {QStringLiteral("id"), QStringLiteral("plan"), QStringLiteral("enabled"), QStringLiteral("weekly"),
                   QStringLiteral("season"), QStringLiteral("dates"), QStringLiteral("override")});
        Rule rule;
        const std::size_t errorsBefore = errors.size();
        if (const auto id = text(object->value(QLatin1String("id")), join(path, QStringLiteral("id")), QStringLiteral("规则名")))
            rule.id = *id;
        if (const auto plan = text(object->value(QLatin1String("plan")), join(path, QStringLiteral("plan")),
                                   QStringLiteral("规则所用的计划名")))
            rule.plan = *plan;
        if (const QJsonValue enabled = object->value(QLatin1String("enabled")); !enabled.isUndefined()) {
            if (enabled.isBool())
                rule.enabled = enabled.toBool();
            else
                fail(join(path, QStringLiteral("enabled")), QStringLiteral("enabled 须为 true 或 false。"));
        }
        bool anyCondition = false;
        if (const QJsonValue weekly = object->value(QLatin1String("weekly")); !weekly.isUndefined()) {
            anyCondition = true;
            rule.week.reset();
            const QString at = join(path, QStringLiteral("weekly"));
            if (const auto spans = array(weekly, at, QStringLiteral("每周时段"))) {
                for (qsizetype i = 0; i < spans->size(); ++i) {
                    const QString spanAt = join(at, i);
                    const auto span = this->span<int>(spans->at(i), spanAt, QStringLiteral("每周时段"),
                                                      [this](const QJsonValue& v, const QString& p) { return weekTime(v, p); });
                    if (!span)
                        continue;
                    if (span->first == span->second) {
                        fail(join(spanAt, QStringLiteral("to")), QStringLiteral("时段的开始与结束相同。整周生效的规则不需要每周时段。"));
                        continue;
                    }
                    rule.weekly.push_back({span->first, span->second});
                    for (int m = span->first; m != span->second; m = (m + 1) % kMinutesPerWeek)
                        rule.week.set(std::size_t(m));
                }
            }
        }
        if (const QJsonValue season = object->value(QLatin1String("season")); !season.isUndefined()) {
            anyCondition = true;
            rule.season = span<MonthDay>(season, join(path, QStringLiteral("season")), QStringLiteral("季节"),
                                         [this](const QJsonValue& v, const QString& p) { return monthDay(v, p); });
        }
        if (const QJsonValue dates = object->value(QLatin1String("dates")); !dates.isUndefined()) {
            anyCondition = true;
            const QString at = join(path, QStringLiteral("dates"));
            if (const auto items = array(dates, at, QStringLiteral("日期"))) {
                for (qsizetype i = 0; i < items->size(); ++i) {
                    if (const auto item = dateItem(items->at(i), join(at, i)))
                        rule.dates.push_back(*item);
                }
            }
        }
        if (const QJsonValue override_ = object->value(QLatin1String("override")); !override_.isUndefined()) {
            anyCondition = true;
            const QString at = join(path, QStringLiteral("override"));
            rule.override_ = span<LocalMinute>(override_, at, QStringLiteral("临时时段"),
                                               [this](const QJsonValue& v, const QString& p) { return localDateTime(v, p); });
            if (rule.override_ && rule.override_->first >= rule.override_->second)
                fail(join(at, QStringLiteral("to")), QStringLiteral("临时时段的结束须晚于开始。"));
            else if (rule.override_ && rule.override_->second - rule.override_->first > kMaxOverrideDays * kMinutesPerDay)
                fail(join(at, QStringLiteral("to")),
                     QStringLiteral("临时时段最长 %1 天。更长的时段请用季节（season）或日期（dates）。").arg(kMaxOverrideDays));
        }
        if (!anyCondition)
            fail(path, QStringLiteral("规则须至少有一个条件：weekly、season、dates 或 override。"));
        if (errors.size() != errorsBefore)
            return std::nullopt;
        return rule;
    }

private:
    const ValueCheck& m_check;
};

bool anyIn(const std::bitset<kMinutesPerWeek>& bits, int from, int to)
{
    for (int m = from; m < to; ++m) {
        if (bits.test(std::size_t(m)))
            return true;
    }
    return false;
}

// Whether a rule lets the month and day pass in the years it names no date of.
bool everyYearAllowed(const Rule& rule, MonthDay day)
{
    if (rule.season && !inSeason(*rule.season, day))
        return false;
    if (rule.dates.empty())
        return true;
    return std::any_of(rule.dates.begin(), rule.dates.end(),
                       [day](const DateItem& item) { return item.year == 0 && item.day == day; });
}

bool canHoldTogether(const Rule& a, const Rule& b)
{
    const std::bitset<kMinutesPerWeek> week = a.week & b.week;
    if (week.none())
        return false;
    std::array<bool, 7> dayHasMinute {};
    for (int day = 0; day < 7; ++day)
        dayHasMinute[std::size_t(day)] = anyIn(week, day * kMinutesPerDay, (day + 1) * kMinutesPerDay);

    if (a.override_ || b.override_) {
        LocalMinute from = std::numeric_limits<LocalMinute>::min();
        LocalMinute to = std::numeric_limits<LocalMinute>::max();
        for (const Rule* rule : {&a, &b}) {
            if (rule->override_) {
                from = std::max(from, rule->override_->first);
                to = std::min(to, rule->override_->second);
            }
        }
        for (QDate date = dateOf(from); from < to && date <= dateOf(to - 1); date = date.addDays(1)) {
            if (!a.dayAllowed(date) || !b.dayAllowed(date))
                continue;
            const LocalMinute dayStart = localMinuteOf(date, 0);
            const LocalMinute lo = std::max(from, dayStart);
            const LocalMinute hi = std::min(to, dayStart + kMinutesPerDay);
            const int weekStart = minuteOfWeek(dayStart);
            if (hi - lo == kMinutesPerDay ? dayHasMinute[std::size_t(weekStart / kMinutesPerDay)]
                                          : anyIn(week, weekStart + minuteOfDay(lo), weekStart + minuteOfDay(lo) + int(hi - lo)))
                return true;
        }
        return false;
    }

    // Days named with their year: those days as they fall.
    for (const Rule* rule : {&a, &b}) {
        for (const DateItem& item : rule->dates) {
            const QDate date(item.year, item.day.month, item.day.day);
            if (item.year != 0 && a.dayAllowed(date) && b.dayAllowed(date) &&
                dayHasMinute[std::size_t(date.dayOfWeek() - 1)])
                return true;
        }
    }
    // Every other allowed day comes round on each weekday in some year, 29 February included.
    for (QDate date(2000, 1, 1); date.year() == 2000; date = date.addDays(1)) {
        if (everyYearAllowed(a, {date.month(), date.day()}) && everyYearAllowed(b, {date.month(), date.day()}))
            return true;
    }
    return false;
}

} // namespace

QString areaName(Area area)
{
    switch (area) {
    case Area::Rooms:
        return QStringLiteral("rooms");
    case Area::Rates:
        return QStringLiteral("rates");
    case Area::Weather:
        return QStringLiteral("weather");
    }
    return {};
}

std::optional<Area> areaOfField(storage::Field field)
{
    switch (storage::groupOf(field).role) {
    case storage::FieldRole::RoomRate:
        return Area::Rooms;
    case storage::FieldRole::RateValue:
        return Area::Rates;
    case storage::FieldRole::WeatherText:
    case storage::FieldRole::Temperature:
        return Area::Weather;
    default:
        return std::nullopt;
    }
}

QString levelName(Level level)
{
    switch (level) {
    case Level::Weekly:
        return QStringLiteral("weekly");
    case Level::Season:
        return QStringLiteral("season");
    case Level::Dates:
        return QStringLiteral("dates");
    case Level::Override:
        return QStringLiteral("override");
    }
    return {};
}

bool Plan::sets(Area area) const
{
    return std::any_of(values.begin(), values.end(), [area](const PlanValue& value) { return areaOfField(value.field) == area; });
}

Level Rule::level() const
{
    if (override_)
        return Level::Override;
    if (!dates.empty())
        return Level::Dates;
    if (season)
        return Level::Season;
    return Level::Weekly;
}

bool Rule::dayAllowed(QDate date) const
{
    const MonthDay day {date.month(), date.day()};
    if (season && !inSeason(*season, day))
        return false;
    if (dates.empty())
        return true;
    return std::any_of(dates.begin(), dates.end(), [&](const DateItem& item) {
        return item.day == day && (item.year == 0 || item.year == date.year());
    });
}

QTimeZone Schedule::zone() const
{
    return timezone.isEmpty() ? QTimeZone::systemTimeZone() : QTimeZone(timezone.toUtf8());
}

const Plan* Schedule::plan(const QString& name) const
{
    const auto found = std::find_if(plans.begin(), plans.end(), [&name](const Plan& plan) { return plan.name == name; });
    return found == plans.end() ? nullptr : &*found;
}

std::vector<Clash> findClashes(const Schedule& schedule)
{
    std::vector<Clash> clashes;
    for (std::size_t i = 0; i < schedule.rules.size(); ++i) {
        const Rule& a = schedule.rules[i];
        const Plan* planA = schedule.plan(a.plan);
        if (!a.enabled || !planA)
            continue;
        for (std::size_t j = i + 1; j < schedule.rules.size(); ++j) {
            const Rule& b = schedule.rules[j];
            const Plan* planB = schedule.plan(b.plan);
            if (!b.enabled || !planB || a.level() != b.level())
                continue;
            std::vector<Area> areas;
            for (const Area area : kAreas) {
                if (planA->sets(area) && planB->sets(area))
                    areas.push_back(area);
            }
            if (!areas.empty() && canHoldTogether(a, b))
                clashes.push_back({a.id, b.id, a.level(), areas});
        }
    }
    return clashes;
}

ParseResult parseSchedule(const QJsonObject& json, const ValueCheck& check)
{
    Reader read(check);
    Schedule schedule;
    read.onlyKnown(json, {}, {QStringLiteral("revision"), QStringLiteral("timezone"), QStringLiteral("plans"), QStringLiteral("rules")});

    if (const QJsonValue revision = json.value(QLatin1String("revision")); !revision.isUndefined()) {
        const double number = revision.toDouble(-1);
        if (!revision.isDouble() || number < 0 || number > std::numeric_limits<int>::max() || number != std::floor(number))
            read.fail(QStringLiteral("revision"), QStringLiteral("revision 须为不小于 0 的整数。"));
        else
            schedule.revision = int(number);
    }
    if (const QJsonValue zone = json.value(QLatin1String("timezone")); !zone.isUndefined() && !zone.isNull()) {
        if (const auto name = read.text(zone, QStringLiteral("timezone"), QStringLiteral("时区"))) {
            if (!name->isEmpty() && !QTimeZone::isTimeZoneIdAvailable(name->toUtf8()))
                read.fail(QStringLiteral("timezone"),
                          QStringLiteral("未知的时区“%1”：须为 IANA 时区名，如“Asia/Shanghai”；留空则用本机的时区。").arg(*name));
            else
                schedule.timezone = *name;
        }
    }
    if (const QJsonValue plans = json.value(QLatin1String("plans")); !plans.isUndefined() && !plans.isNull()) {
        if (const auto object = read.object(plans, QStringLiteral("plans"), QStringLiteral("plans"))) {
            for (auto it = object->begin(); it != object->end(); ++it) {
                if (auto plan = read.plan(it.key(), it.value(), join(QStringLiteral("plans"), it.key())))
                    schedule.plans.push_back(std::move(*plan));
            }
        }
    }
    if (const QJsonValue rules = json.value(QLatin1String("rules")); !rules.isUndefined() && !rules.isNull()) {
        if (!rules.isArray()) {
            read.fail(QStringLiteral("rules"), QStringLiteral("rules 须为数组，这里是%1。").arg(jsonKind(rules)));
        } else {
            const QJsonArray list = rules.toArray();
            if (list.size() > kMaxRules)
                read.fail(QStringLiteral("rules"), QStringLiteral("最多 %1 条规则，这里有 %2 条。").arg(kMaxRules).arg(list.size()));
            QSet<QString> ids;
            for (qsizetype i = 0; i < list.size(); ++i) {
                const QString at = join(QStringLiteral("rules"), i);
                std::optional<Rule> rule = read.rule(list.at(i), at);
                if (!rule)
                    continue;
                if (rule->id.trimmed().isEmpty())
                    read.fail(join(at, QStringLiteral("id")), QStringLiteral("规则名不能为空。"));
                else if (ids.contains(rule->id))
                    read.fail(join(at, QStringLiteral("id")), QStringLiteral("规则名“%1”已被前面的规则使用。").arg(rule->id));
                ids.insert(rule->id);
                if (!schedule.plan(rule->plan) && !json.value(QLatin1String("plans")).toObject().contains(rule->plan))
                    read.fail(join(at, QStringLiteral("plan")), QStringLiteral("没有名为“%1”的计划。").arg(rule->plan));
                schedule.rules.push_back(std::move(*rule));
            }
        }
    }

    ParseResult result;
    result.clashes = findClashes(schedule);
    for (const Clash& clash : result.clashes) {
        QStringList areas;
        for (const Area area : clash.areas)
            areas << areaLabel(area);
        const auto later = std::find_if(schedule.rules.begin(), schedule.rules.end(),
                                        [&clash](const Rule& rule) { return rule.id == clash.second; });
        read.fail(join(QStringLiteral("rules"), later - schedule.rules.begin()),
                  QStringLiteral("规则“%1”与“%2”同为%3规则，可能同时生效，且都设置%4：请让它们的时间错开，或停用其中一条。")
                      .arg(clash.first, clash.second, levelLabel(clash.level), areas.join(QStringLiteral("、"))));
    }
    result.errors = std::move(read.errors);
    if (result.errors.empty())
        result.schedule = std::move(schedule);
    return result;
}

QJsonObject scheduleJson(const Schedule& schedule)
{
    QJsonObject plans;
    for (const Plan& plan : schedule.plans)
        plans.insert(plan.name, plan.json);
    QJsonArray rules;
    for (const Rule& rule : schedule.rules) {
        QJsonObject object {{QStringLiteral("id"), rule.id}, {QStringLiteral("plan"), rule.plan}};
        if (!rule.enabled)
            object.insert(QStringLiteral("enabled"), false);
        if (!rule.weekly.empty()) {
            QJsonArray spans;
            for (const WeekSpan& span : rule.weekly)
                spans.append(QJsonObject {{QStringLiteral("from"), weekText(span.from)}, {QStringLiteral("to"), weekText(span.to)}});
            object.insert(QStringLiteral("weekly"), spans);
        }
        if (rule.season)
            object.insert(QStringLiteral("season"), QJsonObject {{QStringLiteral("from"), monthDayText(rule.season->first)},
                                                                 {QStringLiteral("to"), monthDayText(rule.season->second)}});
        if (!rule.dates.empty()) {
            QJsonArray dates;
            for (const DateItem& item : rule.dates)
                dates.append(item.year == 0 ? monthDayText(item.day)
                                            : QStringLiteral("%1-").arg(item.year, 4, 10, QLatin1Char('0')) + monthDayText(item.day));
            object.insert(QStringLiteral("dates"), dates);
        }
        if (rule.override_)
            object.insert(QStringLiteral("override"), QJsonObject {{QStringLiteral("from"), localText(rule.override_->first)},
                                                                   {QStringLiteral("to"), localText(rule.override_->second)}});
        rules.append(object);
    }
    QJsonObject json {{QStringLiteral("revision"), schedule.revision}, {QStringLiteral("plans"), plans}, {QStringLiteral("rules"), rules}};
    if (!schedule.timezone.isEmpty())
        json.insert(QStringLiteral("timezone"), schedule.timezone);
    return json;
}

} // namespace schedule
