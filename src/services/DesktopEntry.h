#pragma once
// One desktop entry's [Desktop Entry] group, read by the Desktop Entry Specification
// with GLib's key-file parser (escapes, lists, Name[locale] for the current locale).

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace plenwick {

struct DesktopEntry {
    std::string type;                          // "Application", "Link", …
    std::string name;                          // Name, localised
    std::string exec;                          // Exec, unescaped as a string value
    std::string tryExec, icon, startupWMClass;
    std::string flatpakID;                     // X-Flatpak
    std::string appImageVersion;               // X-AppImage-Version
    bool hidden = false;                       // Hidden
    bool noDisplay = false;                    // NoDisplay
    std::optional<bool> gnomeAutostartEnabled; // X-GNOME-Autostart-enabled

    bool operator==(const DesktopEntry&) const = default;
};

// Far more than any real entry, translations included; a larger file is no entry.
inline constexpr std::size_t maxDesktopEntrySize = 1024 * 1024;
// An app's own entry inside its AppImage or app folder: real ones, translations
// included, stay far below; what is larger identifies no app.
inline constexpr std::size_t maxAppEntrySize = 256 * 1024;

// None without a [Desktop Entry] group, or when the bytes are no key file.
std::optional<DesktopEntry> parseDesktopEntry(std::string_view bytes);
// A regular file only: the final link is not followed, the open never blocks and the
// size is capped.
std::optional<DesktopEntry> readDesktopEntryFile(const std::string& path);

// Exec split by the specification's quoting rules, field codes (%f %U %i %c %k …)
// dropped, "%%" kept as "%". Empty when the line is malformed (an unclosed quote).
std::vector<std::string> execArguments(std::string_view exec);

// The desktop file ID: the path below `applicationsFolder` with "/" turned into "-"
// ("sub/foo.desktop" → "sub-foo.desktop"); the file name when the path lies elsewhere.
std::string desktopFileID(const std::string& path, const std::string& applicationsFolder);

} // namespace plenwick
