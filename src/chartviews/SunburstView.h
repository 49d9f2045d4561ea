#pragma once
// The sunburst chart of the results: the tree below the focus as rings of arcs
// around a centre disc. It turns the application state into scenes, animates every
// change of scene with a zoom or a crossfade, stacks the arcs layer, the hover and
// selection overlay and the centre disc, and is the chart's whole input side: hover,
// clicks that select and zoom, dragging items out, the context menu, the hidden
// space's help tag and the accessibility description. Every selection, hover and
// navigation goes to AppState.

#include "charts/SunburstScene.h"
#include "charts/SunburstTransition.h"
#include "chartviews/AppStateChartState.h"
#include "chartviews/SunburstAppearance.h"
#include "chartviews/SunburstChartGeometry.h"
#include "chartviews/SunburstInput.h"

#include <QElapsedTimer>
#include <QPoint>
#include <QPointer>
#include <QTimer>
#include <QWidget>

#include <functional>
#include <memory>
#include <optional>

namespace plenwick {

class AppState;
class SunburstArcsLayer;
class SunburstCentreDisc;
class SunburstOverlayLayer;

// What decides that the scene is out of date: the layout's key (none without a
// focus) and the styles' key.
struct SunburstViewKey {
    std::optional<SunburstGeometryKey> geometry;
    SunburstStyleKey style;
    friend bool operator==(const SunburstViewKey&, const SunburstViewKey&) = default;
};

class SunburstView final : public QWidget {
    Q_OBJECT

public:
    explicit SunburstView(AppState& state, QWidget* parent = nullptr);
    ~SunburstView() override;

    const std::shared_ptr<const SunburstScene>& scene() const { return scene_; }
    const std::optional<SunburstTransition>& transition() const { return transition_; }
    // The progress of the running transition (1 without one).
    double transitionProgress() const;
    // What the pointer was last over, and the node under it (the subject of the
    // context menu and of a drag).
    const SunburstHit& pointer() const { return pointer_; }
    const NodeRef& contextNode() const { return contextNode_; }
    SunburstChartGeometry chartGeometry() const;
    const SunburstAppearance& appearance() const { return *appearance_; }

    SunburstArcsLayer* arcsLayer() const { return arcs_; }
    // How often the three layers were given their content.
    int layerRefreshCount() const { return layerRefreshes_; }
    SunburstOverlayLayer* overlayLayer() const { return overlay_; }
    SunburstCentreDisc* centreDisc() const { return disc_; }

    QString accessibilityLabel() const;
    // Makes the focus's parent the focus.
    void zoomOut();

    // Shows scene changes without animation (else as the desktop's setting says).
    void setReduceMotion(bool reduce);
    // The clock of the transitions, in seconds; a test sets its own.
    void setClock(std::function<double()> clock);
    // Moves a running transition to the clock's present: draws its frame, and ends it
    // 0.38 s after it started. The frame timer calls this at display rate.
    void advanceTransition();

signals:
    // A context menu for `node` (never null) was asked for at `globalPos`.
    void contextMenuRequested(const plenwick::NodeRef& node, QPoint globalPos);

protected:
    bool event(QEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void changeEvent(QEvent* event) override;
    void showEvent(QShowEvent* event) override;
    void hideEvent(QHideEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void leaveEvent(QEvent* event) override;
    void contextMenuEvent(QContextMenuEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void applyReduceMotion(bool reduce);
    SunburstViewKey viewKey() const;
    void onChanged(quint64 fields);
    void updateScene();
    void clearTransition();
    void refreshLayers();
    void updatePointer(const QPointF& location, const SunburstChartGeometry& geometry, bool force);
    // The pointer left the chart: nothing is hovered.
    void pointerLeft();
    // Finds what lies under the pointer now, where the chart heard of no move.
    void findPointer();
    void press(QMouseEvent* event);
    void handleClick(const QPointF& location, bool multi);
    void startDrag();
    QPixmap dragPreview(const FileNode& node) const;

    AppState& state_;
    AppStateChartState chartState_;
    SunburstArcsLayer* arcs_;
    SunburstOverlayLayer* overlay_;
    SunburstCentreDisc* disc_;
    const SunburstAppearance* appearance_;

    SunburstViewKey key_;
    std::shared_ptr<const SunburstScene> scene_;
    std::optional<SunburstTransition> transition_;
    std::uint64_t lastTransitionId_ = 0;
    double transitionStart_ = 0;
    SunburstHit pointer_;
    NodeRef contextNode_;
    // The context menu open over the chart, until it closes.
    QPointer<QWidget> followedMenu_;
    bool reduceMotion_ = false;
    bool reduceMotionChosen_ = false; // set by setReduceMotion: the desktop's setting no longer applies

    // The pointer while it is over the chart, and the geometry it was seen with.
    std::optional<QPointF> location_;
    std::optional<SunburstChartGeometry> trackedGeometry_;
    bool clickSequenceZoomed_ = false;
    SunburstClickCounter clicks_;
    int pressCount_ = 0;
    std::optional<QPointF> pressLocation_;
    bool dragStarted_ = false;
    int layerRefreshes_ = 0;

    QElapsedTimer elapsed_;
    std::function<double()> clock_;
    // Ticks at display rate while a transition runs and the view is visible.
    QTimer frameTimer_;
};

} // namespace plenwick
