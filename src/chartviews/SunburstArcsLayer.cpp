#include "chartviews/SunburstArcsLayer.h"

#include <QPaintEvent>
#include <QPainter>

#include <cmath>

namespace plenwick {

SunburstArcsLayer::SunburstArcsLayer(QWidget* parent) : QWidget(parent) {
    setAttribute(Qt::WA_OpaquePaintEvent);
    setAttribute(Qt::WA_TransparentForMouseEvents);
}

void SunburstArcsLayer::setContent(std::shared_ptr<const SunburstScene> scene,
                                   const std::optional<SunburstTransition>& transition, double progress,
                                   const SunburstAppearance& appearance) {
    const bool same = scene == scene_ && appearance == appearance_ && progress == progress_ &&
                      transition.has_value() == transition_.has_value() && (!transition || transition->id == transition_->id);
    if (same) return;
    if (scene != scene_) ++sceneSerial_;
    scene_ = std::move(scene);
    transition_ = transition;
    progress_ = progress;
    appearance_ = appearance;
    if (!imageKey_ || !(*imageKey_ == currentKey())) update();
}

void SunburstArcsLayer::invalidate() {
    imageKey_.reset();
    update();
}

SunburstArcsLayer::Key SunburstArcsLayer::currentKey() const {
    const double ratio = devicePixelRatioF();
    const bool animating = transition_ && progress_ < 1;
    return {scene_ ? sceneSerial_ : 0,
            animating ? transition_->id : 0,
            animating ? progress_ : 1,
            appearance_,
            QSize(static_cast<int>(std::ceil(width() * ratio)), static_cast<int>(std::ceil(height() * ratio))),
            ratio};
}

void SunburstArcsLayer::render(const Key& key) {
    if (image_.size() != key.pixels) image_ = QImage(key.pixels, QImage::Format_ARGB32_Premultiplied);
    image_.setDevicePixelRatio(key.pixelRatio);
    if (scene_) {
        renderer_.render(image_, *scene_, key.transition ? &*transition_ : nullptr, key.progress,
                         SunburstChartGeometry::forSize(size()), appearance_);
    } else {
        image_.fill(sunburstColor(appearance_.background));
    }
    if (!key.transition) renderer_.release(); // needed again only by the next transition
    imageKey_ = key;
    ++renderCount_;
}

void SunburstArcsLayer::paintEvent(QPaintEvent* event) {
    const Key key = currentKey();
    if (key.pixels.isEmpty()) return;
    if (!imageKey_ || !(*imageKey_ == key)) render(key);
    QPainter painter(this);
    // The image is opaque: a plain copy, not a blend.
    painter.setCompositionMode(QPainter::CompositionMode_Source);
    const QRect r = event->rect();
    const double ratio = key.pixelRatio;
    painter.drawImage(QRectF(r), image_, QRectF(r.x() * ratio, r.y() * ratio, r.width() * ratio, r.height() * ratio));
}

} // namespace plenwick
