#pragma once
// A small on/off switch: a track with a sliding knob, the accent colour when on.

#include <QAbstractButton>

namespace plenwick {

class StartupSwitch final : public QAbstractButton {
public:
    explicit StartupSwitch(QWidget* parent = nullptr);
    QSize sizeHint() const override { return {30, 17}; }
    QSize minimumSizeHint() const override { return sizeHint(); }

protected:
    void paintEvent(QPaintEvent* event) override;
};

} // namespace plenwick
