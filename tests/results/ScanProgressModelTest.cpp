// The progress screen's decisions on plain values: names, the folder line, the bar,
// the counters and the recent-scan records.

#include "app/StateFixture.h"
#include "platform/ByteCountFormatter.h"
#include "results/ScanProgressModel.h"
#include "services/Formatters.h"

#include <gtest/gtest.h>

namespace plenwick {
namespace {

using namespace scanprogress;

using test::volume;

TEST(ScanProgressModel, NamesAndTitle) {
    const auto data = volume("/mnt/data/", "Data", 1000, 400);
    EXPECT_EQ(title(std::nullopt, data, {}), "Scanning \u2026");
    EXPECT_EQ(title(std::string("/mnt/data"), data, {}), "Scanning \u201CData\u201D");
    EXPECT_EQ(title(std::string("/mnt/data/photos"), data, {}), "Scanning \u201Cphotos\u201D");
    EXPECT_EQ(scanName(std::string("/home/ann/Sp\xff" "cial"), std::nullopt, {}), "\u201CSp\uFFFDcial\u201D");
    EXPECT_EQ(scanName(std::string("/"), std::nullopt, {}), "\u201C/\u201D");
    // A mount point the state knows goes by its volume's name, even without the scan volume.
    const VolumeNameMap names = makeVolumeNameMap({{"/", "File System"}, {"/mnt/data", "Data"}});
    EXPECT_EQ(scanName(std::string("/"), std::nullopt, names), "\u201CFile System\u201D");
    EXPECT_EQ(scanName(std::string("/mnt/data/photos"), std::nullopt, names), "\u201Cphotos\u201D");
    EXPECT_TRUE(isWholeVolumeScan(std::string("/mnt/data/"), data));
    EXPECT_FALSE(isWholeVolumeScan(std::string("/mnt/data"), std::nullopt));
    EXPECT_FALSE(isWholeVolumeScan(std::nullopt, data));
}

TEST(ScanProgressModel, TheTargetIconIsAFolderOnlyForAFolderAndTheVolumesOnlyWhenItExists) {
    const auto data = volume("/mnt/data", "Data", 1000, 400);
    const std::optional<std::string> whole("/mnt/data"), file("/mnt/data/Report.PDF"), app("/mnt/data/Viewer.app");
    EXPECT_EQ(targetIcon(std::nullopt, data, {true, true}), std::nullopt);
    EXPECT_EQ(targetIcon(whole, data, {true, true}), (TargetIcon{"/mnt/data", true, ""}));
    // A volume path that is gone: the target's own question, with its facts.
    EXPECT_EQ(targetIcon(whole, data, {false, false}), (TargetIcon{"/mnt/data", false, ""}));
    EXPECT_EQ(targetIcon(file, data, {true, false}), (TargetIcon{"/mnt/data/Report.PDF", false, "pdf"}));
    EXPECT_EQ(targetIcon(app, data, {true, true}), (TargetIcon{"/mnt/data/Viewer.app", true, "app"}));
}

TEST(ScanProgressModel, CurrentFolderLine) {
    EXPECT_EQ(currentPathText(""), "Preparing\u2026");
    EXPECT_EQ(currentPathText("/srv/x"), "/srv/x");
    const std::string deep = "/srv/" + std::string(300, 'a');
    const std::string shown = currentPathText(deep);
    EXPECT_LE(shown.size(), 160u + 2u); // 160 characters, the ellipsis taking three bytes
    EXPECT_NE(shown.find("\u2026"), std::string::npos);
    EXPECT_EQ(shown.substr(0, 5), "/srv/");
}

TEST(ScanProgressModel, DeterminateOnlyForAWholeVolumeWithUsedSpace) {
    const auto data = volume("/mnt/data", "Data", 1000, 400); // 600 used
    ProgressBar bar = progressBar(std::string("/mnt/data"), data, 0);
    EXPECT_TRUE(bar.determinate);
    EXPECT_EQ(bar.fraction, 0);
    EXPECT_EQ(bar.caption, formatByteCount(0) + " of about " + formatByteCount(600) + " used");
    EXPECT_EQ(bar.percent, formatPercent(0));

    EXPECT_DOUBLE_EQ(progressBar(std::string("/mnt/data"), data, 150).fraction, 0.25);
    // More found than used: the bar stops just short of full.
    EXPECT_DOUBLE_EQ(progressBar(std::string("/mnt/data"), data, 5000).fraction, 0.999);
    EXPECT_DOUBLE_EQ(progressBar(std::string("/mnt/data"), data, -5).fraction, 0);

    EXPECT_FALSE(progressBar(std::string("/mnt/data/sub"), data, 10).determinate) << "a folder scan";
    EXPECT_FALSE(progressBar(std::string("/mnt/data"), std::nullopt, 10).determinate) << "no volume figures";
    const ProgressBar full = progressBar(std::string("/mnt/data"), volume("/mnt/data", "D", 400, 400), 10);
    EXPECT_FALSE(full.determinate) << "nothing used";
    EXPECT_TRUE(full.caption.empty());
    EXPECT_FALSE(progressBar(std::string("/mnt/data"), volume("/mnt/data", "D", 400, 900), 10).determinate);
}

TEST(ScanProgressModel, Counters) {
    ScanProgress p;
    auto c = counters(p, 0);
    EXPECT_EQ(c[0].label, "Files");
    EXPECT_EQ(c[1].label, "Folders");
    EXPECT_EQ(c[2].label, "Found");
    EXPECT_EQ(c[3].label, "Unreadable");
    EXPECT_EQ(c[4].label, "Elapsed");
    EXPECT_EQ(c[0].value, "0");
    EXPECT_EQ(c[2].value, formatByteCount(0));
    EXPECT_EQ(c[4].value, formatDuration(0));
    EXPECT_FALSE(c[3].warning);

    p.filesScanned = 1234567;
    p.directoriesScanned = 89;
    p.bytesScanned = 5'000'000;
    p.errorCount = 1;
    c = counters(p, 3725);
    EXPECT_EQ(c[0].value, formatCount(1234567));
    EXPECT_NE(c[0].value, "1234567") << "grouped";
    EXPECT_EQ(c[1].value, "89");
    EXPECT_EQ(c[2].value, formatByteCount(5'000'000));
    EXPECT_EQ(c[3].value, "1");
    EXPECT_TRUE(c[3].warning) << "orange from the first unreadable item";
    EXPECT_EQ(c[4].value, formatDuration(3725));
}

TEST(ScanProgressModel, RecentRecords) {
    EXPECT_FALSE(startRecord(std::nullopt));
    EXPECT_EQ(startRecord(std::string("/data")), (RecentRecord{"/data", std::nullopt}));

    NodeRef root = FileNode::make("/data", FileNode::Kind::directory, 4096, 4096, 3, 0);
    const auto results = AppState::Phase::results();
    EXPECT_EQ(finishRecord(results, root, std::string("/data")), (RecentRecord{"/data", 4096}));
    EXPECT_EQ(finishRecord(results, root, std::string("/data/")), (RecentRecord{"/data/", 4096}));
    EXPECT_FALSE(finishRecord(AppState::Phase::home(), root, std::string("/data"))) << "cancelled";
    EXPECT_FALSE(finishRecord(AppState::Phase::failed("no"), root, std::string("/data"))) << "failed";
    EXPECT_FALSE(finishRecord(results, {}, std::string("/data")));
    EXPECT_FALSE(finishRecord(results, root, std::nullopt));
    EXPECT_FALSE(finishRecord(results, root, std::string("/elsewhere"))) << "the root of another scan";
}

} // namespace
} // namespace plenwick
