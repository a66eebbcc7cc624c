#include "serial/port_choice.h"

#include "storage/app_name.h"

#include <QDir>
#include <QFileInfo>
#include <QRegularExpression>
#include <QSettings>

#ifndef Q_OS_WIN
#include <sys/stat.h>
#endif

namespace serial {

namespace {

constexpr auto kGroup = "CommPort";
constexpr auto kKey = "CommPort";
constexpr auto kDefaultChoice = "1";

// Plain decimal only: "0x3", "3.0" or "1e1" are neither numbers nor device names.
bool looksLikeNumber(const QString& text)
{
    static const QRegularExpression signedDigits(QStringLiteral("^[+-]?[0-9]+$"));
    return signedDigits.match(text).hasMatch();
}

// The choice has always been read as a signed 16-bit number.
std::optional<int> portNumber(const QString& text)
{
    bool ok = false;
    const short number = text.toShort(&ok, 10);
    if (!ok || number < 1)
        return std::nullopt;
    return number;
}

// How a port is named is the one platform concern of this unit. The Windows branch is not
// built on the project's Linux machines.
#ifdef Q_OS_WIN

QString numberedPort(int number) { return QStringLiteral("COM%1").arg(number); }

std::optional<QString> devicePath(const QString& text)
{
    static const QRegularExpression com(QStringLiteral("^COM[1-9][0-9]*$"),
                                        QRegularExpression::CaseInsensitiveOption);
    if (com.match(text).hasMatch())
        return text.toUpper();
    return std::nullopt;
}

#else

QString numberedPort(int number) { return QStringLiteral("/dev/ttyS%1").arg(number - 1); }

bool isCharacterDevice(const QString& path)
{
    const QString target = QFileInfo(path).canonicalFilePath(); // empty when missing or a dangling link
    if (target.isEmpty())
        return false;
    struct stat info {};
    return ::stat(QFile::encodeName(target).constData(), &info) == 0 && S_ISCHR(info.st_mode);
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

#endif

} // namespace

std::optional<QString> portNameForChoice(const QString& choiceText)
{
    const QString text = choiceText.trimmed();
    if (looksLikeNumber(text)) {
        if (const auto number = portNumber(text))
            return numberedPort(*number);
        return std::nullopt;
    }
    return devicePath(text);
}

QString loadPortChoice()
{
    const QString name = QString::fromUtf16(storage::kApplicationName);
    QSettings settings(name, name);
    settings.beginGroup(QString::fromLatin1(kGroup));
    return settings.value(QString::fromLatin1(kKey), QString::fromLatin1(kDefaultChoice)).toString();
}

void savePortChoice(const QString& choice)
{
    const QString name = QString::fromUtf16(storage::kApplicationName);
    QSettings settings(name, name);
    settings.beginGroup(QString::fromLatin1(kGroup));
    settings.setValue(QString::fromLatin1(kKey), choice);
}

} // namespace serial
