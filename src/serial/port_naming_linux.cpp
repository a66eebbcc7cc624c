#include "serial/port_naming.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <sys/stat.h>

namespace serial {

namespace {

bool isCharacterDevice(const QString& path)
{
    const QString target = QFileInfo(path).canonicalFilePath(); // empty when missing or a dangling link
    if (target.isEmpty())
        return false;
    struct stat info {};
    return ::stat(QFile::encodeName(target).constData(), &info) == 0 && S_ISCHR(info.st_mode);
}

} // namespace

QString numberedPort(int number)
{
    return QStringLiteral("/dev/ttyS%1").arg(number - 1);
}

std::optional<QString> devicePath(const QString& text)
{
    if (text.contains(QChar::Null))
        return std::nullopt;
    if (QDir::isAbsolutePath(text)) {
        if (QDir::cleanPath(text).startsWith(QLatin1String("/dev/")) || isCharacterDevice(text))
            return text;
        return std::nullopt;
    }
    if (!text.isEmpty() && !text.contains(QLatin1Char('/'))) {
        const QString underDev = QStringLiteral("/dev/") + text;
        if (isCharacterDevice(underDev))
            return underDev;
    }
    return std::nullopt;
}

} // namespace serial
