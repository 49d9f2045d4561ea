#pragma once
// The window toolbar's row while the results are on show: the way to the disks and
// out of the focus, the title and subtitle, the chart picker, the colour picker,
// Rescan and the inspector toggle. Each control acts straight on the state.

#include <QWidget>

class QActionGroup;
class QButtonGroup;
class QLabel;
class QMenu;
class QToolButton;

namespace plenwick {

class AppState;

class ResultsToolbar final : public QWidget {
    Q_OBJECT

public:
    explicit ResultsToolbar(AppState& state, QWidget* parent = nullptr);

    QToolButton* disksButton() const { return disks_; }
    QToolButton* enclosingButton() const { return enclosing_; }
    QToolButton* sunburstButton() const { return sunburst_; }
    QToolButton* treemapButton() const { return treemap_; }
    QToolButton* colorsButton() const { return colors_; }
    QMenu* colorsMenu() const { return colorsMenu_; }
    QToolButton* rescanButton() const { return rescan_; }
    QToolButton* inspectorButton() const { return inspector_; }
    QLabel* titleLabel() const { return title_; }
    QLabel* subtitleLabel() const { return subtitle_; }

private:
    void refresh(quint64 fields);

    AppState& state_;
    QToolButton* disks_;
    QToolButton* enclosing_;
    QLabel* title_;
    QLabel* subtitle_;
    QToolButton* sunburst_;
    QToolButton* treemap_;
    QToolButton* colors_;
    QMenu* colorsMenu_;
    QActionGroup* colorModes_;
    QToolButton* rescan_;
    QToolButton* inspector_;
};

} // namespace plenwick
