#pragma once
// One mounted volume in the "Disks" grid: the capacity ring with the volume's icon in
// its middle, the name and kind, the free space and used share, and "Scan". While the
// pointer is over the card its border turns to the accent and it grows by 1.5 %; a
// double click anywhere on it scans, as the button does.
//
// Whether the mount point exists is told by the page (it is checked off the GUI
// thread); until then, and while it does, the volume's own icon shows, else a symbol
// for its kind.

#include "scanner/VolumeInfo.h"

#include <QWidget>

#include <optional>

namespace plenwick {

class HomeHover;
class HomeProminentButton;

class VolumeCard final : public QWidget {
    Q_OBJECT

public:
    explicit VolumeCard(VolumeInfo volume, QWidget* parent = nullptr);

    const VolumeInfo& volume() const noexcept { return volume_; }
    // The card's accessibility action, which scans the volume.
    static QString scanActionName();
    // Whether a file exists at the mount point; none while unknown.
    void setMountPointExists(std::optional<bool> exists);
    bool showsVolumeIcon() const { return exists_.value_or(true); }
    HomeProminentButton* scanButton() const noexcept { return scan_; }
    HomeHover& hover() const noexcept { return *hover_; }
    // The card's visible rectangle inside the widget (the rest is room for its shadow).
    QRectF cardRect() const;
    // The line of the volume's size and used share.
    QRectF capacityRect() const;
    // The tool tip at `pos`: over the size line, what the size leaves out (a reserve
    // for the system) when it leaves something out; elsewhere the volume's path.
    QString toolTipAt(QPointF pos) const;

    bool hasHeightForWidth() const override { return true; }
    int heightForWidth(int width) const override;
    QSize sizeHint() const override;

signals:
    void scanRequested();

protected:
    bool event(QEvent* event) override;
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;

private:
    struct Geometry;
    Geometry layoutFor(const QRectF& card) const;
    void placeButton();
    double scale() const;

    VolumeInfo volume_;
    std::optional<bool> exists_;
    HomeProminentButton* scan_;
    HomeHover* hover_;
};

} // namespace plenwick
