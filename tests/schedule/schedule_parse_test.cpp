#include "schedule/schedule.h"

#include "schedule_support.h"

#include <QJsonArray>

namespace {

using schedule::parseSchedule;
using schedule_test::jsonOf;

QStringList fieldsOf(const schedule::ParseResult& result)
{
    QStringList fields;
    for (const schedule::FieldError& error : result.errors)
        fields << error.field;
    return fields;
}

struct Refusal {
    const char* json;
    QStringList fields;
};

TEST(ParseSchedule, RefusesEachBadValueAtItsField)
{
    const Refusal table[] = {
        {R"({"rules": [{"id": "a", "plan": "x", "dates": ["01-01"]}]})", {"rules.1.plan"}},
        {R"({"plans": {"p": {"rooms": ["1"]}}, "rules": [{"id": "a", "plan": "p", "weekly": [{"from": "mon 6:00", "to": "fri 18:00"}]}]})",
         {"rules.1.weekly.1.from"}},
        {R"({"plans": {"p": {"rooms": ["1"]}}, "rules": [{"id": "a", "plan": "p", "weekly": [{"from": "mon 06:00", "to": "xyz 18:00"}]}]})",
         {"rules.1.weekly.1.to"}},
        {R"({"plans": {"p": {"rooms": ["1"]}}, "rules": [{"id": "a", "plan": "p", "weekly": [{"from": "mon 06:00", "to": "mon 06:00"}]}]})",
         {"rules.1.weekly.1.to"}},
        {R"({"plans": {"p": {"rooms": ["1"]}}, "rules": [{"id": "a", "plan": "p", "weeky": [{"from": "mon 06:00", "to": "fri 18:00"}]}]})",
         {"rules.1.weeky", "rules.1"}},
        {R"({"plans": {"p": {"rooms": ["1"]}}, "rules": [{"id": "a", "plan": "p", "season": {"from": "02-30", "to": "03-01"}}]})",
         {"rules.1.season.from"}},
        {R"({"plans": {"p": {"rooms": ["1"]}}, "rules": [{"id": "a", "plan": "p", "dates": ["01-01", "2027-02-29"]}]})",
         {"rules.1.dates.2"}},
        {R"({"plans": {"p": {"rooms": ["1"]}}, "rules": [{"id": "a", "plan": "p", "dates": []}]})", {"rules.1.dates"}},
        {R"({"plans": {"p": {"rooms": ["1"]}}, "rules": [{"id": "a", "plan": "p",
             "override": {"from": "2026-12-17T12:00", "to": "2026-12-17T12:00"}}]})",
         {"rules.1.override.to"}},
        {R"({"plans": {"p": {"rooms": ["1"]}}, "rules": [{"id": "a", "plan": "p", "override": {"from": "2026-12-17 12:00", "to": "2026-12-18T12:00"}}]})",
         {"rules.1.override.from"}},
        {R"({"plans": {"p": {"rooms": ["1"]}}, "rules": [{"id": "a", "plan": "p",
             "override": {"from": "2026-01-01T00:00", "to": "2027-02-05T00:01"}}]})",
         {"rules.1.override.to"}},
        {R"({"plans": {"p": {"rooms": ["1"]}}, "rules": [{"id": "a", "plan": "p", "dates": ["01-01"], "enabled": "no"}]})",
         {"rules.1.enabled"}},
        {R"({"plans": {"p": {"rooms": ["1"]}}, "rules": [{"id": "a", "plan": "p"}]})", {"rules.1"}},
        {R"({"plans": {"p": {"rooms": ["1"]}}, "rules": [{"id": "a", "plan": "p", "dates": ["01-01"]},
                                                        {"id": "a", "plan": "p", "dates": ["01-02"]}]})",
         {"rules.2.id"}},
        {R"({"timezone": "Mars/Olympus"})", {"timezone"}},
        {R"({"revision": -1})", {"revision"}},
        {R"({"revision": 1.5, "extra": 1})", {"extra", "revision"}},
        {R"({"plans": {"p": {"rooms": ["1","2","3","4","5","6","7","8","9","10","11"]}}})", {"plans.p.rooms"}},
        {R"({"plans": {"p": {"rates": [null, {"a": 5, "c": "1"}]}}})", {"plans.p.rates.2.c", "plans.p.rates.2.a"}},
        {R"({"plans": {"p": {"weather": {"text": "晴", "wind": "3"}, "names": {}}}})", {"plans.p.names", "plans.p.weather.wind"}},
        {R"({"rules": {"id": "a"}})", {"rules"}},
    };
    for (const Refusal& row : table) {
        const schedule::ParseResult result = parseSchedule(jsonOf(row.json));
        EXPECT_FALSE(result.schedule.has_value()) << row.json;
        EXPECT_EQ(fieldsOf(result), row.fields) << row.json;
        for (const schedule::FieldError& error : result.errors)
            EXPECT_FALSE(error.message.isEmpty()) << row.json;
    }
}

