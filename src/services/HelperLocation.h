#pragma once
// Where the login-item helper lives inside the main application bundle.

#include <string>

namespace plenwick {

// The main bundle's path followed by "Contents/Library/LoginItems/PlenwickHelper.app".
// Existence is not checked.
std::string helperAppURL();
std::string helperAppURL(const std::string& mainBundlePath);

} // namespace plenwick
