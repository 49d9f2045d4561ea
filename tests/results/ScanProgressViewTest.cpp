// The scan-progress screen on a real state: its texts before and after the scanner's
// reports, the bar of a whole-volume scan, Cancel and Escape, the still picture, and
// the recent-scan records.

#include "app/StateFixture.h"
#include "platform/ByteCountFormatter.h"
#include "platform/MotionPreference.h"
#include "results/ScanProgressBar.h"
#include "results/ScanProgressView.h"
#include "results/ShellScanRings.h"
#include "results/ShellStatTile.h"
#include "services/Formatters.h"
#include "shell/ShellNumericText.h"

#include <QPushButton>
#include <QTest>

#include <sys/stat.h>

namespace plenwick {
namespace {

using test::StateTest;
using Kind = AppState::Phase::Kind;

// While it exists, queued calls on the application pass until the state has a
// progress report, and are held back after: the scanner's report arrives, its result
// (queued after it) does not.
class HoldBackAfterProgress final : public QObject {
public:
    explicit HoldBackAfterProgress(const AppState& state) : state_(state) {
        QCoreApplication::instance()->installEventFilter(this);
    }
    ~HoldBackAfterProgress() override { QCoreApplication::instance()->removeEventFilter(this); }
    bool eventFilter(QObject* target, QEvent* event) override {
        if (target != QCoreApplication::instance() || event->type() != QEvent::MetaCall) return false;
        return state_.scanProgress() != ScanProgress{};
    }

private:
    const AppState& state_;
};

class ScanProgressViewTest : public StateTest {
protected:
    void SetUp() override { makeState(); }
    void TearDown() override {
        view.reset();
        StateTest::TearDown();
    }
    void makeView() {
        view = std::make_unique<ScanProgressView>(*state);
        view->resize(1280, 820);
    }
    QString counter(int i) const { return view->counter(i)->value(); }

