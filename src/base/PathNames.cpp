#include "base/PathNames.h"

#include <unistd.h>

#include <cerrno>
#include <vector>

namespace plenwick {
std::string_view withoutTrailingSlashes(std::string_view path) noexcept {
    while (path.size() > 1 && path.back() == '/') path.remove_suffix(1);
    return path;
}

std::string lastPathComponent(std::string_view path) {
    path = withoutTrailingSlashes(path);
    const auto slash = path.rfind('/');
    return std::string(slash == std::string_view::npos || path.size() == 1 ? path : path.substr(slash + 1));
}

std::string parentPath(std::string_view path) {
    path = withoutTrailingSlashes(path);
    const auto slash = path.rfind('/');
    if (slash == std::string_view::npos) return ".";
    return slash == 0 ? "/" : std::string(path.substr(0, slash));
}

std::optional<std::string> normalizePath(std::string_view path) {
    std::string input;
    if (path.empty() || path.front() != '/') {
        // Relative to the working folder, as a file URL would be.
        std::vector<char> buffer(4096);
        while (!::getcwd(buffer.data(), buffer.size())) {
            if (errno != ERANGE) return std::nullopt;
            buffer.resize(buffer.size() * 2);
        }
        input = buffer.data();
        input.push_back('/');
    }
    input.append(path);

    // "." and ".." are resolved by the text alone; links are not followed.
    std::vector<std::string_view> parts;
    std::string_view rest = input;
    while (!rest.empty()) {
        const auto slash = rest.find('/');
        const std::string_view part = rest.substr(0, slash);
        rest = slash == std::string_view::npos ? std::string_view{} : rest.substr(slash + 1);
        if (part.empty() || part == ".") continue;
        if (part == "..") {
            if (!parts.empty()) parts.pop_back();
            continue;
        }
        parts.push_back(part);
    }
    if (parts.empty()) return "/";
    std::string out;
    for (std::string_view part : parts) {
        out.push_back('/');
        out.append(part);
    }
    return out;
}

std::string appendingPathComponent(std::string_view folder, std::string_view name) {
    std::string path(withoutTrailingSlashes(folder));
    if (path != "/") path.push_back('/');
    path.append(name);
    return path;
}

std::string normalizedPathOrSelf(std::string_view path) {
    std::optional<std::string> normalized = normalizePath(path);
    return normalized ? std::move(*normalized) : std::string(path);
}

} // namespace plenwick
