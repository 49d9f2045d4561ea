#pragma once
// One thing that starts on its own: a login item, a launch agent or daemon defined
// by a property list in a launch folder, or a helper carried inside an app bundle.

#include <array>
#include <cstddef>
#include <optional>
#include <string>

namespace plenwick {

struct StartupItem {
    // Where an item comes from; also the order of the window's sections.
    enum class Source : int {
        loginItem = 0,    // a login item of the user's session
        userAgent = 1,    // ~/Library/LaunchAgents
        systemAgent = 2,  // /Library/LaunchAgents
        systemDaemon = 3, // /Library/LaunchDaemons
        bundled = 4,      // a helper app or property list inside an app bundle
    };
    static constexpr std::array<Source, 5> allSources{Source::loginItem, Source::userAgent, Source::systemAgent,
                                                      Source::systemDaemon, Source::bundled};
    static std::optional<Source> sourceFromRaw(int raw) noexcept;

    Source source = Source::loginItem;
    std::string name;                       // the title shown in the row
    std::optional<std::string> label;       // the launch job's label
    std::string url;                        // the definition's path (raw bytes)
    std::optional<std::string> programPath; // what the job runs
    std::optional<std::string> appURL;      // the app the item belongs to
    bool isDisabled = false;                // the launch system will not start it
    std::optional<bool> isLoaded;           // loaded now; none when unknown
    bool runsAtLoad = false;
    bool keepsAlive = false;
    bool programMissing = false;            // what it starts no longer exists
    bool hidden = false;                    // a login item's hidden flag

    friend bool operator==(const StartupItem&, const StartupItem&) = default;

    // Identity in lists, selection and the busy set: "<source raw>:<path>".
    std::string id() const;
    // "gui/<uid>" for agents, "system" for daemons, none otherwise.
    std::optional<std::string> launchctlDomain() const;
    bool canToggle() const;
    // A daemon, or an all-users agent whose folder this process cannot write.
    bool needsPassword() const;
    // Label (when it differs from the name), program path or definition path,
    // joined by " — ", with the home folder written as "~".
    std::string detailLine() const;
    std::string detailLine(const std::string& home) const;
};

struct StartupItemHash {
    std::size_t operator()(const StartupItem& item) const noexcept;
};

// The launch system's domain of the current user: "gui/<uid>".
std::string userLaunchDomain();

} // namespace plenwick
