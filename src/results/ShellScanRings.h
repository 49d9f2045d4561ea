#pragma once
// The animated emblem of the scan-progress screen: four rings of coloured segments
// that turn and breathe, a soft accent glow behind them, a bright sweep over the
// segments and a plain hub in the middle. It shows no data; its only input is the time.
//
// Without a fixed time it follows the clock, repainting on a display-rate timer that
// runs only while the widget is visible. With a fixed time it is drawn once, still.

#include "results/ScanRingsLayout.h"

#include <QWidget>

#include <functional>
#include <optional>

class QPainter;

class QPalette;

namespace plenwick {

class ShellFrameTimer;

class ShellScanRings : public QWidget {
    Q_OBJECT

public:
    // Seconds since 1 January 2001, 00:00 UTC.
    using Clock = std::function<double()>;
    static double referenceClock();

    explicit ShellScanRings(std::optional<double> fixedTime = std::nullopt, QWidget* parent = nullptr);

    std::optional<double> fixedTime() const noexcept { return fixedTime_; }
    void setFixedTime(std::optional<double> fixedTime);
    // Replaces the clock the animation reads (tests).
    void setClock(Clock clock);
    // The time drawn now: the fixed time, else the clock.
    double currentTime() const;
    // Whether the display-rate timer runs.
    bool isAnimating() const;

    // Draws the emblem for `t` into `size` at the painter's origin.
    static void draw(QPainter& painter, const QSizeF& size, double t, const QPalette& palette);

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    std::optional<double> fixedTime_;
    Clock clock_ = referenceClock;
    ShellFrameTimer* frames_;
};

} // namespace plenwick
