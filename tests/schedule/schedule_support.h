#pragma once
// Schedules written as JSON text and moments written as ISO text with their offset, so that a
// table row reads as the operator would write it.
#include "schedule/resolver.h"
#include "schedule/schedule.h"

#include <gtest/gtest.h>

#include <QDateTime>
#include <QJsonDocument>
#include <QString>

#include <ostream>

inline void PrintTo(const QString& text, std::ostream* out)
{
    *out << '"' << text.toStdString() << '"';
}

namespace schedule_test {

inline QJsonObject jsonOf(const char* text)
{
    QJsonParseError error {};
    const QJsonDocument document = QJsonDocument::fromJson(QByteArray(text), &error);
    EXPECT_EQ(error.error, QJsonParseError::NoError) << error.errorString().toStdString() << " in " << text;
    return document.object();
}

inline schedule::Schedule parsed(const char* text)
{
    const schedule::ParseResult result = schedule::parseSchedule(jsonOf(text));
    for (const schedule::FieldError& error : result.errors)
        ADD_FAILURE() << error.field.toStdString() << ": " << error.message.toStdString();
    return result.schedule.value_or(schedule::Schedule {});
}

// "2026-03-29T03:00+02:00" -> milliseconds since the epoch.
inline qint64 at(const char* iso)
{
    const QDateTime moment = QDateTime::fromString(QString::fromLatin1(iso), Qt::ISODate);
    EXPECT_TRUE(moment.isValid()) << iso;
    return moment.toMSecsSinceEpoch();
}

// The instant in UTC, for comparing with a table's "...Z" text.
inline QString utc(qint64 ms)
{
    return QDateTime::fromMSecsSinceEpoch(ms, Qt::UTC).toString(Qt::ISODate);
}

// "rule@level" or "-".
inline QString described(const std::optional<schedule::Winner>& winner)
{
    return winner ? winner->rule + u'@' + schedule::levelName(winner->level) : QStringLiteral("-");
}

} // namespace schedule_test
