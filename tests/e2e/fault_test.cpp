// Faults at run time: a line that vanishes in the middle of the weather send, a port another
// program holds, a content file that cannot be written, markup where plain text is due and a
// machine without a weather font. In each the operator is told what happened and what to do, the
// program carries on, and nothing that was on disk is lost.
#include "support/board_fixture.h"

#include "raster/weather_font.h"

#include <QDir>
#include <QFileInfo>
#include <QLabel>
#include <QProcess>
#include <QTextDocument>

#include <gtest/gtest.h>

#include <csignal>
#include <sys/resource.h>

namespace {

using e2etest::BoardLine;
using e2etest::hex;
using e2etest::readFile;
using e2etest::RecordPieces;

constexpr int kTemperatureFrameBytes = 16; // four cells
constexpr int kDotFrameBytes = 142;

// The room-rate area holds eight cells, so its frame is 20 bytes.
RecordPieces smallAreas()
{
    RecordPieces pieces;
    pieces.areas = "0   8   256 12  0   4   ";
    return pieces;
}

class LineFault : public e2etest::BoardOnTheLine {
protected:
    // The one message box the program showed, or a failure naming all of them.
    apptest::SeenBox onlyBox()
    {
        std::string all;
        for (const apptest::SeenBox& box : boxes.seen())
            all += "[" + box.text.toStdString() + "] ";
        EXPECT_EQ(boxes.seen().size(), 1u) << all;
        return boxes.seen().empty() ? apptest::SeenBox{} : boxes.seen().front();
    }

    // The content file's folder holds nothing but the file and the settings folder: no temporary
    // file of a failed save is left behind.
    QStringList strayFiles() const
    {
        QStringList names = QDir(m_dir.path()).entryList(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden);
        names.removeAll(QStringLiteral("VorFjp.ini"));
        // The writers' lock, which stays beside the file for good.
        names.removeAll(QStringLiteral("VorFjp.ini.lock"));
        names.removeAll(QStringLiteral("VorFJP"));
        return names;
    }
};

TEST_F(LineFault, LineGoneDuringTheWeatherPauseIsReportedOnceAndANewLineWorks)
{
    startProgram(smallAreas());
    int bytesAtKill = -1;
    // Pulled once the temperatures are through: the program is in its pause, the dots not yet out.
    board->setOnArrival([&] {
        if (bytesAtKill < 0 && board->received().size() >= kTemperatureFrameBytes) {
            bytesAtKill = int(board->received().size());
            pty.kill();
        }
    });
    click("TxtSendCommand");
    board->setOnArrival({});

    EXPECT_EQ(bytesAtKill, kTemperatureFrameBytes) << "the line went in the middle of the pause";
    EXPECT_EQ(board->received().left(kTemperatureFrameBytes).toHex(' '),
              hex("02 00 10 FF EE 25 00 00 00 04 F9 A4 F9 80 04 03").toHex(' '));
    EXPECT_EQ(board->received().size(), kTemperatureFrameBytes) << "no dot frame";
    const apptest::SeenBox box = onlyBox();
    EXPECT_TRUE(box.text.contains(QStringLiteral("断开"))) << box.text.toStdString();
    EXPECT_TRUE(box.text.contains(QStringLiteral("打开串口"))) << "says what to do: " << box.text.toStdString();
    EXPECT_TRUE(box.text.contains(QStringLiteral("温度已经发出"))) << box.text.toStdString();
    EXPECT_EQ(box.format, Qt::PlainText);
    EXPECT_TRUE(form->isVisible());
    EXPECT_FALSE(form->vorMsComm().portOpen());
    EXPECT_EQ(lamp()->fillColour(), QColor(0, 0, 0));
    EXPECT_EQ(readFile(contentPath), contentFile) << "a send cut short saves nothing";

    // A new cable: the next send goes out whole and is saved.
    PtyPair second;
    ASSERT_TRUE(second.start()) << second.errorString().toStdString();
    BoardLine secondBoard(second.linkB());
    ASSERT_TRUE(secondBoard.isOpen());
    portField()->setEditText(second.linkA());
    boxes.clear();
    field("FJValText_0")->setText(QStringLiteral("77"));
    click("SendFJCommand");
    const std::optional<QByteArray> sent = receivedBeforeMarker(secondBoard, second.linkA());
    ASSERT_TRUE(sent.has_value());
    EXPECT_EQ(sent->size(), 20) << "one room-rate frame: " << sent->toHex(' ').toStdString();
    EXPECT_TRUE(boxes.seen().empty()) << boxes.seen().front().text.toStdString();
    EXPECT_EQ(lamp()->fillColour(), QColor(0, 255, 0));
    RecordPieces saved = smallAreas();
    saved.fjValues[0] = "77";
    EXPECT_EQ(readFile(contentPath), saved.fileBytes());
}

// Another program holding the port: serial_port_probe, a second process with its own VorMsComm.
// Root passes the terminal's exclusive mode, so what stops the program here is the lock file
// that every holder of the same device name takes in the system's lock folder.
class PortHeldElsewhere : public LineFault {
protected:
    void TearDown() override
    {
        release();
        LineFault::TearDown();
    }

