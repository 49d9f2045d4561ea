#include "shell/ShellFrameTimer.h"

#include <QEvent>
#include <QWidget>

namespace plenwick {

ShellFrameTimer::ShellFrameTimer(QWidget* widget) : QObject(widget), widget_(widget) {
    timer_.setInterval(16);
    timer_.setTimerType(Qt::PreciseTimer);
    connect(&timer_, &QTimer::timeout, widget_, qOverload<>(&QWidget::update));
    widget_->installEventFilter(this);
}

void ShellFrameTimer::setWanted(bool wanted) {
    wanted_ = wanted;
    update();
}

bool ShellFrameTimer::eventFilter(QObject* watched, QEvent* event) {
    if (watched == widget_ && (event->type() == QEvent::Show || event->type() == QEvent::Hide)) {
        // A hidden widget is not yet marked hidden while its hide event is sent.
        if (event->type() == QEvent::Hide) {
            timer_.stop();
        } else {
            update();
        }
    }
    return false;
}

void ShellFrameTimer::update() {
    if (wanted_ && widget_->isVisible()) {
        if (!timer_.isActive()) timer_.start();
    } else {
        timer_.stop();
    }
}

} // namespace plenwick
