#include "services/LaunchJob.h"

#include "common/TestSupport.h"

#include <gtest/gtest.h>
#include <plist/plist.h>

#include <sys/stat.h>

using namespace plenwick;
using namespace plenwick::test;

namespace {

std::string xmlPlist(const std::string& body) {
    return "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<plist version=\"1.0\">\n" + body + "\n</plist>\n";
}

std::string dict(const std::string& entries) {
    return xmlPlist("<dict>" + entries + "</dict>");
}

std::string toBinary(const std::string& xml) {
    plist_t root = nullptr;
    plist_from_xml(xml.data(), static_cast<uint32_t>(xml.size()), &root);
    char* bytes = nullptr;
    uint32_t length = 0;
    plist_to_bin(root, &bytes, &length);
    std::string binary(bytes, length);
    std::free(bytes);
    plist_free(root);
    return binary;
}

} // namespace

TEST(LaunchJobTest, ReadsEveryFieldFromXmlAndBinaryAlike) {
    const std::string xml = dict(
        "<key>Label</key><string>com.maker.agent</string>"
        "<key>Program</key><string>/opt/Maker.app/Contents/MacOS/agent</string>"
        "<key>ProgramArguments</key><array><string>/usr/bin/other</string></array>"
        "<key>AssociatedBundleIdentifiers</key><array><string>com.maker.app</string><string>com.maker.b</string></array>"
        "<key>RunAtLoad</key><true/><key>KeepAlive</key><dict><key>SuccessfulExit</key><false/></dict>"
        "<key>Disabled</key><integer>1</integer><key>Extra</key><date>2020-01-01T00:00:00Z</date>");
    const auto job = LaunchJob::fromBytes(xml);
    ASSERT_TRUE(job);
    EXPECT_EQ(job->label, "com.maker.agent");
    EXPECT_EQ(job->programPath, "/opt/Maker.app/Contents/MacOS/agent"); // Program beats ProgramArguments
    EXPECT_EQ(job->associatedBundleIDs, (std::vector<std::string>{"com.maker.app", "com.maker.b"}));
    EXPECT_TRUE(job->runAtLoad);
    EXPECT_TRUE(job->keepAlive);
    EXPECT_TRUE(job->disabledInPlist);
    EXPECT_EQ(LaunchJob::fromBytes(toBinary(xml)), job);
}

TEST(LaunchJobTest, KeysOfTheWrongTypeFallBack) {
    const auto job = LaunchJob::fromBytes(dict(
        "<key>Label</key><integer>5</integer>"
        "<key>ProgramArguments</key><array><string>/bin/a</string><integer>2</integer></array>"
        "<key>AssociatedBundleIdentifiers</key><string>com.maker.only</string>"
        "<key>RunAtLoad</key><string>YES</string><key>KeepAlive</key><false/><key>Disabled</key><integer>2</integer>"));
    ASSERT_TRUE(job);
    EXPECT_FALSE(job->label);
    EXPECT_FALSE(job->programPath); // not all strings
    EXPECT_EQ(job->associatedBundleIDs, std::vector<std::string>{"com.maker.only"});
    EXPECT_FALSE(job->runAtLoad);
    EXPECT_FALSE(job->keepAlive);
    EXPECT_FALSE(job->disabledInPlist);

    const auto arguments = LaunchJob::fromBytes(dict("<key>ProgramArguments</key><array><string>/bin/first</string>"
                                                 "<string>-x</string></array><key>KeepAlive</key><true/>"));
    ASSERT_TRUE(arguments);
    EXPECT_EQ(arguments->programPath, "/bin/first");
    EXPECT_TRUE(arguments->keepAlive);
    const auto empty = LaunchJob::fromBytes(dict("<key>ProgramArguments</key><array/>"));
    ASSERT_TRUE(empty);
    EXPECT_EQ(*empty, LaunchJob{});
}

TEST(LaunchJobTest, OnlyADictionaryAtTheTopIsAJob) {
    EXPECT_FALSE(LaunchJob::fromBytes(xmlPlist("<array><string>x</string></array>")));
    EXPECT_FALSE(LaunchJob::fromBytes("not a property list"));
    EXPECT_FALSE(LaunchJob::fromBytes(""));
    EXPECT_TRUE(LaunchJob::fromBytes(dict("")));
}

TEST(LaunchJobTest, ReadsOnlyRegularFiles) {
    TempFolder dir;
    writeFile(dir / "job.plist", dict("<key>Label</key><string>a</string>"));
    ASSERT_TRUE(LaunchJob::fromFile(dir / "job.plist"));
    EXPECT_EQ(LaunchJob::fromFile(dir / "job.plist")->label, "a");
    // A FIFO named like a job must not block the reader.
    ASSERT_EQ(mkfifo((dir / "fifo.plist").c_str(), 0600), 0);
    EXPECT_FALSE(LaunchJob::fromFile(dir / "fifo.plist"));
    EXPECT_FALSE(LaunchJob::fromFile(dir / "missing.plist"));
}
