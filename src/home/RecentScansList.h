#pragma once
// The "Recent Scans" card: one row per remembered scan, newest first, divided by
// lines that start where the rows' texts start. A row shows the folder's icon, name
// and path, the size of its last finished scan and how long ago it ran, a small
// "Scan" button and, while the pointer is over the row, a button that removes it from
// the list. A folder that is missing is shown dimmed and marked as not available, and
// cannot be scanned; its remove button still works.
//
// The rows change nothing themselves: `scanRequested` and `removeRequested` go to the
// page. Whether each folder exists is told by the page (checked off the GUI thread);
// a folder not yet checked is shown as available.

#include "app/RecentScans.h"
#include "app/VolumeNameMap.h"
#include "shell/ShellCardBackground.h"

#include <QWidget>

#include <chrono>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

class QPushButton;

namespace plenwick {

class HomeHover;
class HomeSymbolButton;

class RecentScanRow final : public QWidget {
    Q_OBJECT

public:
    using Clock = std::chrono::system_clock;

    // The folder is named by `volumeNames`, the state's names when the row is made.
    RecentScanRow(RecentScan scan, std::shared_ptr<const VolumeNameMap> volumeNames, QWidget* parent = nullptr);

    const RecentScan& scan() const noexcept { return scan_; }
    void setExists(std::optional<bool> exists);
    bool isAvailable() const { return exists_.value_or(true); }
    // The clock the date is shown against (the system clock unless set).
    void setClock(std::function<Clock::time_point()> now);

    QPushButton* scanButton() const noexcept { return scanButton_; }
    HomeSymbolButton* removeButton() const noexcept { return remove_; }
    HomeHover& hover() const noexcept { return *hover_; }
    QString nameText() const;
    QString pathText() const;
    QString sizeText() const; // empty without a size
    QString dateText() const;

    QSize sizeHint() const override;
    QSize minimumSizeHint() const override;

signals:
    void scanRequested(const std::string& path);
    void removeRequested(const std::string& path);

protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;

private:
    void placeButtons();
    qreal figuresWidth() const;

    RecentScan scan_;
    std::shared_ptr<const VolumeNameMap> volumeNames_;
    std::optional<bool> exists_;
    std::function<Clock::time_point()> now_;
    QPushButton* scanButton_;
    HomeSymbolButton* remove_;
    HomeHover* hover_;
};

class RecentScansList final : public ShellCard {
    Q_OBJECT

public:
    static constexpr int dividerInset = 54;

    RecentScansList(const std::vector<RecentScan>& scans, const std::shared_ptr<const VolumeNameMap>& volumeNames,
                    QWidget* parent = nullptr);

    const std::vector<RecentScanRow*>& rows() const noexcept { return rows_; }
    RecentScanRow* row(const std::string& path) const;
    // The dividers' left edges and vertical positions, in the card's coordinates.
    std::vector<QLineF> dividers() const;

signals:
    void scanRequested(const std::string& path);
    void removeRequested(const std::string& path);

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    std::vector<RecentScanRow*> rows_;
};

} // namespace plenwick
