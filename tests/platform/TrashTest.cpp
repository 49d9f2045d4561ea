#include "base/Utf8.h"
#include "platform/AdminTrashMove.h"
#include "platform/MainBundle.h"
#include "platform/Trash.h"
#include "platform/TrashFolders.h"
#include "platform/TrashName.h"

#include "common/DeepTree.h"
#include "common/SyscallFilter.h"
#include "common/TestSupport.h"

#include <gtest/gtest.h>

#include <atomic>
#include <climits>
#include <set>
#include <csignal>
#include <cstdio>
#include <sys/stat.h>
#include <sys/syscall.h>
#include <ucontext.h>

using namespace plenwick;
using namespace plenwick::test;

namespace {

// Decodes the Path= line of a .trashinfo.
std::string restorePath(const std::string& info) {
    const auto start = info.find("\nPath=");
    if (start == std::string::npos) return {};
    const auto end = info.find('\n', start + 6);
    const std::string encoded = info.substr(start + 6, end - start - 6);
    std::string decoded;
    for (std::size_t i = 0; i < encoded.size(); ++i) {
        if (encoded[i] == '%' && i + 2 < encoded.size()) {
            decoded += static_cast<char>(std::stoi(encoded.substr(i + 1, 2), nullptr, 16));
            i += 2;
        } else {
            decoded += encoded[i];
        }
    }
    return decoded;
}

class TrashTest : public ::testing::Test {
protected:
    void SetUp() override {
        setenv("XDG_DATA_HOME", (data / "share").c_str(), 1);
    }
    void TearDown() override { unsetenv("XDG_DATA_HOME"); }
    std::string trashFiles() const { return data / "share/Trash/files"; }
    std::string trashInfo(const std::string& name) const { return readFile(data / ("share/Trash/info/" + name + ".trashinfo")); }

    TempFolder data;
    TempFolder items;
};

} // namespace

TEST(TrashName, CandidatesKeepTheExtension) {
    EXPECT_EQ(trashNameCandidate("report.pdf", 1), "report.pdf");
    EXPECT_EQ(trashNameCandidate("report.pdf", 2), "report 2.pdf");
    EXPECT_EQ(trashNameCandidate("archive.tar.gz", 3), "archive.tar 3.gz");
    EXPECT_EQ(trashNameCandidate("Makefile", 2), "Makefile 2");
    EXPECT_EQ(trashNameCandidate(".bashrc", 2), ".bashrc 2");
    EXPECT_EQ(nameExtension("a."), "");
}

TEST(TrashName, LongNamesAreShortenedToLeaveRoomForTheirInfoFile) {
    const std::string pdf = std::string(246, 'r') + ".pdf"; // 250 bytes
    for (int n = 1; n <= 12; ++n) {
        const std::string candidate = trashNameCandidate(pdf, n);
        EXPECT_LE(candidate.size(), maximumTrashNameLength) << n;
        EXPECT_TRUE(candidate.ends_with(n < 2 ? "r.pdf" : " " + std::to_string(n) + ".pdf")) << candidate;
        EXPECT_TRUE(candidate.starts_with("rrrr"));
    }
    // Shortened candidates stay distinct.
    EXPECT_NE(trashNameCandidate(pdf, 1), trashNameCandidate(pdf, 2));
    EXPECT_EQ(trashNameCandidate(std::string(245, 'x'), 1), std::string(245, 'x'));
    // A name that fits, whose collision names pass the limit.
    const std::string fits = std::string(240, 'c') + ".txt";
    EXPECT_EQ(trashNameCandidate(fits, 1), fits);
    EXPECT_EQ(trashNameCandidate(fits, 2), std::string(239, 'c') + " 2.txt");
    EXPECT_EQ(trashNameCandidate(std::string(255, 'x'), 1), std::string(245, 'x'));
    EXPECT_EQ(trashNameCandidate(std::string(255, 'x'), 10), std::string(242, 'x') + " 10");

    // Valid UTF-8 is never cut inside a character; other bytes are cut where they fit.
    std::string accents;
    while (accents.size() < 250) accents += "\xc3\xa9";
    for (int n : {1, 2, 3}) {
        const std::string candidate = trashNameCandidate(accents + ".txt", n);
        EXPECT_TRUE(isValidUtf8(candidate)) << n;
        EXPECT_LE(candidate.size(), maximumTrashNameLength);
        EXPECT_GE(candidate.size(), maximumTrashNameLength - 1);
        EXPECT_TRUE(candidate.ends_with(".txt"));
    }
    const std::string raw = "\xff" + std::string(249, '\xe9');
    EXPECT_EQ(trashNameCandidate(raw, 1).size(), maximumTrashNameLength);

    // An extension that leaves next to nothing of the name is cut with the rest.
    const std::string longExtension = "a." + std::string(250, 'e');
    EXPECT_EQ(trashNameCandidate(longExtension, 2), longExtension.substr(0, 243) + " 2");
}

