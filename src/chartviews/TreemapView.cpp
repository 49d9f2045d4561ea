#include "chartviews/TreemapView.h"

#include "app/AppState.h"
#include "chartviews/TreemapHighlightOverlay.h"
#include "chartviews/TreemapModel.h"
#include "chartviews/TreemapStatusBar.h"
#include "runtime/TaskClock.h"
#include "shell/FileActions.h"
#include "shell/ShellStyle.h"
#include "shell/Symbols.h"

#include <QApplication>
#include <QContextMenuEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QPainterPath>
#include <QPaintEvent>
#include <QVBoxLayout>

namespace plenwick {

namespace {

QString display(const FileNode& node) { return QString::fromStdString(node.displayName()); }

// The hairline between the chart and its bar.
class Separator final : public QWidget {
public:
    explicit Separator(QWidget* parent) : QWidget(parent) {
        setFixedHeight(1);
        setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Fixed);
    }

protected:
    void paintEvent(QPaintEvent*) override {
        QPainter p(this);
        p.fillRect(rect(), shellWindowBackgroundColor(palette()));
        p.fillRect(rect(), shellSeparatorColor(shellAppearance(*this)));
    }
};

// The label a drag shows: the item's name and symbol on a rounded plate.
QPixmap dragPreview(const FileNode& node, const QPalette& palette, qreal ratio) {
    const QFont font = shellFont(ShellTextStyle::body);
    const QFontMetricsF fm(font);
    const QString name = fm.elidedText(display(node), Qt::ElideMiddle, 320);
    const double symbol = 14, gap = 5;
    const QSizeF size(8 + symbol + gap + fm.horizontalAdvance(name) + 8, 4 + std::max(symbol, fm.height()) + 4);
    QPixmap pixmap((size * ratio).toSize());
    pixmap.setDevicePixelRatio(ratio);
    pixmap.fill(Qt::transparent);
    QPainter p(&pixmap);
    p.setRenderHint(QPainter::Antialiasing, true);
    QPainterPath path;
    path.addRoundedRect(QRectF(QPointF(0, 0), size), 6, 6);
    p.fillPath(path, shellWithOpacity(shellWindowBackgroundColor(palette), 0.92));
    const QColor text = shellPrimaryColor(palette);
    drawSymbol(p, node.isContainer() ? Symbol::folderFill : Symbol::docFill,
                    QRectF(8, (size.height() - symbol) / 2, symbol, symbol), text);
    p.setFont(font);
    p.setPen(text);
    p.drawText(QRectF(8 + symbol + gap, 0, size.width(), size.height()), Qt::AlignVCenter | Qt::AlignLeft, name);
    return pixmap;
}

} // namespace

