#pragma once
// The "Disk Usage" card of the inspector: how the scanned volume's capacity divides
// into what the scan covered, the rest of the used space and the free space, as a
// bar of segments with a legend below. Hidden without a scan volume.

#include "results/DiskUsageSegments.h"

#include <QWidget>

#include <vector>

class QLabel;
class QVBoxLayout;

namespace plenwick {

class AppState;
class ShellCard;
class ShellText;

// A bar of coloured segments, `spacing` apart, whose full length stands for `total`
// bytes; round at both ends.
class ShellSegmentedBar final : public QWidget {
public:
    static constexpr int kHeight = 10;
    static constexpr double kSpacing = 1.5;

    explicit ShellSegmentedBar(QWidget* parent = nullptr);
    void setSegments(std::vector<DiskUsageSegment> segments, std::int64_t total);
    const std::vector<DiskUsageSegment>& segments() const noexcept { return segments_; }
    // Where each segment is drawn (an empty rectangle for one of no width).
    std::vector<QRectF> segmentRects() const;
    static QColor tintColor(DiskUsageSegment::Tint tint, const QWidget& widget);

protected:
    void paintEvent(QPaintEvent*) override;

private:
    std::vector<DiskUsageSegment> segments_;
    std::int64_t total_ = 0;
};

class ShellDiskUsageSummary final : public QWidget {
    Q_OBJECT

public:
    explicit ShellDiskUsageSummary(AppState& state, QWidget* parent = nullptr);

    // Reads the state again.
    void refresh();

    QString titleText() const;
    QString totalText() const;
    QLabel* titleLabel() const { return title_; }
    ShellText* totalLabel() const { return total_; }
    ShellSegmentedBar* bar() const { return bar_; }
    // The legend rows' widgets, in segment order.
    const std::vector<QWidget*>& legendRows() const noexcept { return rows_; }

protected:
    void changeEvent(QEvent* event) override;

private:
    void rebuildLegend(const std::vector<DiskUsageSegment>& segments);

    AppState& state_;
    ShellCard* card_;
    QLabel* title_;
    ShellText* total_;
    ShellSegmentedBar* bar_;
    QVBoxLayout* legend_;
    std::vector<QWidget*> rows_;
};

} // namespace plenwick
