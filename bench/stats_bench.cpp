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
    // Leaf folders of files, gathered under parents of 40, under 28 top-level folders.
    std::vector<NodeRef> parents, parentFolders, top;
    auto finish = [](std::string_view name, std::vector<NodeRef>& children, Kind kind = Kind::directory) {
        std::int64_t size = 0, count = 0;
        for (const auto& c : children) {
            size += c->size();
            count += c->fileCount();
        }
        NodeRef node = FileNode::make(name, kind, size, size, count, 0);
        node->setChildren(std::move(children));
        node->sortChildren();
        children.clear();
        return node;
    };
    while (files < fileTarget) {
        std::vector<NodeRef> children;
        const std::size_t n = std::min(fileTarget - files, filesPerFolder / 2 + rng() % (filesPerFolder + 1));
        for (std::size_t i = 0; i < n; ++i, ++files) {
            const std::uint32_t roll = rng() % 1000;
            const std::int64_t size = static_cast<std::int64_t>(4096 * (1 + rng() % 64));
            if (roll < 10) children.push_back(FileNode::make(fileName(rng, i), Kind::symlink, 0, 12, 1, 0));
            else if (roll < 30) children.push_back(FileNode::make(fileName(rng, i), Kind::file, 0, 0, 1, 0));
            else children.push_back(FileNode::make(fileName(rng, i), Kind::file, size, size, 1, 0));
        }
        const bool package = rng() % 200 == 0;
        parents.push_back(finish(package ? "Thing" + std::to_string(folders) + ".app" : "dir" + std::to_string(folders),
                                 children, package ? Kind::package : Kind::directory));
        ++folders;
        if (parents.size() == 40) {
            parentFolders.push_back(finish("group" + std::to_string(folders), parents));
            ++folders;
        }
        if (parentFolders.size() == 40) top.push_back(finish("area" + std::to_string(folders), parentFolders));
    }
    if (!parents.empty()) parentFolders.push_back(finish("group", parents));
    if (!parentFolders.empty()) top.push_back(finish("area", parentFolders));
    std::fprintf(stderr, "tree: %zu files, %zu folders\n", files, folders + top.size() + 1);
    return finish("/bench", top);
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