    void hold(const QString& port)
    {
        const QString probe = QStringLiteral(SERIAL_PORT_PROBE);
        ASSERT_TRUE(QFileInfo(probe).isExecutable()) << "build the serial_port_probe target first";
        m_holder.start(probe, {QStringLiteral("hold"), port});
        ASSERT_TRUE(m_holder.waitForStarted(5000));
        ASSERT_TRUE(QTest::qWaitFor([&] { return m_holder.canReadLine(); }, 5000));
        ASSERT_EQ(m_holder.readLine().trimmed(), "opened") << "the holder could not open " << port.toStdString();
    }

    void release()
    {
        if (m_holder.state() == QProcess::NotRunning)
            return;
        m_holder.closeWriteChannel();
        if (!m_holder.waitForFinished(3000))
            m_holder.kill();
        m_holder.waitForFinished(3000);
    }

    QProcess m_holder;
};

TEST_F(PortHeldElsewhere, OpenSaysThePortIsInUseAndWorksOnceItIsFree)
{
    startProgram();
    hold(pty.linkA());
    click("OpenRs232Command");
    const apptest::SeenBox box = onlyBox();
    EXPECT_TRUE(box.text.startsWith(QStringLiteral("端口打开错误~!\n"))) << box.text.toStdString();
    EXPECT_TRUE(box.text.contains(QStringLiteral("占用"))) << box.text.toStdString();
    EXPECT_TRUE(box.text.contains(pty.linkA())) << "names the port";
    EXPECT_EQ(lamp()->fillColour(), QColor(0, 0, 0));
    EXPECT_FALSE(form->vorMsComm().portOpen());

    // A send while it is held: the same message, nothing sent, nothing saved.
    boxes.clear();
    click("TxtSendCommand");
    EXPECT_TRUE(onlyBox().text.contains(QStringLiteral("占用")));
    EXPECT_EQ(readFile(contentPath), contentFile);

    release();
    boxes.clear();
    click("OpenRs232Command");
    EXPECT_TRUE(boxes.seen().empty()) << boxes.seen().front().text.toStdString();
    EXPECT_TRUE(form->vorMsComm().portOpen());
    EXPECT_EQ(lamp()->fillColour(), QColor(0, 255, 0));
    EXPECT_TRUE(lineCarriedOnly({})) << "nothing of the weather send reached the board";
}

// The whole process may write at most this many bytes into any one file, far less than a
// content file: a full disk, for root too. SIGXFSZ is ignored so that the write fails with EFBIG.
class FileSizeLimit {
public:
    explicit FileSizeLimit(rlim_t bytes)
    {
        ::getrlimit(RLIMIT_FSIZE, &m_saved);
        m_previousHandler = std::signal(SIGXFSZ, SIG_IGN);
        rlimit limited = m_saved;
        limited.rlim_cur = bytes;
        m_active = ::setrlimit(RLIMIT_FSIZE, &limited) == 0;
    }
    ~FileSizeLimit()
    {
        ::setrlimit(RLIMIT_FSIZE, &m_saved);
        std::signal(SIGXFSZ, m_previousHandler);
    }
    FileSizeLimit(const FileSizeLimit&) = delete;
    FileSizeLimit& operator=(const FileSizeLimit&) = delete;

