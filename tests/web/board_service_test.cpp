// vorfjp-web as it runs, over real HTTP on 127.0.0.1 with curl as the client, in front of the
// virtual board on a pseudo-terminal: the bytes of every send, the content's checks and lock,
// the queue, the weather pause that holds up no other answer, the port it lets go of, and the
// window's port when the window holds it.
#include "support/board_fixture.h"
#include "support/device_servers.h"
#include "support/files.h"
#include "support/hex.h"
#include "support/pty_pair.h"
#include "support/send_table.h"
#include "web_clients.h"

#include "serial/vor_ms_comm.h"
#include "web/tls_certificate.h"
#include "webd/credential_commands.h"

#include <QDir>
#include <QFileInfo>
#include <QJsonArray>
#include <QJsonDocument>
#include <QProcess>
#include <QRandomGenerator>
#include <QTcpServer>
#include <QTcpSocket>
#include <QTemporaryDir>
#include <QTest>

#include <gtest/gtest.h>

#include <algorithm>
#include <memory>
#include <ostream>

#include <sysexits.h>

namespace {

using testsupport::hex;
using webtest::CurlAnswer;
using webtest::curl;
using webtest::jsonRequest;

constexpr int kBoardId = 5;

// vorfjp-web on a kernel-picked port, on the given serial port and content file.
class WebProcess {
public:
    ~WebProcess()
    {
        m_process.terminate();
        if (!m_process.waitForFinished(5000))
            m_process.kill();
        m_process.waitForFinished(5000);
    }

    bool start(const QString& port, const QString& content, const QStringList& more = {})
    {
        m_process.start(QStringLiteral(VORFJP_WEB), QStringList {QStringLiteral("--listen"), QStringLiteral("127.0.0.1:0"),
                                                                 QStringLiteral("--port"), port,
                                                                 QStringLiteral("--content"), content}
                                                        + more);
        if (!QTest::qWaitFor([&] { return m_process.canReadLine() || m_process.state() == QProcess::NotRunning; },
                             webtest::kWaitMs))
            return false;
        const QString line = QString::fromUtf8(m_process.readLine());
        m_firstLine = line;
        const qsizetype at = line.lastIndexOf(u':');
        m_port = quint16(line.mid(at + 1).remove(u'/').trimmed().toUInt());
        return m_port != 0;
    }

    quint16 port() const { return m_port; }
    QString firstLine() const { return m_firstLine; }
    // What the program has printed since its first line.
    QString output() { return m_output += QString::fromUtf8(m_process.readAllStandardOutput()); }
    QString errors() { return QString::fromUtf8(m_process.readAllStandardError()); }
    // The exit status once the program has ended by itself; nothing while it still runs.
    std::optional<int> ended()
    {
        if (m_process.state() != QProcess::NotRunning && !m_process.waitForFinished(webtest::kWaitMs))
            return std::nullopt;
        return m_process.exitCode();
    }
    // SIGTERM, as systemd stops the service; true when it ended by itself, with status 0.
    bool stop()
    {
        m_process.terminate();
        return m_process.waitForFinished(webtest::kWaitMs) && m_process.exitStatus() == QProcess::NormalExit
               && m_process.exitCode() == 0;
    }

private:
    QProcess m_process;
    quint16 m_port = 0;
    QString m_firstLine;
    QString m_output;
};

// vorfjp-web --set-password as an operator runs it, the password piped in; its exit status.
int setPassword(const QByteArray& password)
{
    QProcess command;
    command.start(QStringLiteral(VORFJP_WEB), {QStringLiteral("--set-password")});
    command.write(password + '\n');
    command.closeWriteChannel();
    return command.waitForFinished(webtest::kWaitMs) && command.exitStatus() == QProcess::NormalExit ? command.exitCode() : -1;
}

QByteArray loginCookie(quint16 port, const QByteArray& password)
{
    const CurlAnswer answer = curl(port, QStringLiteral("/api/login"),
                                   jsonRequest(QStringLiteral("POST"), R"({"password": ")" + password + R"("})"));
    return answer.status == 200 ? answer.header("Set-Cookie").split(';').value(0) : QByteArray();
}

class ServiceOnABoard : public ::testing::Test {
protected:
    void startService(const apptest::RecordPieces& pieces = apptest::RecordPieces(), const QString& port = {})
    {
        ASSERT_TRUE(m_dir.isValid());
        contentPath = m_dir.filePath(QStringLiteral("VorFjp.ini"));
        contentBytes = pieces.fileBytes();
        testsupport::writeFile(contentPath, contentBytes);
        ASSERT_TRUE(board.start({QStringLiteral("--pty"), QStringLiteral("--id"), QString::number(kBoardId)}))
            << board.errorString().toStdString();
        const QString line = port.isEmpty() ? board.firstLine().value(QStringLiteral("pty")).toString() : port;
        ASSERT_TRUE(service.start(line, contentPath)) << service.errors().toStdString();
    }

