#include "OutlineBench.h"

#include "app/AppState.h"
#include "outline/FileOutlineView.h"
#include "outline/LocaleNameCollation.h"
#include "outline/OutlineItemModel.h"
#include "outline/OutlineSort.h"
#include "outline/OutlineTableCoordinator.h"
#include "outline/OutlineWalks.h"
#include "outline/UnicodeTextFolding.h"
#include "scanner/FileTreeLock.h"

#include "outline/OutlineColumns.h"
#include "outline/OutlineTableView.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QHeaderView>
#include <QScrollBar>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <thread>

namespace plenwick::bench {

namespace {

using Clock = std::chrono::steady_clock;

double msSince(Clock::time_point start) { return std::chrono::duration<double, std::milli>(Clock::now() - start).count(); }

template <class Work>
double best(int runs, Work work) {
    double fastest = 1e30;
    for (int i = 0; i < runs; ++i) {
        const auto start = Clock::now();
        work();
        fastest = std::min(fastest, msSince(start));
    }
    return fastest;
}

// A folder of `count` files with camera-like names in mixed case and numbering.
NodeRef wideFolder(int count) {
    static constexpr const char* stems[] = {"IMG_", "img_", "Scan ", "report-", "Photo "};
    static constexpr const char* extensions[] = {".jpg", ".JPG", ".png", ".pdf", ".txt"};
    std::vector<NodeRef> files;
    files.reserve(count);
    for (int i = 0; i < count; ++i) {
        const unsigned h = static_cast<unsigned>(i) * 2654435761u;
        const std::string name = std::string(stems[h % 5]) + std::to_string((h >> 8) % 200000) + extensions[(h >> 4) % 5];
        files.push_back(FileNode::make(name, FileNode::Kind::file, 4096 * (h % 50), 4096 * (h % 50), 1, 1.6e9 + h % 1000));
    }
    NodeRef folder = FileNode::make("/wide", FileNode::Kind::directory, 0, 0, count, 0);
    folder->setChildren(std::move(files));
    folder->sortChildren();
    return folder;
}

double writerWait(const NodeRef& root, const TextFolding& folding) {
    std::atomic<bool> done{false};
    std::thread walker([&] {
        for (int i = 0; i < 3; ++i) searchNodesByName("cache", root, 2000, &folding);
        done = true;
    });
    double longest = 0;
    while (!done) {
        const auto start = Clock::now();
        {
            FileTreeLock::WriteGuard lock;
            longest = std::max(longest, msSince(start));
        }
        std::this_thread::sleep_for(std::chrono::microseconds(500));
    }
    walker.join();
    return longest;
}

} // namespace

OutlineTimes measureOutline(AppState& state, FileOutlineView& sidebar, int runs) {
    OutlineTimes times;
    const NodeRef root = state.root();
    const UnicodeTextFolding folding;
    times.largestMs = best(runs, [&] { largestFiles(root, 1000); });
    times.searchMs = best(runs, [&] { searchNodesByName("cache", root, 2000, &folding); });
    times.searchNonASCIIMs = best(runs, [&] { searchNodesByName("cäche", root, 2000, &folding); });

    const NodeRef wide = wideFolder(100000);
    const LocaleNameCollation names;
    times.sort100kMs = best(3, [&] { OutlineSort{OutlineSortKey::name, true}.sortedChildren(*wide, names); });

    // The sidebar with the path to the largest file open and selected, then updated
    // again and again with nothing changed.
    const OutlineWalkResult largest = largestFiles(root, 1);
    if (!largest.nodes.empty()) state.select(largest.nodes.front());
    QApplication::processEvents();
    int resets = 0;
    QObject::connect(&sidebar.coordinator().model(), &QAbstractItemModel::modelAboutToBeReset, [&] { ++resets; });
    double slowest = 0;
    for (int i = 0; i < 50; ++i) {
        const auto start = Clock::now();
        sidebar.refresh();
        slowest = std::max(slowest, msSince(start));
    }
    times.reloadMs = slowest;
    times.reloadResets = resets;

    times.writerWaitMs = writerWait(root, folding);
    return times;
}

WideFolderTimes measureWideFolder(AppState& state, FileOutlineView& sidebar) {
    WideFolderTimes times;
    NodeRef widest;
    for (const NodeRef& child : state.root()->children())
        if (child->isContainer() && (!widest || child->childCount() > widest->childCount())) widest = child;
    if (!widest) return times;
    times.rows = static_cast<long long>(widest->childCount());
    OutlineTableCoordinator& coordinator = sidebar.coordinator();
    OutlineTableView& table = coordinator.view();
    // Painted frames need the window on screen.
    sidebar.window()->show();
    state.select(state.root());
    QApplication::processEvents();
    // Each frame: the change, then the rows painted.
    auto frame = [&](auto change) {
        const auto start = Clock::now();
        change();
        table.viewport()->repaint();
        return msSince(start);
    };
    QModelIndex folder = coordinator.model().indexOf(widest.get());
    table.collapse(folder);
    table.scrollTo(folder, QAbstractItemView::PositionAtTop);
    QApplication::processEvents();
    times.expandMs = frame([&] { table.expand(folder); });
    QApplication::processEvents();

    QScrollBar* bar = table.verticalScrollBar();
    const int from = bar->value(), to = std::min(bar->maximum(), from + static_cast<int>(times.rows) * coordinator.rowHeight());
    frame([&] { bar->setValue(from + 1); }); // warm-up
    for (int i = 1; i <= 60; ++i)
        times.scrollMs = std::max(times.scrollMs, frame([&] { bar->setValue(from + (to - from) * i / 60); }));

    QHeaderView* header = table.header();
    // A click on a header, then the frame in which the rows take the new order when it
    // was found in the background.
    auto sortFrames = [&](OutlineColumn column, Qt::SortOrder order, OutlineSort wanted) {
        // The table passes the click on to the coordinator as it gets to it.
        double slowest = frame([&] {
            header->setSortIndicator(logicalIndex(column), order);
            for (int i = 0; i < 1000 && coordinator.sort() != wanted; ++i) QApplication::processEvents();
        });
        QElapsedTimer waited;
        waited.start();
        while (coordinator.isSortPending() && waited.elapsed() < 30000) {
            std::this_thread::sleep_for(std::chrono::milliseconds(1));
            const double ms = frame([] { QApplication::processEvents(); });
            if (!coordinator.isSortPending()) slowest = std::max(slowest, ms);
        }
        QApplication::processEvents();
        return slowest;
    };
    times.sortMs = std::max(sortFrames(OutlineColumn::name, Qt::AscendingOrder, {OutlineSortKey::name, true}),
                            sortFrames(OutlineColumn::size, Qt::DescendingOrder, {}));
    return times;
}

double measureOutlineHover(AppState& state, int runs) {
    FileOutlineView sidebar(state);
    sidebar.resize(300, 700);
    sidebar.show();
    sidebar.viewModel().setMode(OutlineMode::largest);
    const OutlineListModel& lists = sidebar.viewModel().model();
    QElapsedTimer waited;
    waited.start();
    while ((!lists.largest() || lists.isComputingLargest()) && waited.elapsed() < 30000)
        QApplication::processEvents(QEventLoop::WaitForMoreEvents, 20);
    QApplication::processEvents();
    if (!lists.largest() || lists.largest()->nodes.size() < 2) return 0;
    const NodeRef rows[] = {lists.largest()->nodes[0], lists.largest()->nodes[1]};
    double fastest = 1e30;
    for (int i = 0; i < runs; ++i) {
        const auto start = Clock::now();
        state.setHovered(rows[i % 2]);
        QApplication::sendPostedEvents();
        QApplication::processEvents();
        fastest = std::min(fastest, msSince(start));
    }
    state.setHovered(NodeRef());
    return fastest;
}

} // namespace plenwick::bench
