#include "web/credentials.h"

#include "web/web_text.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QList>
#include <QRegularExpression>
#include <QSaveFile>

#include <sodium.h>

namespace web {

namespace {

constexpr qsizetype kSecretBytes = 32;
constexpr qsizetype kHashBytes = crypto_generichash_BYTES;
static_assert(kHashBytes == 32);
// The longest file either secret file can legitimately be: a hash string, or many tokens.
constexpr qint64 kMaxFileBytes = 1024 * 1024;

void startSodium()
{
    // Idempotent; it fails only when the system offers no randomness, and then nothing here is safe.
    if (sodium_init() < 0)
        qFatal("libsodium cannot start: the system gives it no random numbers");
}

std::optional<QByteArray> readSmallFile(const QString& path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly) || file.size() > kMaxFileBytes)
        return std::nullopt;
    return file.readAll();
}

// The stored hash string, when the file holds one libsodium can check a password against.
std::optional<QByteArray> passwordHash(const QString& path)
{
    const std::optional<QByteArray> stored = readSmallFile(path);
    if (!stored)
        return std::nullopt;
    const QByteArray hash = stored->trimmed();
    if (hash.isEmpty() || hash.size() >= crypto_pwhash_STRBYTES)
        return std::nullopt;
    startSodium();
    // -1: not a hash string of the algorithm at all; 0 or 1: one, of whatever cost.
    if (crypto_pwhash_str_needs_rehash(hash.constData(), crypto_pwhash_OPSLIMIT_INTERACTIVE,
                                       crypto_pwhash_MEMLIMIT_INTERACTIVE)
        < 0)
        return std::nullopt;
    return hash;
}

struct StoredToken {
    QByteArray name;
    QByteArray hash; // kHashBytes
};

// The well-formed lines of a tokens file; any other line is left out.
QList<StoredToken> readTokens(const QString& path)
{
    QList<StoredToken> tokens;
    const std::optional<QByteArray> bytes = readSmallFile(path);
    if (!bytes)
        return tokens;
    for (const QByteArray& line : bytes->split('\n')) {
        const QList<QByteArray> parts = line.trimmed().split(' ');
        if (parts.size() != 2 || parts[1].size() != 2 * kHashBytes)
            continue;
        QByteArray hash(kHashBytes, '\0');
        size_t length = 0;
        if (sodium_hex2bin(reinterpret_cast<unsigned char*>(hash.data()), size_t(hash.size()), parts[1].constData(),
                           size_t(parts[1].size()), nullptr, &length, nullptr) != 0
            || length != size_t(kHashBytes))
            continue;
        tokens.append({parts[0], hash});
    }
    return tokens;
}

QByteArray hex(const QByteArray& bytes)
{
    QByteArray text(bytes.size() * 2 + 1, '\0');
    sodium_bin2hex(text.data(), size_t(text.size()), reinterpret_cast<const unsigned char*>(bytes.constData()),
                   size_t(bytes.size()));
    text.chop(1);
    return text;
}

} // namespace

std::optional<QString> writePrivateFile(const QString& path, const QByteArray& bytes)
{
    const QString folder = QFileInfo(path).absolutePath();
    if (!QFileInfo::exists(folder)) {
        if (!QDir().mkpath(folder))
            return WebText::tr("Cannot make the folder %1.").arg(folder);
        QFile::setPermissions(folder, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    }
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly) || !file.setPermissions(QFile::ReadOwner | QFile::WriteOwner)
        || file.write(bytes) != bytes.size() || !file.commit())
        return WebText::tr("Cannot write %1: %2.").arg(path, file.errorString());
    return std::nullopt;
}

std::optional<QString> storePassword(const QString& path, QByteArrayView password, PasswordCost cost)
{
    if (password.isEmpty())
        return WebText::tr("The password is empty; nothing was stored.");
    startSodium();
    const bool interactive = cost == PasswordCost::Interactive;
    char hash[crypto_pwhash_STRBYTES];
    if (crypto_pwhash_str(hash, password.data(), quint64(password.size()),
                          interactive ? crypto_pwhash_OPSLIMIT_INTERACTIVE : crypto_pwhash_OPSLIMIT_MIN,
                          interactive ? crypto_pwhash_MEMLIMIT_INTERACTIVE : crypto_pwhash_MEMLIMIT_MIN)
        != 0)
        return WebText::tr("Not enough memory to hash the password; nothing was stored.");
    return writePrivateFile(path, QByteArray(hash) + '\n');
}

StoredPassword storedPassword(const QString& path)
{
    if (!QFileInfo::exists(path))
        return {};
    if (const std::optional<QByteArray> hash = passwordHash(path))
        return {StoredPassword::Stored, secretHash(*hash), {}};
    return {StoredPassword::Unusable, {},
            WebText::tr("%1 holds no password. Set one with: vorfjp-web --set-password").arg(path)};
}

bool passwordMatches(const QString& path, QByteArrayView password)
{
    const std::optional<QByteArray> hash = passwordHash(path);
    if (!hash)
        return false;
    char terminated[crypto_pwhash_STRBYTES] = {};
    std::copy(hash->begin(), hash->end(), terminated);
    return crypto_pwhash_str_verify(terminated, password.data(), quint64(password.size())) == 0;
}

NewToken storeNewToken(const QString& path, const QString& name)
{
    static const QRegularExpression kName(QRegularExpression::anchoredPattern(QStringLiteral("[A-Za-z0-9._-]{1,64}")));
    if (!kName.match(name).hasMatch())
        return {std::nullopt,
                WebText::tr("A token's name is 1 to 64 letters, digits, dots, dashes or underscores, not \"%1\".")
                    .arg(name),
                true};
    const QByteArray key = name.toLatin1();
    QByteArray lines;
    for (const StoredToken& stored : readTokens(path)) {
        if (stored.name != key)
            lines += stored.name + ' ' + hex(stored.hash) + '\n';
    }
    const QByteArray token = randomSecret();
    lines += key + ' ' + hex(secretHash(token)) + '\n';
    if (const std::optional<QString> error = writePrivateFile(path, lines))
        return {std::nullopt, *error, false};
    return {token, QString(), false};
}

std::optional<QString> tokenName(const QString& path, QByteArrayView token)
{
    if (token.isEmpty())
        return std::nullopt;
    const QByteArray hash = secretHash(token);
    std::optional<QString> name;
    for (const StoredToken& stored : readTokens(path)) {
        if (sodium_memcmp(stored.hash.constData(), hash.constData(), size_t(kHashBytes)) == 0)
            name = QString::fromUtf8(stored.name);
    }
    return name;
}

bool tokenMatches(const QString& path, QByteArrayView token)
{
    return tokenName(path, token).has_value();
}

QByteArray randomSecret()
{
    startSodium();
    unsigned char secret[kSecretBytes];
    randombytes_buf(secret, sizeof secret);
    constexpr int kVariant = sodium_base64_VARIANT_URLSAFE_NO_PADDING;
    char text[sodium_base64_ENCODED_LEN(kSecretBytes, kVariant)];
    sodium_bin2base64(text, sizeof text, secret, sizeof secret, kVariant);
    sodium_memzero(secret, sizeof secret);
    return QByteArray(text);
}

QByteArray secretHash(QByteArrayView secret)
{
    startSodium();
    QByteArray hash(kHashBytes, '\0');
    crypto_generichash(reinterpret_cast<unsigned char*>(hash.data()), size_t(hash.size()),
                       reinterpret_cast<const unsigned char*>(secret.data()), quint64(secret.size()), nullptr, 0);
    return hash;
}

} // namespace web
