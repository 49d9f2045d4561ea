#pragma once
// Where file icons come from. An icon is described by theme icon names, best first,
// and the generic kind to draw when the desktop's theme has none of them; the
// description is found off the GUI thread (it may read the disk) and turned into an
// icon on the GUI thread (QIcon belongs there).

#include <QIcon>
#include <QStringList>

#include <optional>
#include <string>

namespace plenwick {

struct FileIconDescription {
    // Qt's own icons of these kinds stand in when the theme lacks every name.
    enum class Generic { file, folder, drive };
    QStringList themeNames;
    Generic generic = Generic::file;
    friend bool operator==(const FileIconDescription&, const FileIconDescription&) = default;
};

class FileIconSource {
public:
    virtual ~FileIconSource() = default;
    // The icon of the item at `path`, or none when nothing exists there. Runs on a
    // background thread; may read the disk and take long (a dead network mount).
    virtual std::optional<FileIconDescription> describeItem(const std::string& path) const = 0;
};

// The desktop's answer from the item itself: folders (the home folder and mount
// points as such), and files by their MIME type, read from the name and, where the
// name leaves it open, the content. A symbolic link shows its target.
class DesktopFileIconSource final : public FileIconSource {
public:
    std::optional<FileIconDescription> describeItem(const std::string& path) const override;
};

// The generic icon by type, without touching the disk: a folder; else the type
// registered for the lower-case `extension`; else generic data. Any thread.
FileIconDescription describeFileType(bool isFolder, const std::string& extension);

// The icon for a description: the first name the theme has, else Qt's generic icon
// of its kind. GUI thread.
QIcon makeFileIcon(const FileIconDescription& description);

} // namespace plenwick