TEST(ParseSchedule, RefusesMoreRulesThanTheClashCheckIsBoundedFor)
{
    QJsonArray rules;
    for (int i = 0; i <= schedule::kMaxRules; ++i)
        rules.append(QJsonObject {{"id", QString::number(i)}, {"plan", "p"}, {"enabled", false}, {"dates", QJsonArray {"01-01"}}});
    QJsonObject json = jsonOf(R"({"plans": {"p": {"rooms": ["1"]}}})");
    json.insert(QStringLiteral("rules"), rules);
    EXPECT_EQ(fieldsOf(parseSchedule(json)), QStringList({"rules"}));
    rules.removeLast();
    json.insert(QStringLiteral("rules"), rules);
    EXPECT_TRUE(parseSchedule(json).schedule.has_value());
}

TEST(ParseSchedule, PlanValuesGoThroughTheGivenCheckAtTheirContentKeys)
{
    QStringList checked;
    const schedule::ValueCheck check = [&checked](storage::Field field, const QString& value) {
        checked << storage::keyOf(field) + u'=' + value;
        return value.size() > 4 ? QStringLiteral("太长") : QString();
    };
    const schedule::ParseResult result = parseSchedule(
        jsonOf(R"({"plans": {"p": {"rooms": ["988", null, "12345"], "rates": [null, {"b": "7.1"}], "weather": {"low": "-5"}}}})"), check);
    EXPECT_EQ(checked, QStringList({"rooms.1=988", "rooms.3=12345", "rates.2.b=7.1", "weather.low=-5"}));
    ASSERT_EQ(result.errors.size(), 1U);
    EXPECT_EQ(result.errors[0], (schedule::FieldError {"plans.p.rooms.3", "太长"}));
}

TEST(ParseSchedule, AnEmptyObjectIsRevisionZeroWithoutPlansAndGivesBackTheSameShape)
{
    const schedule::ParseResult empty = parseSchedule({});
    ASSERT_TRUE(empty.schedule.has_value());
    EXPECT_EQ(empty.schedule->revision, 0);
    EXPECT_EQ(empty.schedule->zone(), QTimeZone::systemTimeZone());
    EXPECT_EQ(schedule::scheduleJson(*empty.schedule), jsonOf(R"({"revision": 0, "plans": {}, "rules": []})"));

    const char* const full = R"({"revision": 7, "timezone": "Asia/Shanghai",
      "plans": {"a": {"rooms": ["988", null]}, "b": {"rates": [{"a": "712.35", "b": "731.60"}]}},
      "rules": [{"id": "w", "plan": "a", "weekly": [{"from": "fri 18:00", "to": "mon 06:00"}, {"from": "wed 00:00", "to": "wed 01:00"}]},
                {"id": "s", "plan": "b", "enabled": false, "season": {"from": "12-20", "to": "01-06"}, "weekly": [{"from": "sat 00:00", "to": "mon 00:00"}]},
                {"id": "d", "plan": "a", "dates": ["01-01", "2028-02-29"]},
                {"id": "o", "plan": "b", "override": {"from": "2026-12-16T18:00", "to": "2026-12-17T12:00"}}]})";
    const schedule::ParseResult result = parseSchedule(jsonOf(full));
    ASSERT_TRUE(result.schedule.has_value());
    EXPECT_EQ(result.schedule->rules[1].level(), schedule::Level::Season); // a season narrowed by weekly spans
    EXPECT_EQ(schedule::scheduleJson(*result.schedule), jsonOf(full));
}

struct ClashCase {
    const char* name;
    const char* rules;
    QStringList clashes; // "first/second level areas"
};

