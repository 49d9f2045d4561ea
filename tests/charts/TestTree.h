#pragma once
// Small literal trees for the chart tests.

#include "scanner/FileNode.h"

#include <initializer_list>
#include <string_view>
#include <vector>

namespace plenwick::test {

inline NodeRef file(std::string_view name, std::int64_t size) {
    return FileNode::make(name, FileNode::Kind::file, size, size, 1, 0);
}

// A folder whose size is the sum of its children's unless given; children are kept
// in the order written.
inline NodeRef folder(std::string_view name, std::vector<NodeRef> children, std::int64_t size = -1,
                      FileNode::Kind kind = FileNode::Kind::directory) {
    std::int64_t sum = 0, files = 0;
    for (const NodeRef& c : children) {
        sum += c->size();
        files += c->fileCount();
    }
    NodeRef node = FileNode::make(name, kind, size < 0 ? sum : size, sum, files, 0);
    node->setChildren(std::move(children));
    return node;
}

// A folder of `count` files of `size` bytes each.
inline std::vector<NodeRef> files(int count, std::int64_t size) {
    std::vector<NodeRef> out;
    for (int i = 0; i < count; ++i) out.push_back(file("f" + std::to_string(i), size));
    return out;
}

} // namespace plenwick::test
