// The window's send path on Windows: loads the window (offscreen) over a content file, types the
// port into the port box as the operator would, presses 打开串口 and then 发送房价, and prints
// every message box it showed. Exit status 0 when the room rates went out without one; the caller
// checks the bytes that reached the line.
//   window_send_probe CONTENT_FILE PORT_CHOICE
#include "app/main_form.h"
#include "support/message_box_watcher.h"

#include <QApplication>
#include <QComboBox>
#include <QPushButton>

#include <cstdio>

int main(int argc, char** argv)
{
    QApplication application(argc, argv);
    const QStringList arguments = QCoreApplication::arguments();
    if (arguments.size() != 3) {
        std::fprintf(stderr, "usage: window_send_probe CONTENT_FILE PORT_CHOICE\n");
        return 2;
    }
    app::MainForm form(app::MainFormOptions {arguments[1], [] { return QDateTime::currentDateTime(); }});
    if (const std::optional<QString> failure = form.Form_Load()) {
        std::fprintf(stderr, "the window did not load: %s\n", qUtf8Printable(*failure));
        return 1;
    }
    form.show();
    auto* port = form.findChild<QComboBox*>(QStringLiteral("RsCombo"));
    auto* open = form.findChild<QPushButton*>(QStringLiteral("OpenRs232Command"));
    auto* send = form.findChild<QPushButton*>(QStringLiteral("SendFJCommand"));
    if (!port || !open || !send) {
        std::fprintf(stderr, "the window lacks the port box or its buttons\n");
        return 1;
    }
    const apptest::MessageBoxWatcher boxes;
    port->setEditText(arguments[2]);
    open->click();
    send->click();
    for (const apptest::SeenBox& box : boxes.seen())
        std::fprintf(stderr, "message box: %s\n", qUtf8Printable(box.text));
    return boxes.seen().empty() ? 0 : 1;
}
