// bare_window: the reference for the start-up figures: a Qt window of the main window's size
// with one label and nothing else.
#include <QApplication>
#include <QLabel>
#include <QWidget>

int main(int argc, char** argv)
{
    QApplication application(argc, argv);
    QWidget window;
    window.setFixedSize(662, 303);
    QLabel label(QStringLiteral("VorFJP"), &window);
    label.move(20, 20);
    window.show();
    return QApplication::exec();
}
