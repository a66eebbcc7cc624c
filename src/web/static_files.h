#pragma once
// Where the API finds the files of the page: the service fills it, the API only asks.
#include <QByteArray>
#include <QString>

#include <optional>

namespace web {

struct StaticFile {
    QByteArray bytes;
    QByteArray contentType; // e.g. "text/html; charset=utf-8"
};

class StaticFiles {
public:
    virtual ~StaticFiles() = default;
    // The file at path, an absolute path without "." or ".." segments ("/index.html",
    // "/app.js"); nothing when there is none.
    virtual std::optional<StaticFile> file(const QString& path) const = 0;
};

// No page at all: every file is missing. For a service that offers only the API.
class NoStaticFiles : public StaticFiles {
public:
    std::optional<StaticFile> file(const QString&) const override { return std::nullopt; }
};

} // namespace web
