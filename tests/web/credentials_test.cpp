// The password and token files, and the two commands that write them: only hashes on disk, only
// the user may read them, and every way in that should fail does.
#include "web/credentials.h"
#include "web/tls_certificate.h"
#include "webd/credential_commands.h"
#include "webd/web_options.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QRegularExpression>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <memory>

namespace {

using web::PasswordCost;

QByteArray readAll(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

QFile::Permissions modeOf(const QString& path)
{
    return QFileInfo(path).permissions()
           & (QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner | QFile::ReadGroup | QFile::WriteGroup
              | QFile::ExeGroup | QFile::ReadOther | QFile::WriteOther | QFile::ExeOther);
}

// BLAKE2b-256 of bytes as coreutils computes it, independently of libsodium.
QByteArray b2sum256(const QByteArray& bytes)
{
    QProcess process;
    process.start(QStringLiteral("b2sum"), {QStringLiteral("--length=256")});
    process.write(bytes);
    process.closeWriteChannel();
    if (!process.waitForFinished(30000))
        return QByteArray();
    return process.readAllStandardOutput().split(' ').value(0);
}

class CredentialsTest : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(dir.isValid()); }

    QTemporaryDir dir;
    // A folder that does not exist yet, as on a first run.
    QString folder = dir.filePath(QStringLiteral("config/VorFJP"));
    QString passwordPath = folder + QStringLiteral("/web-password");
    QString tokensPath = folder + QStringLiteral("/web-tokens");
};

