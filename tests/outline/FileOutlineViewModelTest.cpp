// The sidebar's decisions: what the table shows, the overlay and the footer in each
// mode, the pause before a search, and walks that a newer key supersedes.

#include "app/StateFixture.h"
#include "outline/FileOutlineViewModel.h"

#include <QLocale>

namespace plenwick::test {
namespace {

using Overlay = FileOutlineViewModel::Overlay;

class OutlineViewModelTest : public StateTest {
protected:
    void SetUp() override {
        QLocale::setDefault(QLocale(QLocale::English, QLocale::UnitedStates));
        makeState();
        model = std::make_unique<FileOutlineViewModel>(*state, std::chrono::milliseconds(0));
        model->setActive(true);
    }
    void TearDown() override {
        model.reset();
        StateTest::TearDown();
        QLocale::setDefault(QLocale::system());
    }
    // Shows `root` as the scan's results, with the state's own background work done.
    void scan(const NodeRef& root) {
        state->finishScan(root, {});
        runUserJobs();
        runUtilityJobs();
    }
    // Lets the pause run out and runs the walks it started.
    void settle() {
        deliver();
        runUserJobs();
    }
    bool showsTree() const {
        auto content = model->outlineContent();
        return content && std::holds_alternative<OutlineTree>(*content);
    }
    const OutlineFlatList* shownList() {
        content = model->outlineContent();
        return content ? std::get_if<OutlineFlatList>(&*content) : nullptr;
    }