// The chart area: the grey ground, the picture stretched to the area, and the
// outline layer on top. It takes the pointer for the whole view.
class TreemapView::Chart final : public QWidget {
public:
    Chart(TreemapView& view, TreemapModel& model) : QWidget(&view), view_(view), model_(model) {
        setMouseTracking(true);
        setAttribute(Qt::WA_OpaquePaintEvent);
        setMinimumSize(1, 1);
        connect(&model_, &TreemapModel::imageChanged, this, [this] { update(); });
    }

protected:
    void paintEvent(QPaintEvent* event) override {
        QPainter p(this);
        p.fillRect(event->rect(), QColor::fromRgbF(0.12f, 0.12f, 0.12f));
        const QImage& image = model_.image();
        if (!image.isNull()) {
            const qreal r = image.devicePixelRatio();
            if (image.width() == qRound(width() * r) && image.height() == qRound(height() * r)) {
                // One to one: copy only the exposed part.
                const QRect exposed = event->rect();
                p.drawImage(exposed, image,
                            QRectF(exposed.x() * r, exposed.y() * r, exposed.width() * r, exposed.height() * r));
            } else {
                // A picture made for another size fills the area until the new one is in.
                p.setRenderHint(QPainter::SmoothPixmapTransform, true);
                p.drawImage(QRectF(rect()), image);
            }
        }
        if (!qFuzzyCompare(devicePixelRatioF(), lastScale_)) {
            lastScale_ = devicePixelRatioF();
            QMetaObject::invokeMethod(&view_, [view = &view_] { view->requestRender(); }, Qt::QueuedConnection);
        }
    }
    void resizeEvent(QResizeEvent*) override {
        view_.overlay_->setGeometry(rect());
        view_.requestRender();
    }
    // The picture is made while the chart is on screen; hiding it abandons the work.
    void showEvent(QShowEvent*) override { view_.requestRender(); }
    void hideEvent(QHideEvent*) override { model_.cancel(); }
    void mouseMoveEvent(QMouseEvent* event) override {
        view_.handleHover(event->position());
        if (pressed_ && (event->buttons() & Qt::LeftButton) &&
            (event->position() - pressAt_).manhattanLength() >= QApplication::startDragDistance()) {
            pressed_ = false;
            view_.startDrag();
        }
    }
    void leaveEvent(QEvent*) override { view_.handleHoverEnded(); }
    void mousePressEvent(QMouseEvent* event) override {
        if (event->button() != Qt::LeftButton) return;
        pressed_ = true;
        inDoubleClick_ = false;
        pressAt_ = event->position();
    }
    void mouseReleaseEvent(QMouseEvent* event) override {
        if (event->button() != Qt::LeftButton) return;
        const bool tap = pressed_;
        pressed_ = false;
        // The release that ends a double click is not a further click.
        if (tap && !inDoubleClick_) view_.handleTap(event->position());
        inDoubleClick_ = false;
    }
    void mouseDoubleClickEvent(QMouseEvent* event) override {
        if (event->button() != Qt::LeftButton) return;
        inDoubleClick_ = true;
        view_.handleDoubleTap(event->position());
    }
    void contextMenuEvent(QContextMenuEvent* event) override { view_.handleContextMenu(event->globalPos()); }

private:
    TreemapView& view_;
    TreemapModel& model_;
    bool pressed_ = false;
    bool inDoubleClick_ = false;
    QPointF pressAt_;
    qreal lastScale_ = 0;
};

// The stand-in when there is no focus or the focus takes no space.
class TreemapView::EmptyStateView final : public QWidget {
public:
    explicit EmptyStateView(QWidget* parent) : QWidget(parent) {}
    void setTexts(const EmptyState& texts) {
        texts_ = texts;
        update();
    }

protected:
    void paintEvent(QPaintEvent*) override {
        QPainter p(this);
        p.fillRect(rect(), shellWindowBackgroundColor(palette()));
        const QColor secondary = shellSecondaryColor(palette());
        const double symbol = 40, width = std::min<double>(this->width() - 40, 360);
        const QFont titleFont = shellFont(ShellTextStyle::title2, QFont::DemiBold);
        const QFont bodyFont = shellFont(ShellTextStyle::body);
        const QFontMetricsF titleFm(titleFont), bodyFm(bodyFont);
        const QRectF body = bodyFm.boundingRect(QRectF(0, 0, width, 1000), Qt::AlignHCenter | Qt::TextWordWrap,
                                                texts_.description);
        const double total = symbol + 12 + titleFm.height() + 6 + body.height();
        double y = (height() - total) / 2;
        const double left = (this->width() - width) / 2;
        drawSymbol(p, Symbol::squareDashed, QRectF((this->width() - symbol) / 2, y, symbol, symbol), secondary);
        y += symbol + 12;
        p.setFont(titleFont);
        p.setPen(shellPrimaryColor(palette()));
        p.drawText(QRectF(left, y, width, titleFm.height()), Qt::AlignHCenter | Qt::AlignVCenter, texts_.title);
        y += titleFm.height() + 6;
        p.setFont(bodyFont);
        p.setPen(secondary);
        p.drawText(QRectF(left, y, width, body.height()), Qt::AlignHCenter | Qt::TextWordWrap, texts_.description);
    }

private:
    EmptyState texts_;
};

TreemapView::TreemapView(AppState& state, QWidget* parent, TaskClock* clock)
    : QWidget(parent), state_(state),
      model_(new TreemapModel(state, state.executors().userInitiated, clock ? *clock : TaskClock::standard(), this)) {
    setObjectName(QStringLiteral("TreemapView"));
    auto* outer = new QVBoxLayout(this);
    outer->setContentsMargins(0, 0, 0, 0);
    outer->setSpacing(0);

    content_ = new QWidget(this);
    auto* column = new QVBoxLayout(content_);
    column->setContentsMargins(0, 0, 0, 0);
    column->setSpacing(0);
    chart_ = new Chart(*this, *model_);
    chart_->setParent(content_);
    overlay_ = new TreemapHighlightOverlay(state_, *model_, chart_);
    statusBar_ = new TreemapStatusBar(state_, *model_, content_);
    column->addWidget(chart_, 1);
    column->addWidget(new Separator(content_));
    column->addWidget(statusBar_);
    outer->addWidget(content_);

    empty_ = new EmptyStateView(this);
    outer->addWidget(empty_);

    connect(&state_, &AppState::changed, this, &TreemapView::onChanged);
    syncContent();
}