TEST_F(TrashTest, MovesWithRestoreInformationAndFreeNames) {
    writeFile(items / "a.txt", "one");
    const std::string first = moveToTrash(items / "a.txt");
    EXPECT_EQ(first, trashFiles() + "/a.txt");
    EXPECT_EQ(readFile(first), "one");
    EXPECT_FALSE(existsNoFollow(items / "a.txt"));
    const std::string info = trashInfo("a.txt");
    EXPECT_EQ(info.rfind("[Trash Info]\nPath=", 0), 0u);
    EXPECT_NE(info.find("\nDeletionDate="), std::string::npos);
    EXPECT_EQ(restorePath(info), items / "a.txt");

    // Taken names, including one only present in files/ (no info), are skipped.
    writeFile(items / "a.txt", "two");
    writeFile(trashFiles() + "/a 2.txt", "stray");
    EXPECT_EQ(moveToTrash(items / "a.txt"), trashFiles() + "/a 3.txt");
    EXPECT_EQ(readFile(trashFiles() + "/a 2.txt"), "stray");
    mkdir((items / "Folder").c_str(), 0755);
    mkdir((items / "x").c_str(), 0755);
    mkdir((items / "x/Folder").c_str(), 0755);
    EXPECT_EQ(moveToTrash(items / "Folder"), trashFiles() + "/Folder");
    EXPECT_EQ(moveToTrash(items / "x/Folder/"), trashFiles() + "/Folder 2");
}

TEST_F(TrashTest, OddNamesAndLinksRoundTrip) {
    for (const std::string name : {"it's \"quoted\"", "back\\slash", "line\nfeed", "50% off", "\xff\xfe raw"}) {
        writeFile(items / name, name);
        const std::string moved = moveToTrash(items / name);
        EXPECT_EQ(readFile(moved), name);
        const std::string info = trashInfo(name);
        EXPECT_EQ(std::count(info.begin(), info.end(), '\n'), 3) << "one line per field";
        EXPECT_EQ(restorePath(info), items / name);
    }
    // A link is moved itself, never its target; a dangling one too.
    writeFile(items / "target", "t");
    symlink((items / "target").c_str(), (items / "link").c_str());
    symlink("/nonexistent", (items / "dangling").c_str());
    moveToTrash(items / "link");
    moveToTrash(items / "dangling");
    EXPECT_EQ(readFile(items / "target"), "t");
    EXPECT_TRUE(existsNoFollow(trashFiles() + "/dangling"));
}

