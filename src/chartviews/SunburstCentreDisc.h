#pragma once
// The disc at the centre of the sunburst: names what the user looks at (see
// SunburstCentreInfo), with an upward chevron and a light wash under the pointer when
// a click on it zooms out.

#include "chartviews/SunburstAppearance.h"
#include "chartviews/SunburstCentreInfo.h"

#include <QFontMetricsF>
#include <QImage>
#include <QStringList>
#include <QWidget>

class QVariantAnimation;

namespace plenwick {

// The disc's type scale and whether it is too small for its symbol and detail line.
struct SunburstDiscScale {
    double scale = 1; // diameter / 165 within 0.5…1
    bool compact = false; // diameter below 96 points

    static SunburstDiscScale forDiameter(double diameter);
};

// The title broken into at most `maxLines` lines of `width`; text that does not fit is
// shortened in the middle.
QStringList sunburstTitleLines(const QString& title, const QFontMetricsF& metrics, double width, int maxLines);
// The font of `points` made smaller until `text` fits `width`, down to `minimumFactor` of it.
QFont sunburstFontToFit(const QString& text, double points, QFont::Weight weight, double width, double minimumFactor,
                        const QPaintDevice* device);

class SunburstCentreDisc final : public QWidget {
    Q_OBJECT

public:
    explicit SunburstCentreDisc(QWidget* parent = nullptr);

    // Shows `info` on a disc of `diameter` points centred at `centre` of the parent.
    void setContent(const SunburstCentreInfo& info, bool canZoomOut, bool isHovered, double diameter,
                    const QPointF& centre, const SunburstAppearance& appearance);

    // Whether a new size rolls in (the default) or simply replaces the old one.
    void setAnimated(bool animated) { animated_ = animated; }

    const SunburstCentreInfo& info() const { return info_; }
    // Whether a new size of the same item is rolling in.
    bool isSizeChanging() const;
    bool canZoomOut() const { return canZoomOut_; }
    bool isHovered() const { return isHovered_; }

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    SunburstCentreInfo info_;
    bool canZoomOut_ = false;
    bool isHovered_ = false;
    double diameter_ = 0;
    bool animated_ = true;
    SunburstAppearance appearance_ = SunburstAppearance::light;
    struct BackgroundKey {
        double diameter = 0, ratio = 0;
        bool dark = false, washed = false;
        QRgb accent = 0, primary = 0;
        QSize size;
        friend bool operator==(const BackgroundKey&, const BackgroundKey&) = default;
    };
    BackgroundKey backgroundKey_;
    QImage background_;
    // The size shown before the last change, rolling out while the new one rolls in.
    QString previousSize_;
    QVariantAnimation* sizeChange_;
};

} // namespace plenwick
