#include "installed_tree.h"

#include <QDir>
#include <QFile>

namespace installtest {

InstalledTree::InstalledTree()
{
    if (!m_dir.isValid())
        return;
    QDir dir(m_dir.path());
    const QString run = home() + QStringLiteral("/run");
    if (!dir.mkpath(run))
        return;
    QFile::setPermissions(run, QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);

    QProcess install;
    install.setProcessChannelMode(QProcess::MergedChannels);
    install.start(QStringLiteral(VORFJP_CMAKE_COMMAND),
                  {QStringLiteral("--install"), QStringLiteral(VORFJP_BINARY_DIR), QStringLiteral("--prefix"), prefix()});
    const bool ended = install.waitForFinished(120000);
    m_log = QString::fromLocal8Bit(install.readAll());
    m_installed = ended && install.exitStatus() == QProcess::NormalExit && install.exitCode() == 0;
}

QProcessEnvironment InstalledTree::environment(bool dataHomeSet) const
{
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    for (const char* name : {"DISPLAY", "WAYLAND_DISPLAY", "QT_QPA_PLATFORM", "XDG_DATA_HOME", "XDG_CONFIG_HOME"})
        environment.remove(QLatin1String(name));
    environment.insert(QStringLiteral("HOME"), home());
    environment.insert(QStringLiteral("XDG_RUNTIME_DIR"), home() + QStringLiteral("/run"));
    environment.insert(QStringLiteral("XDG_CONFIG_HOME"), configHome());
    if (dataHomeSet)
        environment.insert(QStringLiteral("XDG_DATA_HOME"), dataHome());
    return environment;
}

Run runToEnd(const QString& program, const QStringList& arguments, const QProcessEnvironment& environment)
{
    QProcess process;
    process.setProcessEnvironment(environment);
    process.start(program, arguments);
    Run run;
    run.finished = process.waitForFinished(30000);
    if (!run.finished)
        process.kill();
    run.exitCode = process.exitCode();
    run.out = QString::fromLocal8Bit(process.readAllStandardOutput());
    run.err = QString::fromLocal8Bit(process.readAllStandardError());
    return run;
}

QByteArray readAll(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

} // namespace installtest
