#pragma once
// File URLs from and to the raw byte paths used everywhere else. One place, so that
// drags, drops, reveals and opens agree on how a name that is not valid UTF-8 travels.

#include <QUrl>

#include <optional>
#include <string>

namespace plenwick {

// The file URL of `path` (raw bytes, absolute).
QUrl fileURL(const std::string& path);

// The raw byte path of a local file URL; nothing for any other scheme (an https link
// to "/home" is not the local /home), for a host other than none, "localhost" or this
// machine's name, for an empty path or one holding a NUL byte.
std::optional<std::string> pathFromFileURL(const QUrl& url);

} // namespace plenwick
