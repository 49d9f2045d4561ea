#pragma once
// What the outline sidebar decides, apart from its widgets: its mode and query, the
// list model, the two keyed tasks that feed it, and from all of these what the table
// shows, which overlay stands above it, and the footer's line. GUI thread only.
//
// The largest-files task is keyed by (enabled, focus, tree version), the search task
// by (raw query, root, tree version). When a key changes the running task is
// cancelled and a new one starts; both stop while the sidebar is off screen.

#include "outline/OutlineContent.h"
#include "outline/OutlineListModel.h"

#include <QObject>
#include <QString>

#include <chrono>
#include <cstdint>
#include <optional>
#include <stop_token>
#include <string>

namespace plenwick {

class AppState;

class FileOutlineViewModel final : public QObject {
    Q_OBJECT

public:
    // What stands above the table.
    enum class Overlay { none, spinner, noSearchResults, noFiles };

    explicit FileOutlineViewModel(AppState& state,
                                  std::chrono::milliseconds searchPause = OutlineListModel::kSearchPause,
                                  QObject* parent = nullptr);
    ~FileOutlineViewModel() override;

    AppState& state() const noexcept { return state_; }
    OutlineListModel& model() noexcept { return model_; }
    const OutlineListModel& model() const noexcept { return model_; }

    OutlineMode mode() const noexcept { return mode_; }
    void setMode(OutlineMode mode);
    // The search field's text exactly as typed.
    const std::string& query() const noexcept { return query_; }
    void setQuery(std::string query);
    // Empty, or white space and line breaks only.
    bool isQueryEmpty() const;

    // Whether the tasks run: while the sidebar is on screen.
    void setActive(bool active);
    bool isActive() const noexcept { return active_; }

    // What the table shows; none without a scan.
    std::optional<OutlineContent> outlineContent() const;
    Overlay overlay() const;
    // The footer's line; none means no footer at all.
    std::optional<QString> footerText() const;
    // Whether the footer shows its spinner: a list is on screen while a newer one is
    // computed.
    bool isBusy() const;

    static QString modeTitle(OutlineMode mode);

signals:
    // Something the sidebar shows may have changed: `stateFields` holds the bits of
    // the changed fields of the state that the sidebar follows (its tasks already
    // restarted for them), 0 when only the sidebar's own mode, query or lists changed.
    // One state change gives one signal.
    void changed(quint64 stateFields);

private:
    struct SearchKey {
        std::string query;
        const FileNode* root = nullptr;
        std::int64_t version = 0;
        friend bool operator==(const SearchKey&, const SearchKey&) = default;
    };
    struct LargestKey {
        bool enabled = false;
        const FileNode* scope = nullptr;
        std::int64_t version = 0;
        friend bool operator==(const LargestKey&, const LargestKey&) = default;
    };

    void onStateChanged(quint64 fields);
    // Restarts each task whose key changed.
    void refreshTasks();
    // The same, with what the lists change on the way told only by the caller's signal.
    void refreshTasksQuietly();
    void runLargestTask(std::stop_token stop);
    void runSearchTask(std::stop_token stop);
    void stopTasks();

    AppState& state_;
    OutlineListModel model_;
    OutlineMode mode_ = OutlineMode::folders;
    std::string query_;
    bool active_ = false;
    int quiet_ = 0;
    std::optional<LargestKey> largestKey_;
    std::optional<SearchKey> searchKey_;
    std::stop_source largestTask_;
    std::stop_source searchTask_;
};

} // namespace plenwick
