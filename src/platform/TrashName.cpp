#include "platform/TrashName.h"

namespace plenwick {

std::string_view nameExtension(std::string_view name) {
    const auto dot = name.rfind('.');
    if (dot == std::string_view::npos || dot == 0) return {};
    return name.substr(dot + 1);
}

std::string trashNameCandidate(std::string_view name, int n) {
    if (n < 2) return std::string(name);
    const std::string_view ext = nameExtension(name);
    const std::string_view base = ext.empty() ? name : name.substr(0, name.size() - ext.size() - 1);
    std::string candidate(base);
    candidate += ' ';
    candidate += std::to_string(n);
    if (!ext.empty()) {
        candidate += '.';
        candidate += ext;
    }
    return candidate;
}

std::optional<std::string> takeFreeTrashName(std::string_view name,
                                             const std::function<bool(const std::string& candidate)>& take, int limit) {
    for (int n = 1; n <= limit; ++n) {
        std::string candidate = trashNameCandidate(name, n);
        if (take(candidate)) return candidate;
    }
    return std::nullopt;
}

} // namespace plenwick
