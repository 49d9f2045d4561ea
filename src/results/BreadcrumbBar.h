#pragma once
// The thin bar above the chart: back and forward through the focus history, the
// path from the root to the focus as clickable crumbs, and "Rescanning…" while
// folders are rescanned in place. When the path is wider than the bar, the folder on
// view keeps its whole name; the crumbs above it are shortened and, deep down, folded
// into one "…" crumb whose menu leads to them.

#include "scanner/FileNode.h"

#include <QWidget>

#include <vector>

class QHBoxLayout;
class QLabel;
class QScrollArea;
class QToolButton;

namespace plenwick {

class AppState;

// The chain from the root down to `focus` (root first); empty without a focus.
std::vector<NodeRef> breadcrumbTrail(const NodeRef& focus);

class BreadcrumbBar final : public QWidget {
    Q_OBJECT

public:
    explicit BreadcrumbBar(AppState& state, QWidget* parent = nullptr);

    QToolButton* backButton() const { return back_; }
    QToolButton* forwardButton() const { return forward_; }
    // The crumb buttons, root first (a folded one is hidden).
    const std::vector<QToolButton*>& crumbButtons() const { return crumbs_; }
    // The "…" crumb that stands for the folded ones; hidden when none are.
    QToolButton* foldedCrumb() const { return folded_; }
    // The spinner and "Rescanning…" at the trailing end.
    QWidget* rescanIndicator() const { return rescanning_; }

protected:
    void paintEvent(QPaintEvent*) override;
    void changeEvent(QEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void onChanged(quint64 fields);
    void rebuildCrumbs();
    // Shortens and folds the crumbs to the width the bar has.
    void fitCrumbs();
    void updateButtons();

    AppState& state_;
    QToolButton* back_;
    QToolButton* forward_;
    QScrollArea* scroll_;
    QWidget* crumbRow_;
    QHBoxLayout* crumbLayout_;
    QWidget* rescanning_;
    std::vector<QToolButton*> crumbs_;
    std::vector<QWidget*> separators_;  // separators_[i] stands before crumbs_[i + 1]
    std::vector<NodeRef> trail_;
    QToolButton* folded_ = nullptr;
    QWidget* foldedSeparator_ = nullptr;
};

} // namespace plenwick
