#pragma once
// Relations between standardised paths and the one test for an app bundle, shared by
// the state's collector, Trash and preview code.

#include "scanner/FileNode.h"

#include <string>
#include <string_view>
#include <vector>

namespace plenwick {

// The components of a standardised path; "/" has none.
std::vector<std::string_view> pathComponents(std::string_view path);

// Whether the standardised `path` is `inner` or one of the folders holding it ("/"
// holds everything).
bool pathIsOrEncloses(const std::string& path, const std::string& inner);

// An app of the tree, by its name alone: a package whose extension is "app", or a
// file whose extension is "appimage" (in any case). Whether it reads as an app is
// found out in the background when it matters.
bool isAppBundleNode(const FileNode& node);

} // namespace plenwick
