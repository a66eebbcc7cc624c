#pragma once
// The service's secrets on disk: the password and the scripts' tokens, each kept only as a hash
// made by libsodium, in files that only the user can read.
#include <QByteArray>
#include <QByteArrayView>
#include <QString>

#include <optional>

namespace web {

struct CredentialFiles {
    QString password; // one line: the password's Argon2id hash in libsodium's string form
    QString tokens;   // one line per token: its name, a blank, the hex BLAKE2b-256 hash of the token
    QString tlsCertificate; // the self-signed certificate made for HTTPS, PEM
    QString tlsKey;         // its private key, PEM
};

// Writes bytes to path atomically (a temporary file renamed over it), readable by the user
// alone from the first byte on, making its folder with mode 0700 when missing. The error, for
// the user, when it cannot.
std::optional<QString> writePrivateFile(const QString& path, const QByteArray& bytes);

// How much work a password's hash takes: Interactive is libsodium's choice for a login (about
// 0.1 s and 64 MiB); Minimal is for tests and fuzzing only. The hash names its own cost, so
// checking a password takes what storing it took.
enum class PasswordCost { Interactive, Minimal };

// Replaces the stored password with a salted Argon2id hash of password. The file is written
// atomically with mode 0600, its folder made with mode 0700 when missing. The error, for the
// user, when the password is empty or the file cannot be written.
std::optional<QString> storePassword(const QString& path, QByteArrayView password,
                                     PasswordCost cost = PasswordCost::Interactive);

// What the password file holds: no file; a password's hash, with its generation (a hash of the
// stored string, so that a new password, even the same one again, has a new one); or neither,
// which is a mistake to tell the user (an empty file, a blank line, anything that is no hash,
// a file that cannot be read).
struct StoredPassword {
    enum State { None, Stored, Unusable } state = None;
    QByteArray generation; // Stored only
    QString problem;       // Unusable only: for the user, naming the file and how to set one
};
StoredPassword storedPassword(const QString& path);
// Whether password is the stored one; false when none is stored or the file is unusable. Takes
// as long as storing it did (PasswordCost); safe to call from any thread.
bool passwordMatches(const QString& path, QByteArrayView password);

struct NewToken {
    std::optional<QByteArray> token; // the token to give the script; it is stored nowhere
    QString error;                   // for the user, when there is no token
    bool nameRefused = false;        // the error is the name's, not the file's
};

// Makes a token for name (1 to 64 of A-Z a-z 0-9 . _ -) and stores its hash, replacing a token
// of the same name, which stops working. Written as storePassword() writes.
NewToken storeNewToken(const QString& path, const QString& name);
// Whether token is one of the stored tokens; every stored hash is compared in constant time.
bool tokenMatches(const QString& path, QByteArrayView token);
// The name the token was made for, when it is one of the stored tokens (compared as above).
std::optional<QString> tokenName(const QString& path, QByteArrayView token);

// A fresh random 256-bit secret as 43 characters of URL-safe base64 without padding: a token or
// a session id.
QByteArray randomSecret();
// The 32-byte BLAKE2b hash of secret.
QByteArray secretHash(QByteArrayView secret);

} // namespace web
