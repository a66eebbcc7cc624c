// render_app_icons: writes the program's icon as PNG files for an icon theme, from the same drawing
// as the window icon, so the menu entry and the window show one picture.
//   render_app_icons <theme folder> <icon name> <size>...
// makes <theme folder>/<size>x<size>/apps/<icon name>.png for every size.
#include "app/app_icon.h"
#include "app/window_font.h"

#include <QDir>
#include <QGuiApplication>

#include <cstdio>

int main(int argc, char** argv)
{
    const QGuiApplication application(argc, argv);
    const QStringList arguments = QCoreApplication::arguments();
    if (arguments.size() < 4) {
        std::fprintf(stderr, "usage: render_app_icons <theme folder> <icon name> <size>...\n");
        return 2;
    }
    const QDir theme(arguments.at(1));
    const QString name = arguments.at(2);
    const QString family = app::uiFontFamily();
    for (const QString& sizeText : arguments.mid(3)) {
        bool ok = false;
        const int size = sizeText.toInt(&ok);
        if (!ok || size < 1 || size > 1024) {
            std::fprintf(stderr, "render_app_icons: not an icon size: %s\n", qPrintable(sizeText));
            return 2;
        }
        const QString folder = QStringLiteral("%1x%1/apps").arg(size);
        const QString file = theme.filePath(folder + u'/' + name + QStringLiteral(".png"));
        if (!theme.mkpath(folder) || !app::drawAppIconImage(size, family).save(file, "PNG")) {
            std::fprintf(stderr, "render_app_icons: cannot write %s\n", qPrintable(file));
            return 1;
        }
    }
    return 0;
}
