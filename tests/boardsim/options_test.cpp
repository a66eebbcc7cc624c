#include "options.h"

#include <gtest/gtest.h>

#include <optional>
#include <string>

namespace {

struct ListenRow {
    const char* name;
    const char* text;
    std::optional<boardsim::ListenAddress> address;
};

bool operator==(const boardsim::ListenAddress& a, const boardsim::ListenAddress& b)
{
    return a.host == b.host && a.port == b.port;
}

const ListenRow kRows[] = {
    {"port_only_takes_loopback", "40000", boardsim::ListenAddress {"127.0.0.1", 40000}},
    {"free_port", "0", boardsim::ListenAddress {"127.0.0.1", 0}},
    {"host_and_port", "127.0.0.1:40001", boardsim::ListenAddress {"127.0.0.1", 40001}},
    {"ipv6_in_brackets", "[::1]:40002", boardsim::ListenAddress {"::1", 40002}},
    {"ipv6_without_brackets", "::1:40002", std::nullopt},
    {"empty_host", ":40000", std::nullopt},
    {"port_too_big", "65536", std::nullopt},
    {"port_not_a_number", "http", std::nullopt},
    {"signed_port", "+40000", std::nullopt},
    {"empty", "", std::nullopt},
};

class ListenAddress : public ::testing::TestWithParam<ListenRow> {};

TEST_P(ListenAddress, Parses)
{
    const auto got = boardsim::parseListenAddress(QString::fromLatin1(GetParam().text));
    ASSERT_EQ(got.has_value(), GetParam().address.has_value());
    if (got) {
        EXPECT_TRUE(*got == *GetParam().address) << got->host.toStdString() << " " << got->port;
    }
}

INSTANTIATE_TEST_SUITE_P(Rows, ListenAddress, ::testing::ValuesIn(kRows),
                         [](const auto& info) { return std::string(info.param.name); });

TEST(Options, OneLineKindOnly)
{
    const auto program = QStringLiteral("boardsim");
    EXPECT_TRUE(boardsim::parseOptions({program, QStringLiteral("--listen"), QStringLiteral("0")}).error.isEmpty());
    EXPECT_FALSE(boardsim::parseOptions({program, QStringLiteral("--listen"), QStringLiteral("0"), QStringLiteral("--pty")})
                     .error.isEmpty());
    EXPECT_FALSE(boardsim::parseOptions({program, QStringLiteral("--listen"), QStringLiteral("0"), QStringLiteral("/dev/ttyS0")})
                     .error.isEmpty());
    EXPECT_FALSE(boardsim::parseOptions({program, QStringLiteral("--listen"), QStringLiteral("x:y")}).error.isEmpty());
    EXPECT_FALSE(boardsim::parseOptions({program}).error.isEmpty());
}

} // namespace
