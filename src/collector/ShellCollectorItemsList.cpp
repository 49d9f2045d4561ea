#include "collector/ShellCollectorItemsList.h"

#include "app/AppState.h"
#include "collector/CollectorActions.h"
#include "collector/CollectorPaint.h"
#include "collector/CollectorRowList.h"
#include "collector/CollectorRules.h"
#include "collector/CollectorTexts.h"
#include "shell/Divider.h"
#include "shell/FileIconCache.h"
#include "shell/ShellIconImage.h"
#include "shell/ShellStyle.h"
#include "shell/Symbols.h"

#include <QApplication>
#include <QFontMetricsF>
#include <QPainter>
#include <QScreen>
#include <QVBoxLayout>

#include <algorithm>

namespace plenwick {

namespace {

constexpr int kRemoveSize = 14;

// The header: the title, and the total on the same baseline at the trailing side.
class ItemsHeader final : public QWidget {
public:
    explicit ItemsHeader(ShellCollectorItemsList& list) : QWidget(&list), list_(list) {
        setFixedHeight(QFontMetrics(collectorFont(CollectorFont::headline)).height() + 20);
    }

protected:
    void paintEvent(QPaintEvent*) override {
        QPainter p(this);
        p.setFont(collectorFont(CollectorFont::headline));
        p.setPen(shellPrimaryColor(palette()));
        const QRect inside = rect().adjusted(14, 10, -14, -10);
        const QString total = list_.totalText();
        const int totalWidth = QFontMetrics(p.font()).horizontalAdvance(total);
        const QRect titleRect = inside.adjusted(0, 0, -(totalWidth + 12), 0);
        p.drawText(titleRect, Qt::AlignLeft | Qt::AlignVCenter,
                   QFontMetrics(p.font()).elidedText(list_.title(), Qt::ElideRight, titleRect.width()));
        p.drawText(inside, Qt::AlignRight | Qt::AlignVCenter, total);
    }

private:
    ShellCollectorItemsList& list_;
};

} // namespace

QRectF ShellCollectorItemRow::removeRect(const QRectF& rect) {
    return {rect.right() - 12 - kRemoveSize, rect.center().y() - kRemoveSize / 2.0, kRemoveSize, kRemoveSize};
}

void ShellCollectorItemRow::paint(QPainter& p, const QRectF& rect, const QPalette& palette, const FileNode& node,
                                  const QString& name, const QString& subtitle, const QString& size, bool hovered) {
    p.save();
    p.setRenderHint(QPainter::Antialiasing);
    if (hovered) {
        p.setPen(Qt::NoPen);
        p.setBrush(shellWithOpacity(shellPrimaryColor(palette), 0.06));
        p.drawRoundedRect(rect.adjusted(6, 2, -6, -2), 6, 6);
    }
    const qreal midY = rect.center().y();
    qreal x = rect.left() + 12;
    paintShellIcon(p, fileIconForNode(node), QRectF(x, midY - kIconSize / 2.0, kIconSize, kIconSize));
    x += kIconSize + 8;

    const QRectF remove = removeRect(rect);
    const QFont callout = collectorFont(CollectorFont::callout);
    const qreal sizeWidth = QFontMetricsF(callout).horizontalAdvance(size) + 1;
    const qreal sizeLeft = remove.left() - 8 - sizeWidth;
    const qreal textWidth = std::max<qreal>(0, sizeLeft - 8 - x);

    const QFont caption = collectorFont(CollectorFont::caption);
    const QFontMetricsF nameMetrics(callout), subtitleMetrics(caption);
    const qreal block = nameMetrics.height() + subtitleMetrics.height();
    const qreal top = midY - block / 2;
    p.setFont(callout);
    p.setPen(shellPrimaryColor(palette));
    p.drawText(QRectF(x, top, textWidth, nameMetrics.height()), Qt::AlignLeft | Qt::AlignVCenter,
               nameMetrics.elidedText(name, Qt::ElideMiddle, textWidth));
    p.setFont(caption);
    p.setPen(shellSecondaryColor(palette));
    p.drawText(QRectF(x, top + nameMetrics.height(), textWidth, subtitleMetrics.height()),
               Qt::AlignLeft | Qt::AlignVCenter, subtitleMetrics.elidedText(subtitle, Qt::ElideMiddle, textWidth));
    p.setFont(callout);
    p.drawText(QRectF(sizeLeft, rect.top(), sizeWidth, rect.height()), Qt::AlignRight | Qt::AlignVCenter, size);
    drawSymbol(p, Symbol::xmarkCircleFill, remove,
               hovered ? shellSecondaryColor(palette) : collectorTertiaryColor(palette));
    p.restore();
}

ShellCollectorItemsList::ShellCollectorItemsList(AppState& state, QWidget* parent)
    : QFrame(parent, Qt::Popup), state_(state) {
    setObjectName(QStringLiteral("CollectorItemsList"));
    setAttribute(Qt::WA_DeleteOnClose);
    setFixedWidth(kWidth);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    header_ = new ItemsHeader(*this);
    layout->addWidget(header_);
    layout->addWidget(new Divider(Qt::Horizontal, this));
    list_ = new CollectorRowList(ShellCollectorItemRow::kPitch, 4, this);
    layout->addWidget(list_);
    connect(list_, &CollectorRowList::rowEntered, this, [this](const NodeRef& node) { collectorHoverEntered(state_, node); });
    connect(list_, &CollectorRowList::rowLeft, this, [this](const NodeRef& node) { collectorHoverLeft(state_, node); });
    connect(list_, &CollectorRowList::rowClicked, this, [this](const NodeRef& node) { revealCollectedNode(state_, node); });
    connect(list_, &CollectorRowList::removeClicked, this, [this](const NodeRef& node) { state_.removeFromCollector(node); });
    connect(list_, &CollectorRowList::contextMenuRequested, this, &ShellCollectorItemsList::contextMenuRequested);
    connect(&state_, &AppState::changed, this, &ShellCollectorItemsList::onChanged);
    reload();
}

QString ShellCollectorItemsList::title() const {
    return collectorItemsListTitle(static_cast<std::int64_t>(state_.collector().size()));
}

QString ShellCollectorItemsList::totalText() const {
    auto& cache = const_cast<ShellCollectorCache&>(cache_);
    cache.refresh(state_);
    return collectorFigureText(cache.cachedFigure());
}

QString ShellCollectorItemsList::rowSubtitle(const FileNode& node) const {
    return collectorRowSubtitle(node, state_.leftovers(&node).size(), cache_.keptBytes(&node));
}

QString ShellCollectorItemsList::rowSize(const FileNode& node) const {
    return collectorFigureText(collectorItemFigure(node, state_.collectorLeftovers()));
}

void ShellCollectorItemsList::onChanged(quint64 fields) {
    using F = AppState::Field;
    const quint64 read = AppState::bit(F::collectorVersion) | AppState::bit(F::treeVersion) |
                         AppState::bit(F::collectorLeftovers) | AppState::bit(F::selection) |
                         AppState::bit(F::volumeNames);
    if (fields & read) reload();
}

void ShellCollectorItemsList::reload() {
    std::vector<CollectorRowList::Row> rows;
    const std::vector<NodeRef>& nodes = cache_.largestFirst(state_);
    rows.reserve(nodes.size());
    for (const NodeRef& node : nodes) {
        const QString subtitle = rowSubtitle(*node);
        const QString size = rowSize(*node);
        CollectorRowList::Row row;
        row.node = node;
        row.help = collectorNodePath(*node);
        row.removeRect = [](const QRectF& rect) { return ShellCollectorItemRow::removeRect(rect); };
        row.removeName = collectorRemoveAccessibleName(*node, *state_.volumeNames());
        row.paint = [this, node, name = QString::fromStdString(state_.displayName(*node)), subtitle,
                     size](QPainter& p, const QRectF& rect, bool hovered) {
            ShellCollectorItemRow::paint(p, rect, palette(), *node, name, subtitle, size, hovered);
        };
        rows.push_back(std::move(row));
    }
    list_->setRows(std::move(rows));
    list_->setFixedHeight(collectorItemsListHeight(nodes.size()));
    header_->update();
    adjustSize();
}

void ShellCollectorItemsList::popUpAbove(QWidget* anchor) {
    adjustSize();
    const QPoint top = anchor->mapToGlobal(QPoint(anchor->width() / 2, 0));
    QPoint at(top.x() - width() / 2, top.y() - height() - 4);
    if (const QScreen* screen = anchor->screen()) {
        const QRect area = screen->availableGeometry();
        at.setX(std::clamp(at.x(), area.left(), std::max(area.left(), area.right() - width())));
        at.setY(std::max(at.y(), area.top()));
    }
    move(at);
    show();
}

void ShellCollectorItemsList::paintEvent(QPaintEvent*) {
    QPainter p(this);
    p.fillRect(rect(), shellWindowBackgroundColor(palette()));
    p.setPen(shellCardStrokeColor(shellAppearance(palette())));
    p.drawRect(QRectF(rect()).adjusted(0.5, 0.5, -0.5, -0.5));
}

} // namespace plenwick