TreemapView::~TreemapView() = default;

QWidget* TreemapView::chart() const noexcept { return chart_; }

std::optional<TreemapView::EmptyState> TreemapView::emptyState() const {
    const NodeRef& focus = state_.focus();
    if (!focus)
        return EmptyState{QStringLiteral("Nothing Scanned"), QStringLiteral("Choose a disk or folder to see its treemap.")};
    if (focus->size() <= 0)
        return EmptyState{QStringLiteral("Empty Folder"), display(*focus) + QStringLiteral(" doesn’t take up any space.")};
    return std::nullopt;
}

bool TreemapView::isShowingEmptyState() const { return !empty_->isHidden(); }

void TreemapView::onChanged(quint64 fields) {
    using F = AppState::Field;
    if (fields & (AppState::bit(F::focus) | AppState::bit(F::treeVersion))) syncContent();
    constexpr quint64 keyFields = AppState::bit(F::focus) | AppState::bit(F::treeVersion) |
                                  AppState::bit(F::colorMode) | AppState::bit(F::typeFilter) |
                                  AppState::bit(F::collectorVersion) | AppState::bit(F::extensionColors);
    if (fields & keyFields) requestRender();
}

void TreemapView::syncContent() {
    const std::optional<EmptyState> empty = emptyState();
    if (empty) empty_->setTexts(*empty);
    content_->setVisible(!empty);
    empty_->setVisible(empty.has_value());
    const NodeRef& focus = state_.focus();
    chart_->setAccessibleName(QStringLiteral("Treemap of ") + (focus ? display(*focus) : QString()));
    if (empty) model_->cancel();
}

void TreemapView::requestRender() {
    // Nothing is made for a chart that is not on screen; showing it asks again.
    if (!chart_->isVisible()) {
        model_->cancel();
        return;
    }
    model_->refresh(model_->keyFor(QSizeF(chart_->size()), chart_->devicePixelRatioF()));
}

bool TreemapView::isInTree(const NodeRef& node) const { return node && state_.isInsideTree(node.get()); }

void TreemapView::handleHover(QPointF point) {
    const NodeRef node = model_->updateHover(point, QSizeF(chart_->size()));
    if (node != menuNode_) menuNode_ = node;
    if (model_->hoverFolder() != menuFolder_) menuFolder_ = model_->hoverFolder();
}

void TreemapView::handleHoverEnded() { model_->clearHover(); }

void TreemapView::handleTap(QPointF point) {
    const std::shared_ptr<const TreemapLayout>& layout = model_->layout();
    if (!layout) return;
    const std::optional<std::int32_t> cell = model_->cellAt(point, QSizeF(chart_->size()));
    if (!cell) return;
    // The root cell shows the focus; a rest cell selects the folder it belongs to.
    const NodeRef& node = layout->nodes[static_cast<std::size_t>(*cell)];
    if (isInTree(node)) state_.select(node);
}

void TreemapView::handleDoubleTap(QPointF point) {
    if (NodeRef target = model_->zoomTarget(point, QSizeF(chart_->size()))) state_.navigate(target);
}

std::vector<std::string> TreemapView::dragPaths() const {
    if (!isInTree(menuNode_) || !menuNode_->parent()) return {};
    return {menuNode_->url()};
}

void TreemapView::startDrag() {
    const std::vector<std::string> paths = dragPaths();
    if (paths.empty()) return;
    const QPixmap preview = dragPreview(*menuNode_, palette(), devicePixelRatioF());
    dragItems(chart_, paths, preview, QPoint(12, qRound(preview.deviceIndependentSize().height() / 2)));
}

void TreemapView::handleContextMenu(QPoint globalPos) {
    NodeRef node = isInTree(menuNode_) ? menuNode_ : nullptr;
    NodeRef folder = isInTree(menuFolder_) ? menuFolder_ : nullptr;
    if (node || folder) emit contextMenuRequested(std::move(node), std::move(folder), globalPos);
}

} // namespace plenwick