TEST_F(CredentialsTest, APasswordIsKeptOnlyAsASlowSaltedHashThatOnlyTheUserCanRead)
{
    ASSERT_EQ(web::storePassword(passwordPath, "Zimmer 12 frei"), std::nullopt);
    EXPECT_EQ(modeOf(passwordPath), QFile::ReadOwner | QFile::WriteOwner);
    EXPECT_EQ(modeOf(folder), QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    const QByteArray stored = readAll(passwordPath);
    EXPECT_FALSE(stored.contains("Zimmer"));
    // Argon2id at libsodium's interactive cost: 64 MiB (m in KiB) and two passes.
    EXPECT_TRUE(stored.startsWith("$argon2id$v=19$m=65536,t=2,p=1$")) << stored.toStdString();
    const web::StoredPassword first = web::storedPassword(passwordPath);
    EXPECT_EQ(first.state, web::StoredPassword::Stored);

    EXPECT_TRUE(web::passwordMatches(passwordPath, "Zimmer 12 frei"));
    for (const QByteArray& wrong : QList<QByteArray>{"zimmer 12 frei", "Zimmer 12 frei ", "Zimmer 12", "", "Zimmer 12 frei\n"}) {
        SCOPED_TRACE(wrong.toStdString());
        EXPECT_FALSE(web::passwordMatches(passwordPath, wrong));
    }

    // Salted: the same password again is another hash, and still the password.
    ASSERT_EQ(web::storePassword(passwordPath, "Zimmer 12 frei", PasswordCost::Minimal), std::nullopt);
    EXPECT_NE(readAll(passwordPath), stored);
    EXPECT_TRUE(web::passwordMatches(passwordPath, "Zimmer 12 frei"));
    EXPECT_EQ(modeOf(passwordPath), QFile::ReadOwner | QFile::WriteOwner);
    // Each stored password is a generation of its own, which ends the sessions of the one before.
    EXPECT_NE(web::storedPassword(passwordPath).generation, first.generation);
}

TEST_F(CredentialsTest, NoPasswordMatchesWhereThereIsNone)
{
    EXPECT_EQ(web::storedPassword(passwordPath).state, web::StoredPassword::None);
    EXPECT_FALSE(web::passwordMatches(passwordPath, "anything"));
    EXPECT_TRUE(web::storePassword(passwordPath, "").has_value());
    EXPECT_FALSE(QFileInfo::exists(passwordPath));

    ASSERT_TRUE(QDir().mkpath(folder));
    for (const QByteArray& damaged : {QByteArray(), QByteArray("\n"), QByteArray("not a hash\n"), QByteArray(200, '$'),
                                      QByteArray("$argon2id$v=19$m=65536,t=2,p=1$cut\n")}) {
        SCOPED_TRACE(damaged.toStdString());
        QFile file(passwordPath);
        ASSERT_TRUE(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
        file.write(damaged);
        file.close();
        EXPECT_FALSE(web::passwordMatches(passwordPath, ""));
        EXPECT_FALSE(web::passwordMatches(passwordPath, damaged));
        const web::StoredPassword stored = web::storedPassword(passwordPath);
        EXPECT_EQ(stored.state, web::StoredPassword::Unusable);
        EXPECT_TRUE(stored.problem.contains(passwordPath)) << stored.problem.toStdString();
        EXPECT_TRUE(stored.problem.contains(QLatin1String("vorfjp-web --set-password"))) << stored.problem.toStdString();
    }
}

// A self-signed certificate is made once, its key readable by the user alone, and used again
// from then on; its fingerprint is the one openssl computes.
TEST_F(CredentialsTest, ASelfSignedCertificateIsMadeOnceAndKept)
{
    const QString certificate = folder + QStringLiteral("/web-tls.crt");
    const QString key = folder + QStringLiteral("/web-tls.key");
    const web::LoadedCertificate made = web::selfSignedCertificate(
        certificate, key, {QStringLiteral("localhost"), QStringLiteral("192.0.2.7"), QStringLiteral("::1")},
        QDateTime::currentDateTimeUtc());
    ASSERT_TRUE(made.credentials) << made.error.toStdString();
    EXPECT_TRUE(made.made);
    EXPECT_EQ(modeOf(key), QFile::ReadOwner | QFile::WriteOwner);
    EXPECT_TRUE(readAll(key).startsWith("-----BEGIN "));

    QProcess openssl;
    openssl.start(QStringLiteral("openssl"), {QStringLiteral("x509"), QStringLiteral("-noout"), QStringLiteral("-fingerprint"),
                                              QStringLiteral("-sha256"), QStringLiteral("-ext"), QStringLiteral("subjectAltName"),
                                              QStringLiteral("-in"), certificate});
    ASSERT_TRUE(openssl.waitForFinished(30000));
    const QString said = QString::fromLatin1(openssl.readAllStandardOutput());
    EXPECT_TRUE(said.contains(QStringLiteral("Fingerprint=") + made.fingerprint)) << said.toStdString();
    EXPECT_TRUE(said.contains(QLatin1String("DNS:localhost, IP Address:192.0.2.7, IP Address:0:0:0:0:0:0:0:1")))
        << said.toStdString();

    const web::LoadedCertificate again =
        web::selfSignedCertificate(certificate, key, {QStringLiteral("other.lan")}, QDateTime::currentDateTimeUtc());
    ASSERT_TRUE(again.credentials) << again.error.toStdString();
    EXPECT_FALSE(again.made);
    EXPECT_EQ(again.fingerprint, made.fingerprint);

    // Another pair's key, or no certificate at all, is told, naming the file.
    const web::LoadedCertificate other = web::selfSignedCertificate(dir.filePath(QStringLiteral("other.crt")),
                                                                    dir.filePath(QStringLiteral("other.key")), {},
                                                                    QDateTime::currentDateTimeUtc());
    ASSERT_TRUE(other.credentials);
    const web::LoadedCertificate mismatched = web::loadCertificate(certificate, dir.filePath(QStringLiteral("other.key")));
    EXPECT_FALSE(mismatched.credentials);
    EXPECT_TRUE(mismatched.error.contains(dir.filePath(QStringLiteral("other.key")))) << mismatched.error.toStdString();
    const web::LoadedCertificate garbage = web::loadCertificate(key, key);
    EXPECT_FALSE(garbage.credentials);
    EXPECT_TRUE(garbage.error.contains(key)) << garbage.error.toStdString();
}

TEST_F(CredentialsTest, ATokenIsKeptAsItsHashAndReplacedByName)
{
    const web::NewToken cron = web::storeNewToken(tokensPath, QStringLiteral("cron"));
    ASSERT_TRUE(cron.token) << cron.error.toStdString();
    EXPECT_TRUE(QRegularExpression(QStringLiteral("^[A-Za-z0-9_-]{43}$")).match(QString::fromLatin1(*cron.token)).hasMatch());
    EXPECT_EQ(modeOf(tokensPath), QFile::ReadOwner | QFile::WriteOwner);
    EXPECT_EQ(readAll(tokensPath), "cron " + b2sum256(*cron.token) + '\n');

    const web::NewToken backup = web::storeNewToken(tokensPath, QStringLiteral("backup.nightly"));
    ASSERT_TRUE(backup.token);
    EXPECT_NE(*backup.token, *cron.token);
    EXPECT_TRUE(web::tokenMatches(tokensPath, *cron.token));
    EXPECT_TRUE(web::tokenMatches(tokensPath, *backup.token));
    for (const QByteArray& wrong : {QByteArray(), cron.token->left(42), *cron.token + "x", web::randomSecret(),
                                   b2sum256(*cron.token)}) {
        SCOPED_TRACE(wrong.toStdString());
        EXPECT_FALSE(web::tokenMatches(tokensPath, wrong));
    }

    // A new token under a name ends the old one; the others stay.
    const web::NewToken cronAgain = web::storeNewToken(tokensPath, QStringLiteral("cron"));
    ASSERT_TRUE(cronAgain.token);
    EXPECT_FALSE(web::tokenMatches(tokensPath, *cron.token));
    EXPECT_TRUE(web::tokenMatches(tokensPath, *cronAgain.token));
    EXPECT_TRUE(web::tokenMatches(tokensPath, *backup.token));
    EXPECT_EQ(readAll(tokensPath).count('\n'), 2);
}

TEST_F(CredentialsTest, BadTokenNamesAndUnwritableFilesAreRefused)
{
    const QString names[] = {QString(), QStringLiteral("two words"), QString(65, u'a'), QStringLiteral("schlüssel"),
                             QStringLiteral("a/b"), QStringLiteral("name\n")};
    for (const QString& name : names) {
        SCOPED_TRACE(name.toStdString());
        const web::NewToken refused = web::storeNewToken(tokensPath, name);
        EXPECT_FALSE(refused.token);
        EXPECT_TRUE(refused.nameRefused);
        EXPECT_FALSE(refused.error.isEmpty());
    }
    EXPECT_FALSE(QFileInfo::exists(tokensPath));
    EXPECT_TRUE(web::storeNewToken(tokensPath, QString(64, u'a')).token);

    // A folder that cannot be made, because a file stands in its place.
    QFile blocker(dir.filePath(QStringLiteral("blocker")));
    ASSERT_TRUE(blocker.open(QIODevice::WriteOnly));
    blocker.close();
    const QString unreachable = dir.filePath(QStringLiteral("blocker/VorFJP/web-tokens"));
    const web::NewToken unwritten = web::storeNewToken(unreachable, QStringLiteral("cron"));
    EXPECT_FALSE(unwritten.token);
    EXPECT_FALSE(unwritten.nameRefused);
    EXPECT_TRUE(web::storePassword(dir.filePath(QStringLiteral("blocker/VorFJP/web-password")), "x",
                                   PasswordCost::Minimal)
                    .has_value());
}

// A reader that hands out the given lines, then the end of input.
webd::LineReader lines(const QList<QByteArray>& given)
{
    return [given, next = std::make_shared<qsizetype>(0)](const QString&) -> std::optional<QByteArray> {
        if (*next >= given.size())
            return std::nullopt;
        return given[(*next)++];
    };
}

TEST_F(CredentialsTest, SetPasswordStoresOneLineAndRefusesNoneEmptyOrMistyped)
{
    QString messages;
    QTextStream err(&messages);
    const struct {
        const char* what;
        QList<QByteArray> input;
        bool askTwice;
        int status;
    } refused[] = {
        {"no input", {}, false, webd::kDataError},
        {"an empty line", {QByteArray()}, false, webd::kDataError},
        {"only a carriage return", {QByteArray("\r")}, false, webd::kDataError},
        {"two that differ", {QByteArray("one"), QByteArray("two")}, true, webd::kDataError},
        {"the second missing", {QByteArray("one")}, true, webd::kDataError},
    };
    for (const auto& row : refused) {
        SCOPED_TRACE(row.what);
        EXPECT_EQ(webd::setPasswordCommand(passwordPath, lines(row.input), row.askTwice, err), row.status);
        EXPECT_FALSE(QFileInfo::exists(passwordPath));
    }

    EXPECT_EQ(webd::setPasswordCommand(passwordPath, lines({QByteArray("Zimmer 12 frei\r")}), false, err), webd::kDone);
    EXPECT_TRUE(web::passwordMatches(passwordPath, "Zimmer 12 frei"));
    EXPECT_EQ(webd::setPasswordCommand(passwordPath, lines({QByteArray("neu"), QByteArray("neu")}), true, err),
              webd::kDone);
    EXPECT_TRUE(web::passwordMatches(passwordPath, "neu"));
    EXPECT_FALSE(web::passwordMatches(passwordPath, "Zimmer 12 frei"));
    EXPECT_TRUE(messages.contains(QLatin1String("systemctl --user restart vorfjp-web")));
}

TEST_F(CredentialsTest, NewTokenPrintsTheTokenAloneAndSaysHowToUseIt)
{
    QString printed;
    QString messages;
    QTextStream out(&printed);
    QTextStream err(&messages);
    EXPECT_EQ(webd::newTokenCommand(tokensPath, QStringLiteral("cron"), out, err), webd::kDone);
    const QByteArray token = printed.toLatin1().chopped(1);
    EXPECT_EQ(printed.count(u'\n'), 1);
    EXPECT_TRUE(web::tokenMatches(tokensPath, token));
    EXPECT_TRUE(messages.contains(QLatin1String("Authorization: Bearer")));

    printed.clear();
    EXPECT_EQ(webd::newTokenCommand(tokensPath, QStringLiteral("no good"), out, err), webd::kUsage);
    QFile blocker(dir.filePath(QStringLiteral("blocker")));
    ASSERT_TRUE(blocker.open(QIODevice::WriteOnly));
    EXPECT_EQ(webd::newTokenCommand(dir.filePath(QStringLiteral("blocker/web-tokens")), QStringLiteral("cron"), out, err),
              webd::kCannotCreate);
    EXPECT_TRUE(printed.isEmpty());
}

} // namespace
