#include "base/HomeDirectory.h"
#include "base/NaturalOrder.h"
#include "base/PathNames.h"

#include <gtest/gtest.h>

#include <climits>
#include <cstdlib>
#include <optional>
#include <string>
#include <unistd.h>

using namespace plenwick;

namespace {

// Sets an environment variable for one scope, restoring the old value after.
class ScopedEnv {
public:
    ScopedEnv(const char* name, const char* value) : name_(name) {
        if (const char* old = std::getenv(name)) old_ = old;
        if (value) ::setenv(name, value, 1);
        else ::unsetenv(name);
    }
    ~ScopedEnv() {
        if (old_) ::setenv(name_, old_->c_str(), 1);
        else ::unsetenv(name_);
    }

private:
    const char* name_;
    std::optional<std::string> old_;
};

} // namespace

TEST(PathNames, ComponentsIgnoreTrailingSlashes) {
    EXPECT_EQ(lastPathComponent("/a/b.txt"), "b.txt");
    EXPECT_EQ(lastPathComponent("/a/b//"), "b");
    EXPECT_EQ(lastPathComponent("/"), "/");
    EXPECT_EQ(lastPathComponent("name"), "name");
    EXPECT_EQ(parentPath("/a/b/"), "/a");
    EXPECT_EQ(parentPath("/a"), "/");
    EXPECT_EQ(parentPath("name"), ".");
    EXPECT_EQ(withoutTrailingSlashes("///"), "/");
}

TEST(PathNames, NormalisedByTheirTextAlone) {
    EXPECT_EQ(normalizePath("/"), "/");
    EXPECT_EQ(normalizePath("//"), "/");
    EXPECT_EQ(normalizePath("/usr/"), "/usr");
    EXPECT_EQ(normalizePath("/usr///share//"), "/usr/share");
    EXPECT_EQ(normalizePath("/a/./b/../c"), "/a/c");
    EXPECT_EQ(normalizePath("/.."), "/");
    EXPECT_EQ(normalizePath("/a/b/../.."), "/");
    EXPECT_EQ(normalizePath("/a/\xff/."), "/a/\xff");
    char cwd[PATH_MAX];
    ASSERT_NE(::getcwd(cwd, sizeof cwd), nullptr);
    EXPECT_EQ(normalizePath("rel/x"), normalizePath(std::string(cwd) + "/rel/x"));
    EXPECT_EQ(normalizePath(""), normalizePath(cwd));
}

TEST(PathNames, HomeFolderFromTheEnvironmentElseThePasswordDatabase) {
    {
        ScopedEnv home("HOME", "/home/someone/");
        EXPECT_EQ(homeDirectory(), "/home/someone/");
        EXPECT_EQ(homePath("Library"), "/home/someone/Library");
        ScopedEnv data("XDG_DATA_HOME", "relative/data");
        EXPECT_EQ(xdgDataHome(), "/home/someone/.local/share");
    }
    {
        ScopedEnv home("HOME", "/");
        EXPECT_EQ(homePath("Library"), "/Library");
        ScopedEnv data("XDG_DATA_HOME", "/data");
        EXPECT_EQ(xdgDataHome(), "/data");
    }
    ScopedEnv home("HOME", nullptr);
    EXPECT_FALSE(homeDirectory().empty());
}

TEST(NaturalOrder, DigitsByValueLettersWithoutCase) {
    EXPECT_LT(naturalCompare("file2", "file010"), 0);
    EXPECT_EQ(naturalCompare("Disk 007", "disk 7"), 0);
    EXPECT_GT(naturalCompare("b", "A1"), 0);
    EXPECT_LT(naturalCompare("Disk", "Disk 1"), 0);
}
