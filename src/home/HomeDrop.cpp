#include "home/HomeDrop.h"

#include "platform/FileURL.h"

#include <sys/stat.h>

namespace plenwick::home {

bool carriesLocalFiles(const QList<QUrl>& urls) {
    for (const QUrl& url : urls)
        if (pathFromFileURL(url)) return true;
    return false;
}

std::optional<std::string> folderToScan(const QList<QUrl>& urls, const std::function<bool(const std::string&)>& isFolder) {
    for (const QUrl& url : urls) {
        const std::optional<std::string> path = pathFromFileURL(url);
        if (path && isFolder(*path)) return path;
    }
    return std::nullopt;
}

bool isExistingFolder(const std::string& path) {
    struct stat item {};
    return ::stat(path.c_str(), &item) == 0 && S_ISDIR(item.st_mode);
}

} // namespace plenwick::home
