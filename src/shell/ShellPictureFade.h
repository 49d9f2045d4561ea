#pragma once
// A picture of what a widget showed, laid over it and fading out, so the old look
// dissolves into the new one beneath. It takes no input (what lies beneath has it)
// and goes once it has faded.

#include <QPixmap>
#include <QVariantAnimation>
#include <QWidget>

namespace plenwick {

class ShellPictureFade final : public QWidget {
    Q_OBJECT

public:
    // Fades over `durationMs` with the quick start and soft landing of a critically
    // damped spring.
    ShellPictureFade(QPixmap picture, int durationMs, QWidget* parent);

    QVariantAnimation& animation() { return animation_; }
    // Covers the parent and starts fading.
    void start();

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    QPixmap picture_;
    QVariantAnimation animation_;
};

} // namespace plenwick
