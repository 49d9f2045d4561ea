#pragma once
// Which dropped item the home screen scans: the first local folder. Only file URLs
// count — a dropped web link whose path happens to read "/home" is not the local
// /home — and a folder that is gone by the time of the drop is skipped.

#include <QList>
#include <QUrl>

#include <functional>
#include <optional>
#include <string>

namespace plenwick::home {

// Whether a drag carrying `urls` may be dropped: at least one is a local file URL.
bool carriesLocalFiles(const QList<QUrl>& urls);
// The path of the first of `urls`, in drop order, that is a local file URL naming an
// existing folder by `isFolder`; none when no URL qualifies.
std::optional<std::string> folderToScan(const QList<QUrl>& urls, const std::function<bool(const std::string&)>& isFolder);
// Whether a folder (or a link to one) exists at `path`.
bool isExistingFolder(const std::string& path);

} // namespace plenwick::home
