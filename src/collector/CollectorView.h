#pragma once
// The collector bar at the foot of the results' main column: what the user gathered
// for deletion, as chips with their total (or a shorter summary when the bar is
// narrow), a drop target for files of the scan, the list of every item, "Clear", and
// "Delete…", which asks and then moves everything to the Trash and reports the space
// freed for 3.5 seconds. It keeps no collector data of its own: the state does.

#include "collector/CollectorRules.h"
#include "collector/ShellCollectorCache.h"
#include "scanner/FileNode.h"

#include <QPointer>
#include <QUrl>
#include <QWidget>

#include <chrono>
#include <memory>
#include <optional>

class QMenu;
class QPushButton;
class QToolButton;
class QVariantAnimation;

namespace plenwick {

class AppState;
class CollectorChipStrip;
class CollectorHeaderButton;
class CollectorSummaryButton;
class CollectorTotal;
class TaskClock;
class ShellCollectorConfirmSheet;
class ShellCollectorItemsList;
class ShellFreedBadge;
class ShellPictureFade;

class CollectorView final : public QWidget {
    Q_OBJECT

public:
    // `clock` times the freed badge (a timer when none is given).
    explicit CollectorView(AppState& state, std::shared_ptr<TaskClock> clock = {}, QWidget* parent = nullptr);
    ~CollectorView() override;

    static constexpr int kHeight = 58;
    static constexpr std::chrono::milliseconds kFreedShown{3500};

    // ---- Actions ----
    // Collects the nodes of the dropped file URLs; false when none was kept.
    bool acceptDroppedURLs(const QList<QUrl>& urls);
    void clear();
    void requestDelete();
    void confirmTrash();
    void cancelConfirm();
    // The badge after a move: "Freed …", or "Moved … to the Trash" where the bytes went
    // to a Trash inside the scanned folder and still count there.
    void showFreed(std::int64_t bytes, bool intoScannedTrash = false);
    void storeChipStripWidth(double width);
    void setShowItems(bool show);

    // ---- What it shows ----
    CollectorBarLayout layoutShown() const noexcept { return layout_; }
    bool isEmptyShown() const;
    bool isDropTargeted() const noexcept { return dropTargeted_; }
    const std::optional<QString>& freedMessage() const noexcept { return freedMessage_; }
    std::optional<double> chipStripWidth() const noexcept { return chipStripWidth_; }
    ShellCollectorChipMetrics chipMetrics() const { return collectorChipMetrics(chipStripWidth_); }
    // The empty card's hint shows the shortcut.
    bool hintShowsShortcut() const;
    QString hintText() const;
    // The hint's opacity: it fades out while the freed badge takes its place.
    double hintOpacity() const noexcept { return hintOpacity_; }
    QVariantAnimation* hintFade() const { return hintFade_; }
    // The switch between the empty card and the items: what was shown fading out.
    QVariantAnimation* contentSwitch() const;

    CollectorChipStrip* chipStrip() const { return strip_; }
    CollectorHeaderButton* headerButton() const { return header_; }
    CollectorSummaryButton* summaryButton() const { return summary_; }
    CollectorTotal* total() const { return total_; }
    QPushButton* clearButton() const { return clear_; }
    QPushButton* deleteButton() const { return delete_; }
    QPushButton* compactDeleteButton() const { return compactDelete_; }
    QToolButton* moreButton() const { return more_; }
    ShellFreedBadge* freedBadge() const { return badge_; }
    ShellCollectorItemsList* itemsList() const;
    ShellCollectorConfirmSheet* confirmSheet() const;

    // The narrowest widths of the wide and the medium layout.
    int wideMinimumWidth() const;
    int mediumMinimumWidth() const;

    QSize sizeHint() const override;
    QSize minimumSizeHint() const override;

signals:
    void contextMenuRequested(const NodeRef& node, QPoint globalPos);

protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void dragEnterEvent(QDragEnterEvent* event) override;
    void dragMoveEvent(QDragMoveEvent* event) override;
    void dragLeaveEvent(QDragLeaveEvent* event) override;
    void dropEvent(QDropEvent* event) override;

private:
    void onChanged(quint64 fields);
    void syncDeleteButtons();
    void sync();
    void chooseLayout();
    void placeBadge();
    void syncBadge();
    void setDropTargeted(bool targeted);
    void syncHint();
    void rebuildSheet();
    QRectF emptyCardRect() const;

    AppState& state_;
    std::shared_ptr<TaskClock> clock_;
    bool dropTargeted_ = false;
    std::optional<QString> freedMessage_;
    int freedToken_ = 0;
    ShellCollectorCache cache_;
    std::optional<double> chipStripWidth_;
    CollectorBarLayout layout_ = CollectorBarLayout::wide;
    bool emptyShown_ = true;
    double hintOpacity_ = 1;
    QVariantAnimation* hintFade_;
    QPointer<ShellPictureFade> contentFade_;
    NodeRef lastNode_;

    QWidget* fullRow_;
    CollectorHeaderButton* header_;
    CollectorChipStrip* strip_;
    QWidget* flexibleSpace_;
    CollectorTotal* total_;
    QPushButton* clear_;
    QPushButton* delete_;
    QWidget* compactRow_;
    CollectorSummaryButton* summary_;
    QToolButton* more_;
    QMenu* moreMenu_;
    QPushButton* compactDelete_;
    ShellFreedBadge* badge_;
    QPointer<ShellCollectorItemsList> itemsList_;
    QPointer<ShellCollectorConfirmSheet> sheet_;
};

} // namespace plenwick