    std::unique_ptr<ScanProgressView> view;
};

TEST_F(ScanProgressViewTest, BeforeTheFirstReport) {
    const std::string base = makeTree({{"Pictures/a.jpg", 10}});
    state->startScan(base + "/Pictures");
    makeView();
    EXPECT_EQ(view->titleText(), QStringLiteral("Scanning \u201CPictures\u201D"));
    EXPECT_TRUE(view->showsTargetIcon());
    EXPECT_EQ(view->pathText(), QStringLiteral("Preparing\u2026"));
    EXPECT_EQ(counter(0), QStringLiteral("0"));
    EXPECT_EQ(counter(1), QStringLiteral("0"));
    EXPECT_EQ(counter(2), QString::fromStdString(formatByteCount(0)));
    EXPECT_EQ(counter(3), QStringLiteral("0"));
    EXPECT_FALSE(view->counter(3)->tint());
    // A folder scan: an indeterminate bar without a caption.
    EXPECT_FALSE(view->progressBar()->fraction());
    EXPECT_TRUE(view->captionText().isEmpty());
}

TEST_F(ScanProgressViewTest, CountersFollowTheScannersReports) {
    const std::string base = makeTree({{"big.bin", 10000}});
    const std::string target = base + "/big.bin";
    state->startScan(target);
    makeView();
    {
        // The scanner reports once and returns; only the report reaches the state.
        HoldBackAfterProgress onlyTheReport(*state);
        userInitiated->runAll();
        deliver();
    }
    ASSERT_EQ(state->phase().kind(), Kind::scanning);
    struct stat st {};
    ASSERT_EQ(::stat(target.c_str(), &st), 0);
    EXPECT_EQ(counter(0), QStringLiteral("1"));
    EXPECT_EQ(counter(1), QStringLiteral("0"));
    EXPECT_EQ(counter(2), QString::fromStdString(formatByteCount(std::int64_t(st.st_blocks) * 512)));
    EXPECT_EQ(view->pathText(), QString::fromStdString(abbreviatedPath(target)));
    EXPECT_EQ(view->toolTip(), QString());
    state->cancelScan();
}

TEST_F(ScanProgressViewTest, TheTargetIconFollowsWhatTheTargetIsOnDisk) {
    const std::string base = makeTree({{"Notes/a.txt", 10}, {"paper.pdf", 10}});
    state->startScan(base + "/paper.pdf");
    makeView();
    EXPECT_TRUE(view->showsTargetIcon());
    EXPECT_FALSE(view->targetIcon()) << "asked once the disk has been looked at, off the GUI thread";
    runUtilityJobs();
    ASSERT_TRUE(view->targetIcon());
    EXPECT_EQ(*view->targetIcon(), (scanprogress::TargetIcon{base + "/paper.pdf", false, "pdf"}));

    state->cancelScan();
    state->startScan(base + "/Notes");
    runUtilityJobs();
    ASSERT_TRUE(view->targetIcon());
    EXPECT_TRUE(view->targetIcon()->isFolder);
}

TEST_F(ScanProgressViewTest, CountersHaveMonospacedDigitsThatRollAsTheyCount) {
    const std::string base = makeTree({{"a", 10}});
    state->startScan(base);
    makeView();
    view->show();
    ShellStatTile* files = view->counter(0);
    const QFont font = files->findChildren<QWidget*>().front()->font();
    EXPECT_EQ(shellNumericWidth("1,111", font), shellNumericWidth("8,888", font));
    EXPECT_EQ(shellNumericGlyphs("99", "100"),
              (std::vector<ShellNumericGlyph>{{QChar(), '1'}, {'9', '0'}, {'9', '0'}}));
    EXPECT_FALSE(shellNumericGlyphs("1,200", "1,299")[0].changes());

    MotionPreference::shared().setOverride(false);
    files->setValue("12");
    EXPECT_TRUE(files->figure().isRolling());
    EXPECT_EQ(files->value(), "12");
    ASSERT_TRUE(QTest::qWaitFor([&] { return !files->figure().isRolling(); }, 5000));
    MotionPreference::shared().setOverride(true);
    files->setValue("13");
    EXPECT_FALSE(files->figure().isRolling()) << "reduced motion shows the figure at once";
    MotionPreference::shared().setOverride(std::nullopt);
    state->cancelScan();
}

TEST_F(ScanProgressViewTest, AWholeVolumeShowsHowFarTheScanHasCome) {
    const std::string base = makeTree({{"a", 10}});
    state->volumeRefresh().assignVolumes({test::volume(base, "Data", 1000, 400)});
    state->startScan(base);
    makeView();
    EXPECT_EQ(view->titleText(), QStringLiteral("Scanning \u201CData\u201D"));
    ASSERT_TRUE(view->progressBar()->fraction());
    EXPECT_EQ(*view->progressBar()->fraction(), 0.0);
    EXPECT_EQ(view->captionText(),
              QString::fromStdString(formatByteCount(0) + " of about " + formatByteCount(600) + " used"));
    EXPECT_EQ(view->percentText(), QString::fromStdString(formatPercent(0)));
}

TEST_F(ScanProgressViewTest, CancelAndEscapeReturnHome) {
    const std::string base = makeTree({{"a", 10}});
    state->startScan(base);
    makeView();
    view->show();
    QTest::mouseClick(view->cancelButton(), Qt::LeftButton);
    EXPECT_EQ(state->phase().kind(), Kind::home);
    EXPECT_FALSE(state->scanRun().session().hasTask());
    EXPECT_EQ(view->cancelButton()->toolTip(), QStringLiteral("Stop scanning (Esc)"));
    EXPECT_EQ(view->cancelButton()->text(), QStringLiteral("Cancel Scan"));

    state->startScan(base);
    QApplication::setActiveWindow(view.get());
    ASSERT_TRUE(QTest::qWaitForWindowActive(view.get()));
    QTest::keyClick(view->windowHandle(), Qt::Key_Escape);
    // A shortcut presses the button visibly: the click comes a moment later.
    EXPECT_TRUE(QTest::qWaitFor([&] { return state->phase().kind() == Kind::home; }, 2000));
    // The scan's late result changes nothing.
    runUserJobs();
    EXPECT_EQ(state->phase().kind(), Kind::home);
}

TEST_F(ScanProgressViewTest, AFixedTimeIsAStillPicture) {
    const std::string base = makeTree({{"a", 10}});
    state->startScan(base);
    makeView();
    view->setFixedTime(65);
    view->show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(view.get()));
    EXPECT_EQ(counter(4), QString::fromStdString(formatDuration(65)));
    EXPECT_FALSE(view->rings()->isAnimating());
    EXPECT_FALSE(view->progressBar()->isAnimating());

