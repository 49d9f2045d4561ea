#include "chartviews/SunburstView.h"

#include "app/AppState.h"
#include "chartviews/SunburstAccessible.h"
#include "chartviews/SunburstArcsLayer.h"
#include "chartviews/SunburstCentreDisc.h"
#include "chartviews/SunburstCentreInfo.h"
#include "chartviews/SunburstOverlayLayer.h"
#include "chartviews/SunburstTexts.h"
#include "runtime/AfterNotifying.h"
#include "shell/FileActions.h"
#include "shell/ShellStyle.h"
#include "shell/Symbols.h"

#include "platform/MotionPreference.h"

#include <QAccessible>
#include <QApplication>
#include <QContextMenuEvent>
#include <QCursor>
#include <QFontMetricsF>
#include <QHelpEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QPainterPath>
#include <QStyleHints>
#include <QToolTip>

namespace plenwick {

namespace {

using F = AppState::Field;

// The fields the view key reads: the layout's (focus, tree, the volume figures behind
// the hidden space) and the styles' (colours, filter, collector, extension colours).
constexpr AppState::Fields keyFields = AppState::bit(F::root) | AppState::bit(F::focus) |
                                       AppState::bit(F::treeVersion) | AppState::bit(F::scanVolume) |
                                       AppState::bit(F::colorMode) | AppState::bit(F::typeFilter) |
                                       AppState::bit(F::collectorVersion) | AppState::bit(F::extensionColors);
// The overlay's and the centre's: what is pointed at and the names shown.
constexpr AppState::Fields overlayFields = AppState::bit(F::hovered) | AppState::bit(F::selection) |
                                           AppState::bit(F::treeVersion) | AppState::bit(F::volumeNames);

} // namespace

SunburstView::SunburstView(AppState& state, QWidget* parent)
    : QWidget(parent), state_(state), chartState_(state), arcs_(new SunburstArcsLayer(this)),
      overlay_(new SunburstOverlayLayer(this)), disc_(new SunburstCentreDisc(this)),
      appearance_(&SunburstAppearance::forPalette(palette())) {
    setObjectName(QStringLiteral("SunburstView"));
    installSunburstAccessibleFactory();
    // The arcs layer covers the whole view.
    setAttribute(Qt::WA_OpaquePaintEvent);
    setMouseTracking(true);
    setAttribute(Qt::WA_Hover, false);
    setMinimumSize(120, 120);
    elapsed_.start();
    clock_ = [this] { return static_cast<double>(elapsed_.nsecsElapsed()) / 1e9; };

    // Reduced motion follows the desktop's setting until the view is told otherwise.
    MotionPreference& motion = MotionPreference::shared();
    applyReduceMotion(motion.reduceMotion());
    connect(&motion, &MotionPreference::changed, this, [this](bool reduce) {
        if (!reduceMotionChosen_) applyReduceMotion(reduce);
    });

    frameTimer_.setInterval(16);
    frameTimer_.setTimerType(Qt::PreciseTimer);
    connect(&frameTimer_, &QTimer::timeout, this, &SunburstView::advanceTransition);

    connect(&state_, &AppState::changed, this, &SunburstView::onChanged);
    key_ = viewKey();
    updateScene();
}

SunburstView::~SunburstView() = default;

SunburstViewKey SunburstView::viewKey() const {
    SunburstViewKey key{std::nullopt, SunburstStyleKey(chartState_)};
    if (state_.focus()) key.geometry = SunburstGeometryKey(chartState_, state_.focus().get());
    return key;
}

SunburstChartGeometry SunburstView::chartGeometry() const { return SunburstChartGeometry::forSize(size()); }

double SunburstView::transitionProgress() const {
    if (!transition_) return 1;
    return sunburstTransitionProgress(clock_() - transitionStart_);
}

void SunburstView::setReduceMotion(bool reduce) {
    reduceMotionChosen_ = true;
    applyReduceMotion(reduce);
}

void SunburstView::applyReduceMotion(bool reduce) {
    reduceMotion_ = reduce;
    disc_->setAnimated(!reduce);
}

void SunburstView::setClock(std::function<double()> clock) {
    clock_ = std::move(clock);
}

void SunburstView::onChanged(quint64 fields) {
    if (fields & keyFields) {
        SunburstViewKey key = viewKey();
        if (!(key == key_)) {
            key_ = std::move(key);
            updateScene();
            return;
        }
    }
    if (fields & (overlayFields | AppState::bit(F::focus))) refreshLayers();
}

void SunburstView::updateScene() {
    const NodeRef& focus = state_.focus();
    if (!focus) {
        scene_.reset();
        clearTransition();
        pointer_ = SunburstHit::none();
        refreshLayers();
        return;
    }
    auto next = SunburstScene::make(chartState_, focus, scene_.get());
    if (!scene_ || reduceMotion_) {
        transition_.reset();
        frameTimer_.stop();
    } else {
        // A running transition is replaced; the new one starts from the scene it
        // was heading for.
        transition_ = SunburstTransition::between(scene_, *next, ++lastTransitionId_);
        transitionStart_ = clock_();
        if (isVisible()) frameTimer_.start();
    }
    scene_ = std::move(next);
    pointer_ = SunburstHit::none();
    if (contextNode_ && contextNode_ != state_.root() && !state_.isInsideTree(contextNode_.get())) contextNode_.reset();
    if (location_ && trackedGeometry_) updatePointer(*location_, *trackedGeometry_, true);
    refreshLayers();
    if (QAccessible::isActive()) {
        QAccessibleEvent event(this, QAccessible::NameChanged);
        QAccessible::updateAccessibility(&event);
    }
}

void SunburstView::advanceTransition() {
    if (!transition_) {
        frameTimer_.stop();
        return;
    }
    // The last frame stays up a little longer than the motion, then the overlay
    // returns.
    if (clock_() - transitionStart_ >= SunburstTransition::lifetimeSeconds) {
        clearTransition();
        return;
    }
    refreshLayers();
}

void SunburstView::clearTransition() {
    frameTimer_.stop();
    if (!transition_) return;
    transition_.reset();
    refreshLayers();
}

void SunburstView::refreshLayers() {
    ++layerRefreshes_;
    const SunburstChartGeometry geometry = chartGeometry();
    arcs_->setContent(scene_, transition_, transitionProgress(), *appearance_);

    SunburstOverlayContent overlay;
    if (scene_ && !transition_) {
        const SunburstLayout& layout = *scene_->layout;
        overlay.scene = scene_;
        if (pointer_.kind == SunburstHit::Kind::arc)
            overlay.highlight = SunburstArcMatch{pointer_.ref, true};
        else if (state_.hovered())
            overlay.highlight = layout.arcRef(state_.hovered().get());
        if (state_.selection()) overlay.selection = layout.arcRef(state_.selection().get());
    }
    overlay_->setContent(std::move(overlay), *appearance_);

    disc_->setVisible(scene_ != nullptr);
    if (scene_) {
        const NodeRef& focus = state_.focus();
        disc_->setContent(SunburstCentreInfo::make(*scene_, pointer_, state_.hovered().get(), chartState_),
                          focus && focus->parent(), pointer_.kind == SunburstHit::Kind::centre,
                          2 * geometry.radius * scene_->layout->metrics.centreRadius, geometry.centre, *appearance_);
    }
}

void SunburstView::updatePointer(const QPointF& location, const SunburstChartGeometry& geometry, bool force) {
    if (!scene_) return;
    const SunburstHit hit = geometry.hit(*scene_->layout, location);
    if (!force && hit == pointer_) return;
    pointer_ = hit;
    NodeRef node;
    if (hit.kind == SunburstHit::Kind::arc)
        node = scene_->layout->arc(hit.ref).node;
    else if (hit.kind == SunburstHit::Kind::centre)
        node = scene_->layout->focus;
    contextNode_ = node;
    if (force) {
        // The scene changed under a resting pointer, within the state's notification:
        // the state hears of the node now under it once the notification is over.
        QMetaObject::invokeMethod(
            this, [this, node] { if (contextNode_ == node && state_.hovered() != node) state_.setHovered(node); },
            Qt::QueuedConnection);
        refreshLayers();
    } else {
        callAfterNotifying(this, [this, node = std::move(node)] {
            // A new hover comes back as a change of the state, which refreshes the layers.
            if (state_.hovered() != node)
                state_.setHovered(node);
            else
                refreshLayers();
        });
    }
}

void SunburstView::handleClick(const QPointF& location, bool multi) {
    if (!scene_) return;
    const SunburstHit hit = chartGeometry().hit(*scene_->layout, location);
    const SunburstClickAction action =
        sunburstClickAction(*scene_->layout, hit, multi, clickSequenceZoomed_, state_.selection().get());
    switch (action.kind) {
    case SunburstClickAction::Kind::nothing:
        break;
    case SunburstClickAction::Kind::select:
        state_.select(action.node);
        break;
    case SunburstClickAction::Kind::navigate:
        state_.navigate(action.node);
        break;
    case SunburstClickAction::Kind::clearSelection:
        state_.select(NodeRef());
        break;
    }
}

QString SunburstView::accessibilityLabel() const {
    return scene_ ? sunburstAccessibilityLabel(*scene_->layout, chartState_) : QString();
}

void SunburstView::zoomOut() {
    const NodeRef& focus = state_.focus();
    if (focus && focus->parent()) state_.navigate(retainNode(focus->parent()));
}

bool SunburstView::event(QEvent* event) {
    if (event->type() == QEvent::ToolTip) {
        auto* help = static_cast<QHelpEvent*>(event);
        const auto hidden = scene_ ? scene_->layout->hiddenSpaceArcRef() : std::nullopt;
        if (hidden && chartGeometry().hit(*scene_->layout, help->pos()) == SunburstHit::arc(*hidden)) {
            QToolTip::showText(help->globalPos(), sunburstHiddenSpaceToolTip(), this);
        } else {
            QToolTip::hideText();
            event->ignore();
        }
        return true;
    }
    return QWidget::event(event);
}

void SunburstView::resizeEvent(QResizeEvent*) {
    arcs_->setGeometry(rect());
    overlay_->setGeometry(rect());
    refreshLayers();
}

void SunburstView::changeEvent(QEvent* event) {
    if (event->type() == QEvent::PaletteChange) {
        appearance_ = &SunburstAppearance::forPalette(palette());
        refreshLayers();
        disc_->update();
    }
    QWidget::changeEvent(event);
}

void SunburstView::showEvent(QShowEvent* event) {
    QWidget::showEvent(event);
    if (transition_) frameTimer_.start();
}

void SunburstView::hideEvent(QHideEvent* event) {
    frameTimer_.stop();
    QWidget::hideEvent(event);
}

void SunburstView::mouseMoveEvent(QMouseEvent* event) {
    const QPointF at = event->position();
    if (pressLocation_ && (event->buttons() & Qt::LeftButton) && !dragStarted_ &&
        (at - *pressLocation_).manhattanLength() >= QApplication::startDragDistance()) {
        dragStarted_ = true;
        startDrag();
        return;
    }
    location_ = at;
    trackedGeometry_ = chartGeometry();
    updatePointer(at, *trackedGeometry_, false);
}

void SunburstView::press(QMouseEvent* event) {
    if (event->button() != Qt::LeftButton) return;
    pressCount_ = clicks_.press(event->position(), event->timestamp(), QApplication::doubleClickInterval(),
                                QGuiApplication::styleHints()->mouseDoubleClickDistance());
    pressLocation_ = event->position();
    dragStarted_ = false;
    // A press without a move before it (a touch, a window just raised) still picks
    // what lies under it, for a drag.
    location_ = event->position();
    trackedGeometry_ = chartGeometry();
    updatePointer(*location_, *trackedGeometry_, false);
}

void SunburstView::mousePressEvent(QMouseEvent* event) { press(event); }

void SunburstView::mouseDoubleClickEvent(QMouseEvent* event) { press(event); }

void SunburstView::mouseReleaseEvent(QMouseEvent* event) {
    if (event->button() != Qt::LeftButton || !pressLocation_) return;
    pressLocation_.reset();
    if (dragStarted_) return;
    handleClick(event->position(), pressCount_ >= 2);
}

void SunburstView::leaveEvent(QEvent*) { pointerLeft(); }

void SunburstView::pointerLeft() {
    location_.reset();
    const bool wasOver = pointer_ != SunburstHit::none();
    pointer_ = SunburstHit::none();
    callAfterNotifying(this, [this, wasOver] {
        if (state_.hovered())
            state_.setHovered(NodeRef()); // the change refreshes the layers
        else if (wasOver)
            refreshLayers();
    });
}

void SunburstView::contextMenuEvent(QContextMenuEvent* event) {
    if (event->reason() != QContextMenuEvent::Keyboard) {
        location_ = QPointF(event->pos());
        trackedGeometry_ = chartGeometry();
        updatePointer(*location_, *trackedGeometry_, false);
    }
    if (!contextNode_) return;
    emit contextMenuRequested(contextNode_, event->globalPos());
    // The menu holds the pointer while it is open, so the chart hears of no move: once
    // it has closed (and its command has run), what lies under the pointer is found
    // again, rather than the arc the menu was opened on staying described.
    if (QWidget* menu = QApplication::activePopupWidget()) {
        followedMenu_ = menu;
        menu->installEventFilter(this);
    }
}

bool SunburstView::eventFilter(QObject* watched, QEvent* event) {
    if (watched == followedMenu_ && event->type() == QEvent::Hide) {
        followedMenu_->removeEventFilter(this);
        followedMenu_.clear();
        QTimer::singleShot(0, this, &SunburstView::findPointer);
    }
    return QWidget::eventFilter(watched, event);
}

void SunburstView::findPointer() {
    const QPoint global = QCursor::pos();
    QWidget* under = QApplication::widgetAt(global);
    if (!isVisible() || !under || (under != this && !isAncestorOf(under))) {
        pointerLeft();
        return;
    }
    const QPointF at = mapFromGlobal(QPointF(global));
    location_ = at;
    trackedGeometry_ = chartGeometry();
    updatePointer(at, *trackedGeometry_, false);
}

void SunburstView::startDrag() {
    const NodeRef node = contextNode_;
    const auto path = sunburstDragPath(node.get(), state_.root().get());
    if (!path) return;
    const QPixmap preview = dragPreview(*node);
    dragItems(this, {*path}, preview, QPoint(12, static_cast<int>(preview.deviceIndependentSize().height() / 2)));
}

QPixmap SunburstView::dragPreview(const FileNode& node) const {
    const QString name = QString::fromStdString(state_.displayName(node));
    const double ratio = devicePixelRatioF();
    const QFont font = shellFont(ShellTextStyle::body);
    const QFontMetricsF metrics(font, this);
    const QString shown = metrics.elidedText(name, Qt::ElideMiddle, 320);
    const double symbol = 14, gap = 5;
    const QSizeF size(8 + symbol + gap + metrics.horizontalAdvance(shown) + 8, std::max(symbol, metrics.height()) + 8);
    QPixmap pixmap((size * ratio).toSize());
    pixmap.setDevicePixelRatio(ratio);
    pixmap.fill(Qt::transparent);
    QPainter painter(&pixmap);
    painter.setRenderHint(QPainter::Antialiasing);
    // A translucent plate of the window colour, as a material would be.
    const QColor plate = shellWithOpacity(shellWindowBackgroundColor(palette()), 0.92);
    QPainterPath shape;
    shape.addRoundedRect(QRectF(QPointF(0, 0), size), 6, 6);
    painter.fillPath(shape, plate);
    const QColor text = shellPrimaryColor(palette());
    drawSymbol(painter, node.isContainer() ? Symbol::folderFill : Symbol::docFill,
               QRectF(8, (size.height() - symbol) / 2, symbol, symbol), text);
    painter.setFont(font);
    painter.setPen(text);
    painter.drawText(QPointF(8 + symbol + gap, (size.height() - metrics.height()) / 2 + metrics.ascent()), shown);
    return pixmap;
}

} // namespace plenwick
