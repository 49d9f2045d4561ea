#include "home/HomeFlowGrid.h"
#include "home/HomeTexts.h"
#include "scanner/FileNode.h"
#include "shell/ShellCapacityRing.h"

#include <QDateTime>

#include <gtest/gtest.h>

namespace plenwick::test {
namespace {

using namespace std::chrono;
using home::Clock;

Clock::time_point localTime(int year, int month, int day, int hour = 12, int minute = 0) {
    const QDateTime at(QDate(year, month, day), QTime(hour, minute));
    return Clock::time_point(milliseconds(at.toMSecsSinceEpoch()));
}

TEST(HomeTexts, RelativeDatesNameTheLargestCalendarUnit) {
    const Clock::time_point now = localTime(2024, 6, 15, 12, 0);
    auto text = [&](Clock::time_point date) { return home::relativeDateText(date, now).toStdString(); };
    EXPECT_EQ(text(now), "now");
    EXPECT_EQ(text(now - seconds(5)), "5 seconds ago");
    EXPECT_EQ(text(now - minutes(1)), "1 minute ago");
    EXPECT_EQ(text(now - hours(2)), "2 hours ago");
    EXPECT_EQ(text(localTime(2024, 6, 14, 23, 0)), "13 hours ago") << "a day is a calendar day, not the date's";
    EXPECT_EQ(text(localTime(2024, 6, 14, 9, 0)), "yesterday");
    EXPECT_EQ(text(localTime(2024, 6, 12)), "3 days ago");
    EXPECT_EQ(text(localTime(2024, 6, 6)), "last week");
    EXPECT_EQ(text(localTime(2024, 5, 30)), "2 weeks ago");
    EXPECT_EQ(text(localTime(2024, 5, 10)), "last month");
    EXPECT_EQ(text(localTime(2024, 1, 15)), "5 months ago");
    EXPECT_EQ(text(localTime(2023, 6, 1)), "last year");
    EXPECT_EQ(text(localTime(2021, 6, 15)), "3 years ago");
    // A clock set back makes the date lie ahead.
    EXPECT_EQ(text(now + hours(24)), "tomorrow");
    EXPECT_EQ(text(now + hours(50)), "in 2 days");
    EXPECT_EQ(text(now + seconds(30)), "in 30 seconds");
}

VolumeInfo volume(std::int64_t total, std::int64_t available, std::string fileSystem = "ext4") {
    VolumeInfo v;
    v.url = "/media/ann/Disk";
    v.name = "Disk";
    v.totalCapacity = total;
    v.availableCapacity = available;
    v.fileSystem = std::move(fileSystem);
    return v;
}

TEST(HomeTexts, VolumeRingFillAndColoursFollowTheUsedShare) {
    using Colors = ShellCapacityRing::Colors;
    const Colors blue = ShellCapacityRing::gradientColors(0), orange = ShellCapacityRing::gradientColors(0.8),
                 red = ShellCapacityRing::gradientColors(0.95);
    auto colors = [](const VolumeInfo& v) { return ShellCapacityRing::gradientColors(home::usedFraction(v)); };
    EXPECT_EQ(colors(volume(1000, 250)), orange) << "three quarters full";
    EXPECT_EQ(colors(volume(1000, 251)), blue);
    EXPECT_EQ(colors(volume(1000, 100)), red) << "nine tenths full";
    EXPECT_EQ(colors(volume(1000, 101)), orange);
    EXPECT_EQ(home::usedFraction(volume(0, 0)), 0) << "no capacity, an empty ring";
    EXPECT_EQ(home::usedFraction(volume(1000, 1500)), 0) << "more free than the whole counts as unused";
    EXPECT_EQ(colors(volume(0, 0)), blue);

    EXPECT_EQ(home::volumeFreeText(volume(500'000'000'000, 190'000'000'000)).toStdString(), "190 GB free");
    EXPECT_EQ(home::volumeCapacityText(volume(500'000'000'000, 190'000'000'000)).toStdString(), "of 500 GB · 62% used");
    EXPECT_EQ(home::volumeCapacityText(volume(1000, 917)).toStdString(), "of 1 KB · 8.3% used") << "one decimal below a tenth";
    EXPECT_EQ(home::volumeCapacityText(volume(0, 0)).toStdString(), "of Zero KB · 0.0% used");
}

TEST(HomeTexts, TheSizeNamesTheSystemsReserveWhenTheVolumeKeepsOne) {
    VolumeInfo v = volume(102'750'000'000, 82'530'000'000);
    EXPECT_TRUE(home::volumeSizeHelp(v).isEmpty()) << "nothing left out, nothing to say";
    EXPECT_TRUE(home::reservedSpaceSentence(v).isEmpty());
    v.reservedCapacity = 5'410'000'000;
    const QString sentence = home::reservedSpaceSentence(v);
    EXPECT_TRUE(sentence.contains("keeps 5.41 GB reserved for the system")) << sentence.toStdString();
    EXPECT_TRUE(sentence.contains("show a size of 108.16 GB")) << "what df and the disk tools show";
    EXPECT_EQ(home::volumeSizeHelp(v), "The space in use plus the space free. " + sentence);
    EXPECT_EQ(home::volumeCapacityText(v).toStdString(), "of 102.75 GB · 20% used") << "the figures stay";
}

TEST(HomeTexts, VolumeKindLineAndSymbol) {
    VolumeInfo v = volume(10, 5, "NFS");
    v.isNetwork = true;
    v.isInternal = true;
    EXPECT_EQ(home::volumeSubtitle(v).toStdString(), "NFS · Network");
    EXPECT_EQ(home::volumeSymbol(v), home::VolumeSymbol::network);

    v = volume(10, 5, "ext4");
    v.isRootVolume = true;
    v.isInternal = true;
    EXPECT_EQ(home::volumeSubtitle(v).toStdString(), "ext4 · Startup Disk") << "never Internal";

    v = volume(10, 5, "");
    v.isInternal = true;
    v.isRemovable = true;
    EXPECT_EQ(home::volumeSubtitle(v).toStdString(), "Internal") << "no separator without a file system";
    EXPECT_EQ(home::volumeSymbol(v), home::VolumeSymbol::internalDrive);

    v = volume(10, 5, "exFAT");
    v.isRemovable = true;
    EXPECT_EQ(home::volumeSubtitle(v).toStdString(), "exFAT · External");
    EXPECT_EQ(home::volumeSymbol(v), home::VolumeSymbol::externalDriveBadgePlus);
    v.isRemovable = false;
    EXPECT_EQ(home::volumeSymbol(v), home::VolumeSymbol::externalDrive);
}

TEST(HomeTexts, ReturnBannerSummary) {
    const Clock::time_point now = localTime(2024, 6, 15);
    auto subtitle = [&](std::int64_t files, std::int64_t collected, std::optional<Clock::time_point> at) {
        return home::returnBannerSubtitle(2'500'000, files, collected, at, now).toStdString();
    };
    EXPECT_EQ(subtitle(1, 0, std::nullopt), "2.5 MB · 1 file");
    EXPECT_EQ(subtitle(0, 0, std::nullopt), "2.5 MB · 0 files");
    EXPECT_EQ(subtitle(1234, 1, std::nullopt), "2.5 MB · 1,234 files · 1 item collected");
    EXPECT_EQ(subtitle(2, 2, now - minutes(5)), "2.5 MB · 2 files · 2 items collected · scanned 5 minutes ago");

    NodeRef root = FileNode::make("/", FileNode::Kind::directory, 10, 10, 1, 0);
    EXPECT_EQ(home::returnBannerToolTip(*root).toStdString(), "/");
    root = FileNode::make("/home/ann/Projects/", FileNode::Kind::directory, 10, 10, 1, 0);
    EXPECT_EQ(home::returnBannerToolTip(*root).toStdString(), "/home/ann/Projects");
    EXPECT_EQ(home::returnBannerTitle(*root, {}).toStdString(), "Back to results of Projects");
}

TEST(HomeTexts, RecentScanTexts) {
    EXPECT_EQ(home::recentDisplayName("/home/ann/Projects", {}).toStdString(), "Projects");
    EXPECT_EQ(home::recentDisplayName("/", {}).toStdString(), "/");
    EXPECT_EQ(home::recentPathText("/srv/gone", false).toStdString(), "/srv/gone — not available");
    EXPECT_EQ(home::recentPathText("/home/ann", true).toStdString(), "/home/ann") << "the home folder is not abbreviated";
    EXPECT_EQ(home::recentScanHelp("/home/ann/My Music", {}).toStdString(), "Scan My Music again");
    EXPECT_EQ(home::recentDisplayName("/srv/bad\xFF", {}).toStdString(), "bad\xEF\xBF\xBD");
    // A mount point of the state's volumes goes by its volume's name, a folder below it by its own.
    const VolumeNameMap names = makeVolumeNameMap({{"/media/ann/usb/", "Stick"}});
    EXPECT_EQ(home::recentDisplayName("/media/ann/usb", names).toStdString(), "Stick");
    EXPECT_EQ(home::recentScanHelp("/media/ann/usb/", names).toStdString(), "Scan Stick again");
    EXPECT_EQ(home::recentDisplayName("/media/ann/usb/Photos", names).toStdString(), "Photos");
}

TEST(HomeFlowGrid, AdaptiveColumnsShareTheWidth) {
    EXPECT_EQ(adaptiveColumns(1048, 210, 260, 18), (GridColumns{4, 248.5}));
    EXPECT_EQ(adaptiveColumns(2000, 210, 260, 18), (GridColumns{8, 234.25}));
    EXPECT_EQ(adaptiveColumns(1100, 210, 260, 18), (GridColumns{4, 260})) << "never wider than the maximum";
    EXPECT_EQ(adaptiveColumns(150, 210, 260, 18), (GridColumns{1, 150})) << "one column, as wide as there is room";
    const GridColumns tools = adaptiveColumns(1048, 280, 420, 18);
    EXPECT_EQ(tools.count, 3);
    EXPECT_NEAR(tools.width, 337.33, 0.01);
}

} // namespace
} // namespace plenwick::test
