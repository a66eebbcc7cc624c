// Each problem worded for every audience from the one catalogue: the kinds and statuses that
// scripts and the page rely on, words for the window and for vorfjp-send, and one font hint
// whichever program gives it.
#include "board/operator_text.h"

#include <QCoreApplication>
#include <QTranslator>

#include <gtest/gtest.h>

namespace {

using namespace std::chrono_literals;

struct ToldRow {
    const char* name;
    board::Problem problem;
    const char* kind;
    int httpStatus;
    int exitStatus;
};

void PrintTo(const ToldRow& row, std::ostream* out)
{
    *out << row.name;
}

line::WriteFault writeFault(line::WriteFailure why)
{
    line::WriteFault fault;
    fault.why = why;
    fault.port = QStringLiteral("/dev/ttyUSB0");
    return fault;
}

line::OpenFault openFault(line::OpenFailure why)
{
    line::OpenFault fault;
    fault.why = why;
    fault.port = QStringLiteral("rfc2217://127.0.0.1:2000");
    return fault;
}

board::EditError tooLong()
{
    board::EditError error;
    error.key = QStringLiteral("rooms.1");
    error.why = board::EditProblem::TooLong;
    error.value = QStringLiteral("12345");
    error.length = 5;
    error.limit = 4;
    return error;
}

class Told : public ::testing::TestWithParam<ToldRow> {};

TEST_P(Told, WithItsKindStatusesAndWordsForEachAudience)
{
    const ToldRow& row = GetParam();
    const board::Told told = board::tell(row.problem);
    EXPECT_STREQ(told.kind, row.kind);
    EXPECT_EQ(told.httpStatus, row.httpStatus);
    EXPECT_EQ(told.exitStatus, row.exitStatus);
    const bool silent = std::holds_alternative<board::Withdrawn>(row.problem);
    EXPECT_EQ(told.window.isEmpty(), silent) << told.window.toStdString();
    EXPECT_EQ(told.sender.isEmpty(), silent) << told.sender.toStdString();
}

INSTANTIATE_TEST_SUITE_P(
    EveryKind, Told,
    ::testing::Values(
        ToldRow {"AreaUnusable",
                 board::AreaUnusable {storage::Area::Rooms, {300, 8}, protocol::AreaProblem::AddressOutOfRange,
                                      QStringLiteral("300 8   ")},
                 "area-unusable", 422, 65},
        ToldRow {"PortUnavailable", board::PortUnavailable {openFault(line::OpenFailure::Refused)}, "port-unavailable",
                 503, 69},
        // A server that took the connection was reached: its line failed.
        ToldRow {"ClosedByServer", board::PortUnavailable {openFault(line::OpenFailure::ClosedByServer)},
                 "port-unavailable", 503, 74},
        ToldRow {"SendFailed", board::SendFailed {writeFault(line::WriteFailure::NotConfirmed), false}, "send-failed",
                 502, 74},
        ToldRow {"LineBusy", board::SendFailed {writeFault(line::WriteFailure::Busy), false}, "line-busy", 503, 74},
        ToldRow {"LineLost", board::LineLost {{QStringLiteral("/dev/ttyUSB0"), QString()}, true}, "line-lost", 502, 74},
        ToldRow {"PortClosedInPause", board::PortClosedInPause {}, "port-closed", 502, 74},
        ToldRow {"TestWaiting", board::TestWaiting {}, "test-waiting", 503, 69},
        ToldRow {"NoAnswer", board::NoAnswer {500ms}, "no-answer", 504, 75},
        ToldRow {"FontMissing", board::FontMissing {}, "font-missing", 503, 69},
        ToldRow {"ModuleMissing", board::FontMissing {QStringLiteral("libvorfjp-send-weather.so: not found")},
                 "font-missing", 503, 69},
        ToldRow {"ContentUnreadable", board::ContentUnusable {QStringLiteral("读不出来"), {}}, "content-unusable", 503,
                 65},
        ToldRow {"EditsRefused", board::ContentUnusable {QString(), {tooLong()}}, "content-unusable", 422, 65},
        ToldRow {"ClockInvalid", board::ClockInvalid {}, "clock-invalid", 500, 69},
        ToldRow {"SaveFailed", board::SaveFailed {QStringLiteral("磁盘已满"), {}, false}, "save-failed", 500, 74},
        ToldRow {"SaveRefused", board::SaveFailed {QString(), {tooLong()}, false}, "save-failed", 500, 74},
        ToldRow {"ChangedWhileSaved", board::SaveFailed {QString(), {}, true}, "save-failed", 500, 74},
        ToldRow {"Withdrawn", board::Withdrawn {}, "withdrawn", 500, 74}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(OperatorText, WindowTellsAnUnopenedPortWithItsOwnWordsFirst)
{
    const QString told = board::tell(board::PortUnavailable {openFault(line::OpenFailure::Refused)}).window;
    EXPECT_TRUE(told.startsWith(QStringLiteral("端口打开错误~!\n\n"))) << told.toStdString();
    EXPECT_TRUE(told.contains(QStringLiteral("rfc2217://127.0.0.1:2000"))) << told.toStdString();
}

// vorfjp-send in Chinese gives the window's hint word for word: an operator told by either
// installs the same font.
TEST(OperatorText, SenderGivesTheWindowsFontHint)
{
    QTranslator chinese;
    ASSERT_TRUE(chinese.load(QStringLiteral(VORFJP_SEND_QM)));
    ASSERT_TRUE(QCoreApplication::installTranslator(&chinese));
    const board::Told told = board::tell(board::FontMissing {});
    QCoreApplication::removeTranslator(&chinese);

    EXPECT_TRUE(told.window.contains(QStringLiteral("sudo apt-get install fonts-unifont"))) << told.window.toStdString();
    EXPECT_TRUE(told.window.contains(QStringLiteral("宋体"))) << told.window.toStdString();
    const QString hint = told.window.mid(told.window.indexOf(QStringLiteral("：")) + 1);
    EXPECT_TRUE(told.sender.startsWith(hint)) << told.sender.toStdString() << '\n' << hint.toStdString();
}

} // namespace
