#pragma once
// How an item is turned off, on or removed: the systemctl command lines (run as the
// user for the user's manager, through the administrator for the system's), the
// user's override that turns a system-wide autostart entry off, and deleting a
// definition. Failures come back as the text the user reads.

#include "startup/SystemctlQueries.h"

#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace plenwick {

// A program and its arguments, run without a shell.
struct CommandLine {
    std::string program;
    std::vector<std::string> arguments;
    friend bool operator==(const CommandLine&, const CommandLine&) = default;
};

// "systemctl [--user] enable|disable --now -- <unit>".
CommandLine toggleCommand(ServiceScope scope, const std::string& unit, bool enabled);
// "systemctl [--user] disable --now -- <unit>": stops it and removes its links.
CommandLine disableCommand(ServiceScope scope, const std::string& unit);
// The administrator's program deleting one named file, never a folder: through
// descriptors, no link followed, only while every folder on its way is root's.
CommandLine removeFileCommand(const std::string& path);

// Writes the user's override (Hidden=true) of the system-wide entry `fileName` into
// `userFolder`, which is made when missing. An override already there is kept; any
// other entry of that name is never replaced.
std::optional<std::string> hideAutostartEntry(const std::string& userFolder, const std::string& fileName);
// Turns that entry back on: the override is removed; the user's own copy of the entry
// that was hidden instead of it is turned on; any other entry of that name stays.
std::optional<std::string> unhideAutostartEntry(const std::string& userFolder, const std::string& fileName);

// The key by which an entry that was a link, turned off as a copy, notes what it
// linked to.
inline constexpr std::string_view autostartLinkKey = "X-Plenwick-Link-Target";

// An entry's text turned off (Hidden=true) or on (neither Hidden nor
// X-GNOME-Autostart-enabled=false): those keys of its [Desktop Entry] group, and a
// link note, are dropped and, to turn it off, Hidden=true written after the group's
// header, followed by the note of `linkedTo` when given. The rest of the text stays
// byte for byte. None when the text has no such group.
std::optional<std::string> autostartTextTurned(std::string_view text, bool enabled,
                                               const std::optional<std::string>& linkedTo = std::nullopt);
// The link target an entry's text notes, if any.
std::optional<std::string> autostartLinkNoted(std::string_view text);
// Turns the user's own entry at `path` off or on by replacing it in one step, with no
// temporary left behind whatever ends the process. A link turned off becomes a copy
// noting its target, which it links to again when turned on (its target untouched
// throughout). A file with other names (hard links) is left as it is, and so is one
// another program changed between the read and the write: the failure says so.
// `beforeReplacing` runs just before that last check (for tests).
std::optional<std::string> setAutostartEntryEnabled(const std::string& path, bool enabled,
                                                    const std::function<void()>& beforeReplacing = {});
// Deletes one definition file (a link itself, not what it points to). One that is
// gone already is no failure.
std::optional<std::string> deleteDefinition(const std::string& path);

} // namespace plenwick
