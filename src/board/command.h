#pragma once
// The five things a front end can ask of the board, with the one list of their names that the
// command line, the HTTP API and every message take them from.
#include <QString>
#include <QStringView>

#include <array>
#include <optional>

namespace board {

enum class Command { Test, Time, Rooms, Rates, Weather };

struct CommandName {
    Command command;
    const char* name;
};

inline constexpr std::array<CommandName, 5> kCommandNames {{
    {Command::Test, "test"},
    {Command::Time, "time"},
    {Command::Rooms, "rooms"},
    {Command::Rates, "rates"},
    {Command::Weather, "weather"},
}};

QString commandName(Command command);
std::optional<Command> commandNamed(QStringView name);
// "test, time, rooms, rates or weather": `separator` between the names, `lastJoin` between the
// last two.
QString commandList(const QString& separator, const QString& lastJoin);

// Whether the command is built from the board content.
constexpr bool needsContent(Command command)
{
    return command == Command::Rooms || command == Command::Rates || command == Command::Weather;
}

// Whether a send of the command rewrites the content file once its frames went out, so that the
// file holds what the board shows. The clock and the connection test carry no content.
constexpr bool rewritesContent(Command command)
{
    return needsContent(command);
}

} // namespace board
