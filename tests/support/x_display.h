#pragma once
// A private X server (Xvfb) for tests that run the real program with the window system, and a
// look at its top-level windows from outside the program, the way an operator would see them.
#include <QProcess>
#include <QString>
#include <QStringList>

namespace apptest {

class XvfbServer {
public:
    XvfbServer() = default;
    ~XvfbServer();
    XvfbServer(const XvfbServer&) = delete;
    XvfbServer& operator=(const XvfbServer&) = delete;

    // False when Xvfb is not installed or did not come up.
    bool start();
    QString display() const { return m_display; }

private:
    QProcess m_process;
    QString m_display;
};

// Titles of the windows that are mapped on the screen.
QStringList shownWindowTitles(const QString& display);

// Asks the window with that title to close, as its close box would. False when there is none.
bool closeWindowTitled(const QString& display, const QString& title);

} // namespace apptest
