#include "startup/OwningApp.h"

#include "services/AppBundleInfo.h"

namespace plenwick {

std::optional<OwningApp> appOwningProgram(const std::string& program) {
    const std::optional<std::string> app = appContaining(program);
    if (!app) return std::nullopt;
    const std::optional<AppBundleInfo> info = AppBundleInfo::read(*app);
    if (!info) return std::nullopt;
    return OwningApp{*app, info->name};
}

} // namespace plenwick
