#include "base/Descriptor.h"
#include "base/FileIdentity.h"
#include "base/LongPaths.h"

#include "common/DeepTree.h"
#include "common/TestSupport.h"

#include <gtest/gtest.h>

#include <climits>
#include <sched.h>
#include <sys/mount.h>

using namespace plenwick;
using namespace plenwick::test;

namespace {

// The folder holding the file at `path`.
std::string folderOf(const std::string& path) { return path.substr(0, path.rfind('/')); }

} // namespace

TEST(LongPaths, DeepFoldersAreOpenedAndNamedByDescriptors) {
    TempFolder base;
    const std::string deep = makeDeepFile(base.path(), "file", "bytes");
    ASSERT_GT(deep.size(), std::size_t{PATH_MAX});

    const Descriptor folder(openFolderAnyLength(folderOf(deep)));
    ASSERT_TRUE(folder) << errno;
    EXPECT_EQ(pathOfOpenFolder(folder.get()), folderOf(deep));
    struct stat st {};
    ASSERT_EQ(lstatAnyLength(deep, st), 0);
    EXPECT_EQ(st.st_size, 5);
    EXPECT_EQ(lstatAnyLength(deep + "-missing", st), -1);
    EXPECT_EQ(errno, ENOENT);

    // A link on the way is followed, and the path found is the folder's own.
    ASSERT_EQ(::symlink(base.path().c_str(), (base / "link").c_str()), 0);
    const std::string throughLink = base / "link" + deep.substr(base.path().size());
    const Descriptor linked(openFolderAnyLength(folderOf(throughLink)));
    ASSERT_TRUE(linked);
    EXPECT_EQ(pathOfOpenFolder(linked.get()), folderOf(deep));
    removeTreeBelow(base.path());
}

TEST(LongPaths, TheWayUpCrossesMountPoints) {
    TempFolder point;
    const std::string outcome = inChild([&]() -> std::string {
        if (::unshare(CLONE_NEWNS) != 0) return "cannot make a mount namespace";
        if (::mount(nullptr, "/", nullptr, MS_REC | MS_PRIVATE, nullptr) != 0) return "cannot make mounts private";
        if (::mount("tmpfs", point.path().c_str(), "tmpfs", 0, "size=4m") != 0) return "cannot mount a tmpfs";
        const std::string deep = makeDeepFile(point.path(), "file", "x");
        const Descriptor folder(openFolderAnyLength(folderOf(deep)));
        const std::optional<std::string> found = folder ? pathOfOpenFolder(folder.get()) : std::nullopt;
        if (!found) return "not found";
        if (*found != folderOf(deep)) return "found " + found->substr(0, 80);
        const Descriptor top(openFolderAnyLength(point.path()));
        const Descriptor above(openFolderAnyLength(folderOf(point.path())));
        if (mountIdentity(top.get()) == mountIdentity(above.get())) return "one mount";
        return {};
    });
    EXPECT_EQ(outcome, "");
}