TEST(FindClashes, RefusesTwoRulesOfOneLevelThatCanHoldTogetherForTheSameArea)
{
    const ClashCase table[] = {
        {"overlapping weekdays", R"([{"id": "a", "plan": "rooms", "weekly": [{"from": "mon 06:00", "to": "fri 18:00"}]},
                                     {"id": "b", "plan": "rooms", "weekly": [{"from": "fri 12:00", "to": "sat 00:00"}]}])",
         {"a/b weekly rooms"}},
        {"touching weekdays", R"([{"id": "a", "plan": "rooms", "weekly": [{"from": "mon 06:00", "to": "fri 18:00"}]},
                                  {"id": "b", "plan": "both", "weekly": [{"from": "fri 18:00", "to": "mon 06:00"}]}])",
         {}},
        {"different areas", R"([{"id": "a", "plan": "rooms", "weekly": [{"from": "mon 06:00", "to": "fri 18:00"}]},
                                {"id": "b", "plan": "rates", "weekly": [{"from": "mon 06:00", "to": "fri 18:00"}]}])",
         {}},
        {"one of them disabled", R"([{"id": "a", "plan": "rooms", "dates": ["01-01"]},
                                     {"id": "b", "plan": "rooms", "enabled": false, "dates": ["01-01"]}])",
         {}},
        {"different levels", R"([{"id": "a", "plan": "rooms", "dates": ["01-01"]},
                                 {"id": "b", "plan": "rooms", "season": {"from": "12-20", "to": "01-06"}}])",
         {}},
        {"winter weekends against January", R"([
            {"id": "a", "plan": "both", "season": {"from": "12-20", "to": "01-06"}, "weekly": [{"from": "sat 00:00", "to": "mon 00:00"}]},
            {"id": "b", "plan": "rates", "season": {"from": "01-01", "to": "01-31"}}])",
         {"a/b season rates"}},
        {"seasons apart", R"([{"id": "a", "plan": "rooms", "season": {"from": "12-20", "to": "01-06"}},
                              {"id": "b", "plan": "rooms", "season": {"from": "02-01", "to": "02-29"}}])",
         {}},
        {"every New Year and one New Year", R"([{"id": "a", "plan": "both", "dates": ["01-01"]},
                                                {"id": "b", "plan": "both", "dates": ["2027-01-01"]}])",
         {"a/b dates rooms,rates"}},
        {"a Saturday that is never a weekday", R"([
            {"id": "a", "plan": "rooms", "dates": ["2027-01-02"], "weekly": [{"from": "mon 00:00", "to": "sat 00:00"}]},
            {"id": "b", "plan": "rooms", "dates": ["01-02"]}])",
         {}},
        {"overlapping overrides", R"([{"id": "a", "plan": "rooms", "override": {"from": "2026-12-16T18:00", "to": "2026-12-17T12:00"}},
                                      {"id": "b", "plan": "rooms", "override": {"from": "2026-12-17T11:59", "to": "2026-12-18T00:00"}}])",
         {"a/b override rooms"}},
        {"an override that meets the other's weekly span only outside it", R"([
            {"id": "a", "plan": "rooms", "override": {"from": "2026-12-16T18:00", "to": "2026-12-17T12:00"}},
            {"id": "b", "plan": "rooms", "override": {"from": "2026-12-17T00:00", "to": "2026-12-18T00:00"},
             "weekly": [{"from": "thu 12:00", "to": "fri 00:00"}]}])",
         {}},
        {"three weekly rules over Friday", R"([{"id": "a", "plan": "rooms", "weekly": [{"from": "fri 00:00", "to": "sat 00:00"}]},
                                               {"id": "b", "plan": "rooms", "weekly": [{"from": "fri 12:00", "to": "fri 13:00"}]},
                                               {"id": "c", "plan": "both", "weekly": [{"from": "thu 23:00", "to": "fri 00:01"}]}])",
         {"a/b weekly rooms", "a/c weekly rooms"}},
    };
    for (const ClashCase& row : table) {
        const QString json = QStringLiteral(R"({"plans": {"rooms": {"rooms": ["1"]}, "rates": {"rates": [{"a": "1"}]},
            "both": {"rooms": ["2"], "rates": [{"b": "2"}]}}, "rules": %1})")
                                 .arg(QString::fromUtf8(row.rules));
        const schedule::ParseResult result = parseSchedule(jsonOf(json.toUtf8().constData()));
        QStringList found;
        for (const schedule::Clash& clash : result.clashes) {
            QStringList areas;
            for (const schedule::Area area : clash.areas)
                areas << schedule::areaName(area);
            found << QStringLiteral("%1/%2 %3 %4").arg(clash.first, clash.second, schedule::levelName(clash.level), areas.join(u','));
        }
        EXPECT_EQ(found, row.clashes) << row.name;
        EXPECT_EQ(result.schedule.has_value(), row.clashes.isEmpty()) << row.name;
        EXPECT_EQ(result.errors.size(), std::size_t(row.clashes.size())) << row.name;
    }
}

} // namespace
