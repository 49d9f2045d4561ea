#pragma once
// How the results are shown: the chart, the colour mode with its memory across a
// type highlight, the type filter of that highlight, the inspector, the preview and
// the by-folder colours. Colours every node the way every view paints it, reading
// the tree, the focus and the extension colours from the parts that hold them.

#include "app/ColorModeMemory.h"
#include "app/FolderColors.h"
#include "app/StateChanges.h"
#include "charts/ChartEnums.h"
#include "scanner/Color.h"
#include "scanner/FileNode.h"
#include "scanner/TypeFilter.h"

#include <optional>
#include <string>

namespace plenwick {

class Navigation;
class NodeMapping;
class ScanResults;
class TypeStatistics;

class Presentation {
public:
    Presentation(StateChanges& changes, const ScanResults& results, const Navigation& navigation,
                 const TypeStatistics& statistics) noexcept
        : changes_(changes), results_(results), navigation_(navigation), statistics_(statistics) {}
    Presentation(const Presentation&) = delete;
    Presentation& operator=(const Presentation&) = delete;

    Visualization visualization() const noexcept { return visualization_; }
    ColorMode colorMode() const noexcept { return colorMode_; }
    const std::optional<TypeFilter>& typeFilter() const noexcept { return typeFilter_; }
    bool showInspector() const noexcept { return showInspector_; }
    // The item the preview shows, or none when it is closed.
    const std::optional<std::string>& quickLookURL() const noexcept { return quickLookURL_; }
    const ColorModeMemory& colorModeMemory() const noexcept { return colorModeMemory_; }

    void setVisualization(Visualization visualization);
    void setColorMode(ColorMode mode);
    // An emptied filter gives back the colour mode its highlight replaced, unless the
    // user chose another mode meanwhile.
    void setTypeFilter(std::optional<TypeFilter> filter);
    void setShowInspector(bool show);
    void setQuickLookURL(std::optional<std::string> url);
    // An open preview moves to `node`.
    void previewFollows(const FileNode& node);

    // A breakdown row clicked: the highlight of `filter` ends when it is the current
    // one; otherwise it starts and switches to `target`, remembering the mode it
    // replaced.
    void toggleTypeHighlight(const TypeFilter& filter, ColorMode target);
    // The breakdown shown anew starts with an empty memory.
    void forgetColorModeMemory() { colorModeMemory_ = ColorModeMemory(); }
    // The breakdown that started the highlight is gone: its colour mode goes back.
    void restoreHighlightedColorMode();

    // After an edit of the tree: the preview closes when it showed something removed.
    void remap(const NodeMapping& mapping);
    // The tree went: the by-folder colours built for it go too.
    void resetFolderColors() noexcept { folderColors_.reset(); }

    const FolderColoring* makeFolderColoring() const;
    RGB color(const FileNode& node) const;
    bool matchesTypeFilter(const FileNode& node) const;

private:
    // The by-folder colours start from the focus, or from the root without one.
    const NodeRef& colorBase() const noexcept;

    StateChanges& changes_;
    const ScanResults& results_;
    const Navigation& navigation_;
    const TypeStatistics& statistics_;
    Visualization visualization_ = Visualization::sunburst;
    ColorMode colorMode_ = ColorMode::byFolder;
    std::optional<TypeFilter> typeFilter_;
    bool showInspector_ = true;
    std::optional<std::string> quickLookURL_;
    ColorModeMemory colorModeMemory_;
    FolderColors folderColors_;
};

} // namespace plenwick