TEST_F(TrashTest, LongNamesAndPathsPastTheKernelsLimitAreTrashed) {
    // 250 bytes: its info file would be 260.
    const std::string name250 = std::string(246, 'n') + ".txt";
    writeFile(items / name250, "250");
    const std::string moved = moveToTrash(items / name250);
    const std::string trashName = moved.substr(moved.rfind('/') + 1);
    EXPECT_EQ(moved, trashFiles() + "/" + trashName);
    EXPECT_LE(trashName.size(), maximumTrashNameLength);
    EXPECT_TRUE(trashName.ends_with(".txt"));
    EXPECT_EQ(readFile(moved), "250");
    EXPECT_EQ(restorePath(trashInfo(trashName)), items / name250) << "the true path is kept";

    // 255 bytes, three times: each takes a free shortened name with its own info.
    const std::string name255(255, 'm');
    std::set<std::string> names;
    for (const std::string content : {"1", "2", "3"}) {
        writeFile(items / name255, content);
        const std::string path = moveToTrash(items / name255);
        const std::string shortName = path.substr(path.rfind('/') + 1);
        EXPECT_LE(shortName.size(), maximumTrashNameLength);
        EXPECT_EQ(readFile(path), content);
        EXPECT_EQ(restorePath(trashInfo(shortName)), items / name255);
        names.insert(shortName);
    }
    EXPECT_EQ(names.size(), 3u);
    // The administrator step names them the same way.
    writeFile(items / name255, "4");
    const auto results = moveToTrashAsAdministrator(data / "share/Trash", {items / name255}, getuid(), getgid());
    ASSERT_EQ(results.size(), 1u);
    EXPECT_EQ(results[0].error, 0);
    const std::string fourth = trashNameCandidate(name255, 4);
    EXPECT_EQ(readFile(trashFiles() + "/" + fourth), "4");
    EXPECT_EQ(restorePath(trashInfo(fourth)), items / name255);

    // A file below a path longer than PATH_MAX.
    const std::string deep = makeDeepFile(items.path(), "deep.txt", "deep");
    ASSERT_GT(deep.size(), std::size_t{PATH_MAX});
    EXPECT_EQ(canonicalItemPath(deep), deep);
    const std::string deepMoved = moveToTrash(deep);
    EXPECT_EQ(deepMoved, trashFiles() + "/deep.txt");
    EXPECT_EQ(readFile(deepMoved), "deep");
    EXPECT_EQ(restorePath(trashInfo("deep.txt")), deep);
    removeTreeBelow(items.path());
}

TEST_F(TrashTest, TheTrashsOwnFoldersAreRefusedOnBothPaths) {
    writeFile(items / "a.txt", "a");
    const std::string inTrash = moveToTrash(items / "a.txt");
    const std::string trash = data / "share/Trash";
    symlink(trash.c_str(), (items / "link").c_str());
    for (const std::string& path : {trash + "/info", trash + "/files", trash, inTrash, trash + "/info/a.txt.trashinfo",
                                    items / "link/info", data / "share/./Trash/files/"}) {
        try {
            moveToTrash(path);
            ADD_FAILURE() << "moved " << path;
        } catch (const std::system_error& e) {
            EXPECT_EQ(e.code(), partOfTrashError()) << path << ": " << e.what();
            EXPECT_EQ(e.code().message(), "It is part of the Trash.");
        }
    }
    EXPECT_EQ(readFile(inTrash), "a");
    EXPECT_EQ(restorePath(trashInfo("a.txt")), items / "a.txt");
    // A link to the Trash is moved itself, and a folder merely named so is no Trash.
    moveToTrash(items / "link");
    EXPECT_TRUE(existsNoFollow(trashFiles() + "/link"));
    mkdir((items / "Trash").c_str(), 0755);
    mkdir((items / ".Trash-0").c_str(), 0755);
    moveToTrash(items / "Trash");
    moveToTrash(items / ".Trash-0");

    // The administrator step refuses them too.
    const auto results = moveToTrashAsAdministrator(trash, {trash + "/info", inTrash}, getuid(), getgid());
    ASSERT_EQ(results.size(), 2u);
    EXPECT_NE(results[0].error, 0);
    EXPECT_NE(results[1].error, 0);
    EXPECT_TRUE(existsNoFollow(trash + "/info/a.txt.trashinfo"));
    EXPECT_EQ(readFile(inTrash), "a");
}

