// GoogleTest entry point with a QApplication, so that every test may use fonts,
// widgets, timers and serial ports. Tests run with QT_QPA_PLATFORM=offscreen.
//
// CTest starts one process per test case and runs them in parallel. Each process gets
// runtime, settings and data folders of its own before anything reads them, so that no
// two tests share a single-instance lock, a port-lending socket, a saved port choice or
// a per-user content file, whatever the machine's environment holds (CI runs with
// XDG_RUNTIME_DIR unset, where Qt would fall back to one /tmp/runtime-<user> for all).
// The programs a test starts inherit them.
#include <QApplication>
#include <QDir>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <cstdio>

int main(int argc, char** argv)
{
    ::testing::InitGoogleTest(&argc, argv);
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    const QTemporaryDir own(QDir::tempPath() + QStringLiteral("/vorfjp-test-XXXXXX"));
    if (!own.isValid()) {
        std::fprintf(stderr, "no private folder for this test: %s\n", qPrintable(own.errorString()));
        return 1;
    }
    for (const char* name : {"XDG_RUNTIME_DIR", "XDG_CONFIG_HOME", "XDG_DATA_HOME"}) {
        const QString folder = own.filePath(QString::fromLatin1(name).toLower());
        if (!QDir().mkdir(folder) || !QFile::setPermissions(folder, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner)) {
            std::fprintf(stderr, "cannot make %s\n", qPrintable(folder));
            return 1;
        }
        qputenv(name, QFile::encodeName(folder));
    }
    QApplication app(argc, argv);
    return RUN_ALL_TESTS();
}
