#pragma once
// The outlines of the hovered and the selected cell, on a layer of their own above
// the treemap picture: pointer feedback redraws only this layer, and only where an
// outline was or now is. It takes no part in hit testing.

#include "charts/TreemapLayout.h"

#include <QRectF>
#include <QRegion>
#include <QWidget>

#include <cstdint>
#include <optional>

namespace plenwick {

class AppState;
class TreemapModel;

// Which cells are outlined. The root cell never is; the hovered cell is not when it
// is the selected one. A node hovered elsewhere (the outline list) is outlined at
// its cell or at the cell of its deepest shown ancestor; a rest cell under the
// pointer, which hovers no node, is outlined too.
struct TreemapHighlight {
    std::optional<std::int32_t> hover;
    std::optional<std::int32_t> selection;
    friend bool operator==(const TreemapHighlight&, const TreemapHighlight&) = default;
};

TreemapHighlight treemapHighlight(const TreemapLayout* layout, std::optional<std::int32_t> hoverCell,
                                  const FileNode* hovered, const FileNode* selection);

// The rectangle of a cell on a canvas of `canvas` size showing the whole layout.
QRectF treemapCellRect(const TreemapLayout& layout, std::int32_t cell, QSizeF canvas);

class TreemapHighlightOverlay final : public QWidget {
    Q_OBJECT

public:
    TreemapHighlightOverlay(AppState& state, TreemapModel& model, QWidget* parent);

    const TreemapHighlight& highlight() const noexcept { return highlight_; }

protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

private:
    // Recomputes the outlines and repaints where they were and where they are now.
    void refresh();
    QRegion outlinedRegion() const;

    AppState& state_;
    TreemapModel& model_;
    TreemapHighlight highlight_;
    QRegion shown_;                          // what the outlines drawn last cover
    const TreemapLayout* shownLayout_ = nullptr; // identity only: the layout they were drawn on
};

} // namespace plenwick
