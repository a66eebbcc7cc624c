#include "serial/port_naming.h"

#include <QRegularExpression>

namespace serial {

QString numberedPort(int number)
{
    return QStringLiteral("COM%1").arg(number);
}

std::optional<QString> devicePath(const QString& text)
{
    static const QRegularExpression com(QStringLiteral("^COM[1-9][0-9]*$"), QRegularExpression::CaseInsensitiveOption);
    if (com.match(text).hasMatch())
        return text.toUpper();
    return std::nullopt;
}

} // namespace serial
