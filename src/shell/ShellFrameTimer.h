#pragma once
// The clock of an animated view: a display-rate timer (at most one frame every 1/60
// second) that repaints its widget, running only while the animation is wanted and
// the widget is visible.

#include <QObject>
#include <QTimer>

class QWidget;

namespace plenwick {

class ShellFrameTimer final : public QObject {
    Q_OBJECT

public:
    explicit ShellFrameTimer(QWidget* widget);

    // Whether the widget animates now; the timer still waits for it to be visible.
    void setWanted(bool wanted);
    bool isActive() const { return timer_.isActive(); }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void update();

    QWidget* widget_;
    QTimer timer_;
    bool wanted_ = false;
};

} // namespace plenwick
