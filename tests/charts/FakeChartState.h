#pragma once
// A chart state the tests set field by field.

#include "charts/ChartState.h"
#include "scanner/FileCategory.h"

#include <unordered_map>
#include <unordered_set>

namespace plenwick::test {

class FakeChartState : public ChartState {
public:
    NodeRef rootNode, focusNode;
    std::int64_t tree = 1, collectorV = 0, extensionV = 0, unattributed = 0;
    ColorMode mode = ColorMode::byKind;
    std::optional<TypeFilter> filter;
    std::vector<NodeRef> collected;
    const FileNode* anchor = nullptr;
    std::unordered_map<const FileNode*, RGB> colors; // else defaultNodeColor
    std::unordered_map<const FileNode*, std::string> names; // else the node's own
    mutable int colorCalls = 0;

    void collect(const NodeRef& n) {
        collected.push_back(n);
        ++collectorV;
    }

    const NodeRef& root() const override { return rootNode; }
    const NodeRef& focus() const override { return focusNode; }
    std::int64_t treeVersion() const override { return tree; }
    ColorMode colorMode() const override { return mode; }
    const std::optional<TypeFilter>& typeFilter() const override { return filter; }
    std::int64_t collectorVersion() const override { return collectorV; }
    std::int64_t extensionColorsVersion() const override { return extensionV; }
    std::int64_t unattributedBytes() const override { return unattributed; }
    const std::vector<NodeRef>& collector() const override { return collected; }
    bool isCollected(const FileNode* node) const override {
        for (const NodeRef& n : collected)
            if (n.get() == node) return true;
        return false;
    }
    bool isCollectedOrInside(const FileNode* node) const override {
        for (const FileNode* n = node; n; n = n->parent())
            if (isCollected(n)) return true;
        return false;
    }
    const FileNode* folderColoringAnchor() const override { return anchor; }
    RGB color(const FileNode& node) const override {
        ++colorCalls;
        auto it = colors.find(&node);
        return it == colors.end() ? defaultNodeColor : it->second;
    }
    bool matchesTypeFilter(const FileNode& node) const override {
        if (!filter) return true;
        if (const std::string* ext = filter->asFileExtension()) return node.fileExtension() == *ext;
        return node.category() == *filter->asCategory();
    }
    std::string displayName(const FileNode& node) const override {
        auto it = names.find(&node);
        return it == names.end() ? node.displayName() : it->second;
    }
};

} // namespace plenwick::test
