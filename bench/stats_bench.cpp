// Times the file-type statistics (collect + makeStats) over a synthetic tree of
// 1,000,000 files in about 44,000 folders, with names as a real disk has them.
// Prints `stats_ms=<median of the runs>`.

#include "scanner/FileTypeStatsBuilder.h"

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <random>
#include <string>
#include <vector>

using namespace plenwick;
using Kind = FileNode::Kind;

namespace {

// Extensions weighted roughly as on a developer's disk; "" is none.
const char* const extensions[] = {
    "jpg", "JPG", "png", "txt", "h",    "cpp", "o",    "so",   "py",     "pyc",  "js",   "json", "md",
    "html", "css", "svg", "gz", "zip",  "mp3", "mp4",  "pdf",  "log",    "",     "",     "xml",  "plist",
    "swift", "ts", "map", "woff2", "mo", "gif", "heic", "sqlite", "lock", "c",    "rs",   "go",   "java",
    "class", "DS_Store", "yml", "ttf", "wav", "mov", "tar", "deb", "ico", "bin", "dat", "conf", "ini", "cache",
};

std::string fileName(std::mt19937& rng, std::size_t index) {
    static const char* const stems[] = {"index", "README", "main", "IMG_", "libfoo", "module", "test_", "config",
                                        "Screenshot 2024-05-01 at 10.22.31", "data", "__init__", "photo"};
    const char* stem = stems[rng() % std::size(stems)];
    const char* ext = extensions[std::min<std::size_t>(rng() % 80, std::size(extensions) - 1)];
    std::string name = stem + std::to_string(index);
    if (std::string_view(ext) == "DS_Store") return ".DS_Store";
    if (*ext) {
        name += '.';
        name += ext;
    }
    return name;
}

NodeRef makeTree(std::size_t fileTarget, std::size_t folderTarget) {
    std::mt19937 rng(42);
    // Leaf folders hold about 23 files, so that with the folders above them they
    // come near the folder target.
    const std::size_t filesPerFolder = std::max<std::size_t>(fileTarget * 1026 / 1000 / folderTarget, 2);
    std::size_t files = 0, folders = 0;

    // One level of folders being filled, with the totals of what it holds so far.
    struct Level {
        std::vector<NodeRef> children;
        std::int64_t size = 0, count = 0;
        void add(NodeRef node) {
            size += node->size();
            count += node->fileCount();
            children.push_back(std::move(node));
        }
        NodeRef close(std::string_view name, Kind kind = Kind::directory) {
            NodeRef node = FileNode::make(name, kind, size, size, count, 0);
            node->setChildren(std::move(children));
            node->sortChildren();
            *this = {};
            return node;
        }
    };
    // Leaf folders of files, gathered in groups of 40, those in areas of 40, under one root.
    Level leaf, group, area, root;
    while (files < fileTarget) {
        const std::size_t n = std::min(fileTarget - files, filesPerFolder / 2 + rng() % (filesPerFolder + 1));
        for (std::size_t i = 0; i < n; ++i, ++files) {
            const std::uint32_t roll = rng() % 1000;
            const std::int64_t size = static_cast<std::int64_t>(4096 * (1 + rng() % 64));
            if (roll < 10) leaf.add(FileNode::make(fileName(rng, i), Kind::symlink, 0, 12, 1, 0));
            else if (roll < 30) leaf.add(FileNode::make(fileName(rng, i), Kind::file, 0, 0, 1, 0)); // hard-link copy
            else leaf.add(FileNode::make(fileName(rng, i), Kind::file, size, size, 1, 0));
        }
        const bool package = rng() % 200 == 0;
        group.add(package ? leaf.close("Thing" + std::to_string(folders) + ".app", Kind::package)
                          : leaf.close("dir" + std::to_string(folders)));
        ++folders;
        if (group.children.size() == 40) {
            area.add(group.close("group" + std::to_string(folders++)));
            if (area.children.size() == 40) root.add(area.close("area" + std::to_string(folders++)));
        }
    }
    if (!group.children.empty()) area.add(group.close("group" + std::to_string(folders++)));
    if (!area.children.empty()) root.add(area.close("area" + std::to_string(folders++)));
    std::fprintf(stderr, "tree: %zu files, %zu folders\n", files, folders + 1);
    return root.close("/bench");
}

} // namespace

int main(int argc, char** argv) {
    const std::size_t files = argc > 1 ? std::strtoull(argv[1], nullptr, 10) : 1'000'000;
    const int runs = argc > 2 ? std::atoi(argv[2]) : 7;
    NodeRef root = makeTree(files, 44'000);

    std::vector<double> times;
    std::size_t statCount = 0;
    for (int i = 0; i < runs; ++i) {
        const auto start = std::chrono::steady_clock::now();
        const auto entries = FileTypeStatsBuilder::collect(root);
        const auto stats = FileTypeStatsBuilder::makeStats(*entries);
        const auto end = std::chrono::steady_clock::now();
        statCount = stats.size();
        times.push_back(std::chrono::duration<double, std::milli>(end - start).count());
    }
    std::sort(times.begin(), times.end());
    std::fprintf(stderr, "extensions: %zu, fastest %.1f ms, slowest %.1f ms\n", statCount, times.front(), times.back());
    std::printf("stats_ms=%.1f\n", times[times.size() / 2]);
}
