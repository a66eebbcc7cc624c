// The Windows twins of the system calls, on the system they are for.
#include "app/single_instance.h"
#include "serial/system_line.h"
#include "share/peer_user.h"
#include "storage/file_platform.h"
#include "storage/gbk.h"

#include <QFile>
#include <QLocalServer>
#include <QLocalSocket>
#include <QSaveFile>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QUuid>

#include <gtest/gtest.h>

namespace {

QByteArray readAll(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

bool writeWhole(const QString& path, const QByteArray& bytes)
{
    QSaveFile file(path);
    return file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size() && file.commit();
}

// The content file as delivered goes through code page 936 and back byte for byte, whatever
// the system's own code page (Wine's here is not Chinese).
TEST(WindowsGbk, DeliveredContentFileRoundTrips)
{
    const QByteArray bytes = readAll(QStringLiteral(VORFJP_TEST_DATA "/VorFjp.ini"));
    ASSERT_FALSE(bytes.isEmpty());
    const std::optional<QString> text = storage::fromGbk(bytes);
    ASSERT_TRUE(text.has_value());
    EXPECT_TRUE(text->contains(QStringLiteral("房"))) << "the file's Chinese was not decoded as GBK";
    EXPECT_EQ(storage::toGbk(*text), bytes);
}

TEST(WindowsGbk, CodePage936Cases)
{
    struct Case {
        QByteArray bytes;
        std::optional<QString> text;
    };
    const Case cases[] = {
        {QByteArrayLiteral("\xB7\xBF\xBC\xDB"), QStringLiteral("房价")},
        {QByteArrayLiteral("\x80"), QStringLiteral("€")},
        {QByteArrayLiteral("A\xA1\xA1Z"), QStringLiteral("A\u3000Z")},
        {QByteArrayLiteral("\xB7"), std::nullopt},             // a lead byte without its trail byte
        {QByteArrayLiteral("\x81\x30\x81\x30"), std::nullopt}, // GB18030's four bytes
    };
    for (const Case& c : cases) {
        EXPECT_TRUE(storage::fromGbk(c.bytes) == c.text) << c.bytes.toHex().constData();
        if (c.text) {
            EXPECT_EQ(storage::toGbk(*c.text), c.bytes) << c.bytes.toHex().constData();
        }
    }
    // No best fit: a character GBK lacks is one "?", and is named.
    EXPECT_EQ(storage::toGbk(u"a\u00e4b\U0001F600c"), QByteArrayLiteral("a?b?c"));
    EXPECT_TRUE(storage::firstCharacterOutsideGbk(u"房\u00e4") == QStringLiteral("\u00e4"));
}

TEST(WindowsFiles, StampTellsAReplacedFileApart)
{
    const QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    const QString path = dir.filePath(QStringLiteral("VorFjp.ini"));
    EXPECT_TRUE(storage::fileStamp(path) == storage::ContentStamp {});
    ASSERT_TRUE(writeWhole(path, "first"));
    const storage::ContentStamp first = storage::fileStamp(path);
    EXPECT_EQ(first.size, 5);
    EXPECT_GE(first.inode, 0);
    ASSERT_TRUE(writeWhole(path, "again"));
    const storage::ContentStamp second = storage::fileStamp(path);
    EXPECT_EQ(second.size, 5);
    EXPECT_FALSE(second == first) << "a file put in place by a rename looked like the one it replaced";
}

TEST(WindowsFiles, WriterLockHeldOrPlainlyNot)
{
    const QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    const QString lockPath = dir.filePath(QStringLiteral("VorFjp.ini.lock"));
    {
        const storage::WriterLock lock(lockPath);
        EXPECT_TRUE(lock.held());
        EXPECT_TRUE(QFile::exists(lockPath));
    }
    const storage::WriterLock again(lockPath);
    EXPECT_TRUE(again.held()) << "the lock was not released with its holder";
    const storage::WriterLock nowhere(dir.filePath(QStringLiteral("missing/VorFjp.ini.lock")));
    EXPECT_FALSE(nowhere.held());
}

TEST(WindowsInstance, SecondInstanceRefusedUntilTheFirstEnds)
{
    auto first = std::make_unique<app::SingleInstance>();
    ASSERT_TRUE(first->acquire());
    app::SingleInstance second;
    EXPECT_FALSE(second.acquire());
    first.reset();
    EXPECT_TRUE(second.acquire());
}

TEST(WindowsSerial, MissingPortIsNoSuchDevice)
{
    auto opened = serial::SystemLine::open(QStringLiteral("COM250"));
    const auto* fault = std::get_if<line::OpenFault>(&opened);
    ASSERT_NE(fault, nullptr);
    EXPECT_EQ(fault->why, line::OpenFailure::NoSuchDevice) << fault->detail.toStdString();
    EXPECT_TRUE(fault->port == QStringLiteral("COM250"));
}

TEST(WindowsShare, PipeClientOfThisUserIsAdmitted)
{
    QLocalServer server;
    server.setSocketOptions(QLocalServer::UserAccessOption);
    const QString name = QStringLiteral("vorfjp-test-") + QUuid::createUuid().toString(QUuid::WithoutBraces);
    ASSERT_TRUE(server.listen(name)) << server.errorString().toStdString();
    QLocalSocket client;
    QSignalSpy accepted(&server, &QLocalServer::newConnection);
    client.connectToServer(name);
    ASSERT_TRUE(client.waitForConnected(5000));
    ASSERT_TRUE(accepted.count() > 0 || accepted.wait(5000));
    QLocalSocket* peer = server.nextPendingConnection();
    ASSERT_NE(peer, nullptr);
    EXPECT_TRUE(share::peerIsThisUser(*peer));
}

} // namespace
