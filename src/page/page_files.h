#pragma once
// The page of vorfjp-web: its files are built into the program, so nothing is fetched from
// anywhere else.
#include "web/static_files.h"

namespace page {

class PageFiles : public web::StaticFiles {
public:
    // "/index.html", "/page.css", "/page.js"; nothing for any other path.
    std::optional<web::StaticFile> file(const QString& path) const override;
};

} // namespace page
