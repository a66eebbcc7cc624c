#include "page/page_files.h"

#include <QFile>

// Q_INIT_RESOURCE declares a function of the global namespace, so it cannot be used inside one.
static void registerPageResources()
{
    Q_INIT_RESOURCE(page);
}

namespace page {

namespace {

QByteArray contentTypeOf(const QString& path)
{
    if (path.endsWith(QLatin1String(".html")))
        return "text/html; charset=utf-8";
    if (path.endsWith(QLatin1String(".css")))
        return "text/css; charset=utf-8";
    if (path.endsWith(QLatin1String(".js")))
        return "text/javascript; charset=utf-8";
    if (path.endsWith(QLatin1String(".svg")))
        return "image/svg+xml";
    return "application/octet-stream";
}

} // namespace

PageFiles::PageFiles()
{
    registerPageResources();
}

std::optional<web::StaticFile> PageFiles::file(const QString& path) const
{
    QFile file(QStringLiteral(":/page") + path);
    if (!file.open(QIODevice::ReadOnly))
        return std::nullopt;
    return web::StaticFile {file.readAll(), contentTypeOf(path)};
}

} // namespace page