// The Trash is known by what it is, not by the text of a path: reached through a link,
// or with XDG_DATA_HOME itself behind one.
TEST_F(TrashTest, TheTrashIsKnownWhateverLinksLeadToIt) {
    writeFile(items / "a.txt", "a");
    moveToTrash(items / "a.txt");
    const std::string trash = data / "share/Trash";
    symlink(trash.c_str(), (items / "t").c_str());
    symlink((data / "share").c_str(), (data / "linked").c_str());
    mkdir((items / "Trash").c_str(), 0755);
    const auto judged = [](const std::vector<std::string>& paths) {
        std::vector<bool> verdicts;
        for (const std::string& path : paths) verdicts.push_back(isPartOfUsersTrash(path));
        return verdicts;
    };
    for (const std::string& dataHome : {data / "share", data / "linked"}) {
        setenv("XDG_DATA_HOME", dataHome.c_str(), 1);
        EXPECT_EQ(judged({trash, trash + "/files/", trash + "/files/a.txt", items / "t/files", items / "t/info/a.txt.trashinfo",
                          data / "linked/Trash/files"}),
                  std::vector<bool>(6, true))
            << dataHome;
        // The link itself is no part of it, nor a folder merely named so, nor what holds it.
        EXPECT_EQ(judged({items / "t", items / "Trash", data / "share", items / "missing/x", "relative/Trash"}),
                  std::vector<bool>(5, false))
            << dataHome;
    }
}

TEST_F(TrashTest, FailuresKeepTheirErrnoAndLeaveNoReservation) {
    try {
        moveToTrash(items / "missing");
        FAIL();
    } catch (const std::system_error& e) {
        EXPECT_EQ(e.code().value(), ENOENT);
    }
    // An unprivileged user cannot take an item out of a folder it may not write.
    mkdir((items / "locked").c_str(), 0755);
    writeFile(items / "locked/item", "x");
    chmod(items.path().c_str(), 0755);
    chmod(data.path().c_str(), 0777);
    const std::string dataHome = data / "nobody";
    const std::string outcome = asNobody([&]() -> std::string {
        setenv("XDG_DATA_HOME", dataHome.c_str(), 1);
        try {
            moveToTrash(items / "locked/item");
            return "moved without rights";
        } catch (const std::system_error& e) {
            if (e.code().value() != EACCES) return "errno " + std::to_string(e.code().value());
        }
        if (existsNoFollow(dataHome + "/Trash/info/item.trashinfo")) return "reservation left behind";
        return {};
    });
    EXPECT_EQ(outcome, "");
    EXPECT_TRUE(existsNoFollow(items / "locked/item"));
}

namespace {

// A file system without no-replace renames, raced by another program: each
// renameat2 fails with EINVAL, and the first one finds `plantPath` taken meanwhile.
char plantPath[4096];
std::atomic<int> renameCalls{0};

void refuseNoReplaceRename(int, siginfo_t*, void* context) {
    if (renameCalls++ == 0) {
        const int fd = ::open(plantPath, O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0600);
        if (fd >= 0) {
            (void)!::write(fd, "planted", 7);
            ::close(fd);
        }
    }
    auto* registers = &static_cast<ucontext_t*>(context)->uc_mcontext;
#if defined(__x86_64__)
    registers->gregs[REG_RAX] = -EINVAL;
#elif defined(__aarch64__)
    registers->regs[0] = static_cast<unsigned long long>(-EINVAL);
#endif
}

// Moves `item` to the Trash in a child where renames cannot refuse to replace and
// `planted` appears in the Trash just before the move; the new path, or what failed.
std::string moveRacingAPlant(const std::string& item, const std::string& planted) {
    return inChild([&]() -> std::string {
        std::snprintf(plantPath, sizeof plantPath, "%s", planted.c_str());
        struct sigaction action {};
        action.sa_sigaction = refuseNoReplaceRename;
        action.sa_flags = SA_SIGINFO;
        if (sigaction(SIGSYS, &action, nullptr) != 0) return "sigaction";
        if (!filterSyscall(__NR_renameat2, 0, 0, SECCOMP_RET_TRAP)) return "no filter";
        try {
            return moveToTrash(item);
        } catch (const std::system_error& e) {
            return std::string("error: ") + e.what();
        }
    });
}

} // namespace

