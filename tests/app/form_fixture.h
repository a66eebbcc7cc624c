#pragma once
// A main window loaded from a content file written for the test, with the per-user settings
// store redirected to a private folder so that no test touches the real port choice.
#include "app/main_form.h"
#include "support/content_file_bytes.h"
#include "support/files.h"
#include "support/message_box_watcher.h"

#include <QDir>
#include <QFile>
#include <QSettings>
#include <QTemporaryDir>
#include <QTest>

#include <gtest/gtest.h>

#include <memory>

namespace apptest {

using testsupport::readFile;
using testsupport::writeFile;

class FormTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(m_dir.isValid());
        QDir(m_dir.path()).mkpath(QStringLiteral("settings"));
        QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope, m_dir.filePath(QStringLiteral("settings")));
        QSettings::setPath(QSettings::IniFormat, QSettings::UserScope, m_dir.filePath(QStringLiteral("settings")));
        contentPath = m_dir.filePath(QStringLiteral("VorFjp.ini"));
    }

    // Creates the window over the given content file bytes; the clock stands still at now.
    app::MainForm& makeForm(const QByteArray& contentBytes = RecordPieces().fileBytes())
    {
        writeFile(contentPath, contentBytes);
        form = std::make_unique<app::MainForm>(app::MainFormOptions{contentPath, [this] { return now; }});
        return *form;
    }

    app::MainForm& loadForm(const QByteArray& contentBytes = RecordPieces().fileBytes())
    {
        makeForm(contentBytes);
        const std::optional<QString> failure = form->Form_Load();
        EXPECT_FALSE(failure.has_value()) << failure.value_or(QString()).toStdString();
        return *form;
    }

    void showActive()
    {
        form->show();
        form->activateWindow();
        ASSERT_TRUE(QTest::qWaitForWindowActive(form.get()));
    }

    template <typename T = QWidget>
    T* child(const QString& name) const
    {
        T* found = form->findChild<T*>(name);
        EXPECT_NE(found, nullptr) << name.toStdString();
        return found;
    }

    QTemporaryDir m_dir;
    QString contentPath;
    QDateTime now{QDate(2026, 3, 7), QTime(9, 5, 3)};
    std::unique_ptr<app::MainForm> form;
};

} // namespace apptest
