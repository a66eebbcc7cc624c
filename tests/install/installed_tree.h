#pragma once
// The build installed the way a package or an administrator installs it, into a private prefix,
// and the installed programs started from there with a fresh home of their own.
#include <QProcess>
#include <QProcessEnvironment>
#include <QString>
#include <QTemporaryDir>

namespace installtest {

class InstalledTree {
public:
    // Runs `cmake --install` of the build tree into a new temporary prefix.
    InstalledTree();

    bool installed() const { return m_installed; }
    QString log() const { return m_log; }
    QString prefix() const { return m_dir.filePath(QStringLiteral("prefix")); }
    QString file(const QString& relative) const { return prefix() + u'/' + relative; }

    // A home with nothing in it, and the XDG folders under it.
    QString home() const { return m_dir.filePath(QStringLiteral("home")); }
    QString dataHome() const { return home() + QStringLiteral("/.local/share"); }
    QString configHome() const { return home() + QStringLiteral("/.config"); }
    QString perUserContent() const { return dataHome() + QStringLiteral("/VorFJP/VorFjp.ini"); }
    QString templateContent() const { return file(QStringLiteral("share/vorfjp/VorFjp.ini")); }
    QString lockFile() const { return home() + QStringLiteral("/run/VorFJP.lock"); }

    // No display; the fresh home. dataHomeSet false leaves XDG_DATA_HOME out, so that the
    // program falls back to ~/.local/share.
    QProcessEnvironment environment(bool dataHomeSet = true) const;

private:
    QTemporaryDir m_dir;
    bool m_installed = false;
    QString m_log;
};

struct Run {
    bool finished = false;
    int exitCode = -1;
    QString out;
    QString err;
};

// How the dot frame of a weather dry run for device 255 starts, as vorfjp-send prints it.
inline const QString kWeatherDotFrameStart = QStringLiteral("02 00 8E FF EE 29 00 01 C0 00 08 10 ");

// Runs a program to its end (bounded), as a script would.
Run runToEnd(const QString& program, const QStringList& arguments, const QProcessEnvironment& environment);

QByteArray readAll(const QString& path);

} // namespace installtest
