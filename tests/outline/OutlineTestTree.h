#pragma once
// Small literal trees for the outline's tests.

#include "outline/NameCollation.h"
#include "scanner/FileNode.h"

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace plenwick::test {

using Kind = FileNode::Kind;

// A node with the given fields; containers get the sum of their children's sizes
// and file counts unless `size` is given as 0 or more.
inline NodeRef makeNode(std::string_view name, Kind kind, std::int64_t size = -1, std::vector<NodeRef> children = {},
                        double modified = 0) {
    std::int64_t total = 0, files = kind == Kind::file || kind == Kind::symlink ? 1 : 0;
    for (const NodeRef& c : children) total += c->size(), files += c->fileCount();
    NodeRef n = FileNode::make(name, kind, size >= 0 ? size : total, size >= 0 ? size : total, files, modified);
    n->setChildren(std::move(children));
    n->sortChildren();
    return n;
}
inline NodeRef file(std::string_view name, std::int64_t size, double modified = 0) {
    return makeNode(name, Kind::file, size, {}, modified);
}
inline NodeRef dir(std::string_view name, std::vector<NodeRef> children) {
    return makeNode(name, Kind::directory, -1, std::move(children));
}
inline NodeRef childNamed(const NodeRef& parent, std::string_view name) {
    for (const NodeRef& c : parent->children())
        if (c->name() == name) return c;
    return {};
}
inline std::vector<std::string> namesOf(const std::vector<NodeRef>& nodes) {
    std::vector<std::string> out;
    for (const NodeRef& n : nodes) out.emplace_back(n->name());
    return out;
}

// Byte order, A–Z folded: enough for orderings that do not test the language's rules.
class PlainCollation final : public NameCollation {
public:
    int compare(std::string_view a, std::string_view b) const override {
        const std::size_t n = std::min(a.size(), b.size());
        for (std::size_t i = 0; i < n; ++i) {
            const int x = fold(a[i]), y = fold(b[i]);
            if (x != y) return x < y ? -1 : 1;
        }
        return a.size() == b.size() ? 0 : (a.size() < b.size() ? -1 : 1);
    }

private:
    static int fold(char c) { return static_cast<unsigned char>(c >= 'A' && c <= 'Z' ? c | 0x20 : c); }
};

} // namespace plenwick::test
