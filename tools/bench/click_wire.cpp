// click_wire [runs]: from a click on a send button to the last byte of its frame at the board
// end of the line, for room rates and the connection test, beside the floor: a bare button whose
// handler writes one byte to its own port. Runs the three in turn, the given number of times
// (7 by default), offscreen, and prints the medians, one "name value" per line:
//   floor_ms, room_ms, room_bytes, test_ms, test_bytes
//   room_above_floor_ms, room_wire_share   (above the floor, as a share of the frame's wire time)
//   test_above_floor_ms, test_wire_share
//   board_end_realtime  1 when the board ends read at a real-time priority (see board_end.h)
#include "board_end.h"
#include "median.h"

#include "app/main_form.h"
#include "serial/line_settings.h"

#include <QApplication>
#include <QComboBox>
#include <QFile>
#include <QPushButton>
#include <QSerialPort>
#include <QSettings>
#include <QTemporaryDir>
#include <QTest>

#include <cstdio>
#include <cstdlib>
#include <vector>

namespace {

constexpr double kLineBaud = 57600;
constexpr double kBitsPerByte = 10; // start bit, 8 data bits, stop bit

double wireMs(long bytes)
{
    return 1000.0 * double(bytes) * kBitsPerByte / kLineBaud;
}

void pumpEvents()
{
    QCoreApplication::processEvents(QEventLoop::AllEvents);
}

// Clicks and waits until the board end has the frame; milliseconds, or a negative value when
// the frame did not arrive.
double clickToLastByte(QPushButton* button, BoardEnd& board, long bytes)
{
    // The room-rate send ends by saving the content file; the disk work it leaves behind must
    // not be counted against the next click.
    QTest::qWait(100);
    board.expect(bytes);
    const auto clicked = BoardEnd::Clock::now();
    QTest::mouseClick(button, Qt::LeftButton);
    const auto last = board.wait(std::chrono::seconds(5), pumpEvents);
    if (!last)
        return -1;
    return std::chrono::duration<double, std::milli>(*last - clicked).count();
}

// How many bytes one click puts on the line: everything that arrives within half a second.
long bytesOfOneClick(QPushButton* button, BoardEnd& board)
{
    board.expect(0);
    QTest::mouseClick(button, Qt::LeftButton);
    QTest::qWait(500);
    return board.received();
}

} // namespace

int main(int argc, char** argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication application(argc, argv);
    const int runs = argc > 1 ? std::atoi(argv[1]) : 7;
    if (runs < 1) {
        std::fprintf(stderr, "usage: click_wire [runs]\n");
        return 2;
    }

    QTemporaryDir dir;
    const QString contentPath = dir.filePath(QStringLiteral("VorFjp.ini"));
    if (!dir.isValid() || !QFile::copy(QStringLiteral(DELIVERED_CONTENT_FILE), contentPath)) {
        std::fprintf(stderr, "click_wire: cannot copy %s\n", DELIVERED_CONTENT_FILE);
        return 1;
    }
    QFile::setPermissions(contentPath, QFile::ReadOwner | QFile::WriteOwner);
    QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope, dir.path());

    BoardEnd board;
    BoardEnd floorBoard;
    if (!board.open() || !floorBoard.open()) {
        std::perror("click_wire: pseudo-terminal");
        return 1;
    }

    app::MainForm form(app::MainFormOptions{contentPath, {}, {}});
    if (app::loadAndShow(form) != 0)
        return 1;
    form.findChild<QComboBox*>(QStringLiteral("RsCombo"))->setEditText(QString::fromStdString(board.slavePath()));
    auto* room = form.findChild<QPushButton*>(QStringLiteral("SendFJCommand"));
    auto* test = form.findChild<QPushButton*>(QStringLiteral("FindCommand"));

    QWidget bare;
    QPushButton floorButton(QStringLiteral("1"), &bare);
    QSerialPort floorPort(QString::fromStdString(floorBoard.slavePath()));
    serial::applyLineSettings(floorPort);
    if (!floorPort.open(QIODevice::ReadWrite)) {
        std::fprintf(stderr, "click_wire: cannot open %s\n", floorBoard.slavePath().c_str());
        return 1;
    }
    QObject::connect(&floorButton, &QPushButton::clicked, &floorPort, [&floorPort] {
        floorPort.write("\x55", 1);
        floorPort.flush();
    });
    bare.show();

    // The first clicks open the port and warm the caches; they also tell the frame sizes.
    const long roomBytes = bytesOfOneClick(room, board);
    const long testBytes = bytesOfOneClick(test, board);
    const long floorBytes = bytesOfOneClick(&floorButton, floorBoard);
    if (roomBytes <= 0 || testBytes <= 0 || floorBytes != 1) {
        std::fprintf(stderr, "click_wire: no frame on the line (room %ld, test %ld, floor %ld bytes)\n", roomBytes,
                     testBytes, floorBytes);
        return 1;
    }

    std::vector<double> floorMs, roomMs, testMs;
    for (int i = 0; i < runs; ++i) {
        floorMs.push_back(clickToLastByte(&floorButton, floorBoard, floorBytes));
        roomMs.push_back(clickToLastByte(room, board, roomBytes));
        testMs.push_back(clickToLastByte(test, board, testBytes));
        if (floorMs.back() < 0 || roomMs.back() < 0 || testMs.back() < 0) {
            std::fprintf(stderr, "click_wire: a frame did not arrive within 5 s\n");
            return 1;
        }
    }
    const double floor = median(floorMs);
    const double roomAbove = median(roomMs) - floor;
    const double testAbove = median(testMs) - floor;
    std::printf("board_end_realtime %d\n", board.realtime() && floorBoard.realtime() ? 1 : 0);
    std::printf("floor_ms %.4f\n", floor);
    std::printf("room_ms %.4f\nroom_bytes %ld\n", median(roomMs), roomBytes);
    std::printf("test_ms %.4f\ntest_bytes %ld\n", median(testMs), testBytes);
    std::printf("room_above_floor_ms %.4f\nroom_wire_share %.4f\n", roomAbove, roomAbove / wireMs(roomBytes));
    std::printf("test_above_floor_ms %.4f\ntest_wire_share %.4f\n", testAbove, testAbove / wireMs(testBytes));
    return 0;
}
