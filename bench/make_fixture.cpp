// plenwick-make-fixture DIR N: builds a deterministic tree of about N files in DIR
// (new or empty) for the scanner benchmark.
// plenwick-make-fixture --empty-folders DIR N: N empty sub-folders in DIR.
// plenwick-make-fixture --chain DIR DEPTH: a chain of DEPTH single folders in DIR,
// with one 4096-byte file in the deepest.
// plenwick-make-fixture --wide DIR N: the same kind of tree of about N files, but its
// root holds 150,000 files beside its folders and the root's first folder 100,000
// (a mail or cache folder); the rest of the N files spread as above.
//
// The shape depends only on N: about 22 files per folder (44,000 folders for a
// million files), folders nested about eight deep, a few packages (*.app folders
// with contents), symlinks, hard links, long names and names that are not valid
// UTF-8. Files are sparse (ftruncate), so a million of them cost little disk; one
// in a hundred also gets a few real blocks so allocated sizes are not all zero.
// Every name, size and date comes from a hash of the folder and file index, so the
// tree is the same whichever thread makes which part of it.

#include "BenchCommon.h"

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <string_view>
#include <thread>
#include <vector>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

std::uint64_t mix(std::uint64_t x) {
    // splitmix64 finaliser
    x += 0x9e3779b97f4a7c15ull;
    x = (x ^ (x >> 30)) * 0xbf58476d1ce4e5b9ull;
    x = (x ^ (x >> 27)) * 0x94d049bb133111ebull;
    return x ^ (x >> 31);
}

std::uint64_t hash2(std::uint64_t a, std::uint64_t b) { return mix(mix(a) ^ (b * 0xff51afd7ed558ccdull)); }

[[noreturn]] void fail(const char* what, const std::string& path) {
    std::fprintf(stderr, "plenwick-make-fixture: %s %s: %s\n", what, path.c_str(), std::strerror(errno));
    std::_Exit(1); // other threads may still be working: no exit handlers

}

struct Folder {
    std::uint32_t parent;      // index of the parent folder; the root is its own parent
    std::uint32_t firstFile;   // global index of its first file
    std::uint32_t fileCount;
    std::uint32_t depth;
    std::string name;          // raw bytes; empty for the root
};

constexpr const char* kExtensions[] = {"txt", "jpg", "png", "o", "h", "cpp", "json", "log", "mp4", "pdf",
                                       "tar.gz", "dat", "", "plist", "so", "py"};

std::string folderName(std::uint32_t index, std::uint64_t h) {
    std::string name;
    if (h % 400 == 7) {
        name = "Tool " + std::to_string(index) + ".app";   // a package
    } else if (h % 9000 == 11) {
        name = "bad-\xff\xfe-" + std::to_string(index);    // not valid UTF-8
    } else if (h % 7000 == 13) {
        name = "long-folder-" + std::to_string(index) + "-";
        name.append(200 - name.size(), 'd');
    } else {
        static constexpr const char* stems[] = {"src", "data", "cache", "photos", "build", "docs", "lib", "tmp"};
        name = std::string(stems[h % 8]) + "-" + std::to_string(index);
    }
    return name;
}

std::string fileName(std::uint32_t index, std::uint64_t h) {
    std::string name;
    if (h % 5000 == 17) {
        name = "long-file-" + std::to_string(index) + "-";
        name.append(250 - name.size(), 'f');               // NAME_MAX is 255
        name += ".dat";
    } else if (h % 20000 == 19) {
        name = "caf\xe9-" + std::to_string(index) + ".txt";  // Latin-1, not valid UTF-8
    } else {
        name = "file-" + std::to_string(index);
        const char* ext = kExtensions[(h >> 8) % std::size(kExtensions)];
        if (*ext) {
            name += '.';
            name += ext;
        }
    }
    return name;
}

// Sizes spread over seven orders of magnitude, most of them small.
off_t fileSize(std::uint64_t h) {
    unsigned magnitude = (h >> 16) % 256;
    unsigned bits = magnitude < 32 ? 6 : magnitude < 160 ? 12 : magnitude < 224 ? 18 : magnitude < 254 ? 24 : 28;
    return static_cast<off_t>((h >> 24) % (std::uint64_t{1} << bits));
}