    std::unique_ptr<FileOutlineViewModel> model;
    std::optional<OutlineContent> content;
};

NodeRef sampleRoot() {
    return folder("/scan", {folder("Docs", {file("report.pdf", 300), file("notes.txt", 40)}),
                            folder("Empty", {folder("Inner", {})}), file("movie.mp4", 900)});
}

TEST_F(OutlineViewModelTest, WithoutAScanNothingIsShownOrWalked) {
    EXPECT_FALSE(model->outlineContent());
    model->setMode(OutlineMode::largest);
    model->setQuery("x");
    settle();
    EXPECT_EQ(userInitiated->pendingCount(), 0u);
    EXPECT_FALSE(model->model().largest());
}

TEST_F(OutlineViewModelTest, FoldersModeShowsTheTreeWithoutFooterAndSpacesAreNoQuery) {
    scan(sampleRoot());
    EXPECT_TRUE(showsTree());
    EXPECT_FALSE(model->footerText());
    EXPECT_EQ(model->overlay(), Overlay::none);
    model->setQuery("  \n ");
    settle();
    EXPECT_TRUE(model->isQueryEmpty());
    EXPECT_TRUE(showsTree());
    EXPECT_FALSE(model->footerText());
    EXPECT_EQ(userInitiated->pendingCount(), 0u);
}

TEST_F(OutlineViewModelTest, LargestFilesOfTheFocusWithSpinnerFooterAndNoFilesState) {
    NodeRef root = sampleRoot();
    scan(root);
    model->setMode(OutlineMode::largest);
    // Until the walk is back: the spinner over the table, the work named below it.
    EXPECT_EQ(model->overlay(), Overlay::spinner);
    EXPECT_EQ(model->footerText(), QStringLiteral("Finding the largest files…"));
    EXPECT_FALSE(model->isBusy());
    ASSERT_TRUE(shownList());
    EXPECT_EQ(shownList()->source.kind, OutlineFlatList::Source::Kind::placeholder);
    settle();
    const OutlineFlatList* list = shownList();
    ASSERT_TRUE(list);
    EXPECT_EQ(list->nodes.size(), 3u);
    EXPECT_EQ(list->maxSize, 900);
    EXPECT_EQ(list->source, OutlineFlatList::Source::largest(root));
    EXPECT_EQ(model->footerText(), QStringLiteral("3 largest in “scan” · 1 KB"));
    EXPECT_EQ(model->overlay(), Overlay::none);

    // Another folder: its list replaces the old one only once computed.
    state->navigate(child(root, "Empty"));
    EXPECT_FALSE(model->model().largest());
    EXPECT_EQ(model->overlay(), Overlay::spinner);
    settle();
    EXPECT_EQ(model->overlay(), Overlay::noFiles);
    EXPECT_EQ(model->footerText(), QStringLiteral("0 largest in “Empty” · Zero KB"));

    // A new tree version recomputes the same folder's list, keeping the old one shown.
    const auto generation = shownList()->generation;
    state->results().editTree([] {});
    EXPECT_TRUE(model->isBusy());
    EXPECT_EQ(model->overlay(), Overlay::none);
    settle();
    EXPECT_GT(shownList()->generation, generation);
    EXPECT_FALSE(model->isBusy());
}

TEST_F(OutlineViewModelTest, SearchWaitsForThePauseAndCountsMatches) {
    std::vector<NodeRef> files;
    for (int i = 0; i < 2500; ++i) files.push_back(file("match-" + std::to_string(i), i + 1));
    files.push_back(file("single", 1));
    NodeRef root = folder("/scan", std::move(files));
    scan(root);

    model->setQuery("m");
    model->setQuery("ma");
    model->setQuery("match ");
    // The first search: the spinner over the table and "Searching…" below, no footer spinner.
    EXPECT_EQ(model->overlay(), Overlay::spinner);
    EXPECT_EQ(model->footerText(), QStringLiteral("Searching…"));
    EXPECT_FALSE(model->isBusy());
    deliver();
    // Only the query that stood through the pause was walked.
    EXPECT_EQ(userInitiated->pendingCount(), 1u);
    runUserJobs();
    ASSERT_TRUE(shownList());
    EXPECT_EQ(shownList()->source, OutlineFlatList::Source::search("match"));
    EXPECT_EQ(shownList()->nodes.size(), 2000u);
    EXPECT_EQ(model->footerText(), QStringLiteral("Showing the largest 2,000 of 2,500 matches"));

    // A later query keeps the previous results and their footer, with the footer spinner.
    model->setQuery("single");
    EXPECT_TRUE(model->isBusy());
    EXPECT_EQ(model->footerText(), QStringLiteral("Showing the largest 2,000 of 2,500 matches"));
    settle();
    EXPECT_EQ(model->footerText(), QStringLiteral("1 match"));

    model->setQuery("  nothing like it ");
    settle();
    EXPECT_EQ(model->overlay(), Overlay::noSearchResults);
    EXPECT_EQ(model->footerText(), QStringLiteral("0 matches"));

    // Clearing the query clears the results at once.
    model->setQuery(" ");
    EXPECT_FALSE(model->model().searchResults());
    EXPECT_FALSE(model->model().isSearching());
    EXPECT_TRUE(showsTree());
}

TEST_F(OutlineViewModelTest, AQueryOverridesTheModeAndTheSearchIgnoresTheFocus) {
    NodeRef root = sampleRoot();
    scan(root);
    model->setMode(OutlineMode::largest);
    settle();
    model->setQuery("o");
    settle();
    ASSERT_TRUE(shownList());
    EXPECT_EQ(shownList()->source.kind, OutlineFlatList::Source::Kind::search);
    EXPECT_EQ(shownList()->scope, root);
    // Neither the mode nor the focus restarts the search or changes what is shown.
    const auto generation = shownList()->generation;
    model->setMode(OutlineMode::folders);
    state->navigate(child(root, "Docs"));
    settle();
    EXPECT_EQ(shownList()->generation, generation);
    // Clearing the query in Largest Files brings back the focus's largest files.
    model->setMode(OutlineMode::largest);
    model->setQuery("");
    settle();
    EXPECT_EQ(shownList()->source, OutlineFlatList::Source::largest(child(root, "Docs")));
}

TEST_F(OutlineViewModelTest, ASupersededWalkIsDroppedAndOffScreenNothingRuns) {
    NodeRef root = sampleRoot();
    scan(root);
    model->setMode(OutlineMode::largest);
    state->navigate(child(root, "Docs"));
    // Two walks are waiting: the root's (superseded) and Docs'.
    ASSERT_EQ(userInitiated->pendingCount(), 2u);
    userInitiated->runOldest();
    deliver();
    EXPECT_FALSE(model->model().largest());
    EXPECT_TRUE(model->model().isComputingLargest());
    userInitiated->runOldest();
    deliver();
    ASSERT_TRUE(model->model().largest());
    EXPECT_EQ(model->model().largest()->scope, child(root, "Docs"));

    // Off screen the tasks stop; a walk still waiting is then dropped.
    state->navigate(root);
    model->setActive(false);
    settle();
    EXPECT_EQ(model->model().largest()->scope, child(root, "Docs"));
    model->setActive(true);
    settle();
    EXPECT_EQ(model->model().largest()->scope, root);
}

TEST_F(OutlineViewModelTest, EachChangeIsToldOnceWithTheStateBitsBehindIt) {
    using F = AppState::Field;
    NodeRef root = sampleRoot();
    scan(root);
    model->setMode(OutlineMode::largest);
    settle();
    std::vector<quint64> told;
    QObject::connect(model.get(), &FileOutlineViewModel::changed, [&](quint64 fields) { told.push_back(fields); });

    // A new focus drops the old list and starts a walk: one signal, after both.
    state->navigate(child(root, "Docs"));
    ASSERT_EQ(told.size(), 1u);
    EXPECT_TRUE(told[0] & AppState::bit(F::focus));
    EXPECT_TRUE(model->model().isComputingLargest());
    EXPECT_FALSE(model->model().largest());
    // The walk's list is the sidebar's own change.
    told.clear();
    settle();
    EXPECT_EQ(told, std::vector<quint64>{0});
    // A hover is passed on, bits alone.
    told.clear();
    state->setHovered(child(root, "movie.mp4"));
    EXPECT_EQ(told, std::vector<quint64>{AppState::bit(F::hovered)});
    // So is a mode switch, once, with the walk it starts.
    told.clear();
    model->setMode(OutlineMode::folders);
    model->setMode(OutlineMode::largest);
    EXPECT_EQ(told, (std::vector<quint64>{0, 0}));
    // What the sidebar does not show is not passed on.
    told.clear();
    state->setQuickLookURL(std::string("/scan/movie.mp4"));
    EXPECT_TRUE(told.empty());
}

} // namespace
} // namespace plenwick::test
