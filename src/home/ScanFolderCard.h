#pragma once
// The last card of the "Disks" grid: pick any folder to scan (or drop one on the
// window). A dashed border, a tinted circle with a folder symbol, two lines of text
// and the shortcut of the Scan Folder command, shown only. Hovering deepens the
// circle and the fill and turns the border to the accent; the card never grows.

#include <QAbstractButton>

namespace plenwick {

class HomeHover;

class ScanFolderCard final : public QAbstractButton {
    Q_OBJECT

public:
    static constexpr int minimumCardHeight = 268;

    explicit ScanFolderCard(QWidget* parent = nullptr);

    HomeHover& hover() const noexcept { return *hover_; }
    QRectF cardRect() const;
    // The shortcut text shown at the bottom.
    QString shortcutText() const;

    bool hasHeightForWidth() const override { return true; }
    int heightForWidth(int width) const override;
    QSize sizeHint() const override;

protected:
    void paintEvent(QPaintEvent* event) override;
    bool hitButton(const QPoint& pos) const override;

private:
    HomeHover* hover_;
};

} // namespace plenwick
