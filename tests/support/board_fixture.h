#pragma once
// A shown main window whose port field points at one end of a pseudo-terminal pair, with the
// board's end of the line read by the test, the content file written for the test, the settings
// store redirected to a private folder and every message box recorded and closed.
#include "support/board_line.h"
#include "support/content_file_bytes.h"
#include "support/files.h"
#include "support/hex.h"
#include "support/message_box_watcher.h"
#include "support/pty_pair.h"

#include "app/main_form.h"
#include "app/status_lamp.h"
#include "serial/vor_ms_comm.h"

#include <QComboBox>
#include <QFile>
#include <QLineEdit>
#include <QPushButton>
#include <QSettings>
#include <QTemporaryDir>
#include <QTest>

#include <gtest/gtest.h>

#include <memory>
#include <optional>

namespace e2etest {

using apptest::RecordPieces;

using testsupport::hex;
using testsupport::readFile;

class BoardOnTheLine : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(m_dir.isValid());
        QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope, m_dir.path());
        contentPath = m_dir.filePath(QStringLiteral("VorFjp.ini"));
        options = {contentPath, [this] { return now; }};
        ASSERT_TRUE(pty.start()) << pty.errorString().toStdString();
        board = std::make_unique<BoardLine>(pty.linkB());
        ASSERT_TRUE(board->isOpen());
    }

    void TearDown() override
    {
        form.reset();
        board.reset();
    }

    // Loads the window from the given content, shows it and points its port field at the line.
    void startProgram(const RecordPieces& pieces = RecordPieces())
    {
        contentFile = pieces.fileBytes();
        QFile file(contentPath);
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(contentFile);
        file.close();
        form = std::make_unique<app::MainForm>(options);
        ASSERT_FALSE(form->Form_Load().has_value());
        form->show();
        form->activateWindow();
        ASSERT_TRUE(QTest::qWaitForWindowActive(form.get()));
        portField()->setEditText(pty.linkA());
    }

    QComboBox* portField() const { return form->findChild<QComboBox*>(QStringLiteral("RsCombo")); }
    QLineEdit* field(const char* name) const { return form->findChild<QLineEdit*>(QString::fromLatin1(name)); }
    app::StatusLamp* lamp() const { return form->findChild<app::StatusLamp*>(QStringLiteral("GetValShape")); }

    void click(const char* button)
    {
        auto* target = form->findChild<QPushButton*>(QString::fromLatin1(button));
        ASSERT_NE(target, nullptr) << button;
        QTest::mouseClick(target, Qt::LeftButton);
    }

    // Types a device number the way the operator does: into its field, taken when the focus leaves.
    void typeDeviceNumber(const char* number)
    {
        QLineEdit* id = field("LedIDText");
        id->setFocus();
        ASSERT_TRUE(QTest::qWaitFor([&] { return id->hasFocus(); }));
        id->clear();
        QTest::keyClicks(id, QString::fromLatin1(number));
    }

    // What the board received since the last marker (or since the start) up to a new marker put
    // on the program's end of the line once the program is done: whatever the program wrote or
    // still had on its way arrives ahead of the marker, so no check rests on a guessed quiet
    // time. The marker goes through the program's own port when that is open (behind its write
    // buffer), from outside when it is not. Nothing when the marker could not be written or
    // never arrived.
    std::optional<QByteArray> receivedBeforeMarker(BoardLine& line, const QString& programEnd)
    {
        static const QByteArray marker = QByteArrayLiteral("<end of what the program sent>");
        const qsizetype lastMarker = line.received().lastIndexOf(marker);
        const qsizetype from = lastMarker < 0 ? 0 : lastMarker + marker.size();
        serial::VorMsComm* programPort = form ? form->findChild<serial::VorMsComm*>() : nullptr;
        const bool written = programPort && programPort->portOpen() ? programPort->write(marker).ok()
                                                                    : writeIntoProgramEnd(programEnd, marker);
        if (!written || !QTest::qWaitFor([&] { return line.received().indexOf(marker, from) >= 0; }, 10000))
            return std::nullopt;
        const QByteArray all = line.received();
        return all.mid(from, all.indexOf(marker, from) - from);
    }

    // Since the last marker the board received exactly these bytes, and nothing more is on its way.
    ::testing::AssertionResult lineCarriedOnly(const QByteArray& expected)
    {
        return lineCarriedOnly(*board, pty.linkA(), expected);
    }

    ::testing::AssertionResult lineCarriedOnly(BoardLine& line, const QString& programEnd, const QByteArray& expected)
    {
        const std::optional<QByteArray> got = receivedBeforeMarker(line, programEnd);
        if (!got)
            return ::testing::AssertionFailure()
                   << "the marker behind the program's bytes never arrived; the line holds "
                   << line.received().toHex(' ').toStdString();
        if (*got != expected)
            return ::testing::AssertionFailure() << "the line carried [" << got->toHex(' ').toStdString()
                                                 << "], expected [" << expected.toHex(' ').toStdString() << "]";
        return ::testing::AssertionSuccess();
    }

    QTemporaryDir m_dir;
    QString contentPath;
    QByteArray contentFile;
    QDateTime now{QDate(2012, 5, 23), QTime(20, 14, 6)};
    // What the window is made with; a test may change it before startProgram().
    app::MainFormOptions options;
    PtyPair pty;
    std::unique_ptr<BoardLine> board;
    std::unique_ptr<app::MainForm> form;
    apptest::MessageBoxWatcher boxes;
};

} // namespace e2etest
