#pragma once
// The sunburst's still layer: the scene, or the two scenes of a running transition,
// drawn into an image kept for as long as what it shows stays the same, so hover and
// selection changes, which repaint the layers above, only copy it.

#include "charts/SunburstTransition.h"
#include "chartviews/SunburstAppearance.h"
#include "chartviews/SunburstArcsRenderer.h"
#include "chartviews/SunburstChartGeometry.h"

#include <QImage>
#include <QWidget>

#include <memory>
#include <optional>

namespace plenwick {

class SunburstArcsLayer final : public QWidget {
    Q_OBJECT

public:
    explicit SunburstArcsLayer(QWidget* parent = nullptr);

    // What to show: no scene shows the background alone; a transition is drawn at
    // `progress` until that reaches 1.
    void setContent(std::shared_ptr<const SunburstScene> scene, const std::optional<SunburstTransition>& transition,
                    double progress, const SunburstAppearance& appearance);

    // How often the image was drawn anew.
    int renderCount() const { return renderCount_; }
    // Drops the image, so the next paint draws it anew.
    void invalidate();

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    struct Key {
        // The scene by a serial number: a new scene may be made where a freed one was.
        std::uint64_t scene = 0;
        std::uint64_t transition = 0; // 0 when none is drawn
        double progress = 1;
        SunburstAppearance appearance;
        QSize pixels;
        double pixelRatio = 1;
        friend bool operator==(const Key&, const Key&) = default;
    };
    Key currentKey() const;
    void render(const Key& key);

    std::shared_ptr<const SunburstScene> scene_;
    std::uint64_t sceneSerial_ = 0;
    std::optional<SunburstTransition> transition_;
    double progress_ = 1;
    SunburstAppearance appearance_ = SunburstAppearance::light;
    QImage image_;
    SunburstArcsRenderer renderer_;
    std::optional<Key> imageKey_;
    int renderCount_ = 0;
};

} // namespace plenwick
