#pragma once
// What a systemd service unit file says about starting on its own: whether its
// [Install] section lets it be enabled, the program ExecStart runs, whether it is
// restarted, and a template's default instance.

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>

namespace plenwick {

struct UnitFile {
    bool installable = false;                   // [Install] names WantedBy=, RequiredBy=, UpheldBy= or Alias=
    std::optional<std::string> program;         // the first ExecStart's program
    bool keepsAlive = false;                    // Restart=always or on-failure
    std::optional<std::string> defaultInstance; // DefaultInstance= of a template

    friend bool operator==(const UnitFile&, const UnitFile&) = default;
};

// Far more than any real unit file.
inline constexpr std::size_t maxUnitFileSize = 1024 * 1024;

// Reads the unit's text (continued lines joined, comments skipped). In the program
// "%h" becomes `home` when one is given and "%%" becomes "%".
UnitFile parseUnitFile(std::string_view text, const std::optional<std::string>& home = std::nullopt);

// The program of one ExecStart value: its first word, unquoted, with the prefixes
// that change how it runs ("@", "-", ":", "+", "!", "|") dropped; none when empty.
std::optional<std::string> execStartProgram(std::string_view value);

// Whether a name is a template's ("name@.service") or an instance's ("name@x.service").
bool isTemplateName(std::string_view unit);
bool isInstanceName(std::string_view unit);
// The template an instance comes from: "getty@tty1.service" → "getty@.service".
std::string templateOf(std::string_view instance);
// A template's instance: "getty@.service", "tty1" → "getty@tty1.service".
std::string instanceOf(std::string_view templateName, std::string_view instance);

} // namespace plenwick
