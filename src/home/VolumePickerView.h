#pragma once
// The home screen: the logo and the product name; a banner back to results still held
// in memory; the "Disks" grid of volume cards ending with the folder card; the tools;
// and the recent scans. A folder dropped anywhere on the page is scanned.
//
// The page keeps no data of its own beyond whether a drag hovers over it: it reads the
// state, the recent scans in the preferences and the helper controller, and hands
// every action to them. While it is on screen it keeps the volume list fresh (reloaded
// when the program becomes active again and when volumes are mounted or unmounted).
// Whether volume mount points and recent folders exist is asked of a cache that checks
// in the background.
//
// Use: `new VolumePickerView(state, HomeEnvironment::standard())` in the root view,
// made afresh each time the state returns home.

#include <QList>
#include <QUrl>
#include <QWidget>

#include <functional>
#include <optional>
#include <string>
#include <vector>

class QLabel;
class QScrollArea;
class QVBoxLayout;

namespace plenwick {

class AppState;
class DropToScanOverlay;
class HelperController;
class HelperToolCard;
class HomeFlowGrid;
class MountWatcher;
class PathPresence;
class RecentScansList;
class ScanFolderCard;
class ShellText;
class ShellReturnToResultsBanner;
class ToolCard;
class VolumeCard;

// What the page uses besides the state; tests give their own.
struct HomeEnvironment {
    PathPresence* paths = nullptr;       // whether mount points and recent folders exist
    HelperController* helper = nullptr; // the menu-bar helper's card; none: no card
    MountWatcher* mounts = nullptr;      // volume changes; none: not watched
    // Whether the desktop has a system tray for the helper's icon; none: it has.
    std::function<bool()> systemTrayAvailable;
    // The tools that exist in this program; a tool without its action has no card.
    std::function<void()> uninstallApp;
    std::function<void()> openStartupItems;

    // The program's: the shared caches and controller, the desktop's tray.
    static HomeEnvironment standard();
};

class VolumePickerView final : public QWidget {
    Q_OBJECT

public:
    VolumePickerView(AppState& state, HomeEnvironment environment, QWidget* parent = nullptr);
    ~VolumePickerView() override;

    // ---- Actions of the page ----
    // Drops the kept results and the collector, shows home and reloads the volumes.
    void closeResults();
    // Removes `path` from the stored recent scans (read, removed and written at once).
    void removeRecent(const std::string& path);
    void scanRecent(const std::string& path);
    // Scans the first local folder among `urls`; false when there is none.
    bool acceptDroppedURLs(const QList<QUrl>& urls);
    // Volumes came or went: the volume list is reloaded.
    void volumesDidChange();
    // The program became active again.
    void refreshOnActivate();

    // ---- What is on show ----
    bool isDropTargeted() const noexcept { return dropTargeted_; }
    ShellReturnToResultsBanner* returnBanner() const noexcept { return returnBanner_; }
    const std::vector<VolumeCard*>& volumeCards() const noexcept { return volumeCards_; }
    ScanFolderCard* folderCard() const noexcept { return folderCard_; }
    const std::vector<ToolCard*>& toolCards() const noexcept { return toolCards_; }
    HelperToolCard* helperCard() const noexcept { return helperCard_; }
    RecentScansList* recentScans() const noexcept { return recentList_; }
    DropToScanOverlay* dropOverlay() const noexcept { return overlay_; }
    QScrollArea* scrollArea() const noexcept { return scroll_; }
    // The section headings, top to bottom.
    QStringList sectionTitles() const;
    // The column's items top to bottom, by object name (tests).
    QStringList columnItems() const;

protected:
    void dragEnterEvent(QDragEnterEvent* event) override;
    void dragMoveEvent(QDragMoveEvent* event) override;
    void dragLeaveEvent(QDragLeaveEvent* event) override;
    void dropEvent(QDropEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void showEvent(QShowEvent* event) override;
    void hideEvent(QHideEvent* event) override;

private:
    void onStateChanged(quint64 fields);
    void rebuild();
    QWidget* makeHeader(QWidget* parent);
    QWidget* makeSection(const QString& title, QWidget* content, QWidget* parent);
    void syncPresence();
    void setDropTargeted(bool targeted);

    AppState& state_;
    HomeEnvironment environment_;
    bool dropTargeted_ = false;
    bool onScreen_ = false;
    std::vector<QMetaObject::Connection> subscriptions_;

    QScrollArea* scroll_;
    QWidget* content_;
    QWidget* column_ = nullptr;
    DropToScanOverlay* overlay_;
    ShellReturnToResultsBanner* returnBanner_ = nullptr;
    std::vector<VolumeCard*> volumeCards_;
    ScanFolderCard* folderCard_ = nullptr;
    std::vector<ToolCard*> toolCards_;
    HelperToolCard* helperCard_ = nullptr;
    RecentScansList* recentList_ = nullptr;
    std::vector<ShellText*> headings_;
};

} // namespace plenwick
