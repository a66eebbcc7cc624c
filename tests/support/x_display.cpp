#include "support/x_display.h"

#include <QStandardPaths>

#include <X11/Xatom.h>
#include <X11/Xlib.h>
#include <X11/Xutil.h>

#include <memory>
#include <vector>

namespace apptest {

namespace {

struct DisplayCloser {
    void operator()(Display* display) const { XCloseDisplay(display); }
};
using DisplayPtr = std::unique_ptr<Display, DisplayCloser>;

DisplayPtr openDisplay(const QString& name)
{
    return DisplayPtr(XOpenDisplay(name.toLocal8Bit().constData()));
}

QString titleOf(Display* display, Window window)
{
    const Atom netWmName = XInternAtom(display, "_NET_WM_NAME", False);
    const Atom utf8 = XInternAtom(display, "UTF8_STRING", False);
    Atom type = 0;
    int format = 0;
    unsigned long count = 0;
    unsigned long after = 0;
    unsigned char* data = nullptr;
    QString title;
    if (XGetWindowProperty(display, window, netWmName, 0, 1024, False, utf8, &type, &format, &count, &after, &data)
            == Success
        && data) {
        title = QString::fromUtf8(reinterpret_cast<const char*>(data), int(count));
        XFree(data);
    }
    return title;
}

std::vector<std::pair<Window, QString>> shownWindows(Display* display)
{
    std::vector<std::pair<Window, QString>> shown;
    Window root = 0;
    Window parent = 0;
    Window* children = nullptr;
    unsigned int count = 0;
    if (!XQueryTree(display, DefaultRootWindow(display), &root, &parent, &children, &count))
        return shown;
    for (unsigned int i = 0; i < count; ++i) {
        XWindowAttributes attributes{};
        if (XGetWindowAttributes(display, children[i], &attributes) && attributes.map_state == IsViewable)
            shown.emplace_back(children[i], titleOf(display, children[i]));
    }
    if (children)
        XFree(children);
    return shown;
}

} // namespace

XvfbServer::~XvfbServer()
{
    if (m_process.state() != QProcess::NotRunning) {
        m_process.terminate();
        if (!m_process.waitForFinished(3000))
            m_process.kill();
        m_process.waitForFinished(3000);
    }
}

bool XvfbServer::start()
{
    const QString xvfb = QStandardPaths::findExecutable(QStringLiteral("Xvfb"));
    if (xvfb.isEmpty())
        return false;
    // -displayfd 1: the server picks a free display and writes its number to standard output.
    // -noreset: without it the server resets when its last client leaves, and a program that
    // connects just then is turned away.
    m_process.start(xvfb, {QStringLiteral("-displayfd"), QStringLiteral("1"), QStringLiteral("-screen"),
                           QStringLiteral("0"), QStringLiteral("1024x768x24"), QStringLiteral("-noreset"), QStringLiteral("-nolisten"),
                           QStringLiteral("tcp")});
    if (!m_process.waitForStarted(5000))
        return false;
    QByteArray number;
    while (!number.contains('\n')) {
        if (!m_process.waitForReadyRead(10000))
            return false;
        number += m_process.readAllStandardOutput();
    }
    m_display = QLatin1Char(':') + QString::fromLatin1(number.trimmed());
    return bool(openDisplay(m_display));
}

QStringList shownWindowTitles(const QString& display)
{
    QStringList titles;
    if (DisplayPtr connection = openDisplay(display)) {
        for (const auto& [window, title] : shownWindows(connection.get()))
            titles << title;
    }
    return titles;
}

bool closeWindowTitled(const QString& display, const QString& title)
{
    DisplayPtr connection = openDisplay(display);
    if (!connection)
        return false;
    Display* d = connection.get();
    for (const auto& [window, shownTitle] : shownWindows(d)) {
        if (shownTitle != title)
            continue;
        XEvent event{};
        event.xclient.type = ClientMessage;
        event.xclient.window = window;
        event.xclient.message_type = XInternAtom(d, "WM_PROTOCOLS", False);
        event.xclient.format = 32;
        event.xclient.data.l[0] = long(XInternAtom(d, "WM_DELETE_WINDOW", False));
        event.xclient.data.l[1] = CurrentTime;
        XSendEvent(d, window, False, NoEventMask, &event);
        XFlush(d);
        return true;
    }
    return false;
}

} // namespace apptest
