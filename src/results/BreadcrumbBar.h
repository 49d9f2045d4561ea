#pragma once
// The thin bar above the chart: back and forward through the focus history, the
// path from the root to the focus as clickable crumbs, and "Rescanning…" while
// folders are rescanned in place.

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
    // The crumb buttons, root first.
    const std::vector<QToolButton*>& crumbButtons() const { return crumbs_; }
    // The spinner and "Rescanning…" at the trailing end.
    QWidget* rescanIndicator() const { return rescanning_; }

protected:
    void paintEvent(QPaintEvent*) override;
    void changeEvent(QEvent* event) override;

private:
    void onChanged(quint64 fields);
    void rebuildCrumbs();
    void updateButtons();

    AppState& state_;
    QToolButton* back_;
    QToolButton* forward_;
    QScrollArea* scroll_;
    QWidget* crumbRow_;
    QHBoxLayout* crumbLayout_;
    QWidget* rescanning_;
    std::vector<QToolButton*> crumbs_;
};

} // namespace plenwick
