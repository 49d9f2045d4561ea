#include "outline/OutlineFolderOrders.h"

#include "outline/OutlineWalks.h"
#include "scanner/FileTreeLock.h"

#include <string>
#include <string_view>

namespace plenwick {

namespace {

// Copies the children of `folder` with their fields and names; false when the
// folder's list changed between batches.
bool copyChildren(const FileNode& folder, std::vector<NodeRef>& children, std::vector<OutlineSortFields>& fields,
                  std::string& nameBytes, std::vector<std::size_t>& nameEnds, const std::stop_token& stop) {
    std::size_t count = 0;
    {
        FileTreeLock::ReadGuard lock;
        count = folder.childCount();
    }
    children.reserve(count);
    fields.reserve(count);
    nameEnds.reserve(count);
    while (children.size() < count) {
        if (stop.stop_requested()) return false;
        FileTreeLock::ReadGuard lock;
        const auto listed = folder.children();
        if (listed.size() != count) return false;
        const std::size_t end = std::min(count, children.size() + kOutlineWalkBatch);
        for (std::size_t i = children.size(); i < end; ++i) {
            const FileNode& child = *listed[i];
            children.push_back(listed[i]);
            fields.push_back(OutlineSortFields::of(child));
            nameBytes.append(child.name());
            nameEnds.push_back(nameBytes.size());
        }
    }
    return true;
}

} // namespace

OutlineFolderOrders orderFolderChildren(const OutlineSort& sort, const std::vector<NodeRef>& folders,
                                        const NameCollation& collation, const std::stop_token& stop) {
    OutlineFolderOrders out;
    for (const NodeRef& folder : folders) {
        OutlineFolderOrder& order = out.folders.emplace_back();
        order.folder = folder;
        std::vector<OutlineSortFields> fields;
        std::string nameBytes;
        std::vector<std::size_t> nameEnds;
        // The references taken stay in the result even when it is of no use, so that
        // they are released where the result goes, not here.
        if (!copyChildren(*folder, order.children, fields, nameBytes, nameEnds, stop)) {
            out.complete = false;
            return out;
        }
        std::vector<std::string_view> names;
        names.reserve(nameEnds.size());
        std::size_t start = 0;
        for (std::size_t end : nameEnds) {
            names.emplace_back(nameBytes.data() + start, end - start);
            start = end;
        }
        if (stop.stop_requested()) {
            out.complete = false;
            return out;
        }
        const std::vector<std::uint32_t> positions = sort.order(fields, names, collation);
        std::vector<NodeRef> sorted;
        sorted.reserve(positions.size());
        for (std::uint32_t i : positions) sorted.push_back(std::move(order.children[i]));
        order.children = std::move(sorted);
    }
    return out;
}

} // namespace plenwick
