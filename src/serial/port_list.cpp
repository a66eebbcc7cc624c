#include "serial/port_list.h"

#include <QDir>
#include <QFileInfo>

#include <algorithm>
#include <map>

namespace serial {

namespace {

// Device node (links resolved) -> the stable link naming it.
std::map<QString, QString> stableNames(const QString& folder)
{
    std::map<QString, QString> names;
    const QDir dir(folder);
    for (const QFileInfo& link : dir.entryInfoList(QDir::System | QDir::Files | QDir::NoDotAndDotDot, QDir::Name)) {
        if (!link.isSymLink())
            continue;
        const QString target = link.canonicalFilePath();
        if (!target.isEmpty())
            names.emplace(target, link.absoluteFilePath());
    }
    return names;
}

QString detailOf(const SystemPort& port)
{
    if (port.manufacturer.isEmpty() || port.description.contains(port.manufacturer))
        return port.description;
    if (port.description.isEmpty())
        return port.manufacturer;
    return port.description + QStringLiteral(" (") + port.manufacturer + QLatin1Char(')');
}

} // namespace

std::vector<PortEntry> portEntries(const std::vector<SystemPort>& ports, const QString& stableNameFolder)
{
    const std::map<QString, QString> stable = stableNames(stableNameFolder);
    std::vector<PortEntry> entries;
    for (const SystemPort& port : ports) {
        const QString node = QFileInfo(port.location).canonicalFilePath();
        const auto found = node.isEmpty() ? stable.end() : stable.find(node);
        entries.push_back({found != stable.end() ? found->second : port.location, detailOf(port)});
    }
    std::sort(entries.begin(), entries.end(), [](const PortEntry& a, const PortEntry& b) { return a.path < b.path; });
    entries.erase(std::unique(entries.begin(), entries.end(),
                              [](const PortEntry& a, const PortEntry& b) { return a.path == b.path; }),
                  entries.end());
    return entries;
}

} // namespace serial
