#pragma once
// vorfjp-send started the way a timer or an ssh session starts it: no display, no platform
// chosen, a home and a runtime folder of the test's own, and the C locale unless a test asks
// for another.
#include <QProcess>
#include <QProcessEnvironment>
#include <QString>
#include <QStringList>
#include <QTemporaryDir>

namespace clitest {

struct SendRun {
    int exitCode = -1;
    QString out;
    QString err;
};

class SendProcess {
public:
    SendProcess()
    {
        m_env = QProcessEnvironment::systemEnvironment();
        for (const char* name : {"DISPLAY", "WAYLAND_DISPLAY", "QT_QPA_PLATFORM", "LANGUAGE", "LC_ALL", "LC_MESSAGES"})
            m_env.remove(QString::fromLatin1(name));
        m_env.insert(QStringLiteral("HOME"), m_home.path());
        m_env.insert(QStringLiteral("XDG_CONFIG_HOME"), m_home.filePath(QStringLiteral("config")));
        m_env.insert(QStringLiteral("XDG_RUNTIME_DIR"), m_runtime.path());
        m_env.insert(QStringLiteral("LANG"), QStringLiteral("C.UTF-8"));
    }

    QProcessEnvironment& environment() { return m_env; }
    // Another copy of the program than the build's.
    void setProgram(const QString& program) { m_program = program; }
    QString runtimeDir() const { return m_runtime.path(); }

    void start(QProcess& process, const QStringList& arguments) const
    {
        process.setProcessEnvironment(m_env);
        process.start(m_program, arguments);
    }

    // Runs to its end (bounded); for cases where nothing else needs the event loop meanwhile.
    // input, when given, is the program's standard input.
    SendRun run(const QStringList& arguments, const QByteArray& input = {}) const
    {
        QProcess process;
        start(process, arguments);
        process.write(input);
        process.closeWriteChannel();
        SendRun result;
        if (!process.waitForFinished(30000)) {
            process.kill();
            process.waitForFinished();
            return result;
        }
        result.exitCode = process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1;
        result.out = QString::fromUtf8(process.readAllStandardOutput());
        result.err = QString::fromUtf8(process.readAllStandardError());
        return result;
    }

private:
    QTemporaryDir m_home;
    QTemporaryDir m_runtime;
    QProcessEnvironment m_env;
    QString m_program = QStringLiteral(VORFJP_SEND);
};

} // namespace clitest
