#include "board/command.h"

#include <QStringList>

namespace board {

QString commandName(Command command)
{
    for (const CommandName& entry : kCommandNames) {
        if (entry.command == command)
            return QString::fromLatin1(entry.name);
    }
    return {};
}

std::optional<Command> commandNamed(QStringView name)
{
    for (const CommandName& entry : kCommandNames) {
        if (name == QLatin1String(entry.name))
            return entry.command;
    }
    return std::nullopt;
}

QString commandList(const QString& separator, const QString& lastJoin)
{
    QStringList names;
    for (const CommandName& entry : kCommandNames)
        names << QString::fromLatin1(entry.name);
    const QString last = names.takeLast();
    return names.join(separator) + lastJoin + last;
}

} // namespace board
