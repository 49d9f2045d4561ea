#pragma once
// What share of a whole an item takes: a caption line (what it is a share of, and the
// percentage) above a thin capsule whose fill shows the share. The fill never shows
// more than the whole, and any share above nothing shows at least 4 pixels. A share
// that has no meaning (of an empty whole, or of an unknown size) reads "—" over an
// empty track.

#include <QColor>
#include <QString>
#include <QWidget>

#include <optional>

namespace plenwick {

class ShellShareBar final : public QWidget {
    Q_OBJECT

public:
    static constexpr int kBarHeight = 5, kRowSpacing = 3;
    static constexpr double kMinimumFill = 4;

    // The filled width of a bar `width` wide for the share `fraction` (1 = the whole).
    static double fillWidth(double width, double fraction);

    explicit ShellShareBar(QWidget* parent = nullptr);

    void set(const QString& label, std::optional<double> fraction, const QColor& color);
    const QString& label() const noexcept { return label_; }
    // The share shown; 0 without one.
    double fraction() const noexcept { return fraction_.value_or(0); }
    bool hasShare() const noexcept { return fraction_.has_value(); }
    // The percentage as shown: of the fraction as given, so 1.5 reads above 100 %.
    QString percentText() const;
    // Where the bar's capsule lies.
    QRectF barRect() const;

    // The caption line's height: the font's, deepened where its underscore reaches
    // below the descent (it would be cut off there).
    int lineHeight() const;

    QSize sizeHint() const override;
    QSize minimumSizeHint() const override;

protected:
    void paintEvent(QPaintEvent*) override;

private:
    QString label_;
    std::optional<double> fraction_ = 0.0;
    QColor color_;
};

} // namespace plenwick
