#pragma once
// The views around the home screen's content: the banner back to results still held
// in memory, the page's backdrop and the frame laid over the page while a folder is
// dragged over it.

#include "app/VolumeNameMap.h"
#include "scanner/FileNode.h"

#include <QWidget>

#include <chrono>
#include <functional>
#include <memory>
#include <optional>

class QPushButton;

namespace plenwick {

class HomeHover;
class HomeProminentButton;

// "Back to results of <folder>" with a one-line summary, "Close Results" and "Back to
// Results" (also on Return, and on a click anywhere else on the banner).
class ShellReturnToResultsBanner final : public QWidget {
    Q_OBJECT

public:
    using Clock = std::chrono::system_clock;

    // The root is named by `volumeNames`, the state's names when the banner is made.
    ShellReturnToResultsBanner(NodeRef root, std::int64_t collectedCount, std::optional<Clock::time_point> scannedAt,
                               std::shared_ptr<const VolumeNameMap> volumeNames, QWidget* parent = nullptr);

    QString titleText() const;
    QString subtitleText() const;
    QPushButton* closeButton() const noexcept { return close_; }
    HomeProminentButton* returnButton() const noexcept { return return_; }
    HomeHover& hover() const noexcept { return *hover_; }
    void setClock(std::function<Clock::time_point()> now);

    QSize sizeHint() const override;
    QSize minimumSizeHint() const override;

signals:
    void returnRequested();
    void closeRequested();

protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;

private:
    QRectF textRect() const;

    NodeRef root_;
    std::shared_ptr<const VolumeNameMap> volumeNames_;
    std::int64_t collectedCount_;
    std::optional<Clock::time_point> scannedAt_;
    std::function<Clock::time_point()> now_;
    QPushButton* close_;
    HomeProminentButton* return_;
    HomeHover* hover_;
};

// The window colour with two faint glows: the accent from the top-leading corner,
// purple from the bottom-trailing one.
class HomeBackdrop final : public QWidget {
    Q_OBJECT

public:
    explicit HomeBackdrop(QWidget* parent = nullptr);

protected:
    void paintEvent(QPaintEvent* event) override;
};

// A dashed, tinted frame with an arrow and "Drop a folder to scan it", inset 14 from
// the page; it never takes the pointer, so drops reach the page under it.
class DropToScanOverlay final : public QWidget {
    Q_OBJECT

public:
    static const QString text;

    explicit DropToScanOverlay(QWidget* parent = nullptr);

protected:
    void paintEvent(QPaintEvent* event) override;
};

} // namespace plenwick
