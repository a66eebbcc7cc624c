#include "webd/credential_commands.h"

#include "storage/app_name.h"
#include "web/credentials.h"
#include "web/web_text.h"
#include "webd/web_options.h"

#include <QStandardPaths>

namespace webd {

using web::WebText;

web::CredentialFiles defaultCredentialFiles()
{
    const QString folder = QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation) + u'/'
                           + QString::fromUtf16(storage::kApplicationName);
    return {folder + QStringLiteral("/web-password"), folder + QStringLiteral("/web-tokens"),
            folder + QStringLiteral("/web-tls.crt"), folder + QStringLiteral("/web-tls.key")};
}

std::optional<QByteArray> readNewSecret(const QString& prompt, const LineReader& readLine, bool askTwice,
                                        QTextStream& err)
{
    std::optional<QByteArray> secret = readLine(prompt);
    if (secret && secret->endsWith('\r'))
        secret->chop(1);
    if (!secret || secret->isEmpty()) {
        err << "vorfjp-web: " << WebText::tr("No password given; type it on one line, or pipe it in.") << Qt::endl;
        return std::nullopt;
    }
    if (askTwice && readLine(WebText::tr("The same again: ")) != secret) {
        err << "vorfjp-web: " << WebText::tr("The two passwords differ; nothing was stored.") << Qt::endl;
        return std::nullopt;
    }
    return secret;
}

int setPasswordCommand(const QString& path, const LineReader& readLine, bool askTwice, QTextStream& err)
{
    const std::optional<QByteArray> password = readNewSecret(WebText::tr("New password: "), readLine, askTwice, err);
    if (!password)
        return kDataError;
    if (const std::optional<QString> error = web::storePassword(path, *password)) {
        err << "vorfjp-web: " << *error << Qt::endl;
        return kCannotCreate;
    }
    err << WebText::tr("Password stored in %1. A running service takes it at once and ends the sessions of "
                       "the old one; a service started without a password needs a restart: "
                       "systemctl --user restart vorfjp-web")
               .arg(path)
        << Qt::endl;
    return kDone;
}

int newTokenCommand(const QString& path, const QString& name, QTextStream& out, QTextStream& err)
{
    const web::NewToken made = web::storeNewToken(path, name);
    if (!made.token) {
        err << "vorfjp-web: " << made.error << Qt::endl;
        return made.nameRefused ? kUsage : kCannotCreate;
    }
    out << *made.token << Qt::endl;
    err << WebText::tr("Token \"%1\" stored in %2 (only its hash). Scripts send it as the header "
                       "\"Authorization: Bearer TOKEN\"; it is shown only this once.")
               .arg(name, path)
        << Qt::endl;
    return kDone;
}

} // namespace webd
