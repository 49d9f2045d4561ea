#include "app/SizeShare.h"

namespace plenwick {

bool isSizeKnown(const FileNode& node) noexcept { return node.kind() != FileNode::Kind::inaccessible; }

std::optional<double> sizeShare(const FileNode& part, const FileNode& whole) noexcept {
    if (!isSizeKnown(part) || !isSizeKnown(whole) || whole.size() <= 0) return std::nullopt;
    return static_cast<double>(part.size()) / static_cast<double>(whole.size());
}

} // namespace plenwick
