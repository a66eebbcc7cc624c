#pragma once
// Where vorfjp-web keeps its secrets, and the two commands that set them up and end:
// --set-password and --new-token.
#include "web/credentials.h"

#include <QByteArray>
#include <QString>
#include <QTextStream>

#include <functional>
#include <optional>

namespace webd {

// web-password, web-tokens, web-tls.crt and web-tls.key in the user's configuration folder of
// the program: $XDG_CONFIG_HOME/VorFJP/ (~/.config/VorFJP/ when XDG_CONFIG_HOME is not set).
web::CredentialFiles defaultCredentialFiles();

// Reads one line of input without its line end, showing prompt first where a person types;
// nothing at the end of the input.
using LineReader = std::function<std::optional<QByteArray>(const QString& prompt)>;

// A new secret, read with prompt (at a terminal twice, and both must agree), without its line end.
// Nothing, with the reason on err, when none or an empty one was given or the two differ: the
// command then ends with kDataError.
std::optional<QByteArray> readNewSecret(const QString& prompt, const LineReader& readLine, bool askTwice,
                                        QTextStream& err);

// --set-password: reads the password (on a terminal twice, and both must agree) and stores its
// hash at path. Messages go to err; the exit status (ExitStatus): kDone, kDataError for no,
// an empty or a mistyped password, kCannotCreate when the file cannot be written.
int setPasswordCommand(const QString& path, const LineReader& readLine, bool askTwice, QTextStream& err);

// --new-token NAME: prints the token alone on out and stores its hash at path; how to use it
// goes to err. kUsage for a bad name, kCannotCreate when the file cannot be written.
int newTokenCommand(const QString& path, const QString& name, QTextStream& out, QTextStream& err);

} // namespace webd
