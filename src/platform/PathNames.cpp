#include "platform/PathNames.h"

namespace plenwick {
namespace {
std::string_view trimmed(std::string_view path) {
    while (path.size() > 1 && path.back() == '/') path.remove_suffix(1);
    return path;
}
} // namespace

std::string lastPathComponent(std::string_view path) {
    path = trimmed(path);
    const auto slash = path.rfind('/');
    return std::string(slash == std::string_view::npos || path.size() == 1 ? path : path.substr(slash + 1));
}

std::string parentPath(std::string_view path) {
    path = trimmed(path);
    const auto slash = path.rfind('/');
    if (slash == std::string_view::npos) return ".";
    return slash == 0 ? "/" : std::string(path.substr(0, slash));
}

} // namespace plenwick
