#pragma once
// What the preview window shows for one path, read off the GUI thread: the picture
// of an image, the beginning of a text file, or else the item's facts.

#include <QDateTime>
#include <QImage>
#include <QString>

#include <cstdint>
#include <stop_token>
#include <string>

namespace plenwick {

struct PreviewContent {
    enum class Kind { image, text, facts };
    Kind kind = Kind::facts;
    std::string path;         // raw bytes, as asked for
    QString name;             // the last path component, for display
    bool exists = false;
    bool isFolder = false;
    QString kindText;         // the type's description ("PNG image", "Folder")
    QString iconName;         // the desktop theme's icon name for the type
    std::int64_t size = -1;   // bytes in the file; -1 for folders and missing items
    QDateTime modified;       // invalid when unknown
    QImage image;             // Kind::image
    QString text;             // Kind::text
    bool textTruncated = false;
};

// The largest part of a text file that is shown.
inline constexpr std::int64_t kPreviewTextLimit = 512 * 1024;
// Image files larger than this are described, not decoded.
inline constexpr std::int64_t kPreviewImageFileLimit = 256LL * 1024 * 1024;
// Decoded images are scaled down to fit this many pixels a side.
inline constexpr int kPreviewImageSide = 4096;

// Reads what the preview of `path` shows. Only regular files are opened, without
// blocking (a FIFO or device is only described). Never throws.
PreviewContent loadPreview(const std::string& path, std::stop_token stop = {});

} // namespace plenwick
