#include "platform/LoginItem.h"

#include "base/HomeDirectory.h"
#include "base/Utf8.h"

#include <QByteArray>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>

#include <cerrno>
#include <cstring>
#include <optional>
#include <string_view>
#include <sys/stat.h>
#include <unistd.h>

namespace plenwick {

namespace {

constexpr std::string_view reservedInExec = " \t\n\"'\\><~|&;$*?#()`";

bool isExecutableFile(const std::string& path) {
    struct stat item {};
    return ::stat(path.c_str(), &item) == 0 && S_ISREG(item.st_mode) && ::access(path.c_str(), X_OK) == 0;
}

// The string escapes of a desktop entry value undone: \s \n \t \r \\.
std::string unescapeString(std::string_view value) {
    std::string out;
    for (std::size_t i = 0; i < value.size(); ++i) {
        if (value[i] != '\\' || i + 1 == value.size()) {
            out.push_back(value[i]);
            continue;
        }
        switch (const char next = value[++i]) {
        case 's': out.push_back(' '); break;
        case 'n': out.push_back('\n'); break;
        case 't': out.push_back('\t'); break;
        case 'r': out.push_back('\r'); break;
        case '\\': out.push_back('\\'); break;
        default: out.push_back('\\'); out.push_back(next); break;
        }
    }
    return out;
}

// The key's value in the [Desktop Entry] group, escapes undone; none when absent.
std::optional<std::string> entryValue(const std::string& text, std::string_view key) {
    bool inGroup = false;
    std::string_view rest = text;
    while (!rest.empty()) {
        const auto end = rest.find('\n');
        std::string_view line = rest.substr(0, end);
        rest = end == std::string_view::npos ? std::string_view{} : rest.substr(end + 1);
        if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
        if (line.empty() || line.front() == '#') continue;
        if (line.front() == '[') {
            inGroup = line == "[Desktop Entry]";
            continue;
        }
        if (!inGroup) continue;
        const auto equals = line.find('=');
        if (equals == std::string_view::npos) continue;
        std::string_view name = line.substr(0, equals);
        while (!name.empty() && name.back() == ' ') name.remove_suffix(1);
        if (name != key) continue;
        std::string_view value = line.substr(equals + 1);
        while (!value.empty() && value.front() == ' ') value.remove_prefix(1);
        return unescapeString(value);
    }
    return std::nullopt;
}

std::string errorText(const QString& what, const std::string& path, const QString& reason) {
    return (what + QStringLiteral(" “") + QString::fromStdString(repairUtf8(path)) + QStringLiteral("”: ") + reason)
        .toStdString();
}

} // namespace

std::string desktopExecValue(const std::string& program) {
    if (!isValidUtf8(program)) throw LoginItemError("The helper’s path is not valid UTF-8 and cannot start at login.");
    for (unsigned char c : program)
        if (c < 0x20 || c == 0x7f) throw LoginItemError("The helper’s path holds a control character and cannot start at login.");
    // Quoting first: an argument with a reserved character goes in double quotes, with
    // " ` $ \ escaped by a backslash. Field codes: a literal % is doubled.
    const bool quoted = program.find_first_of(reservedInExec) != std::string::npos;
    std::string argument;
    if (quoted) argument.push_back('"');
    for (char c : program) {
        if (quoted && (c == '"' || c == '`' || c == '$' || c == '\\')) argument.push_back('\\');
        argument.push_back(c);
        if (c == '%') argument.push_back('%');
    }
    if (quoted) argument.push_back('"');
    // Then the string escape of the whole value: a backslash is written twice.
    std::string value;
    for (char c : argument) {
        value.push_back(c);
        if (c == '\\') value.push_back('\\');
    }
    return value;
}

std::string desktopExecProgram(const std::string& escaped) {
    const std::string value = unescapeString(escaped);
    std::string program;
    std::size_t i = 0;
    if (!value.empty() && value.front() == '"') {
        for (i = 1; i < value.size() && value[i] != '"'; ++i) {
            if (value[i] == '\\') {
                if (++i == value.size()) return {};
                if (std::strchr("\"`$\\", value[i]) == nullptr) return {};
            }
            program.push_back(value[i]);
        }
        if (i == value.size()) return {}; // no closing quote
    } else {
        for (; i < value.size() && value[i] != ' '; ++i) {
            if (reservedInExec.find(value[i]) != std::string_view::npos) return {};
            program.push_back(value[i]);
        }
    }
    std::string unpercented;
    for (std::size_t j = 0; j < program.size(); ++j) {
        unpercented.push_back(program[j]);
        if (program[j] == '%') {
            if (j + 1 == program.size() || program[j + 1] != '%') return {}; // a field code in the program's name
            ++j;
        }
    }
    return unpercented;
}

AutostartLoginItem::AutostartLoginItem(std::string identifier, std::string name, std::string executable)
    : identifier_(std::move(identifier)), name_(std::move(name)), executable_(std::move(executable)) {}

std::string AutostartLoginItem::entryPath() const {
    std::string folder = xdgConfigHome();
    while (folder.size() > 1 && folder.back() == '/') folder.pop_back();
    return folder + "/autostart/" + identifier_ + ".desktop";
}

std::string AutostartLoginItem::entryText() const {
    return "[Desktop Entry]\n"
           "Type=Application\n"
           "Name=" + name_ + "\n"
           "Exec=" + desktopExecValue(executable_) + "\n"
           "Terminal=false\n"
           "NoDisplay=true\n"
           "X-GNOME-Autostart-enabled=true\n";
}

LoginItemStatus AutostartLoginItem::status() const {
    if (!isExecutableFile(executable_)) return LoginItemStatus::notFound;
    QFile file(QFile::decodeName(QByteArray::fromStdString(entryPath())));
    // A desktop entry is a few hundred bytes; anything much larger is not ours.
    if (!file.open(QIODevice::ReadOnly) || file.size() > 64 * 1024) return LoginItemStatus::notRegistered;
    const std::string text = file.readAll().toStdString();
    const std::optional<std::string> exec = entryValue(text, "Exec");
    if (!exec || desktopExecProgram(*exec) != executable_) return LoginItemStatus::notRegistered;
    if (entryValue(text, "Hidden") == "true" || entryValue(text, "X-GNOME-Autostart-enabled") == "false")
        return LoginItemStatus::notRegistered;
    return LoginItemStatus::enabled;
}

void AutostartLoginItem::registerItem() {
    if (!isExecutableFile(executable_))
        throw LoginItemError(errorText(QStringLiteral("The helper program was not found at"), executable_,
                                       QStringLiteral("it is not part of this installation.")));
    const std::string text = entryText();
    const std::string path = entryPath();
    const QString qpath = QFile::decodeName(QByteArray::fromStdString(path));
    const QString folder = QFileInfo(qpath).absolutePath();
    if (!QDir().mkpath(folder))
        throw LoginItemError(errorText(QStringLiteral("Couldn’t create the folder"), folder.toStdString(),
                                       QStringLiteral("check its permissions.")));
    QSaveFile file(qpath);
    if (!file.open(QIODevice::WriteOnly) || file.write(text.data(), static_cast<qint64>(text.size())) != qint64(text.size()) ||
        !file.commit())
        throw LoginItemError(errorText(QStringLiteral("Couldn’t write"), path, file.errorString()));
}

void AutostartLoginItem::unregisterItem() {
    const std::string path = entryPath();
    if (::unlink(path.c_str()) != 0 && errno != ENOENT)
        throw LoginItemError(errorText(QStringLiteral("Couldn’t remove"), path, QString::fromLocal8Bit(std::strerror(errno))));
}

} // namespace plenwick
