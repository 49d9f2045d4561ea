#include "results/ShellInspectorLayout.h"

#include <QWidget>

#include <algorithm>
#include <cmath>
#include <iterator>

namespace plenwick {

ShellInspectorLayout::Split ShellInspectorLayout::split(double height, double minimumBottomHeight, double topWanted) {
    double top = std::isnan(topWanted) ? 0.0 : std::min(height - minimumBottomHeight, topWanted);
    if (!(top > 0)) top = 0; // negative, or not a number
    return Split{top, top, std::max(0.0, height - top)};
}

double ShellInspectorLayout::topShare(double height, double minimumBottomHeight, double essential, double topWanted,
                                      double bottomWanted) {
    const double wanted = std::min(topWanted, std::max(essential, height - bottomWanted));
    // Further items that want less than their minimum leave the rest to the first.
    return split(height, std::min(minimumBottomHeight, std::max(0.0, bottomWanted)), wanted).topHeight;
}

int ShellInspectorLayout::wholeRowsHeight(int limit, const std::vector<int>& rowBottoms) {
    const auto above = std::upper_bound(rowBottoms.begin(), rowBottoms.end(), limit);
    return above == rowBottoms.begin() ? limit : *std::prev(above);
}

QSizeF ShellInspectorLayout::sizeThatFits(std::optional<double> width, std::optional<double> height,
                                          double minimumBottomHeight,
                                          const std::function<double(double)>& topHeightAt) {
    const double w = width.value_or(300);
    if (height) return QSizeF(w, *height);
    return QSizeF(w, minimumBottomHeight + (topHeightAt ? topHeightAt(w) : 0.0));
}

ShellInspectorLayout::ShellInspectorLayout(double minimumBottomHeight, QWidget* parent)
    : QLayout(parent), minimumBottomHeight_(minimumBottomHeight) {
    setContentsMargins(0, 0, 0, 0);
}

ShellInspectorLayout::~ShellInspectorLayout() {
    while (QLayoutItem* item = takeAt(0)) delete item;
}

void ShellInspectorLayout::addItem(QLayoutItem* item) { items_.push_back(item); }

QLayoutItem* ShellInspectorLayout::itemAt(int index) const {
    return index >= 0 && index < items_.size() ? items_[index] : nullptr;
}

QLayoutItem* ShellInspectorLayout::takeAt(int index) {
    return index >= 0 && index < items_.size() ? items_.takeAt(index) : nullptr;
}

double ShellInspectorLayout::topHeightAt(int width) const {
    QLayoutItem* top = items_.front();
    return top->hasHeightForWidth() ? top->heightForWidth(width) : top->sizeHint().height();
}

QSize ShellInspectorLayout::sizeHint() const {
    std::function<double(double)> measure;
    if (!items_.isEmpty()) measure = [this](double w) { return topHeightAt(static_cast<int>(w)); };
    const QSizeF size = sizeThatFits(std::nullopt, std::nullopt, minimumBottomHeight_, measure);
    return QSize(qRound(size.width()), qRound(size.height()));
}

QSize ShellInspectorLayout::minimumSize() const { return QSize(0, 0); }

void ShellInspectorLayout::setGeometry(const QRect& rect) {
    QLayout::setGeometry(rect);
    if (items_.isEmpty()) return;
    int top = 0;
    if (topHeight_) {
        top = std::clamp(topHeight_(rect.width(), rect.height(), static_cast<int>(minimumBottomHeight_)), 0,
                         rect.height());
    } else {
        top = static_cast<int>(std::lround(split(rect.height(), minimumBottomHeight_, topHeightAt(rect.width())).topHeight));
    }
    items_.front()->setGeometry(QRect(rect.x(), rect.y(), rect.width(), top));
    for (int i = 1; i < items_.size(); ++i)
        items_[i]->setGeometry(QRect(rect.x(), rect.y() + top, rect.width(), rect.height() - top));
}

} // namespace plenwick