    bool active() const { return m_active; }

private:
    rlimit m_saved{};
    void (*m_previousHandler)(int) = SIG_DFL;
    bool m_active = false;
};

enum class Obstacle { FolderInItsPlace, DiskFull };

struct SaveFaultRow {
    const char* name;
    const char* button;
    int frameBytes; // everything the send puts on the line
    Obstacle obstacle;
};

void PrintTo(const SaveFaultRow& row, std::ostream* out)
{
    *out << row.name;
}

class UnsavableContent : public LineFault, public ::testing::WithParamInterface<SaveFaultRow> {};

TEST_P(UnsavableContent, FrameGoesOutTheOperatorLearnsWhyAndTheOldFileStays)
{
    const SaveFaultRow& row = GetParam();
    startProgram(smallAreas());
    if (row.obstacle == Obstacle::FolderInItsPlace) {
        ASSERT_TRUE(QFile::remove(contentPath));
        ASSERT_TRUE(QDir().mkdir(contentPath));
        ASSERT_TRUE(QFile(contentPath + QStringLiteral("/keep.txt")).open(QIODevice::WriteOnly));
    }
    // Edits the send carries and the failed save must not undo.
    field("FJValText_0")->setText(QStringLiteral("66"));
    field("WbValTextA_0")->setText(QStringLiteral("1.5"));
    field("WenDuTextL")->setText(QStringLiteral("-3"));
    // Opened beforehand: the port's lock file could not be written under the limit either.
    click("OpenRs232Command");
    ASSERT_TRUE(form->vorMsComm().portOpen());
    {
        std::optional<FileSizeLimit> limit;
        if (row.obstacle == Obstacle::DiskFull) {
            limit.emplace(64);
            ASSERT_TRUE(limit->active());
        }
        click(row.button);
    }

    const std::optional<QByteArray> sent = receivedBeforeMarker(*board, pty.linkA());
    ASSERT_TRUE(sent.has_value());
    EXPECT_EQ(sent->size(), row.frameBytes) << "the frames go out before the save: " << sent->toHex(' ').toStdString();
    const apptest::SeenBox box = onlyBox();
    EXPECT_TRUE(box.text.contains(QStringLiteral("没有保存到 VorFjp.ini"))) << box.text.toStdString();
    const QString why = row.obstacle == Obstacle::DiskFull ? QStringLiteral("磁盘可能已满") : QStringLiteral("文件夹");
    EXPECT_TRUE(box.text.contains(why)) << box.text.toStdString();
    EXPECT_TRUE(box.text.contains(QStringLiteral("请"))) << "says what to do: " << box.text.toStdString();
    EXPECT_EQ(box.format, Qt::PlainText);

    EXPECT_TRUE(form->isVisible());
    EXPECT_EQ(field("FJValText_0")->text(), QStringLiteral("66"));
    EXPECT_EQ(field("WbValTextA_0")->text(), QStringLiteral("1.5"));
    EXPECT_EQ(field("WenDuTextL")->text(), QStringLiteral("-3"));
    if (row.obstacle == Obstacle::FolderInItsPlace) {
        EXPECT_TRUE(QFileInfo(contentPath).isDir());
        EXPECT_TRUE(QFileInfo::exists(contentPath + QStringLiteral("/keep.txt")));
    } else {
        EXPECT_EQ(readFile(contentPath), contentFile);
    }
    EXPECT_EQ(strayFiles(), QStringList());
}

INSTANTIATE_TEST_SUITE_P(
    Sends, UnsavableContent,
    ::testing::Values(SaveFaultRow{"RoomRatesFolder", "SendFJCommand", 20, Obstacle::FolderInItsPlace},
                      SaveFaultRow{"ExchangeRatesFolder", "SendWBCommand", 24, Obstacle::FolderInItsPlace},
                      SaveFaultRow{"WeatherFolder", "TxtSendCommand", kTemperatureFrameBytes + kDotFrameBytes,
                                   Obstacle::FolderInItsPlace},
                      SaveFaultRow{"RoomRatesDiskFull", "SendFJCommand", 20, Obstacle::DiskFull},
                      SaveFaultRow{"ExchangeRatesDiskFull", "SendWBCommand", 24, Obstacle::DiskFull},
                      SaveFaultRow{"WeatherDiskFull", "TxtSendCommand", kTemperatureFrameBytes + kDotFrameBytes,
                                   Obstacle::DiskFull}),
    [](const auto& info) { return std::string(info.param.name); });

// What a tooltip or any auto-format label makes of the text: markup is rendered, not shown.
QString asDisplayed(const QString& text)
{
    if (!Qt::mightBeRichText(text))
        return text;
    QTextDocument document;
    document.setHtml(text);
    return document.toPlainText();
}

class MarkupInText : public LineFault, public ::testing::WithParamInterface<const char*> {};

TEST_P(MarkupInText, TypedPortNameIsShownLiterally)
{
    const QString port = QString::fromUtf8(GetParam());
    startProgram();
    portField()->setEditText(port);
    click("OpenRs232Command");
    const apptest::SeenBox box = onlyBox();
    EXPECT_EQ(box.format, Qt::PlainText);
    EXPECT_TRUE(box.text.startsWith(QStringLiteral("端口打开错误~!\n"))) << box.text.toStdString();
    EXPECT_TRUE(box.text.contains(port)) << box.text.toStdString();
    EXPECT_TRUE(asDisplayed(lamp()->toolTip()).contains(port))
        << "the lamp's tooltip renders the name: " << lamp()->toolTip().toStdString();
    EXPECT_TRUE(form->isVisible());
}

INSTANTIATE_TEST_SUITE_P(Ports, MarkupInText,
                         ::testing::Values("<b>x</b>", "/dev/<b>x</b>", "<i>3</i> & <br>"),
                         [](const auto& info) { return "Row" + std::to_string(info.index); });

TEST_F(LineFault, AreaMessageAndCaptionsShowMarkupLiterally)
{
    RecordPieces pieces = smallAreas();
    pieces.areas = "-1  8   256 12  0   4   ";
    pieces.fjNames = apptest::ascii("<i>Suite</i><br>Twin");
    startProgram(pieces);
    click("SendFJCommand");
    const apptest::SeenBox box = onlyBox();
    EXPECT_EQ(box.format, Qt::PlainText);
    EXPECT_TRUE(box.text.contains(QStringLiteral("-1  8   "))) << box.text.toStdString();

    auto* names = form->findChild<QLabel*>(QStringLiteral("FJNameLabel"));
    ASSERT_NE(names, nullptr);
    EXPECT_EQ(names->textFormat(), Qt::PlainText);
    EXPECT_EQ(names->text().remove(QLatin1Char('\n')).left(20), QStringLiteral("<i>Suite</i><br>Twin"));
}

TEST(StartUpFault, LoadErrorQuotingMarkupIsPlainText)
{
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope, dir.path());
    const QString path = dir.filePath(QStringLiteral("VorFjp.ini"));
    RecordPieces pieces;
    pieces.areas = "<b> 32  32  72  104 4   ";
    {
        QFile file(path);
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(pieces.fileBytes());
    }
    apptest::MessageBoxWatcher boxes;
    app::MainForm form(app::MainFormOptions{path, {}, {}});
    EXPECT_NE(app::loadAndShow(form), 0);
    EXPECT_FALSE(form.isVisible());
    ASSERT_EQ(boxes.seen().size(), 1u);
    EXPECT_EQ(boxes.seen().front().format, Qt::PlainText);
    EXPECT_TRUE(boxes.seen().front().text.contains(QStringLiteral("<b> "))) << boxes.seen().front().text.toStdString();
    EXPECT_EQ(readFile(path), pieces.fileBytes()) << "a failed start writes nothing";
}

