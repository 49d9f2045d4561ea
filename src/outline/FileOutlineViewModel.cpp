#include "outline/FileOutlineViewModel.h"

#include "app/AppState.h"
#include "outline/OutlineNameMatcher.h"
#include "platform/ByteCountFormatter.h"
#include "services/Formatters.h"

namespace plenwick {

namespace {

QString count(std::int64_t n) { return QString::fromStdString(formatCount(n)); }
QString matches(std::int64_t n) { return QString::fromStdString(countText(n, "match", "matches")); }

} // namespace

FileOutlineViewModel::FileOutlineViewModel(AppState& state, std::chrono::milliseconds searchPause, QObject* parent)
    : QObject(parent), state_(state), model_(state.executors().userInitiated, searchPause) {
    connect(&state_, &AppState::changed, this, &FileOutlineViewModel::onStateChanged);
    connect(&model_, &OutlineListModel::changed, this, [this] {
        if (!quiet_) emit changed(0);
    });
}

FileOutlineViewModel::~FileOutlineViewModel() { stopTasks(); }

QString FileOutlineViewModel::modeTitle(OutlineMode mode) {
    return mode == OutlineMode::folders ? QStringLiteral("Folders") : QStringLiteral("Largest Files");
}

void FileOutlineViewModel::setMode(OutlineMode mode) {
    if (mode_ == mode) return;
    mode_ = mode;
    refreshTasksQuietly();
    emit changed(0);
}

void FileOutlineViewModel::setQuery(std::string query) {
    if (query_ == query) return;
    query_ = std::move(query);
    refreshTasksQuietly();
    emit changed(0);
}

bool FileOutlineViewModel::isQueryEmpty() const { return trimmedQuery(query_).empty(); }

void FileOutlineViewModel::setActive(bool active) {
    if (active_ == active) return;
    active_ = active;
    if (active_) {
        refreshTasks();
    } else {
        stopTasks();
    }
}

void FileOutlineViewModel::stopTasks() {
    largestTask_.request_stop();
    searchTask_.request_stop();
    largestKey_.reset();
    searchKey_.reset();
}

void FileOutlineViewModel::onStateChanged(quint64 fields) {
    using F = AppState::Field;
    constexpr quint64 keys = AppState::bit(F::root) | AppState::bit(F::focus) | AppState::bit(F::treeVersion);
    constexpr quint64 followed = keys | AppState::bit(F::selection) | AppState::bit(F::hovered) |
                                 AppState::bit(F::colorMode) | AppState::bit(F::typeFilter) |
                                 AppState::bit(F::collectorVersion) | AppState::bit(F::volumeNames);
    if (!(fields & followed)) return;
    if (fields & keys) refreshTasksQuietly();
    emit changed(fields & followed);
}

void FileOutlineViewModel::refreshTasksQuietly() {
    ++quiet_;
    refreshTasks();
    --quiet_;
}

void FileOutlineViewModel::refreshTasks() {
    if (!active_) return;
    const std::int64_t version = state_.treeVersion();
    const LargestKey largest{mode_ == OutlineMode::largest && isQueryEmpty(), state_.focus().get(), version};
    if (largestKey_ != largest) {
        largestKey_ = largest;
        largestTask_.request_stop();
        largestTask_ = std::stop_source();
        runLargestTask(largestTask_.get_token());
    }
    const SearchKey search{query_, state_.root().get(), version};
    if (searchKey_ != search) {
        searchKey_ = search;
        searchTask_.request_stop();
        searchTask_ = std::stop_source();
        runSearchTask(searchTask_.get_token());
    }
}

void FileOutlineViewModel::runLargestTask(std::stop_token stop) {
    if (mode_ != OutlineMode::largest || !isQueryEmpty()) return;
    NodeRef scope = state_.focus() ? state_.focus() : state_.root();
    if (!scope) return;
    model_.prepareLargest(scope);
    model_.computeLargest(std::move(scope), std::move(stop));
}

void FileOutlineViewModel::runSearchTask(std::stop_token stop) {
    if (!state_.root()) return;
    model_.search(query_, state_.root(), std::move(stop));
}

std::optional<OutlineContent> FileOutlineViewModel::outlineContent() const {
    const NodeRef& root = state_.root();
    if (!root) return std::nullopt;
    if (!isQueryEmpty()) {
        if (model_.searchResults()) return *model_.searchResults();
        return OutlineFlatList::placeholder(root);
    }
    if (mode_ == OutlineMode::folders) return OutlineTree{root};
    if (model_.largest()) return *model_.largest();
    return OutlineFlatList::placeholder(state_.focus() ? state_.focus() : root);
}

FileOutlineViewModel::Overlay FileOutlineViewModel::overlay() const {
    if (!isQueryEmpty()) {
        const auto& results = model_.searchResults();
        if (!results) return Overlay::spinner;
        if (results->nodes.empty() && !model_.isSearching()) return Overlay::noSearchResults;
        return Overlay::none;
    }
    if (mode_ != OutlineMode::largest) return Overlay::none;
    const auto& largest = model_.largest();
    if (!largest) return Overlay::spinner;
    if (largest->nodes.empty() && !model_.isComputingLargest()) return Overlay::noFiles;
    return Overlay::none;
}

std::optional<QString> FileOutlineViewModel::footerText() const {
    if (isQueryEmpty()) {
        if (mode_ == OutlineMode::folders) return std::nullopt;
        const auto& largest = model_.largest();
        if (!largest) return QStringLiteral("Finding the largest files…");
        std::int64_t total = 0;
        for (const NodeRef& n : largest->nodes) total += n->size();
        const QString scope = largest->scope ? QString::fromStdString(state_.displayName(*largest->scope)) : QString();
        return count(static_cast<std::int64_t>(largest->nodes.size())) + QStringLiteral(" largest in “") + scope +
               QStringLiteral("” · ") + QString::fromStdString(formatByteCount(total));
    }
    const auto& results = model_.searchResults();
    if (!results) return QStringLiteral("Searching…");
    const auto shown = static_cast<std::int64_t>(results->nodes.size());
    const std::int64_t total = model_.searchTotal();
    if (shown < total)
        return QStringLiteral("Showing the largest ") + count(shown) + QStringLiteral(" of ") + matches(total);
    return matches(total);
}

bool FileOutlineViewModel::isBusy() const {
    if (isQueryEmpty()) return mode_ == OutlineMode::largest && model_.isComputingLargest() && model_.largest();
    return model_.isSearching() && model_.searchResults();
}

} // namespace plenwick
