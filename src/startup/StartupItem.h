#pragma once
// One thing that starts on its own: an autostart desktop entry or a systemd service,
// the user's own or one every user gets, or a service of the system.

#include "startup/SystemctlQueries.h"

#include <array>
#include <cstddef>
#include <optional>
#include <string>

namespace plenwick {

struct StartupItem {
    // Where an item comes from; also the order of the window's sections.
    enum class Source : int {
        loginItem = 0,    // the user's autostart entries
        userAgent = 1,    // the user's own systemd user units
        systemAgent = 2,  // autostart entries and user units every user gets
        systemDaemon = 3, // the system's services
        bundled = 4,      // jobs inside apps: none on this system
    };
    static constexpr std::array<Source, 5> allSources{Source::loginItem, Source::userAgent, Source::systemAgent,
                                                      Source::systemDaemon, Source::bundled};
    static std::optional<Source> sourceFromRaw(int raw) noexcept;

    Source source = Source::loginItem;
    std::string name;                       // the title shown in the row
    std::optional<std::string> label;       // the unit's name, or the entry's file name
    std::string url;                        // the definition's path (raw bytes)
    std::optional<std::string> programPath; // what it runs
    std::optional<std::string> appURL;      // the app the item belongs to
    std::optional<bool> isDisabled;         // it will not start; none when unknown
    std::optional<bool> isLoaded;           // running now; none when unknown
    bool runsAtLoad = false;                // enabled
    bool keepsAlive = false;                // restarted when it ends
    bool programMissing = false;            // what it starts is not there
    bool hidden = false;                    // no such flag here: always false

    friend bool operator==(const StartupItem&, const StartupItem&) = default;

    // Identity in lists, selection and the busy set: "<source raw>:<path>".
    std::string id() const;
    // An autostart desktop entry rather than a service unit.
    bool isAutostartEntry() const;
    // The manager of a service unit: the user's for the user's and every user's units,
    // the system's for its services; none for autostart entries.
    std::optional<ServiceScope> serviceScope() const;
    // A service or an autostart entry, with a name and a known state.
    bool canToggle() const;
    // A system service, or an item for every user whose folder this process cannot write.
    bool needsPassword() const;
    // Why the item can't be removed: a vendor file under /usr belongs to its package.
    std::optional<std::string> removalRefusal() const;
    // Label (when it differs from the name), program path or definition path,
    // joined by " — ", with the home folder written as "~".
    std::string detailLine() const;
    std::string detailLine(const std::string& home) const;
};

struct StartupItemHash {
    std::size_t operator()(const StartupItem& item) const noexcept;
};

} // namespace plenwick
