#pragma once
// The one-line bar under the treemap: swatch, symbol, path, kind, size and share of
// what the pointer is over, else of the selection, else of the focus folder.

#include "chartviews/TreemapStatusInfo.h"

#include <QWidget>

#include <optional>

namespace plenwick {

class AppState;
class TreemapModel;

class TreemapStatusBar final : public QWidget {
    Q_OBJECT

public:
    static constexpr int kHeight = 26;

    TreemapStatusBar(AppState& state, TreemapModel& model, QWidget* parent);

    // What the bar shows now.
    std::optional<TreemapStatusInfo> info() const;

    // The line as drawn at the bar's width: each text as it fits, and where it goes.
    // A kind that has no room for more than "…" is left out.
    struct Line {
        QString title, kind, size, share;
        QRectF swatch, symbol, titleRect, kindRect, sizeRect, shareRect;
    };
    std::optional<Line> line() const;

    QSize sizeHint() const override;

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    AppState& state_;
    TreemapModel& model_;
};

} // namespace plenwick