TEST_F(TrashTest, WithoutNoReplaceRenamesNothingInTheTrashIsReplaced) {
#if !defined(__x86_64__) && !defined(__aarch64__)
    GTEST_SKIP() << "the fault injection sets an x86-64 or AArch64 register";
#endif
    writeFile(items / "a.txt", "item");
    EXPECT_EQ(moveRacingAPlant(items / "a.txt", trashFiles() + "/a.txt"), trashFiles() + "/a 2.txt");
    EXPECT_EQ(readFile(trashFiles() + "/a.txt"), "planted");
    EXPECT_EQ(readFile(trashFiles() + "/a 2.txt"), "item");
    EXPECT_FALSE(existsNoFollow(items / "a.txt"));
    EXPECT_FALSE(existsNoFollow(data / "share/Trash/info/a.txt.trashinfo"));
    EXPECT_EQ(restorePath(trashInfo("a 2.txt")), items / "a.txt");

    // A folder, with what it holds.
    mkdir((items / "Folder").c_str(), 0755);
    writeFile(items / "Folder/inside", "kept");
    EXPECT_EQ(moveRacingAPlant(items / "Folder", trashFiles() + "/Folder"), trashFiles() + "/Folder 2");
    EXPECT_EQ(readFile(trashFiles() + "/Folder"), "planted");
    EXPECT_EQ(readFile(trashFiles() + "/Folder 2/inside"), "kept");
    EXPECT_FALSE(existsNoFollow(items / "Folder"));

    // A link is moved itself.
    symlink("/nonexistent", (items / "dangling").c_str());
    EXPECT_EQ(moveRacingAPlant(items / "dangling", trashFiles() + "/dangling"), trashFiles() + "/dangling 2");
    char target[64] = {};
    EXPECT_EQ(readlink((trashFiles() + "/dangling 2").c_str(), target, sizeof target - 1), 12);
    EXPECT_STREQ(target, "/nonexistent");
}

TEST_F(TrashTest, OtherFileSystemsUseTheirOwnTrash) {
    if (!sharedMemoryIsSeparateFrom(data.path())) GTEST_SKIP() << "needs /dev/shm on its own file system";
    TempFolder other("/dev/shm");
    writeFile(other / "big.iso", "data");
    const std::string trash = "/dev/shm/.Trash-" + std::to_string(getuid());
    const bool hadTrash = existsNoFollow(trash);
    const std::string moved = moveToTrash(other / "big.iso");
    EXPECT_EQ(moved.rfind(trash + "/files/big", 0), 0u) << moved;
    const std::string name = moved.substr(moved.rfind('/') + 1);
    // Paths in a mount's trash are relative to its top folder.
    EXPECT_EQ(restorePath(readFile(trash + "/info/" + name + ".trashinfo")), other.path().substr(9) + "/big.iso");
    struct stat st {};
    ASSERT_EQ(lstat(trash.c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 0777, 0700u);
    std::error_code ignored;
    if (!hadTrash) std::filesystem::remove_all(trash, ignored);
    else std::filesystem::remove(moved, ignored), std::filesystem::remove(trash + "/info/" + name + ".trashinfo", ignored);
}

TEST_F(TrashTest, ALinkNamedWithATrailingSlashIsMovedItself) {
    // The link lives here; its target on another file system must not choose the trash.
    if (!sharedMemoryIsSeparateFrom(items.path())) GTEST_SKIP() << "needs /dev/shm on its own file system";
    TempFolder other("/dev/shm");
    symlink(other.path().c_str(), (items / "far").c_str());
    EXPECT_EQ(moveToTrash(items / "far/"), trashFiles() + "/far");
    EXPECT_FALSE(existsNoFollow(items / "far"));
    EXPECT_TRUE(std::filesystem::is_directory(other.path()));
    EXPECT_EQ(restorePath(trashInfo("far")), items / "far");
}

TEST(MainBundle, FoundFromTheExecutablesPlace) {
    EXPECT_EQ(bundlePathForExecutable("/opt/b/Plenwick.app/Contents/MacOS/Plenwick"), "/opt/b/Plenwick.app");
    EXPECT_EQ(bundlePathForExecutable("/opt/b/Plenwick.app/Contents/Library/LoginItems/PlenwickHelper.app/Contents/MacOS/PlenwickHelper"),
              "/opt/b/Plenwick.app/Contents/Library/LoginItems/PlenwickHelper.app");
    EXPECT_EQ(bundlePathForExecutable("/usr/bin/plenwick"), "/usr/bin");
}
