#pragma once
// The page of vorfjp-web: its files are built into the program, so nothing is fetched from
// anywhere else.
#include "web/static_files.h"

namespace page {

class PageFiles : public web::StaticFiles {
public:
    // Registers the page's resources: they live in a static library, whose resource registration
    // the linker would otherwise leave out, since nothing refers to it.
    PageFiles();

    // "/index.html", "/page.css", "/page.js", "/favicon.svg"; nothing for any other path.
    std::optional<web::StaticFile> file(const QString& path) const override;
};

} // namespace page
