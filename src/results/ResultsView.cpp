#include "results/ResultsView.h"

#include "app/AppState.h"
#include "chartviews/SunburstView.h"
#include "chartviews/TreemapView.h"
#include "collector/CollectorView.h"
#include "outline/FileOutlineView.h"
#include "results/BreadcrumbBar.h"
#include "results/InspectorSplitter.h"
#include "results/InspectorView.h"
#include "nodemenu/NodeContextMenu.h"
#include "results/PreviewWindow.h"
#include "results/ResultsQuestions.h"
#include "shell/Divider.h"

#include <QEasingCurve>
#include <QMenu>
#include <QResizeEvent>
#include <QVariantAnimation>
#include <QVBoxLayout>

#include <algorithm>

namespace plenwick {

namespace {

// Holds the inspector at its own width, anchored at the leading edge, so that while
// the column narrows or widens the inspector slides rather than squeezes.
class SlideClip final : public QWidget {
public:
    explicit SlideClip(QWidget* parent) : QWidget(parent) { setMinimumWidth(0); }
    void setContent(QWidget* content) {
        content_ = content;
        content_->setParent(this);
        layoutContent();
    }
    // While sliding, the content keeps `width` whatever the clip's own width.
    void setSlideWidth(int width) {
        slideWidth_ = width;
        layoutContent();
    }
    QSize sizeHint() const override { return QSize(ResultsView::kInspectorDefaultWidth, 0); }
    QSize minimumSizeHint() const override { return QSize(0, 0); }

protected:
    void resizeEvent(QResizeEvent*) override { layoutContent(); }

private:
    void layoutContent() {
        if (content_) content_->setGeometry(0, 0, std::max(width(), slideWidth_), height());
    }
    QWidget* content_ = nullptr;
    int slideWidth_ = 0;
};

} // namespace

ResultsView::ResultsView(AppState& state, QWidget* parent)
    : QWidget(parent), state_(state), builtFor_(state.root().get()), inspectorWidthModel_(state.preferences()) {
    inspectorWidth_ = qRound(inspectorWidthModel_.displayedWidth());
    setObjectName(QStringLiteral("ResultsView"));
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);

    outer_ = new DividerSplitter(Qt::Horizontal, this);
    layout->addWidget(outer_);

    sidebar_ = makeSidebar();
    sidebar_->setMinimumWidth(kSidebarMinimum);
    sidebar_->setMaximumWidth(kSidebarMaximum);
    outer_->addWidget(sidebar_);

    detail_ = new InspectorSplitter(outer_);
    outer_->addWidget(detail_);
    outer_->setStretchFactor(0, 0);
    outer_->setStretchFactor(1, 1);

    auto* mainColumn = new QWidget(detail_);
    mainColumn->setMinimumWidth(0);
    mainColumnLayout_ = new QVBoxLayout(mainColumn);
    mainColumnLayout_->setContentsMargins(0, 0, 0, 0);
    mainColumnLayout_->setSpacing(0);
    breadcrumb_ = new BreadcrumbBar(state_, mainColumn);
    chart_ = makeChart();
    collectorBar_ = makeCollectorBar();
    mainColumnLayout_->addWidget(breadcrumb_);
    mainColumnLayout_->addWidget(new Divider(Qt::Horizontal, mainColumn));
    mainColumnLayout_->addWidget(chart_, 1);
    mainColumnLayout_->addWidget(new Divider(Qt::Horizontal, mainColumn));
    mainColumnLayout_->addWidget(collectorBar_);
    detail_->addWidget(mainColumn);

    auto* clip = new SlideClip(detail_);
    inspector_ = makeInspector();
    clip->setContent(inspector_);
    inspectorColumn_ = clip;
    detail_->addWidget(inspectorColumn_);
    detail_->setStretchFactor(0, 1);
    detail_->setStretchFactor(1, 0);
    InspectorResizeHandle* handle = detail_->inspectorHandle();
    handle->setWidthModel(&inspectorWidthModel_);
    connect(handle, &InspectorResizeHandle::widthChanged, this, &ResultsView::applyStoredInspectorWidth);

    outer_->setSizes({qRound(sidebarWidth().displayed(state_.preferences())), 1000});
    // Only a drag of the handle is the user's choice; the window's own resizing is not.
    connect(outer_, &QSplitter::splitterMoved, this, [this] {
        if (!sidebar_->isHidden()) sidebarWidth().store(state_.preferences(), sidebar_->width());
    });
    detail_->setSizes({1000, inspectorWidth_});
    showInspector(state_.showInspector(), false);

    questions_ = new ResultsQuestions(state_, this);
    connect(&state_, &AppState::changed, this, &ResultsView::onChanged);
    syncPreview();
    questions_->sync();
}

ResultsView::~ResultsView() {
    if (preview_) preview_->closeQuietly();
}

const StoredColumnWidth& ResultsView::sidebarWidth() {
    static const StoredColumnWidth width{QStringLiteral("SidebarColumnWidth"), kSidebarMinimum, kSidebarMaximum,
                                         kSidebarIdeal};
    return width;
}

QSplitter* ResultsView::sidebarSplitter() const { return outer_; }

QWidget* ResultsView::makeSidebar() { return new FileOutlineView(state_, this); }

QWidget* ResultsView::makeChart() {
    if (state_.visualization() == Visualization::sunburst) {
        auto* chart = new SunburstView(state_, this);
        connect(chart, &SunburstView::contextMenuRequested, this, &ResultsView::showContextMenu);
        return chart;
    }
    auto* chart = new TreemapView(state_, this);
    connect(chart, &TreemapView::contextMenuRequested, this, &ResultsView::showTreemapContextMenu);
    return chart;
}

