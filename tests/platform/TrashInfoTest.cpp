#include "platform/Trash.h"
#include "platform/TrashInfo.h"

#include "common/TestSupport.h"

#include <gtest/gtest.h>

#include <sys/stat.h>

using namespace plenwick;
using namespace plenwick::test;

TEST(TrashInfo, ThePathKeyIsReadDecodedFromItsGroupOnly) {
    EXPECT_EQ(trashInfoPath("[Trash Info]\nPath=/home/u/My%20App.app\nDeletionDate=2024-01-01T10:00:00\n"),
              std::string("/home/u/My App.app"));
    EXPECT_EQ(trashInfoPath("[Trash Info]\r\nDeletionDate=x\r\nPath=/a/Caf%C3%A9%ff\r\n"), std::string("/a/Caf\xC3\xA9\xFF"));
    EXPECT_EQ(trashInfoPath("[Other]\nPath=/wrong\n[Trash Info]\nPath=/right\n"), std::string("/right"));
    EXPECT_FALSE(trashInfoPath("Path=/outside/any/group\n"));
    EXPECT_FALSE(trashInfoPath("[Trash Info]\nPath=/bad%2\n"));
    EXPECT_FALSE(trashInfoPath("[Trash Info]\nPath=/bad%zz\n"));
    EXPECT_FALSE(trashInfoPath("[Trash Info]\nPath=/a%00b\n"));
    EXPECT_FALSE(trashInfoPath("[Trash Info]\nPath=\n"));
}

TEST(TrashInfo, ATrashedItemNamesWhereItCameFrom) {
    TempFolder data, items;
    setenv("XDG_DATA_HOME", (data / "share").c_str(), 1);
    std::filesystem::create_directories(items / "Apps/Odd #1%.app/Contents");
    const std::string moved = moveToTrash(items / "Apps/Odd #1%.app");
    unsetenv("XDG_DATA_HOME");
    EXPECT_EQ(originalPathOfTrashedItem(moved), items / "Apps/Odd #1%.app");

    // Not in a files/ folder, no info, or an info that is not a plain file: nothing.
    EXPECT_FALSE(originalPathOfTrashedItem(items / "Apps"));
    std::filesystem::create_directories(data / "share/Trash/files/Lost.app");
    EXPECT_FALSE(originalPathOfTrashedItem(data / "share/Trash/files/Lost.app"));
    ASSERT_EQ(mkfifo((data / "share/Trash/info/Lost.app.trashinfo").c_str(), 0600), 0);
    EXPECT_FALSE(originalPathOfTrashedItem(data / "share/Trash/files/Lost.app")) << "a fifo is never waited on";
}

TEST(TrashInfo, AMountsTrashRecordsPathsBelowItsTop) {
    TempFolder top;
    for (const std::string& trash : {top / ".Trash-1000", top / ".Trash/1000"}) {
        std::filesystem::create_directories(trash + "/files/Tool.app");
        std::filesystem::create_directories(trash + "/info");
        writeFile(trash + "/info/Tool.app.trashinfo", "[Trash Info]\nPath=Apps/Tool.app\n");
        EXPECT_EQ(originalPathOfTrashedItem(trash + "/files/Tool.app"), top / "Apps/Tool.app") << trash;
    }
    std::filesystem::create_directories(top / "elsewhere/files/Tool.app");
    std::filesystem::create_directories(top / "elsewhere/info");
    writeFile(top / "elsewhere/info/Tool.app.trashinfo", "[Trash Info]\nPath=Apps/Tool.app\n");
    EXPECT_FALSE(originalPathOfTrashedItem(top / "elsewhere/files/Tool.app")) << "relative, but whose top?";
}
