// The window's port as a sender borrows it, against a window of the test's own on the local
// socket: what the window answers comes back to the engine as the same problem, with the facts a
// front end words it from.
#include "board/operator_text.h"
#include "board/shared_port.h"

#include "share/line_message.h"

#include <QLocalServer>
#include <QLocalSocket>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <deque>
#include <ostream>
#include <variant>

namespace {

constexpr const char* kPort = "/dev/ttyS0"; // the choice "1"

// Answers each request with the next response, one request a connection, as the window does.
class WindowDouble : public QObject {
public:
    WindowDouble(const QString& path, std::deque<share::LineResponse> answers) : m_answers(std::move(answers))
    {
        m_server.listen(path);
        connect(&m_server, &QLocalServer::newConnection, this, [this] {
            while (QLocalSocket* client = m_server.nextPendingConnection())
                connect(client, &QLocalSocket::readyRead, this, [this, client] { answer(client); });
        });
    }
    bool listening() const { return m_server.isListening(); }
    const std::vector<share::LineRequest>& requests() const { return m_requests; }

private:
    void answer(QLocalSocket* client)
    {
        const share::Decoded<share::LineRequest> request = share::decodeRequest(client->peek(client->bytesAvailable()));
        if (request.state != share::Decoded<share::LineRequest>::State::Done || m_answers.empty())
            return;
        client->read(request.consumed);
        m_requests.push_back(request.value);
        client->write(share::encodeResponse(m_answers.front()));
        m_answers.pop_front();
    }

    QLocalServer m_server;
    std::deque<share::LineResponse> m_answers;
    std::vector<share::LineRequest> m_requests;
};

struct BorrowRow {
    const char* name;
    share::LineResponse window;
    const char* kind; // board::problemKind of the outcome
    line::WriteFault fault; // SendFailed only, the port aside
};

void PrintTo(const BorrowRow& row, std::ostream* out)
{
    *out << row.name;
}

const BorrowRow kBorrows[] = {
    {"Stuck", {share::LineStatus::WriteFailed, 0, QStringLiteral("12 bytes left"), line::WriteFailure::NotDrained, 14, 14, 12},
     "send-failed", {line::WriteFailure::NotDrained, {}, QStringLiteral("12 bytes left"), 14, 14, 12}},
    {"PartlyTaken", {share::LineStatus::WriteFailed, 0, {}, line::WriteFailure::NotAccepted, 14, 3, 0},
     "send-failed", {line::WriteFailure::NotAccepted, {}, {}, 14, 3, 0}},
    {"Lost", {share::LineStatus::LineLost, 0, QStringLiteral("Input/output error")}, "line-lost", {}},
};

class BorrowedPort : public ::testing::TestWithParam<BorrowRow> {};

TEST_P(BorrowedPort, WindowsAnswerComesBackWithItsKindAndFacts)
{
    const BorrowRow& row = GetParam();
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    const QString socketPath = dir.filePath(QStringLiteral("VorFJP.line"));
    WindowDouble window(socketPath, {{share::LineStatus::Held, 0, {}}, row.window});
    ASSERT_TRUE(window.listening());
    board::SharedPort port([] { return QStringLiteral("1"); }, socketPath);

    ASSERT_TRUE(port.open().ok());
    EXPECT_TRUE(port.throughWindow());
    const QByteArray clock = QByteArray::fromHex("02000EFFEE200C0517140E063D03");
    const board::Outcome sent = port.send(clock);
    ASSERT_FALSE(sent.ok());
    EXPECT_STREQ(board::problemKind(sent.problem()), row.kind);
    if (const auto* failed = std::get_if<board::SendFailed>(&sent.problem())) {
        EXPECT_EQ(failed->fault.why, row.fault.why);
        EXPECT_EQ(failed->fault.port, QLatin1String(kPort));
        EXPECT_EQ(failed->fault.detail, row.fault.detail);
        EXPECT_EQ(failed->fault.total, row.fault.total);
        EXPECT_EQ(failed->fault.accepted, row.fault.accepted);
        EXPECT_EQ(failed->fault.left, row.fault.left);
    } else if (const auto* lost = std::get_if<board::LineLost>(&sent.problem())) {
        EXPECT_EQ(lost->loss.detail, row.window.detail);
    }
    ASSERT_EQ(window.requests().size(), 2u);
    EXPECT_EQ(window.requests()[0].kind, share::LineKind::AskHeld);
    EXPECT_EQ(window.requests()[1].portName, QLatin1String(kPort));
    EXPECT_EQ(window.requests()[1].frame, clock);
}

INSTANTIATE_TEST_SUITE_P(Table, BorrowedPort, ::testing::ValuesIn(kBorrows),
                         [](const auto& info) { return std::string(info.param.name); });

} // namespace
