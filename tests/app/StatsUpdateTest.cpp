#include "StateFixture.h"

using namespace plenwick;
using namespace plenwick::test;

namespace {

TypeTotals totals(std::initializer_list<std::tuple<std::string, std::int64_t, std::int64_t, FileCategory>> items) {
    TypeTotals t;
    for (const auto& [ext, size, count, category] : items) t[ext] = FileTypeStatsBuilder::Entry{size, count, category};
    return t;
}

const FileTypeStat* statOf(const AppState& state, const std::string& ext) {
    for (const FileTypeStat& s : state.typeStats())
        if (s.ext == ext) return &s;
    return nullptr;
}

} // namespace

class StatsUpdateTest : public StateTest {
protected:
    void SetUp() override {
        makeState();
        root = folder("/scan", {folder("docs", {file("a.pdf", 100), file("b.pdf", 50)}), folder("pics", {file("c.jpg", 300)})});
        state->finishScan(root, AppState::computeTypeStats(root));
        utility->discardAll(); // the scan volume's refresh is not under test here
        ASSERT_EQ(state->typeStats().size(), 2u);
        pdfColor = state->extensionColors().at("pdf");
    }
    // Detaches a child of the root, as pruning after a move to the Trash does.
    NodeRef detach(std::string_view name) {
        NodeRef n = child(root, name);
        root->removeChildAt(root->indexOfChild(n.get()));
        return n;
    }
    NodeRef root;
    RGB pdfColor;
};

TEST_F(StatsUpdateTest, UpdatesFinishingOutOfOrderApplyInOrder) {
    state->statsUpdates().schedule({detach("docs")}, totals({{"mov", 500, 2, FileCategory::video}}));
    state->statsUpdates().schedule({}, totals({{"zip", 40, 1, FileCategory::archives}, {"pdf", 70, 1, FileCategory::documents}}));
    ASSERT_EQ(utility->pendingCount(), 2u);

    // The second finishes first: it waits for the first.
    log.emitted.clear();
    utility->runNewest();
    deliver();
    EXPECT_TRUE(log.emitted.empty());
    EXPECT_NE(statOf(*state, "pdf"), nullptr);

    utility->runOldest();
    deliver();
    ASSERT_EQ(log.emitted.size(), 1u);
    // New extensions continue the colour sequence in scheduling order.
    EXPECT_EQ(state->extensionColors().at("mov"), extensionColorForIndex(2));
    EXPECT_EQ(state->extensionColors().at("zip"), extensionColorForIndex(3));
    EXPECT_EQ(state->statsUpdates().statistics().nextColorIndex(), 4);
    // PDF left with its folder, came back with the same colour.
    const FileTypeStat* pdf = statOf(*state, "pdf");
    ASSERT_NE(pdf, nullptr);
    EXPECT_EQ(pdf->size, 70);
    EXPECT_EQ(pdf->count, 1);
    EXPECT_EQ(pdf->rgb, pdfColor);
    std::vector<std::string> order;
    for (const FileTypeStat& s : state->typeStats()) order.push_back(s.ext);
    EXPECT_EQ(order, (std::vector<std::string>{"mov", "jpg", "pdf", "zip"}));
}

TEST_F(StatsUpdateTest, RemovedExtensionKeepsItsColourAndEqualSizesSortByExtension) {
    state->statsUpdates().schedule({detach("docs")}, {});
    runUtilityJobs();
    EXPECT_EQ(statOf(*state, "pdf"), nullptr);
    EXPECT_EQ(state->extensionColors().at("pdf"), pdfColor);

    state->statsUpdates().schedule({}, totals({{"", 300, 1, FileCategory::other}}));
    runUtilityJobs();
    ASSERT_EQ(state->typeStats().size(), 2u);
    EXPECT_EQ(state->typeStats()[0].ext, "");
    EXPECT_EQ(state->typeStats()[1].ext, "jpg");
}

TEST_F(StatsUpdateTest, UpdateOfAnOlderTreeIsDropped) {
    state->statsUpdates().schedule({}, totals({{"mov", 500, 2, FileCategory::video}}));
    NodeRef other = folder("/other", {file("n.txt", 5)});
    state->finishScan(other, AppState::computeTypeStats(other));
    const auto stats = state->typeStats();
    runUtilityJobs();
    EXPECT_EQ(state->typeStats(), stats);
    EXPECT_EQ(state->extensionColors().count("mov"), 0u);
    EXPECT_FALSE(state->hasStatsUpdates());
}
