#include "base/CreateFolders.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <filesystem>
#include <fstream>
#include <sys/stat.h>

using namespace plenwick;
namespace fs = std::filesystem;

TEST(CreateFolders, MakesWhatIsMissingPrivateAndNamesWhatStopsIt) {
    char pattern[] = "/tmp/plenwick-folders-XXXXXX";
    ASSERT_NE(::mkdtemp(pattern), nullptr);
    const std::string root = pattern;

    const std::string deep = root + "/a/b/c";
    EXPECT_EQ(createFolders(deep), 0);
    struct stat st {};
    ASSERT_EQ(::stat(deep.c_str(), &st), 0);
    EXPECT_TRUE(S_ISDIR(st.st_mode));
    EXPECT_EQ(st.st_mode & 0777, 0700u);
    EXPECT_EQ(createFolders(deep + "/"), 0) << "existing folders and a trailing slash are fine";

    std::ofstream(root + "/file") << "x";
    EXPECT_EQ(createFolders(root + "/file"), ENOTDIR) << "a file in the folder's place is no folder";
    EXPECT_EQ(createFolders(root + "/file/below"), ENOTDIR);

    fs::remove_all(root);
}
