#pragma once
// A state on manual executors with a small scanned tree, and a treemap model on it
// whose waits run on a manual clock.

#include "charts/TestTree.h"

#include "app/AppState.h"
#include "chartviews/TreemapModel.h"
#include "runtime/ManualClock.h"
#include "runtime/ManualExecutor.h"

#include <QCoreApplication>

#include <gtest/gtest.h>

#include <memory>

namespace plenwick::test {

class NoVolumes final : public VolumeSource {
public:
    std::vector<VolumeInfo> mountedVolumes() override { return {}; }
    std::optional<VolumeInfo> containing(const std::string&) override { return std::nullopt; }
};

// /scan (108,302 bytes, largest first):
//   big/deep/{a.png 40,000, b.txt 20,000}   a folder two levels deep
//   top.mov 30,000                          a file at the top
//   empty (10,000, no children)             a folder with nothing listed
//   many/{m.dat 8,000, 300 files of 1}      its small files share a rest cell
//   tiny1, tiny2 (1 each)                   a rest cell of the focus itself
// At 400 × 300 points a byte is about 1.1 square points, so every 1-byte file is
// too small for a cell of its own.
class TreemapTest : public ::testing::Test {
protected:
    void SetUp() override {
        AppEnvironment env;
        env.userInitiated = user;
        env.utility = utility;
        env.volumeSource = std::make_shared<NoVolumes>();
        env.preferences = std::make_shared<MemoryPreferences>();
        state = std::make_unique<AppState>(std::move(env));

        a = file("a.png", 40000);
        b = file("b.txt", 20000);
        deep = folder("deep", {a, b});
        big = folder("big", {deep});
        top = file("top.mov", 30000);
        empty = folder("empty", {}, 10000);
        std::vector<NodeRef> manyFiles{file("m.dat", 8000)};
        for (NodeRef& f : files(300, 1)) manyFiles.push_back(std::move(f));
        many = folder("many", std::move(manyFiles));
        root = folder("/scan", {big, top, empty, many, file("tiny1", 1), file("tiny2", 1)});
        state->finishScan(root, {});
        // The volume look-ups a finished scan starts.
        user->runAll();
        utility->runAll();
        QCoreApplication::processEvents();
    }
    void TearDown() override {
        model = nullptr;
        ownModel.reset();
        state.reset();
        QCoreApplication::processEvents();
    }

    TreemapModel& makeModel() {
        ownModel = std::make_unique<TreemapModel>(*state, *user, clock);
        model = ownModel.get();
        return *model;
    }
    TreemapRenderKey key(double width = 400, double height = 300, double scale = 1) const {
        return model->keyFor(QSizeF(width, height), scale);
    }
    // Lets the layout's slices run until its shading is queued or the refresh is over.
    void runLayout() {
        const std::size_t queued = user->pendingCount();
        for (int i = 0; i < 1000 && model->isRefreshing() && user->pendingCount() == queued; ++i)
            QCoreApplication::processEvents();
    }
    // Runs the queued shading jobs and delivers their pictures.
    void runRenders() {
        user->runAll();
        QCoreApplication::processEvents();
    }
    void settle() {
        for (int i = 0; i < 20 && model->isRefreshing(); ++i) {
            runLayout();
            runRenders();
        }
    }
    // The middle of the cell that shows `node`, in a 400 × 300 view.
    QPointF centreOf(const FileNode* node) const {
        const auto cell = model->layout()->cellIndexOfNode(node);
        EXPECT_TRUE(cell);
        const TreemapRect& r = model->layout()->cells[static_cast<std::size_t>(*cell)].rect;
        return {(r.x0 + r.x1) / 2, (r.y0 + r.y1) / 2};
    }
    // The middle of the rest cell among the children of the cell of `folder`.
    QPointF centreOfRest(const FileNode* folder) const {
        const TreemapLayout& layout = *model->layout();
        const TreemapCell& parent = layout.cells[static_cast<std::size_t>(*layout.cellIndexOfNode(folder))];
        const TreemapCell& rest = layout.cells[static_cast<std::size_t>(parent.firstChild + parent.childCount - 1)];
        EXPECT_GT(rest.restCount, 0);
        return {(rest.rect.x0 + rest.rect.x1) / 2, (rest.rect.y0 + rest.rect.y1) / 2};
    }

    std::shared_ptr<ManualExecutor> user = std::make_shared<ManualExecutor>();
    std::shared_ptr<ManualExecutor> utility = std::make_shared<ManualExecutor>();
    ManualClock clock;
    std::unique_ptr<AppState> state;
    std::unique_ptr<TreemapModel> ownModel;
    TreemapModel* model = nullptr; // the fixture's own, or a view's
    NodeRef root, big, deep, a, b, top, empty, many;
};

} // namespace plenwick::test