    CurlAnswer post(const QString& path, const QByteArray& body = "{}")
    {
        return curl(service.port(), path, jsonRequest(QStringLiteral("POST"), body));
    }

    // The next frame the board received, as its bytes.
    QByteArray nextFrame()
    {
        return QByteArray::fromHex(board.nextObject(webtest::kWaitMs).value(QStringLiteral("bytes")).toString().toLatin1());
    }

    QTemporaryDir m_dir;
    QString contentPath;
    QByteArray contentBytes;
    testsupport::HeadlessBoard board;
    WebProcess service;
};

class EverySend : public ServiceOnABoard, public ::testing::WithParamInterface<sendtable::SendRow> {};

TEST_P(EverySend, PutsTheBytesOfTheTableOnTheLine)
{
    const sendtable::SendRow& row = GetParam();
    startService(row.pieces);
    const CurlAnswer sent = post(QStringLiteral("/api/send/%1").arg(QLatin1String(row.command)),
                                 QByteArrayLiteral("{\"device\": ") + row.device + "}");
    // A test to every board or to board 1 is not answered by board 5 only when it is for another.
    const bool answered = QByteArray(row.command) != "test" || QByteArray(row.device) == "255";
    EXPECT_EQ(sent.status, answered ? 200 : 504) << sent.body.toStdString();
    for (const char* frame : row.frames)
        EXPECT_EQ(nextFrame().toHex(' '), hex(frame).toHex(' ')) << row.name;
    if (QByteArray(row.command) == "test" && answered) {
        EXPECT_EQ(sent.json()[QStringLiteral("device")].toInt(), kBoardId);
    }
}

INSTANTIATE_TEST_SUITE_P(Table, EverySend, ::testing::ValuesIn(sendtable::sendRows()),
                         [](const auto& info) { return std::string(info.param.name); });

TEST_F(ServiceOnABoard, PatchedRateGoesOutWithTheNextSendAndStaysInTheFile)
{
    startService(sendtable::withAreas("0   8   256 12  0   4   "));
    const CurlAnswer patched = curl(service.port(), QStringLiteral("/api/content"),
                                    jsonRequest(QStringLiteral("PATCH"), R"({"rooms": ["688", "5.6"]})"));
    ASSERT_EQ(patched.status, 200) << patched.body.toStdString();
    EXPECT_EQ(patched.json()[QStringLiteral("rooms")][0].toString(), QStringLiteral("688"));
    ASSERT_EQ(post(QStringLiteral("/api/send/rooms")).status, 200);
    EXPECT_EQ(nextFrame().toHex(' '), hex("02 00 14 FF EE 25 00 00 00 08 FF 82 80 80 FF 12 82 F9 C3 03").toHex(' '));
    EXPECT_EQ(curl(service.port(), QStringLiteral("/api/content")).json()[QStringLiteral("rooms")][0].toString(),
              QStringLiteral("688"));
}

TEST_F(ServiceOnABoard, RefusedChangesAnswerWithEachKeyAndWriteNothing)
{
    startService();
    const CurlAnswer refused = curl(service.port(), QStringLiteral("/api/content"),
                                    jsonRequest(QStringLiteral("PATCH"),
                                                R"({"rooms": ["1", "2", "12345"], "rates": [{"a": "1.2.3"}], "weather": {"low": "x"}})"));
    EXPECT_EQ(refused.status, 422) << refused.body.toStdString();
    const QJsonObject errors = refused.json()[QStringLiteral("errors")].toObject();
    EXPECT_EQ(errors.keys(), (QStringList {QStringLiteral("rates.1.a"), QStringLiteral("rooms.3"), QStringLiteral("weather.low")}));
    EXPECT_TRUE(errors[QStringLiteral("rooms.3")].toString().contains(QStringLiteral("4 位")))
        << errors[QStringLiteral("rooms.3")].toString().toStdString();
    EXPECT_EQ(testsupport::readFile(contentPath), contentBytes) << "nothing written, not even the good values";

    const CurlAnswer broken = curl(service.port(), QStringLiteral("/api/content"),
                                   jsonRequest(QStringLiteral("PATCH"), R"({"rooms": [)"));
    EXPECT_EQ(broken.status, 400);
    EXPECT_EQ(testsupport::readFile(contentPath), contentBytes);
}

TEST_F(ServiceOnABoard, AnAreaTheBoardCannotHaveIs422)
{
    startService(sendtable::withAreas("-1  8   256 12  0   4   "));
    const CurlAnswer area = post(QStringLiteral("/api/send/rooms"));
    EXPECT_EQ(area.status, 422) << area.body.toStdString();
    EXPECT_EQ(area.json()[QStringLiteral("problem")].toString(), QStringLiteral("area-unusable"));
    EXPECT_FALSE(area.json()[QStringLiteral("ok")].toBool());
}

TEST_F(ServiceOnABoard, PortThatCannotBeOpenedIs503WithTheOperatorsWords)
{
    startService(apptest::RecordPieces(), m_dir.filePath(QStringLiteral("no-such-port")));
    const CurlAnswer sent = post(QStringLiteral("/api/send/time"));
    EXPECT_EQ(sent.status, 503) << sent.body.toStdString();
    EXPECT_EQ(sent.json()[QStringLiteral("problem")].toString(), QStringLiteral("port-unavailable"));
    EXPECT_TRUE(sent.json()[QStringLiteral("message")].toString().startsWith(QStringLiteral("端口打开错误~!")));
    const QJsonArray last = curl(service.port(), QStringLiteral("/api/status")).json()[QStringLiteral("last")].toArray();
    ASSERT_EQ(last.size(), 1);
    EXPECT_EQ(last[0][QStringLiteral("command")].toString(), QStringLiteral("time"));
    EXPECT_FALSE(last[0][QStringLiteral("ok")].toBool());
}

// An area the board cannot have is told in the preview under that area's name, as the page
// draws it, and the other areas are drawn.
TEST_F(ServiceOnABoard, PreviewTellsAnUnusableAreaUnderItsOwnName)
{
    startService(sendtable::withAreas("0   8   256 12  -1  4   "));
    const CurlAnswer preview = post(QStringLiteral("/api/preview"), R"({"rooms": ["688"]})");
    ASSERT_EQ(preview.status, 200) << preview.body.toStdString();
    const QJsonObject areas = preview.json()[QStringLiteral("areas")].toObject();
    EXPECT_EQ(areas.keys(), (QStringList {QStringLiteral("rates"), QStringLiteral("rooms"), QStringLiteral("temperature")}));
    EXPECT_TRUE(areas[QStringLiteral("temperature")][QStringLiteral("problem")].toString().contains(QStringLiteral("温度区")));
    EXPECT_FALSE(areas[QStringLiteral("temperature")].toObject().contains(QStringLiteral("cells")));
    EXPECT_EQ(areas[QStringLiteral("rooms")][QStringLiteral("cells")].toArray().first().toInt(), 0xFF) << " 688";
}

// The status answers in the middle of the weather's pause, and a send asked for meanwhile goes
// out after the weather's two frames, not between them.
TEST_F(ServiceOnABoard, WeatherPauseHoldsUpNoAnswerAndSendsNeverInterleave)
{
    startService(sendtable::emptyWeatherText());
    webtest::Curl weather(service.port(), QStringLiteral("/api/send/weather"), jsonRequest(QStringLiteral("POST"), "{}"));
    const QByteArray temperatures = nextFrame();
    ASSERT_EQ(temperatures.size(), 16) << temperatures.toHex(' ').toStdString();
    const CurlAnswer status = curl(service.port(), QStringLiteral("/api/status"));
    EXPECT_EQ(status.status, 200);
    EXPECT_TRUE(status.json()[QStringLiteral("sending")].toBool()) << "answered during the pause";
    webtest::Curl clock(service.port(), QStringLiteral("/api/send/time"), jsonRequest(QStringLiteral("POST"), "{}"));
    EXPECT_EQ(nextFrame().size(), 142) << "the dots follow the temperatures";
    EXPECT_EQ(nextFrame().size(), 14) << "then the clock";
    EXPECT_EQ(weather.finish().status, 200);
    EXPECT_EQ(clock.finish().status, 200);
}

// Once no send has come for a second the service closes its port, so the window can open it.
TEST_F(ServiceOnABoard, LetsGoOfThePortWhenIdle)
{
    startService();
    ASSERT_EQ(post(QStringLiteral("/api/send/time")).status, 200);
    ASSERT_EQ(nextFrame().size(), 14);
    EXPECT_TRUE(QTest::qWaitFor(
        [&] { return !curl(service.port(), QStringLiteral("/api/status")).json()[QStringLiteral("open")].toBool(); },
        webtest::kWaitMs));
    serial::VorMsComm window;
    EXPECT_TRUE(window.open(board.firstLine().value(QStringLiteral("pty")).toString()).ok()) << "the port is free";
}

// Stopped by systemd in the middle of its idle second, the service closes its port: the port's
// lock file goes with it, so that no other user finds one that only its owner may remove.
TEST_F(ServiceOnABoard, EndsOnSigtermAndReleasesThePortsLock)
{
    startService();
    ASSERT_EQ(post(QStringLiteral("/api/send/time")).status, 200);
    ASSERT_EQ(nextFrame().size(), 14);
    const QString device = QFileInfo(board.firstLine().value(QStringLiteral("pty")).toString()).canonicalFilePath();
    ASSERT_TRUE(device.startsWith(QLatin1String("/dev/"))) << device.toStdString();
    const QString lock = QStringLiteral("/run/lock/LCK..") + device.mid(5).replace(u'/', u'_');
    EXPECT_TRUE(service.stop()) << service.errors().toStdString();
    EXPECT_FALSE(QFileInfo::exists(lock)) << lock.toStdString();
}

// A password file that holds no password (empty, a blank line, anything but a hash) is a
// mistake to tell, not a password that nobody can ever type.
TEST(ServiceStart, RefusesAPasswordFileWithoutAPassword)
{
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    const QString content = dir.filePath(QStringLiteral("VorFjp.ini"));
    testsupport::writeFile(content, apptest::RecordPieces().fileBytes());
    const QString passwordFile = webd::defaultCredentialFiles().password;
    ASSERT_TRUE(QDir().mkpath(QFileInfo(passwordFile).absolutePath()));
    for (const QByteArray& stored : {QByteArray(), QByteArray("\n"), QByteArray("Zimmer 12 frei\n"),
                                     QByteArray("$argon2id$v=19$m=65536,t=2,p=1$cut\n")}) {
        SCOPED_TRACE(stored.toStdString());
        testsupport::writeFile(passwordFile, stored);
        WebProcess service;
        EXPECT_FALSE(service.start(dir.filePath(QStringLiteral("no-port")), content));
        EXPECT_EQ(service.ended(), EX_CONFIG);
        const QString said = service.errors();
        EXPECT_TRUE(said.contains(passwordFile)) << said.toStdString();
        EXPECT_TRUE(said.contains(QLatin1String("--set-password"))) << said.toStdString();
    }
}

// Given a certificate, the program speaks HTTPS and only HTTPS, and shows the certificate's
// fingerprint for the operator to compare with the browser's.
TEST_F(ServiceOnABoard, ServesHttpsWithTheGivenCertificate)
{
    const QString certificate = m_dir.filePath(QStringLiteral("board.crt"));
    const QString key = m_dir.filePath(QStringLiteral("board.key"));
    const web::LoadedCertificate made =
        web::selfSignedCertificate(certificate, key, {QStringLiteral("127.0.0.1")}, QDateTime::currentDateTimeUtc());
    ASSERT_TRUE(made.credentials) << made.error.toStdString();
    ASSERT_TRUE(m_dir.isValid());
    contentPath = m_dir.filePath(QStringLiteral("VorFjp.ini"));
    testsupport::writeFile(contentPath, apptest::RecordPieces().fileBytes());
    ASSERT_TRUE(service.start(m_dir.filePath(QStringLiteral("no-port")), contentPath,
                              {QStringLiteral("--tls-cert"), certificate, QStringLiteral("--tls-key"), key}))
        << service.errors().toStdString();
    EXPECT_TRUE(service.firstLine().contains(QLatin1String("https://127.0.0.1:"))) << service.firstLine().toStdString();
    EXPECT_TRUE(QTest::qWaitFor([&] { return service.output().contains(made.fingerprint); }, webtest::kWaitMs));
    const CurlAnswer tls = curl(service.port(), QStringLiteral("/api/status"), {QStringLiteral("-k")}, QStringLiteral("https"));
    EXPECT_EQ(tls.status, 200) << tls.body.toStdString();
    EXPECT_EQ(curl(service.port(), QStringLiteral("/api/status")).status, 0);
}

// A new password ends every session of the old one at once, in the running service.
TEST_F(ServiceOnABoard, APasswordChangeEndsTheSessionsOfTheOldOne)
{
    ASSERT_EQ(setPassword("Zimmer 12 frei"), EX_OK);
    startService();
    const QByteArray old = loginCookie(service.port(), "Zimmer 12 frei");
    ASSERT_FALSE(old.isEmpty());
    const QStringList withOld {QStringLiteral("-H"), QStringLiteral("Cookie: ") + QString::fromLatin1(old)};
    EXPECT_EQ(curl(service.port(), QStringLiteral("/api/status"), withOld).status, 200);

    ASSERT_EQ(setPassword("Zimmer 14 frei"), EX_OK);
    EXPECT_EQ(curl(service.port(), QStringLiteral("/api/status"), withOld).status, 401);
    EXPECT_EQ(curl(service.port(), QStringLiteral("/api/content"),
                   jsonRequest(QStringLiteral("PATCH"), R"({"weatherText": "雨"})") + withOld)
                  .status,
              401);
    EXPECT_EQ(testsupport::readFile(contentPath), contentBytes);
    EXPECT_TRUE(loginCookie(service.port(), "Zimmer 12 frei").isEmpty());
    EXPECT_FALSE(loginCookie(service.port(), "Zimmer 14 frei").isEmpty());
}

// The answers name the content file, not where it lies on this computer; the log keeps that.
TEST_F(ServiceOnABoard, AnswersKeepTheContentFilesFolderToTheLog)
{
    startService();
    testsupport::writeFile(contentPath, "no content");
    for (const auto& [method, path] : {std::pair {"GET", "/api/content"}, std::pair {"POST", "/api/send/rooms"},
                                       std::pair {"PATCH", "/api/content"}, std::pair {"POST", "/api/preview"}}) {
        SCOPED_TRACE(path);
        const CurlAnswer answer = curl(service.port(), QString::fromLatin1(path),
                                       method == QByteArrayView("GET") ? QStringList()
                                                                       : jsonRequest(QString::fromLatin1(method), "{}"));
        EXPECT_EQ(answer.status, 503);
        const QString message = answer.json()[QStringLiteral("message")].toString();
        EXPECT_TRUE(message.contains(QLatin1String("VorFjp.ini"))) << message.toStdString();
        EXPECT_FALSE(message.contains(m_dir.path())) << message.toStdString();
    }
    EXPECT_TRUE(service.errors().contains(contentPath));
}


// A device server of the test's own: a plain TCP listener that keeps every byte it is sent, from
// every connection in turn, and closes its side when the client has closed its own.
class PlainListener : public QObject {
public:
    PlainListener()
    {
        m_server.listen(QHostAddress::LocalHost, 0);
        connect(&m_server, &QTcpServer::newConnection, this, [this] {
            while (QTcpSocket* socket = m_server.nextPendingConnection()) {
                connect(socket, &QTcpSocket::readyRead, this, [this, socket] { m_received += socket->readAll(); });
                connect(socket, &QTcpSocket::readChannelFinished, this, [this, socket] {
                    m_received += socket->readAll();
                    socket->disconnectFromHost();
                });
                connect(socket, &QTcpSocket::disconnected, socket, &QObject::deleteLater);
            }
        });
    }
    quint16 port() const { return m_server.serverPort(); }
    const QByteArray& received() const { return m_received; }

private:
    QTcpServer m_server;
    QByteArray m_received;
};

struct DeviceServerRow {
    const char* name;
    const char* accepter; // ser2net's accepter; null: the test's own plain listener
    const char* scheme;
};

void PrintTo(const DeviceServerRow& row, std::ostream* out)
{
    *out << row.name;
}

const DeviceServerRow kDeviceServers[] = {
    {"Rfc2217", "telnet(rfc2217),tcp", "rfc2217"},
    {"RawTcp", "tcp", "tcp"},
    {"PlainListener", nullptr, "tcp"},
};

// Sends at the pace of a script or of an operator who clicks rooms and then rates: about one a
// second, so that many of them come while the service ends the connection of the one before.
class ServiceOnADeviceServer : public ::testing::TestWithParam<DeviceServerRow> {};

TEST_P(ServiceOnADeviceServer, SendsAboutASecondApartAreNeverRefusedAndEveryFrameArrives)
{
    constexpr int kSends = 40;
    const sendtable::SendRow& rooms = sendtable::sendRow("RoomRatesEightCells");
    const QByteArray frame = hex(rooms.frames.front());
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    const QString contentPath = dir.filePath(QStringLiteral("VorFjp.ini"));
    testsupport::writeFile(contentPath, rooms.pieces.fileBytes());

    PtyPair cable;
    std::unique_ptr<e2etest::BoardLine> line;
    testsupport::Ser2net server;
    PlainListener listener;
    quint16 serverPort = listener.port();
    if (GetParam().accepter) {
        ASSERT_TRUE(cable.start()) << cable.errorString().toStdString();
        line = std::make_unique<e2etest::BoardLine>(cable.linkB());
        ASSERT_TRUE(line->isOpen());
        ASSERT_TRUE(server.start(QString::fromLatin1(GetParam().accepter), cable.deviceA(), QStringLiteral("57600n81")))
            << server.errorString().toStdString();
        serverPort = server.port();
    }
    ASSERT_NE(serverPort, 0);
    const auto received = [&] { return line ? line->received() : listener.received(); };

    WebProcess service;
    ASSERT_TRUE(service.start(QStringLiteral("%1://127.0.0.1:%2").arg(QLatin1String(GetParam().scheme)).arg(serverPort),
                              contentPath))
        << service.errors().toStdString();
    QStringList refused;
    for (int send = 0; send < kSends; ++send) {
        // The pace is what is under test, not a wait for something to happen.
        if (send > 0)
            QTest::qWait(int(QRandomGenerator::global()->bounded(900, 1121)));
        const CurlAnswer sent = curl(service.port(), QStringLiteral("/api/send/rooms"),
                                     jsonRequest(QStringLiteral("POST"), QByteArrayLiteral("{\"device\": ") + rooms.device + "}"));
        if (sent.status != 200)
            refused << QStringLiteral("send %1: %2 %3").arg(send).arg(sent.status).arg(QString::fromUtf8(sent.body));
    }
    EXPECT_TRUE(refused.isEmpty()) << refused.join(u'\n').toStdString();
    EXPECT_TRUE(QTest::qWaitFor([&] { return received().size() >= frame.size() * kSends; }, webtest::kWaitMs));
    EXPECT_EQ(received().toHex(' ').toStdString(), frame.repeated(kSends).toHex(' ').toStdString());
}

INSTANTIATE_TEST_SUITE_P(Paced, ServiceOnADeviceServer, ::testing::ValuesIn(kDeviceServers),
                         [](const auto& info) { return std::string(info.param.name); });

// With the window holding the port, the service's frames go out through it.
class ServiceBesideTheWindow : public e2etest::BoardOnTheLine {
};

TEST_F(ServiceBesideTheWindow, SendGoesThroughTheWindowsPort)
{
    const QString runtime = qEnvironmentVariable("XDG_RUNTIME_DIR");
    ASSERT_FALSE(runtime.isEmpty());
    options.lineSocketPath = runtime + QStringLiteral("/VorFJP.line");
    startProgram(sendtable::withAreas("0   8   256 12  0   4   "));
    click("OpenRs232Command");
    ASSERT_TRUE(form->vorMsComm().portOpen());

    WebProcess service;
    ASSERT_TRUE(service.start(pty.linkA(), contentPath)) << service.errors().toStdString();
    const CurlAnswer sent = curl(service.port(), QStringLiteral("/api/send/rates"), jsonRequest(QStringLiteral("POST"), R"({"device": 1})"));
    EXPECT_EQ(sent.status, 200) << sent.body.toStdString();
    EXPECT_TRUE(lineCarriedOnly(hex("02 00 18 01 EE 25 01 00 00 0C F9 A4 30 99 92 82 F9 A4 30 80 80 80 D6 03")));
    EXPECT_TRUE(curl(service.port(), QStringLiteral("/api/status")).json()[QStringLiteral("throughWindow")].toBool());
    EXPECT_TRUE(form->vorMsComm().portOpen()) << "the window keeps its port";
    EXPECT_TRUE(boxes.seen().empty());
}

// A connection test lent the window's port waits for a board that never answers: meanwhile the
// service goes on answering, and the test ends as no answer once the wait is over.
TEST_F(ServiceBesideTheWindow, AnswersTheStatusWhileABorrowedTestAwaitsTheBoard)
{
    const QString runtime = qEnvironmentVariable("XDG_RUNTIME_DIR");
    ASSERT_FALSE(runtime.isEmpty());
    options.lineSocketPath = runtime + QStringLiteral("/VorFJP.line");
    startProgram();
    click("OpenRs232Command");
    ASSERT_TRUE(form->vorMsComm().portOpen());

    WebProcess service;
    ASSERT_TRUE(service.start(pty.linkA(), contentPath)) << service.errors().toStdString();
    webtest::Curl test(service.port(), QStringLiteral("/api/send/test"), jsonRequest(QStringLiteral("POST"), "{}"));
    ASSERT_TRUE(board->waitForBytes(9, webtest::kWaitMs)) << "the test frame is on the line";
    const CurlAnswer page = curl(service.port(), QStringLiteral("/"));
    EXPECT_EQ(page.status, 200);
    EXPECT_TRUE(page.body.contains("<html")) << "the page itself";
    // Asked after the page: still sending, so the page came while the test awaited the board.
    const CurlAnswer status = curl(service.port(), QStringLiteral("/api/status"));
    EXPECT_EQ(status.status, 200);
    EXPECT_TRUE(status.json()[QStringLiteral("sending")].toBool()) << "answered while the test awaits the board";
    EXPECT_TRUE(status.json()[QStringLiteral("throughWindow")].toBool());

    const CurlAnswer tested = test.finish();
    EXPECT_EQ(tested.status, 504) << tested.body.toStdString();
    EXPECT_EQ(tested.json()[QStringLiteral("problem")].toString(), QStringLiteral("no-answer"));
    EXPECT_TRUE(boxes.seen().empty());
}

} // namespace
