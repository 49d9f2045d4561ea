// The startup items as the Startup Items window finds them under the current HOME and
// XDG variables, one line per item in the window's order: source, name, label,
// enabled, running and definition path, tab-separated ("?" for an unknown state);
// then "items=N ms=T", the time of the scan and the sort.

#include "startup/StartupItemsModel.h"
#include "startup/StartupItemsScanner.h"

#include <chrono>
#include <cstdio>
#include <string>

using namespace plenwick;

namespace {

const char* sourceName(StartupItem::Source source) {
    switch (source) {
    case StartupItem::Source::loginItem: return "loginItem";
    case StartupItem::Source::userAgent: return "userAgent";
    case StartupItem::Source::systemAgent: return "systemAgent";
    case StartupItem::Source::systemDaemon: return "systemDaemon";
    case StartupItem::Source::bundled: return "bundled";
    }
    return "?";
}

const char* state(const std::optional<bool>& value) {
    if (!value) return "?";
    return *value ? "1" : "0";
}

} // namespace

int main() {
    const auto start = std::chrono::steady_clock::now();
    std::vector<StartupItem> items = StartupItemsScanner::scan(StartupItemsScanner::Folders::standard(), {});
    StartupItemsModel::sort(items);
    const auto elapsed = std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count();

    for (const StartupItem& item : items) {
        const std::optional<bool> enabled = item.isDisabled ? std::optional<bool>(!*item.isDisabled) : std::nullopt;
        std::printf("%s\t%s\t%s\t%s\t%s\t%s\n", sourceName(item.source), item.name.c_str(),
                    item.label.value_or("").c_str(), state(enabled), state(item.isLoaded), item.url.c_str());
    }
    std::printf("items=%zu ms=%.1f\n", items.size(), elapsed);
    return 0;
}