// Dates spread over three years from September 2020.
timespec dateOf(std::uint64_t h) {
    return {1'600'000'000 + static_cast<time_t>((h >> 32) % (3 * 365 * 86400)), 0};
}

struct Plan {
    std::vector<Folder> folders;   // in breadth-first order: parents before children
    std::uint32_t levels = 0;
};

constexpr std::uint64_t kWideRootFiles = 150'000;
constexpr std::uint64_t kWideFolderFiles = 100'000;

// `wide`: the root and its first folder hold kWideRootFiles and kWideFolderFiles of
// the total; the other folders share the rest.
Plan makePlan(std::uint64_t fileTotal, bool wide = false) {
    Plan plan;
    const std::uint64_t fixedFiles = wide ? kWideRootFiles + kWideFolderFiles : 0;
    const std::uint64_t spreadFiles = fileTotal - fixedFiles;
    std::uint64_t folderTotal = std::max<std::uint64_t>(wide ? 3 : 1, spreadFiles * 44 / 1000);
    // Files per folder vary from 1 to 40 weights; prefix sums split the total exactly.
    std::vector<std::uint64_t> weights(folderTotal);
    std::uint64_t weightSum = 0;
    for (std::uint64_t i = 0; i < folderTotal; ++i) weightSum += weights[i] = wide && i < 2 ? 0 : 1 + hash2(i, 1) % 40;

    plan.folders.reserve(folderTotal);
    plan.folders.push_back({0, 0, 0, 0, {}});
    // Each folder in breadth-first order takes 0 to 6 children until all exist; a
    // folder that is the last one made so far always takes at least one.
    for (std::uint32_t i = 0; plan.folders.size() < folderTotal; ++i) {
        std::uint64_t h = hash2(i, 2);
        std::uint64_t children = h % 7;
        if (children == 0 && i + 1 == plan.folders.size()) children = 1;
        for (std::uint64_t c = 0; c < children && plan.folders.size() < folderTotal; ++c) {
            auto index = static_cast<std::uint32_t>(plan.folders.size());
            std::uint32_t depth = plan.folders[i].depth + 1;
            plan.folders.push_back({i, 0, 0, depth, folderName(index, hash2(index, 3))});
            plan.levels = std::max(plan.levels, depth);
        }
    }
    std::uint64_t before = 0;
    for (std::uint64_t i = 0; i < folderTotal; ++i) {
        std::uint64_t first = before * spreadFiles / weightSum;
        before += weights[i];
        plan.folders[i].firstFile = static_cast<std::uint32_t>(fixedFiles + first);
        plan.folders[i].fileCount = static_cast<std::uint32_t>(before * spreadFiles / weightSum - first);
    }
    if (wide) {
        // The first folder made is a child of the root (a folder without children
        // takes one when it is the last made so far).
        plan.folders[0].firstFile = 0;
        plan.folders[0].fileCount = static_cast<std::uint32_t>(kWideRootFiles);
        plan.folders[1].firstFile = static_cast<std::uint32_t>(kWideRootFiles);
        plan.folders[1].fileCount = static_cast<std::uint32_t>(kWideFolderFiles);
    }
    return plan;
}

// Path of a folder relative to the fixture's root ("." for the root).
std::string relativePath(const Plan& plan, std::uint32_t index) {
    if (index == 0) return ".";
    std::vector<const std::string*> parts;
    for (std::uint32_t i = index; i != 0; i = plan.folders[i].parent) parts.push_back(&plan.folders[i].name);
    std::string path;
    for (auto it = parts.rbegin(); it != parts.rend(); ++it) {
        if (!path.empty()) path += '/';
        path += **it;
    }
    return path;
}

// Runs `work(i)` for i in [begin, end) on `threads` threads.
template <typename Work>
void parallelFor(std::uint32_t begin, std::uint32_t end, unsigned threads, const Work& work) {
    std::atomic<std::uint32_t> next{begin};
    std::vector<std::jthread> pool;
    for (unsigned t = 0; t < threads; ++t) {
        pool.emplace_back([&] {
            for (;;) {
                std::uint32_t i = next.fetch_add(1, std::memory_order_relaxed);
                if (i >= end) break;
                work(i);
            }
        });
    }
}

void makeFolders(int rootFd, const Plan& plan, unsigned threads) {
    // Level by level, so that every parent exists before its children.
    std::uint32_t levelStart = 1;
    while (levelStart < plan.folders.size()) {
        std::uint32_t depth = plan.folders[levelStart].depth;
        std::uint32_t levelEnd = levelStart;
        while (levelEnd < plan.folders.size() && plan.folders[levelEnd].depth == depth) ++levelEnd;
        parallelFor(levelStart, levelEnd, threads, [&](std::uint32_t i) {
            std::string path = relativePath(plan, i);
            if (mkdirat(rootFd, path.c_str(), 0755) != 0) fail("cannot make folder", path);
        });
        levelStart = levelEnd;
    }
}

void fillFolder(int rootFd, const Plan& plan, std::uint32_t index) {
    const Folder& folder = plan.folders[index];
    std::string path = relativePath(plan, index);
    int dirFd = openat(rootFd, path.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (dirFd < 0) fail("cannot open folder", path);

    static constexpr char kBlock[16384] = {'x'};
    for (std::uint32_t k = 0; k < folder.fileCount; ++k) {
        std::uint32_t file = folder.firstFile + k;
        std::uint64_t h = hash2(file, 4);
        std::string name = fileName(file, h);
        if (h % 1000 == 5) {
            // One in a thousand is a symlink: to a sibling, up the tree, or dangling.
            std::string target = h % 3 == 0   ? fileName(folder.firstFile, hash2(folder.firstFile, 4))
                                 : h % 3 == 1 ? "../.."
                                              : "missing/nowhere";
            if (symlinkat(target.c_str(), dirFd, name.c_str()) != 0) fail("cannot make symlink", path + "/" + name);
            timespec times[2] = {dateOf(h), dateOf(h)};
            if (utimensat(dirFd, name.c_str(), times, AT_SYMLINK_NOFOLLOW) != 0) fail("cannot date", path + "/" + name);
            continue;
        }
        int fd = openat(dirFd, name.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0644);
        if (fd < 0) fail("cannot make file", path + "/" + name);
        off_t size = fileSize(h);
        if (h % 100 == 3 && size > 0) {
            // A few real blocks at the start; the rest stays a hole.
            std::size_t written = std::min<std::size_t>(static_cast<std::size_t>(size), 4096 << (h >> 40) % 3);
            if (write(fd, kBlock, written) != static_cast<ssize_t>(written)) fail("cannot write", path + "/" + name);
        }
        if (size > 0 && ftruncate(fd, size) != 0) fail("cannot size", path + "/" + name);
        timespec times[2] = {dateOf(h), dateOf(h)};
        if (futimens(fd, times) != 0) fail("cannot date", path + "/" + name);
        close(fd);
    }
    close(dirFd);
}

// Every 20,000th file gets a second name in the next folder, so hard links cross folders.
void linkFiles(int rootFd, const Plan& plan) {
    for (std::uint32_t i = 0; i + 1 < plan.folders.size(); ++i) {
        const Folder& folder = plan.folders[i];
        for (std::uint32_t k = 0; k < folder.fileCount; ++k) {
            std::uint32_t file = folder.firstFile + k;
            std::uint64_t h = hash2(file, 4);
            if (file % 20000 != 1 || h % 1000 == 5) continue;
            std::string from = relativePath(plan, i) + "/" + fileName(file, h);
            std::string to = relativePath(plan, i + 1) + "/link-" + std::to_string(file);
            if (linkat(rootFd, from.c_str(), rootFd, to.c_str(), 0) != 0) fail("cannot link", to);
        }
    }
}

} // namespace

// N empty folders "e0000000"… in DIR, made on every processor.
int makeEmptyFolders(const std::string& root, std::uint64_t count) {
    if (mkdir(root.c_str(), 0755) != 0 && errno != EEXIST) fail("cannot make", root);
    int rootFd = open(root.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (rootFd < 0) fail("cannot open", root);
    parallelFor(0, static_cast<std::uint32_t>(count), plenwick::availableProcessors(), [&](std::uint32_t i) {
        char name[16];
        std::snprintf(name, sizeof name, "e%07u", i);
        if (mkdirat(rootFd, name, 0755) != 0) fail("cannot make folder", name);
    });
    close(rootFd);
    std::printf("made %llu empty folders in %s\n", static_cast<unsigned long long>(count), root.c_str());
    return 0;
}

// A chain of DEPTH folders "d" in DIR, one descriptor at a time (no path is resolved),
// and a file of one page in the deepest.
int makeChain(const std::string& root, std::uint64_t depth) {
    if (mkdir(root.c_str(), 0755) != 0 && errno != EEXIST) fail("cannot make", root);
    int fd = open(root.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0) fail("cannot open", root);
    for (std::uint64_t level = 0; level < depth; ++level) {
        if (mkdirat(fd, "d", 0755) != 0) fail("cannot make level", std::to_string(level));
        const int next = openat(fd, "d", O_RDONLY | O_DIRECTORY | O_CLOEXEC);
        if (next < 0) fail("cannot open level", std::to_string(level));
        close(fd);
        fd = next;
    }
    static constexpr char kPage[4096] = {'x'};
    const int file = openat(fd, "bottom", O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0644);
    if (file < 0 || write(file, kPage, sizeof kPage) != static_cast<ssize_t>(sizeof kPage)) fail("cannot write", "bottom");
    close(file);
    close(fd);
    std::printf("made a chain of %llu folders in %s\n", static_cast<unsigned long long>(depth), root.c_str());
    return 0;
}

int main(int argc, char** argv) {
    std::uint64_t count = 0;
    if (argc == 4 && std::string_view(argv[1]) == "--empty-folders" &&
        plenwick::bench::parseNumber(argv[3], count) && count > 0 && count <= 10'000'000)
        return makeEmptyFolders(argv[2], count);
    if (argc == 4 && std::string_view(argv[1]) == "--chain" && plenwick::bench::parseNumber(argv[3], count) &&
        count > 0 && count <= 1'000'000)
        return makeChain(argv[2], count);

    const bool wide = argc == 4 && std::string_view(argv[1]) == "--wide";
    if (wide) {
        --argc;
        ++argv;
    }
    std::uint64_t fileTotal = 0;
    const std::uint64_t least = wide ? kWideRootFiles + kWideFolderFiles + 1000 : 1;
    if (argc != 3 || !plenwick::bench::parseNumber(argv[2], fileTotal) || fileTotal < least || fileTotal > 100'000'000) {
        std::fprintf(stderr, "usage: plenwick-make-fixture DIR N   (DIR new or empty; N files, 1 to 100,000,000)\n"
                             "       plenwick-make-fixture --wide DIR N   (N at least 251,000)\n"
                             "       plenwick-make-fixture --empty-folders DIR N\n"
                             "       plenwick-make-fixture --chain DIR DEPTH\n");
        return 2;
    }
    std::string root = argv[1];
    if (mkdir(root.c_str(), 0755) != 0 && errno != EEXIST) fail("cannot make", root);
    int rootFd = open(root.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (rootFd < 0) fail("cannot open", root);

    Plan plan = makePlan(fileTotal, wide);
    unsigned threads = plenwick::availableProcessors();
    makeFolders(rootFd, plan, threads);
    parallelFor(0, static_cast<std::uint32_t>(plan.folders.size()), threads,
                [&](std::uint32_t i) { fillFolder(rootFd, plan, i); });
    linkFiles(rootFd, plan);
    // Last, when nothing more changes inside them, the folders get their dates.
    parallelFor(0, static_cast<std::uint32_t>(plan.folders.size()), threads, [&](std::uint32_t i) {
        timespec times[2] = {dateOf(hash2(i, 5)), dateOf(hash2(i, 5))};
        std::string path = relativePath(plan, i);
        if (utimensat(rootFd, path.c_str(), times, 0) != 0) fail("cannot date", path);
    });
    close(rootFd);
    std::printf("made %zu folders, %llu files, %u levels deep in %s\n", plan.folders.size(),
                static_cast<unsigned long long>(fileTotal), plan.levels, root.c_str());
    return 0;
}
