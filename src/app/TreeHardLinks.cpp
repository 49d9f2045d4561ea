#include "app/TreeHardLinks.h"

#include "app/NodeMapping.h"
#include "app/TreeEdits.h"

#include <algorithm>
#include <cstdint>
#include <span>
#include <tuple>
#include <unordered_map>
#include <utility>

namespace plenwick {

namespace {

// Calls `each` with the names of every file.
template <class Each>
void forEachFile(const std::vector<NodeRef>& names, const std::vector<std::uint32_t>& ends, Each each) {
    std::uint32_t begin = 0;
    for (const std::uint32_t end : ends) {
        each(std::span<const NodeRef>(names.data() + begin, end - begin));
        begin = end;
    }
}

} // namespace

TreeHardLinks TreeHardLinks::fromScan(std::vector<ScannedHardLink> links) {
    std::erase_if(links, [](const ScannedHardLink& link) { return !link.node; });
    std::sort(links.begin(), links.end(), [](const ScannedHardLink& a, const ScannedHardLink& b) {
        return std::tie(a.device, a.inode) < std::tie(b.device, b.inode);
    });
    TreeHardLinks record;
    for (std::size_t i = 0; i < links.size();) {
        std::size_t end = i + 1;
        while (end < links.size() && links[end].device == links[i].device && links[end].inode == links[i].inode) ++end;
        if (end - i >= 2) {
            for (std::size_t k = i; k < end; ++k) record.names_.push_back(std::move(links[k].node));
            record.ends_.push_back(static_cast<std::uint32_t>(record.names_.size()));
        }
        i = end;
    }
    return record;
}

std::int64_t TreeHardLinks::bytesKeptOutside(const std::vector<NodeRef>& items, const FileNode* root) const {
    std::int64_t kept = 0;
    for (const std::int64_t bytes : bytesKeptOutsideEach(items, root)) kept += bytes;
    return kept;
}

std::vector<std::int64_t> TreeHardLinks::bytesKeptOutsideEach(const std::vector<NodeRef>& items,
                                                              const FileNode* root) const {
    std::vector<std::int64_t> kept(items.size(), 0);
    if (empty() || items.empty() || !root) return kept;
    std::unordered_map<const FileNode*, std::size_t> moving; // item → its index
    for (std::size_t i = 0; i < items.size(); ++i)
        if (items[i]) moving.emplace(items[i].get(), i);
    // Where a name lies: outside the tree, staying in it, or inside the nearest moving item.
    constexpr std::size_t outsideTree = SIZE_MAX, staying = SIZE_MAX - 1;
    const auto placeOf = [&](const FileNode* name) {
        std::size_t inItem = staying;
        for (const FileNode* n = name; n; n = n->parent()) {
            if (inItem == staying)
                if (const auto it = moving.find(n); it != moving.end()) inItem = it->second;
            if (n == root) return inItem;
        }
        return outsideTree;
    };
    forEachFile(names_, ends_, [&](std::span<const NodeRef> file) {
        // Mostly one name counts the file: the others need a look only when it moves.
        std::vector<std::pair<std::size_t, std::int64_t>> counted;
        for (const NodeRef& name : file)
            if (name->size() != 0)
                if (const std::size_t place = placeOf(name.get()); place < staying)
                    counted.emplace_back(place, name->size());
        if (counted.empty()) return;
        for (const NodeRef& name : file)
            if (placeOf(name.get()) == staying) {
                for (const auto& [item, bytes] : counted) kept[item] += bytes;
                return;
            }
    });
    return kept;
}

std::vector<TreeHardLinks::Handover> TreeHardLinks::handOverBytes(const FileNode* root) {
    std::vector<Handover> handovers;
    if (!root) return handovers;
    forEachFile(names_, ends_, [&](std::span<const NodeRef> file) {
        std::int64_t size = 0, logical = 0;
        const NodeRef* taker = nullptr;
        for (const NodeRef& name : file) {
            if (!isWithin(name.get(), root)) {
                size += name->size();
                logical += name->logicalSize();
                continue;
            }
            // A name that stays already counts the file (links counted each time).
            if (name->size() != 0 || name->logicalSize() != 0) return;
            if (!taker) taker = &name;
        }
        if (!taker || (size == 0 && logical == 0)) return;
        growNode(**taker, size, logical);
        handovers.push_back({*taker, size, logical});
    });
    return handovers;
}

void TreeHardLinks::remap(const NodeMapping& mapping) {
    if (empty()) return;
    std::vector<NodeRef> names;
    std::vector<std::uint32_t> ends;
    forEachFile(names_, ends_, [&](std::span<const NodeRef> file) {
        const std::size_t begin = names.size();
        for (const NodeRef& name : file)
            if (NodeRef mapped = mapping.counterpart(name)) names.push_back(std::move(mapped));
        if (names.size() - begin >= 2)
            ends.push_back(static_cast<std::uint32_t>(names.size()));
        else
            names.resize(begin);
    });
    names_ = std::move(names);
    ends_ = std::move(ends);
}

} // namespace plenwick
