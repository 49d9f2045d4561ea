#pragma once
// A file or volume icon drawn at an exact square size: the icon's best image for the
// device pixels of the square, scaled smoothly to fit it with its aspect kept.

#include <QIcon>
#include <QWidget>

class QPainter;
class QRectF;

namespace plenwick {

// Draws `icon` fitted into `square` (centred, aspect kept) at the painter's device pixel ratio.
void paintShellIcon(QPainter& painter, const QIcon& icon, const QRectF& square);

class ShellIconImage : public QWidget {
    Q_OBJECT

public:
    // A widget of exactly `size` × `size`.
    explicit ShellIconImage(int size, QWidget* parent = nullptr);

    const QIcon& icon() const noexcept { return icon_; }
    void setIcon(const QIcon& icon);
    int side() const noexcept { return side_; }

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    QIcon icon_;
    int side_;
};

} // namespace plenwick
