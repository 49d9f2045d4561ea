#include "platform/TrashName.h"

#include "base/Utf8.h"

namespace plenwick {
namespace {

// What a shortened name keeps of its base at least, else the extension goes too.
constexpr std::size_t minimumBaseLength = 16;

// The first `length` bytes of `text` at most, ending before a character of valid
// UTF-8 text rather than inside it.
std::string_view cutTo(std::string_view text, std::size_t length, bool utf8) {
    if (text.size() <= length) return text;
    std::size_t end = length;
    if (utf8)
        while (end > 0 && (static_cast<unsigned char>(text[end]) & 0xC0) == 0x80) --end;
    return text.substr(0, end);
}

} // namespace

std::string_view nameExtension(std::string_view name) {
    const auto dot = name.rfind('.');
    if (dot == std::string_view::npos || dot == 0) return {};
    return name.substr(dot + 1);
}

std::string trashNameCandidate(std::string_view name, int n) {
    if (n < 2 && name.size() <= maximumTrashNameLength) return std::string(name);
    const std::string number = n < 2 ? std::string() : ' ' + std::to_string(n);
    std::string_view ext = nameExtension(name);
    std::string_view base = ext.empty() ? name : name.substr(0, name.size() - ext.size() - 1);
    std::size_t tail = number.size() + (ext.empty() ? 0 : ext.size() + 1);
    if (tail + minimumBaseLength > maximumTrashNameLength) {
        ext = {};
        base = name;
        tail = number.size();
    }
    std::string candidate(cutTo(base, maximumTrashNameLength - tail, isValidUtf8(name)));
    candidate += number;
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
