#pragma once
// The slim linear progress bar of the scan-progress screen: a capsule track with the
// accent fill at a fraction, or, when the amount of work is unknown, an accent stretch
// gliding across it on a display-rate timer that runs only while the bar is visible.

#include <QWidget>

#include <optional>
#include <utility>

namespace plenwick {

class ShellFrameTimer;

class ScanProgressBar : public QWidget {
    Q_OBJECT

public:
    static constexpr int barHeight = 6;

    explicit ScanProgressBar(QWidget* parent = nullptr);

    // A fraction in 0 … 1, or none for an indeterminate bar.
    void setFraction(std::optional<double> fraction);
    std::optional<double> fraction() const noexcept { return fraction_; }
    // Holds the indeterminate stretch still at the phase of `seconds` (pictures and tests).
    void setFixedTime(std::optional<double> seconds);
    bool isAnimating() const;

    // Where the indeterminate stretch lies at `seconds`, as fractions of the width.
    static std::pair<double, double> indeterminateSpan(double seconds);

    QSize sizeHint() const override;

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    double seconds() const;

    std::optional<double> fraction_;
    std::optional<double> fixedTime_;
    ShellFrameTimer* frames_;
};

} // namespace plenwick
