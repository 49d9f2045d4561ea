#pragma once
// A small indeterminate progress indicator: twelve spokes turning, animated only
// while visible.

#include <QTimer>
#include <QWidget>

namespace plenwick {

class ActivitySpinner final : public QWidget {
public:
    explicit ActivitySpinner(int side = 16, QWidget* parent = nullptr);
    bool isAnimating() const { return timer_.isActive(); }

protected:
    void paintEvent(QPaintEvent*) override;
    void showEvent(QShowEvent*) override;
    void hideEvent(QHideEvent*) override;

private:
    QTimer timer_;
    int step_ = 0;
};

} // namespace plenwick