TEST_F(LineFault, WithoutAWeatherFontTheTemperaturesGoOutAndTheFontIsNamed)
{
    options.weatherFont = [] { return raster::chooseWeatherFont({}); };
    startProgram(smallAreas());
    click("TxtSendCommand");
    EXPECT_TRUE(lineCarriedOnly(hex("02 00 10 FF EE 25 00 00 00 04 F9 A4 F9 80 04 03"))) << "no dot frame";
    const apptest::SeenBox box = onlyBox();
    EXPECT_TRUE(box.text.contains(QStringLiteral("fonts-unifont"))) << box.text.toStdString();
    EXPECT_TRUE(box.text.contains(QStringLiteral("Unifont"))) << box.text.toStdString();
    EXPECT_TRUE(box.text.contains(QStringLiteral("宋体"))) << box.text.toStdString();
    EXPECT_EQ(box.format, Qt::PlainText);
    EXPECT_TRUE(form->isVisible());
    EXPECT_TRUE(form->vorMsComm().portOpen()) << "the line is fine; only the font is missing";
    EXPECT_EQ(lamp()->fillColour(), QColor(0, 255, 0));
    EXPECT_EQ(readFile(contentPath), contentFile);

    // The room rates do not need the font.
    boxes.clear();
    click("SendFJCommand");
    const std::optional<QByteArray> rooms = receivedBeforeMarker(*board, pty.linkA());
    ASSERT_TRUE(rooms.has_value());
    EXPECT_EQ(rooms->size(), 20) << rooms->toHex(' ').toStdString();
    EXPECT_TRUE(boxes.seen().empty());
}

} // namespace
