// The scan run on its own, over the parts it fills and clears, and the wording of
// a failed scan or rescan.

#include "WorkflowFixture.h"

#include "app/FailureText.h"

#include <stdexcept>

using namespace plenwick;
using namespace plenwick::test;
using Kind = ScanSession::Phase::Kind;

TEST(FailureText, ScanErrorsAndOtherFailuresReadAsDisplayText) {
    const ScanError missing(ScanError::Kind::notFound, "/gone");
    EXPECT_EQ(failureText(std::make_exception_ptr(missing), "unknown"), missing.errorDescription());
    EXPECT_EQ(failureText(std::make_exception_ptr(std::runtime_error("bad \xff name")), "unknown"), "bad \uFFFD name");
    EXPECT_EQ(failureText(std::make_exception_ptr(42), "unknown"), "unknown");
}

TEST_F(WorkflowTest, AScanFillsTheResultsAndAFailureOrAResetClearsThem) {
    build();
    const std::string base = dir.path().toStdString();
    std::filesystem::create_directories(base + "/scan/sub");
    std::ofstream(base + "/scan/sub/a.txt") << std::string(5000, 'x');

    scan->start(base + "/scan/");
    EXPECT_EQ(scan->session().phase().kind(), Kind::scanning);
    EXPECT_EQ(scan->session().target(), base + "/scan") << "the target is normalised";
    settle();
    ASSERT_EQ(scan->session().phase().kind(), Kind::results);
    ASSERT_TRUE(results.root());
    EXPECT_EQ(navigation.focus(), results.root());
    EXPECT_FALSE(stats->statistics().stats().empty());
    EXPECT_TRUE(heard(StateField::root) && heard(StateField::treeVersion));

    // A new scan's failure shows the scanner's text; its reset dropped the old tree.
    scan->start(base + "/missing");
    EXPECT_FALSE(results.root());
    settle();
    ASSERT_EQ(scan->session().phase().kind(), Kind::failed);
    EXPECT_EQ(scan->session().phase().message(), ScanError(ScanError::Kind::notFound, base + "/missing").errorDescription());

    // Cancelled before its outcome is back: nothing lands, and home stays home.
    scan->start(base + "/scan");
    scan->cancel();
    settle();
    EXPECT_EQ(scan->session().phase().kind(), Kind::home);
    EXPECT_FALSE(results.root());

    // The outcome of a scan whose owner went is dropped.
    scan->start(base + "/scan");
    rescan.reset();
    scan.reset();
    settle();
    EXPECT_FALSE(results.root());
}
