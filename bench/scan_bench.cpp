// plenwick-scan-bench PATH [--workers N] [--no-stats]: scans PATH with DiskScanner and
// prints one line of figures about the finished tree: totals from its root, the
// folders and nodes in it, the time (wall and processor) the scan took, the memory it
// cost per node and, unless --no-stats, the time of the file-type statistics.

#include "BenchCommon.h"

#include "scanner/DiskScanner.h"
#include "scanner/FileTypeStatsBuilder.h"

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <exception>
#include <fstream>
#include <string>
#include <vector>

namespace {

using plenwick::FileNode;

// A figure from /proc/self/status in KiB ("VmRSS", "VmHWM"), or -1.
long statusKiB(std::string_view field) {
    std::ifstream status("/proc/self/status");
    std::string line;
    while (std::getline(status, line)) {
        if (line.starts_with(field) && line.size() > field.size() && line[field.size()] == ':')
            return std::stol(line.substr(field.size() + 1));
    }
    return -1;
}

struct TreeCounts {
    std::int64_t nodes = 0;
    std::int64_t containers = 0;
    std::int64_t inaccessible = 0;
};

TreeCounts countTree(const FileNode& root) {
    TreeCounts counts;
    std::vector<const FileNode*> stack{&root};
    while (!stack.empty()) {
        const FileNode* node = stack.back();
        stack.pop_back();
        ++counts.nodes;
        if (node->isContainer()) ++counts.containers;
        if (node->kind() == FileNode::Kind::inaccessible) ++counts.inaccessible;
        for (const auto& child : node->children()) stack.push_back(child.get());
    }
    return counts;
}

// Median time of the file-type statistics (collect + makeStats) over the finished tree.
double statsMilliseconds(const plenwick::NodeRef& root) {
    using plenwick::FileTypeStatsBuilder;
    std::vector<double> times;
    for (int run = 0; run < 5; ++run) {
        const auto start = std::chrono::steady_clock::now();
        const auto entries = FileTypeStatsBuilder::collect(root);
        const auto stats = FileTypeStatsBuilder::makeStats(*entries);
        times.push_back(plenwick::bench::secondsSince(start) * 1000.0);
        if (stats.empty() && root->fileCount() > 0) return -1;
    }
    std::sort(times.begin(), times.end());
    return times[times.size() / 2];
}

} // namespace

int main(int argc, char** argv) {
    using namespace plenwick::bench;
    WalkArguments args = parseWalkArguments(argc, argv, "plenwick-scan-bench");
    plenwick::ScanOptions options;
    options.workerCount = args.workers;

    long rssBefore = statusKiB("VmRSS");
    const double cpuBefore = processorSeconds();
    auto start = std::chrono::steady_clock::now();
    plenwick::NodeRef root;
    try {
        root = plenwick::DiskScanner::scanQuietly(args.path, options);
    } catch (const std::exception& e) {
        std::fprintf(stderr, "plenwick-scan-bench: %s\n", e.what());
        return 1;
    }
    double seconds = secondsSince(start);
    const double cpuSeconds = processorSeconds() - cpuBefore;
    long peak = statusKiB("VmHWM");
    TreeCounts counts = countTree(*root);

    ResultLine line;
    line.add("files", root->fileCount());
    line.add("dirs", counts.containers);
    line.add("bytes", root->size());
    line.add("logical", root->logicalSize());
    line.add("errors", counts.inaccessible);
    line.add("nodes", counts.nodes);
    line.add("seconds", seconds);
    line.add("cpu_seconds", cpuSeconds);
    line.add("peak_rss_kb", peak);
    line.add("bytes_per_node", (peak - rssBefore) * 1024.0 / static_cast<double>(counts.nodes), 1);
    if (args.stats) line.add("stats_ms", statsMilliseconds(root), 1);
    line.print();
    return 0;
}
