#include "startup/StartupItem.h"

#include "services/Formatters.h"

#include "base/HashCombine.h"
#include "base/HomeDirectory.h"
#include "base/PathNames.h"

#include <functional>
#include <unistd.h>

namespace plenwick {
namespace {

template <typename T>
void feed(std::size_t& seed, const T& value) {
    hashCombine(seed, std::hash<T>{}(value));
}

template <typename T>
void feed(std::size_t& seed, const std::optional<T>& value) {
    feed(seed, value.has_value());
    if (value) feed(seed, *value);
}

} // namespace

std::optional<StartupItem::Source> StartupItem::sourceFromRaw(int raw) noexcept {
    if (raw < 0 || raw >= static_cast<int>(allSources.size())) return std::nullopt;
    return static_cast<Source>(raw);
}

std::string StartupItem::id() const {
    return std::to_string(static_cast<int>(source)) + ":" + url;
}

bool StartupItem::isAutostartEntry() const {
    constexpr std::string_view suffix = ".desktop";
    return url.size() > suffix.size() && std::string_view(url).substr(url.size() - suffix.size()) == suffix;
}

std::optional<ServiceScope> StartupItem::serviceScope() const {
    switch (source) {
    case Source::userAgent:
        return ServiceScope::user;
    case Source::systemAgent:
        if (isAutostartEntry()) return std::nullopt;
        return ServiceScope::user;
    case Source::systemDaemon:
        return ServiceScope::system;
    case Source::loginItem:
    case Source::bundled:
        break;
    }
    return std::nullopt;
}

bool StartupItem::canToggle() const {
    if (!label || !isDisabled) return false;
    if (serviceScope()) return true;
    return isAutostartEntry() && (source == Source::loginItem || source == Source::systemAgent);
}

std::optional<std::string> StartupItem::removalRefusal() const {
    if (source == Source::bundled) return std::nullopt;
    if (url.rfind("/usr/", 0) == 0 && url.rfind("/usr/local/", 0) != 0)
        return "It comes with an installed package: only removing the package removes it.";
    return std::nullopt;
}

bool StartupItem::needsPassword() const {
    if (source == Source::systemDaemon) return true;
    if (source == Source::systemAgent) return access(parentPath(url).c_str(), W_OK) != 0;
    return false;
}

std::string StartupItem::detailLine(const std::string& home) const {
    std::string line;
    const auto add = [&line](const std::string& part) {
        if (!line.empty()) line += " — ";
        line += part;
    };
    const bool labelShown = label && *label != name;
    if (labelShown) add(*label);
    if (programPath) add(abbreviatedPath(*programPath, home));
    else if (!labelShown) add(abbreviatedPath(url, home));
    return line;
}

std::string StartupItem::detailLine() const {
    return detailLine(homeDirectory());
}

std::size_t StartupItemHash::operator()(const StartupItem& item) const noexcept {
    std::size_t seed = 0;
    feed(seed, static_cast<int>(item.source));
    feed(seed, item.name);
    feed(seed, item.label);
    feed(seed, item.url);
    feed(seed, item.programPath);
    feed(seed, item.appURL);
    feed(seed, item.isDisabled);
    feed(seed, item.isLoaded);
    feed(seed, item.runsAtLoad);
    feed(seed, item.keepsAlive);
    feed(seed, item.programMissing);
    feed(seed, item.hidden);
    return seed;
}

} // namespace plenwick
