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

std::string userLaunchDomain() {
    return "gui/" + std::to_string(getuid());
}

std::optional<std::string> StartupItem::launchctlDomain() const {
    switch (source) {
    case Source::userAgent:
    case Source::systemAgent:
        return userLaunchDomain();
    case Source::systemDaemon:
        return std::string("system");
    case Source::loginItem:
    case Source::bundled:
        break;
    }
    return std::nullopt;
}

bool StartupItem::canToggle() const {
    return launchctlDomain().has_value() && label.has_value();
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