    view->setFixedTime(std::nullopt);
    EXPECT_TRUE(view->rings()->isAnimating());
    // Back on the clock: the seconds since the scan started, a few at most here.
    bool recent = false;
    for (int seconds = 0; seconds < 10; ++seconds) recent |= counter(4) == QString::fromStdString(formatDuration(seconds));
    EXPECT_TRUE(recent) << counter(4).toStdString();
    view->hide();
    EXPECT_FALSE(view->rings()->isAnimating());
    EXPECT_FALSE(view->progressBar()->isAnimating());
}

class RecordingTest : public ScanProgressViewTest {
protected:
    void makeRecordingView() {
        makeView();
        view->setRecentsRecorder(checks, [this](const std::string& path, std::optional<std::int64_t> size) {
            records.push_back({path, size});
        });
    }
    void runChecks() { checks->runAll(), deliver(); }

    std::shared_ptr<ManualExecutor> checks = std::make_shared<ManualExecutor>();
    std::vector<scanprogress::RecentRecord> records;
};

TEST_F(RecordingTest, AScanIsRecordedWhenItStartsAndAgainWithItsSizeWhenItFinishes) {
    const std::string base = makeTree({{"docs/a.txt", 5000}});
    const std::string target = base + "/docs";
    state->startScan(target);
    makeRecordingView();
    view->show();
    runChecks();
    ASSERT_EQ(records.size(), 1u);
    EXPECT_EQ(records[0], (scanprogress::RecentRecord{target, std::nullopt}));

    runUserJobs();
    ASSERT_EQ(state->phase().kind(), Kind::results);
    view->hide(); // the root view leaves the screen
    runChecks();
    ASSERT_EQ(records.size(), 2u);
    EXPECT_EQ(records[1], (scanprogress::RecentRecord{target, state->root()->size()}));
}

TEST_F(RecordingTest, ACancelledScanKeepsOnlyItsStartRecord) {
    const std::string base = makeTree({{"docs/a.txt", 5000}});
    state->startScan(base + "/docs");
    makeRecordingView();
    view->show();
    QTest::mouseClick(view->cancelButton(), Qt::LeftButton);
    view->hide();
    runChecks();
    ASSERT_EQ(records.size(), 1u);
    EXPECT_FALSE(records[0].size);
}

TEST_F(RecordingTest, ANewTargetWhileShownIsRecordedAndWhatIsGoneIsNot) {
    const std::string base = makeTree({{"one/a", 10}, {"two/b", 10}});
    state->startScan(base + "/one");
    makeRecordingView();
    view->show();
    state->startScan(base + "/two");
    state->startScan(base + "/missing");
    runChecks();
    ASSERT_EQ(records.size(), 2u) << "the missing place is not recorded";
    EXPECT_EQ(records[0].path, base + "/one");
    EXPECT_EQ(records[1].path, base + "/two");

    // Without a recorder nothing is recorded.
    view->setRecentsRecorder(nullptr, nullptr);
    state->startScan(base + "/one");
    runChecks();
    EXPECT_EQ(records.size(), 2u);
    EXPECT_EQ(checks->pendingCount(), 0u);
}

} // namespace
} // namespace plenwick