QWidget* ResultsView::makeCollectorBar() {
    auto* bar = new CollectorView(state_, nullptr, this);
    connect(bar, &CollectorView::contextMenuRequested, this, &ResultsView::showContextMenu);
    return bar;
}

QWidget* ResultsView::makeInspector() {
    auto* inspector = new InspectorView(state_, this);
    connect(inspector, &InspectorView::contextMenuRequested, this, &ResultsView::showContextMenu);
    return inspector;
}

void ResultsView::onChanged(quint64 fields) {
    using F = AppState::Field;
    if (fields & AppState::bit(F::visualization)) replaceChart();
    if (fields & AppState::bit(F::showInspector)) showInspector(state_.showInspector(), isVisible());
    if (fields & AppState::bit(F::quickLookURL)) syncPreview();
    if (fields & (AppState::bit(F::pendingTrash) | AppState::bit(F::leftoverOffers) | AppState::bit(F::uninstallSession)))
        questions_->sync();
}

void ResultsView::replaceChart() {
    // The hidden chart keeps no state: the other one is made afresh.
    QWidget* old = chart_;
    chart_ = makeChart();
    delete mainColumnLayout_->replaceWidget(old, chart_);  // the old layout item is ours
    mainColumnLayout_->setStretchFactor(chart_, 1);
    delete old;
}

bool ResultsView::isInspectorSliding() const {
    return slide_ && slide_->state() == QAbstractAnimation::Running;
}

bool ResultsView::isSidebarVisible() const { return !sidebar_->isHidden(); }

void ResultsView::setSidebarVisible(bool visible) {
    sidebar_->setVisible(visible);
    fitSidebar();
}

void ResultsView::setInspectorWidth(int width) {
    const int total = detail_->width() - detail_->handleWidth();
    detail_->setSizes({std::max(0, total - width), width});
}

void ResultsView::applyStoredInspectorWidth() {
    inspectorWidth_ = qRound(inspectorWidthModel_.displayedWidth());
    if (!isInspectorSliding() && inspectorColumn_->isVisible()) setInspectorWidth(inspectorWidth_);
    fitSidebar();
}

void ResultsView::resizeEvent(QResizeEvent* event) {
    QWidget::resizeEvent(event);
    fitSidebar();
}

void ResultsView::fitSidebar() {
    if (sidebar_->isHidden() || isInspectorSliding() || outer_->width() <= 0) return;
    const int wanted = qRound(sidebarWidth().displayed(state_.preferences()));
    const int inspector = inspectorColumn_->isHidden() ? 0 : inspectorWidth_ + detail_->handleWidth();
    const int panes = outer_->width() - outer_->handleWidth();
    const int width = std::clamp(panes - inspector - kChartRoom, kSidebarMinimum, std::max(kSidebarMinimum, wanted));
    // Only a drag of the handle stores a width; this is the window's doing.
    if (sidebar_->width() != width) outer_->setSizes({width, std::max(0, panes - width)});
}

void ResultsView::showContextMenu(const NodeRef& node, QPoint globalPos) {
    showNodeContextMenu(state_, node, globalPos, this);
}

void ResultsView::showTreemapContextMenu(const NodeRef& node, const NodeRef& folder, QPoint globalPos) {
    if (QMenu* menu = makeNodeAndFolderContextMenu(state_, node, folder, this)) menu->popup(globalPos);
}

void ResultsView::showInspector(bool shown, bool animated) {
    auto* clip = static_cast<SlideClip*>(inspectorColumn_);
    if (slide_) {
        slide_->stop();
        delete slide_;
        slide_ = nullptr;
    }
    if (!animated) {
        clip->setSlideWidth(0);
        inspectorColumn_->setVisible(shown);
        if (shown) setInspectorWidth(inspectorWidth_);
        fitSidebar();
        return;
    }
    const int from = inspectorColumn_->isVisible() ? inspectorColumn_->width() : 0;
    const int to = shown ? inspectorWidth_ : 0;
    clip->setSlideWidth(inspectorWidth_);
    inspectorColumn_->setVisible(true);
    setInspectorWidth(from);
    slide_ = new QVariantAnimation(this);
    slide_->setDuration(kInspectorSlideMs);
    // Critically damped: the column slides without overshoot.
    slide_->setEasingCurve(QEasingCurve::OutCubic);
    slide_->setStartValue(from);
    slide_->setEndValue(to);
    connect(slide_, &QVariantAnimation::valueChanged, this, [this](const QVariant& v) { setInspectorWidth(v.toInt()); });
    connect(slide_, &QVariantAnimation::finished, this, [this, clip, shown] {
        clip->setSlideWidth(0);
        inspectorColumn_->setVisible(shown);
        if (shown) setInspectorWidth(inspectorWidth_);
        fitSidebar();
    });
    slide_->start();
}

void ResultsView::syncPreview() {
    const std::optional<std::string>& url = state_.quickLookURL();
    if (!url) {
        if (preview_) preview_->closeQuietly();
        return;
    }
    if (!preview_) {
        preview_ = new PreviewWindow(state_.executors().userInitiated, this);
        connect(preview_, &PreviewWindow::closedByUser, this, [this] { state_.setQuickLookURL(std::nullopt); });
    }
    preview_->showPath(*url);
}

} // namespace plenwick
