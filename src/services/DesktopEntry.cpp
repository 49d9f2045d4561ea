#include "services/DesktopEntry.h"

#include "base/PathNames.h"
#include "services/RegularFile.h"

#include <glib.h>

#include <fcntl.h>
#include <memory>
#include <unistd.h>

namespace plenwick {
namespace {

constexpr const char* group = "Desktop Entry";

struct KeyFileFree {
    void operator()(GKeyFile* file) const noexcept { g_key_file_free(file); }
};
using KeyFile = std::unique_ptr<GKeyFile, KeyFileFree>;

// A string value; empty when missing or not valid UTF-8.
std::string stringValue(GKeyFile* file, const char* key) {
    gchar* value = g_key_file_get_string(file, group, key, nullptr);
    if (!value) return {};
    std::string text(value);
    g_free(value);
    return text;
}

// The value for the first of the current locale's languages that has one (Name[de_DE],
// Name[de], then Name).
std::string localeStringValue(GKeyFile* file, const char* key) {
    gchar* value = g_key_file_get_locale_string(file, group, key, nullptr, nullptr);
    if (!value) return {};
    std::string text(value);
    g_free(value);
    return text;
}

std::optional<bool> booleanValue(GKeyFile* file, const char* key) {
    GError* error = nullptr;
    const gboolean value = g_key_file_get_boolean(file, group, key, &error);
    if (error) {
        g_error_free(error);
        return std::nullopt;
    }
    return value != FALSE;
}

} // namespace

std::optional<DesktopEntry> parseDesktopEntry(std::string_view bytes) {
    if (bytes.size() > maxDesktopEntrySize) return std::nullopt;
    KeyFile file(g_key_file_new());
    if (!g_key_file_load_from_data(file.get(), bytes.data(), bytes.size(), G_KEY_FILE_NONE, nullptr))
        return std::nullopt;
    if (!g_key_file_has_group(file.get(), group)) return std::nullopt;
    DesktopEntry entry;
    entry.type = stringValue(file.get(), "Type");
    entry.name = localeStringValue(file.get(), "Name");
    entry.exec = stringValue(file.get(), "Exec");
    entry.tryExec = stringValue(file.get(), "TryExec");
    entry.icon = localeStringValue(file.get(), "Icon");
    entry.startupWMClass = stringValue(file.get(), "StartupWMClass");
    entry.flatpakID = stringValue(file.get(), "X-Flatpak");
    entry.appImageVersion = stringValue(file.get(), "X-AppImage-Version");
    entry.hidden = booleanValue(file.get(), "Hidden").value_or(false);
    entry.noDisplay = booleanValue(file.get(), "NoDisplay").value_or(false);
    entry.gnomeAutostartEnabled = booleanValue(file.get(), "X-GNOME-Autostart-enabled");
    return entry;
}

std::optional<DesktopEntry> readDesktopEntryFile(const std::string& path) {
    const int fd = ::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_NOFOLLOW | O_CLOEXEC | O_NOCTTY);
    if (fd < 0) return std::nullopt;
    const std::optional<std::string> bytes = readOpenRegularFile(fd, maxDesktopEntrySize);
    ::close(fd);
    if (!bytes) return std::nullopt;
    return parseDesktopEntry(*bytes);
}

std::vector<std::string> execArguments(std::string_view exec) {
    std::vector<std::string> arguments;
    std::string current;
    bool inArgument = false; // something, even "", was written to `current`
    bool onlyFieldCodes = true;
    bool quoted = false;
    auto finish = [&] {
        // An argument made of field codes alone stands for what the launcher would
        // put there: nothing here.
        if (inArgument && !(current.empty() && onlyFieldCodes)) arguments.push_back(current);
        current.clear();
        inArgument = false;
        onlyFieldCodes = true;
    };
    for (std::size_t i = 0; i < exec.size(); ++i) {
        const char c = exec[i];
        if (quoted) {
            if (c == '"') {
                quoted = false;
            } else if (c == '\\' && i + 1 < exec.size() && std::string_view("\"`$\\").find(exec[i + 1]) != std::string_view::npos) {
                current += exec[++i];
            } else if (c == '%' && i + 1 < exec.size()) {
                if (exec[++i] == '%') current += '%';
            } else {
                current += c;
            }
            continue;
        }
        if (c == ' ' || c == '\t' || c == '\n') {
            finish();
        } else if (c == '"') {
            quoted = true;
            inArgument = true;
            onlyFieldCodes = false;
        } else if (c == '%' && i + 1 < exec.size()) {
            inArgument = true;
            if (exec[++i] == '%') {
                current += '%';
                onlyFieldCodes = false;
            }
        } else {
            current += c;
            inArgument = true;
            onlyFieldCodes = false;
        }
    }
    if (quoted) return {};
    finish();
    return arguments;
}

std::string desktopFileID(const std::string& path, const std::string& applicationsFolder) {
    const std::string_view trimmed = withoutTrailingSlashes(applicationsFolder);
    const std::string folder = trimmed.ends_with('/') ? std::string(trimmed) : std::string(trimmed) + "/";
    if (!path.starts_with(folder) || path.size() == folder.size()) return lastPathComponent(path);
    std::string id = path.substr(folder.size());
    for (char& c : id)
        if (c == '/') c = '-';
    return id;
}

} // namespace plenwick
