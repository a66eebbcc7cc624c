#pragma once
// A shown main window whose port field points at one end of a pseudo-terminal pair, with the
// board's end of the line read by the test, the content file written for the test, the settings
// store redirected to a private folder and every message box recorded and closed.
#include "board_line.h"
#include "support/files.h"
#include "support/hex.h"
#include "support/pty_pair.h"

#include "../app/content_file_bytes.h"
#include "../app/message_box_watcher.h"
#include "app/main_form.h"
#include "app/status_lamp.h"

#include <QComboBox>
#include <QFile>
#include <QLineEdit>
#include <QPushButton>
#include <QSettings>
#include <QTemporaryDir>
#include <QTest>

#include <gtest/gtest.h>

#include <memory>

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

    // True when nothing reaches the board within a short while.
    bool lineStaysQuiet(int ms = 300)
    {
        QTest::qWait(ms);
        return board->received().isEmpty();
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
