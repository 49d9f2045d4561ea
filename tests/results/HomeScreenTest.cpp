#include "ViewFixture.h"

#include "app/RecentScans.h"
#include "home/VolumePickerView.h"

namespace plenwick::test {
namespace {

TEST_F(ViewTest, EveryReturnHomeShowsAFreshHomePage) {
    auto* first = qobject_cast<VolumePickerView*>(root->homeScreen());
    ASSERT_NE(first, nullptr);
    const QPointer<QWidget> firstPage = first;
    scanToResults();
    EXPECT_EQ(root->homeScreen(), nullptr) << "the page goes while the results show";
    deliver();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_TRUE(firstPage.isNull());
    state->goHome();
    auto* second = qobject_cast<VolumePickerView*>(root->homeScreen());
    ASSERT_NE(second, nullptr);
    EXPECT_EQ(root->currentWidget(), second);
    EXPECT_NE(second->returnBanner(), nullptr) << "the kept results are offered";
}

TEST_F(ViewTest, AScanIsRecordedWhenItStartsAndAgainWithItsSize) {
    const std::string path = makeTree({{"a/one.txt", 3000}, {"b/two.txt", 1000}});
    state->startScan(path);
    runUtilityJobs(); // the check that the target exists
    std::vector<RecentScan> recorded = RecentScans::load(state->preferences());
    ASSERT_EQ(recorded.size(), 1u);
    EXPECT_EQ(recorded[0].path, path);
    EXPECT_EQ(recorded[0].size, std::nullopt);

    runUserJobs();
    runUtilityJobs();
    ASSERT_NE(state->root(), nullptr);
    recorded = RecentScans::load(state->preferences());
    ASSERT_EQ(recorded.size(), 1u);
    EXPECT_EQ(recorded[0].size, state->root()->size());

    // A scan that fails keeps what was recorded for it before.
    state->startScan(path + "/missing");
    runUtilityJobs();
    runUserJobs();
    runUtilityJobs();
    EXPECT_EQ(RecentScans::load(state->preferences()).size(), 1u) << "a place that does not exist is not recorded";
}

} // namespace
} // namespace plenwick::test
