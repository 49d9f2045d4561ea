#include "services/FullDiskAccess.h"
#include "services/HelperLocation.h"

#include "common/TestSupport.h"

#include <gtest/gtest.h>

#include <sys/stat.h>

using namespace plenwick;
using namespace plenwick::test;

TEST(FullDiskAccess, ProbeListForAnyHomeSpelling) {
    const std::vector<std::string> expected{
        "/Library/Application Support/com.apple.TCC/TCC.db",
        "/Users/ann/Library/Application Support/com.apple.TCC/TCC.db",
        "/Users/ann/Library/Safari/Bookmarks.plist",
        "/Users/ann/Library/Safari/CloudTabs.db",
    };
    EXPECT_EQ(FullDiskAccess::probePathsForHome("/Users/ann"), expected);
    EXPECT_EQ(FullDiskAccess::probePathsForHome("/Users/ann/"), expected);
    // None of them exists here: nothing to report.
    EXPECT_EQ(FullDiskAccess::status(), FullDiskAccess::Status::unknown);
}

TEST(FullDiskAccess, FirstReadableFileGrantsARefusalOnlyCountsAlone) {
    TempFolder dir;
    chmod(dir.path().c_str(), 0755);
    writeFile(dir / "secret", "s");
    chmod((dir / "secret").c_str(), 0600);
    writeFile(dir / "open", "o");
    chmod((dir / "open").c_str(), 0644);
    mkfifo((dir / "fifo").c_str(), 0644); // opened non-blocking: must not hang
    EXPECT_EQ(FullDiskAccess::status({}), FullDiskAccess::Status::unknown);
    const std::string outcome = asNobody([&]() -> std::string {
        using S = FullDiskAccess::Status;
        if (FullDiskAccess::status({dir / "missing", dir / "secret"}) != S::denied) return "refusal not denied";
        if (FullDiskAccess::status({dir / "secret", dir / "missing", dir / "open"}) != S::granted) return "not granted";
        if (FullDiskAccess::status({dir / "missing"}) != S::unknown) return "missing not unknown";
        if (FullDiskAccess::status({dir / "fifo"}) != S::granted) return "fifo";
        return {};
    });
    EXPECT_EQ(outcome, "");
}

TEST(HelperLocation, InsideTheMainBundle) {
    EXPECT_EQ(helperAppURL("/opt/Plenwick.app"), "/opt/Plenwick.app/Contents/Library/LoginItems/PlenwickHelper.app");
    EXPECT_EQ(helperAppURL("/opt/Plenwick.app/"), "/opt/Plenwick.app/Contents/Library/LoginItems/PlenwickHelper.app");
}
