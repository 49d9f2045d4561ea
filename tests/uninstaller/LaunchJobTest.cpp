#include "services/LaunchJob.h"

#include "common/PlistFixtures.h"

#include <gtest/gtest.h>

#include <chrono>
#include <future>
#include <sys/stat.h>

using namespace plenwick;
using namespace plenwick::test;

namespace {

class LaunchJobFormats : public ::testing::TestWithParam<PlistFormat> {};

} // namespace

TEST_P(LaunchJobFormats, ReadsTheKeysWithTheirFallbacks) {
    const PlistFormat f = GetParam();
    PlistDict full;
    full.string("Label", "com.example.agent")
        .string("Program", "/usr/bin/example")
        .strings("ProgramArguments", {"/usr/bin/other", "--flag"})
        .strings("AssociatedBundleIdentifiers", {"com.example.app", "com.example.helper"})
        .boolean("RunAtLoad", true)
        .dictionary("KeepAlive", "SuccessfulExit", false)
        .boolean("Disabled", true)
        .string("Unrelated", "x");
    const auto job = LaunchJob::fromBytes(full.bytes(f));
    ASSERT_TRUE(job);
    EXPECT_EQ(job->label, "com.example.agent");
    EXPECT_EQ(job->programPath, "/usr/bin/example"); // "Program" wins
    EXPECT_EQ(job->associatedBundleIDs, (std::vector<std::string>{"com.example.app", "com.example.helper"}));
    EXPECT_TRUE(job->runAtLoad);
    EXPECT_TRUE(job->keepAlive); // a dictionary of conditions
    EXPECT_TRUE(job->disabledInPlist);

    PlistDict fallback;
    fallback.string("label", "lower-case key")
        .strings("ProgramArguments", {"/usr/bin/other", "--flag"})
        .string("AssociatedBundleIdentifiers", "com.example.app")
        .boolean("KeepAlive", false)
        .string("RunAtLoad", "YES");
    const auto second = LaunchJob::fromBytes(fallback.bytes(f));
    ASSERT_TRUE(second);
    EXPECT_FALSE(second->label); // keys match with their case
    EXPECT_EQ(second->programPath, "/usr/bin/other");
    EXPECT_EQ(second->associatedBundleIDs, std::vector<std::string>{"com.example.app"});
    EXPECT_FALSE(second->keepAlive);
    EXPECT_FALSE(second->runAtLoad); // a string is no Boolean

    PlistDict empty;
    EXPECT_EQ(LaunchJob::fromBytes(empty.bytes(f)), LaunchJob{});
}

TEST_P(LaunchJobFormats, ProgramArgumentsMustBeNonEmptyStrings) {
    PlistDict none;
    none.strings("ProgramArguments", {});
    EXPECT_FALSE(LaunchJob::fromBytes(none.bytes(GetParam()))->programPath);
    PlistDict mixed;
    mixed.mixedArray("ProgramArguments", "/usr/bin/x", 3).mixedArray("AssociatedBundleIdentifiers", "com.x", 1);
    const auto job = LaunchJob::fromBytes(mixed.bytes(GetParam()));
    EXPECT_FALSE(job->programPath);
    EXPECT_TRUE(job->associatedBundleIDs.empty());
}

TEST_P(LaunchJobFormats, NumbersZeroAndOneReadAsBooleans) {
    PlistDict numbers;
    numbers.integer("RunAtLoad", 1).integer("KeepAlive", 0).integer("Disabled", 2);
    const auto job = LaunchJob::fromBytes(numbers.bytes(GetParam()));
    EXPECT_TRUE(job->runAtLoad);
    EXPECT_FALSE(job->keepAlive);
    EXPECT_FALSE(job->disabledInPlist); // 2 is no Boolean
    PlistDict reals;
    reals.real("RunAtLoad", 1.0).real("Disabled", 0.5);
    const auto second = LaunchJob::fromBytes(reals.bytes(GetParam()));
    EXPECT_TRUE(second->runAtLoad);
    EXPECT_FALSE(second->disabledInPlist);
}

INSTANTIATE_TEST_SUITE_P(Formats, LaunchJobFormats, ::testing::Values(PlistFormat::xml, PlistFormat::binary),
                         [](const auto& info) { return info.param == PlistFormat::xml ? "xml" : "binary"; });

TEST(LaunchJob, BinaryAndXmlGiveEqualJobs) {
    PlistDict dict;
    dict.string("Label", "a").strings("ProgramArguments", {"/bin/a"}).boolean("RunAtLoad", true);
    EXPECT_EQ(LaunchJob::fromBytes(dict.bytes(PlistFormat::xml)), LaunchJob::fromBytes(dict.bytes(PlistFormat::binary)));
}

TEST(LaunchJob, RefusesWhatIsNoDictionary) {
    EXPECT_FALSE(LaunchJob::fromBytes("<plist><array><string>a</string></array></plist>"));
    EXPECT_FALSE(LaunchJob::fromBytes("not a property list <"));
    EXPECT_FALSE(LaunchJob::fromBytes(""));
}

TEST(LaunchJob, FilesAreReadOnlyWhenRegularAndSmall) {
    TempFolder dir;
    PlistDict dict;
    dict.string("Label", "com.example.agent");
    dict.write(dir / "ok.plist", PlistFormat::binary);
    EXPECT_EQ(LaunchJob::fromFile(dir / "ok.plist")->label, "com.example.agent");

    // A FIFO named like a property list must not block the reader.
    ASSERT_EQ(mkfifo((dir / "x.plist").c_str(), 0644), 0);
    auto read = std::async(std::launch::async, [&] { return LaunchJob::fromFile(dir / "x.plist"); });
    ASSERT_EQ(read.wait_for(std::chrono::seconds(5)), std::future_status::ready);
    EXPECT_FALSE(read.get());

    writeFile(dir / "big.plist", std::string(maxPropertyListSize + 1, ' '));
    EXPECT_FALSE(LaunchJob::fromFile(dir / "big.plist"));
    EXPECT_FALSE(LaunchJob::fromFile(dir / "missing.plist"));
}
