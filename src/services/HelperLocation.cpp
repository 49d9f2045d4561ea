#include "services/HelperLocation.h"

#include "platform/MainBundle.h"

namespace plenwick {

std::string helperAppURL(const std::string& mainBundlePath) {
    std::string path = mainBundlePath;
    if (path.empty() || path.back() != '/') path += '/';
    return path + "Contents/Library/LoginItems/PlenwickHelper.app";
}

std::string helperAppURL() {
    return helperAppURL(mainBundlePath());
}

} // namespace plenwick
