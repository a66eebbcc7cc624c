// The window beside other writers of the content file: a change made by vorfjp-send set shows in
// the window without a click and goes out with the next send; an edit the operator typed
// survives another writer's change; and the window's sends and a script's changes, running at
// once, lose nothing.
#include "support/board_fixture.h"
#include "support/send_process.h"

#include "app/name_label.h"

#include <QGroupBox>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>

#include <gtest/gtest.h>

namespace {

using e2etest::hex;

class WindowBesideAScript : public e2etest::BoardOnTheLine {
protected:
    // Runs vorfjp-send on the window's content file while the window's event loop goes on.
    clitest::SendRun set(QStringList arguments)
    {
        arguments.prepend(QStringLiteral("set"));
        arguments.prepend(contentPath);
        arguments.prepend(QStringLiteral("--content"));
        QProcess process;
        send.start(process, arguments);
        clitest::SendRun run;
        if (!QTest::qWaitFor([&] { return process.state() == QProcess::NotRunning; }, 20000)) {
            process.kill();
            process.waitForFinished();
            return run;
        }
        run.exitCode = process.exitCode();
        run.err = QString::fromUtf8(process.readAllStandardError());
        return run;
    }

    QJsonObject fileContent()
    {
        return QJsonDocument::fromJson(send.run({QStringLiteral("--content"), contentPath, QStringLiteral("show")}).out.toUtf8())
            .object();
    }

    clitest::SendProcess send;
};

// Room rates at 0 with 8 cells, so that the first two rows fill the frame.
apptest::RecordPieces eightRoomCells()
{
    apptest::RecordPieces pieces;
    pieces.areas = "0   8   256 12  0   4   ";
    return pieces;
}

TEST_F(WindowBesideAScript, ChangeOfTheFileShowsWithoutAClickAndGoesOutWithTheNextSend)
{
    startProgram(eightRoomCells());
    ASSERT_EQ(set({QStringLiteral("rooms.1=688")}).exitCode, 0);
    ASSERT_TRUE(QTest::qWaitFor([&] { return field("FJValText_0")->text().trimmed() == QLatin1String("688"); }, 10000))
        << field("FJValText_0")->text().toStdString();
    EXPECT_TRUE(boxes.seen().empty()) << "the content simply appears";

    click("SendFJCommand");
    // " 688" then "1234": dark, 6, 8, 8, 1, 2, 3, 4.
    EXPECT_TRUE(lineCarriedOnly(hex("02 00 14 FF EE 25 00 00 00 08 FF 82 80 80 F9 A4 B0 99 21 03")));
    EXPECT_EQ(fileContent()[QStringLiteral("rooms")][0].toString(), QStringLiteral("688"));
}

// Names and areas are no field the operator edits: a change of them always shows.
TEST_F(WindowBesideAScript, CaptionsAndNameLabelsFollowTheFile)
{
    startProgram(eightRoomCells());
    ASSERT_EQ(set({QStringLiteral("names.currencies=美元欧元"), QStringLiteral("areas.rates.length=24")}).exitCode, 0);
    auto* names = form->findChild<app::NameLabel*>(QStringLiteral("WbNameLabel"));
    ASSERT_NE(names, nullptr);
    ASSERT_TRUE(QTest::qWaitFor([&] { return names->caption().trimmed() == QStringLiteral("美元欧元"); }, 10000))
        << names->caption().toStdString();
    auto* frame = form->findChild<QGroupBox*>(QStringLiteral("Frame3"));
    ASSERT_NE(frame, nullptr);
    EXPECT_EQ(frame->title(), QStringLiteral("外币兑换256 24  "));
    EXPECT_EQ(form->wbArea().length, 24);
}

TEST_F(WindowBesideAScript, TypedEditSurvivesAnotherWritersChangeAndTheSendKeepsBoth)
{
    startProgram(eightRoomCells());
    field("FJValText_1")->setText(QStringLiteral("99"));
    ASSERT_EQ(set({QStringLiteral("rates.1.a=7.5"), QStringLiteral("rooms.2=555")}).exitCode, 0);
    ASSERT_TRUE(QTest::qWaitFor([&] { return field("WbValTextA_0")->text().trimmed() == QLatin1String("7.5"); }, 10000));
    EXPECT_EQ(field("FJValText_1")->text(), QStringLiteral("99")) << "the operator's text stays";

    click("SendFJCommand");
    EXPECT_TRUE(lineCarriedOnly(hex("02 00 14 FF EE 25 00 00 00 08 F9 A4 B0 99 FF FF 90 90 5C 03")));
    const QJsonObject file = fileContent();
    EXPECT_EQ(file[QStringLiteral("rooms")][1].toString(), QStringLiteral("99")) << "the operator's edit, sent";
    EXPECT_EQ(file[QStringLiteral("rates")][0][QStringLiteral("a")].toString(), QStringLiteral("7.5"))
        << "the other writer's change, kept";
}

// The operator keeps sending room rates while a script sets an exchange rate 200 times.
TEST_F(WindowBesideAScript, SendsAndAScriptsChangesAtOnceLoseNothing)
{
    startProgram(eightRoomCells());
    QProcess script;
    script.setProcessEnvironment(send.environment());
    script.start(QStringLiteral("/bin/sh"),
                 {QStringLiteral("-c"), QStringLiteral("i=1; while [ $i -le 200 ]; do \"$0\" --content \"$1\" set "
                                                       "rates.2.b=$i || exit 1; i=$((i+1)); done"),
                  QStringLiteral(VORFJP_SEND), contentPath});
    ASSERT_TRUE(script.waitForStarted());
    int sends = 0;
    while (script.state() != QProcess::NotRunning && sends < 1000) {
        field("FJValText_0")->setText(QString::number(sends % 10000));
        click("SendFJCommand");
        ++sends;
        QCoreApplication::processEvents(); // the script's changes come in as file events
    }
    ASSERT_TRUE(script.state() == QProcess::NotRunning || script.waitForFinished(60000));
    ASSERT_EQ(script.exitCode(), 0) << script.readAllStandardError().toStdString();
    field("FJValText_0")->setText(QStringLiteral("4321"));
    click("SendFJCommand");
    EXPECT_TRUE(boxes.seen().empty()) << boxes.seen().front().text.toStdString();

    const QJsonObject file = fileContent();
    EXPECT_EQ(file[QStringLiteral("rooms")][0].toString(), QStringLiteral("4321")) << "the window's last value";
    EXPECT_EQ(file[QStringLiteral("rates")][1][QStringLiteral("b")].toString(), QStringLiteral("200"))
        << "the script's last value, after " << sends << " sends";
    ASSERT_TRUE(QTest::qWaitFor([&] { return field("WbValTextB_1")->text().trimmed() == QLatin1String("200"); }, 10000))
        << "the window shows the file: " << field("WbValTextB_1")->text().toStdString();
}

} // namespace
