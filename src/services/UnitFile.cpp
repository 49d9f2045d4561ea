#include "services/UnitFile.h"

#include <vector>

namespace plenwick {
namespace {

constexpr std::string_view blanks = " \t\r";
constexpr std::string_view serviceSuffix = ".service";

std::string_view trimmed(std::string_view text) {
    const auto first = text.find_first_not_of(blanks);
    if (first == std::string_view::npos) return {};
    return text.substr(first, text.find_last_not_of(blanks) - first + 1);
}

// The logical lines: a line ending in a backslash goes on in the next one.
std::vector<std::string> logicalLines(std::string_view text) {
    std::vector<std::string> lines;
    std::string current;
    bool continuing = false;
    std::size_t start = 0;
    while (start <= text.size()) {
        std::size_t end = text.find('\n', start);
        if (end == std::string_view::npos) end = text.size();
        std::string_view line = text.substr(start, end - start);
        start = end + 1;
        const std::string_view content = trimmed(line);
        // Comments are skipped, inside a continued value too.
        if (!content.empty() && (content.front() == '#' || content.front() == ';')) continue;
        if (!content.empty() && content.back() == '\\') {
            current.append(content.substr(0, content.size() - 1));
            current += ' ';
            continuing = true;
            continue;
        }
        current.append(content);
        lines.push_back(std::move(current));
        current.clear();
        continuing = false;
        if (end == text.size()) break;
    }
    if (continuing) lines.push_back(std::move(current));
    return lines;
}

std::string withSpecifiers(std::string_view program, const std::optional<std::string>& home) {
    std::string expanded;
    for (std::size_t i = 0; i < program.size(); ++i) {
        if (program[i] == '%' && i + 1 < program.size()) {
            if (program[i + 1] == '%') {
                expanded += '%';
                ++i;
                continue;
            }
            if (program[i + 1] == 'h' && home) {
                expanded += *home;
                ++i;
                continue;
            }
        }
        expanded += program[i];
    }
    return expanded;
}

} // namespace

std::optional<std::string> execStartProgram(std::string_view value) {
    value = trimmed(value);
    std::size_t at = 0;
    while (at < value.size() && std::string_view("@-:+!|").find(value[at]) != std::string_view::npos) ++at;
    value = value.substr(at);
    if (value.empty()) return std::nullopt;
    std::string word;
    if (value.front() == '"' || value.front() == '\'') {
        const char quote = value.front();
        for (std::size_t i = 1; i < value.size() && value[i] != quote; ++i) {
            if (value[i] == '\\' && i + 1 < value.size()) ++i;
            word += value[i];
        }
    } else {
        const std::size_t end = value.find_first_of(blanks);
        word = std::string(value.substr(0, end));
    }
    if (word.empty()) return std::nullopt;
    return word;
}

UnitFile parseUnitFile(std::string_view text, const std::optional<std::string>& home) {
    UnitFile unit;
    std::string section;
    std::vector<std::string> execStart;
    for (const std::string& line : logicalLines(text)) {
        if (line.empty()) continue;
        if (line.front() == '[') {
            const auto close = line.find(']');
            section = close == std::string::npos ? std::string() : line.substr(1, close - 1);
            continue;
        }
        const auto equals = line.find('=');
        if (equals == std::string::npos) continue;
        const std::string_view key = trimmed(std::string_view(line).substr(0, equals));
        const std::string_view value = trimmed(std::string_view(line).substr(equals + 1));
        if (section == "Install") {
            if (key == "WantedBy" || key == "RequiredBy" || key == "UpheldBy" || key == "Alias")
                unit.installable = unit.installable || !value.empty();
            else if (key == "DefaultInstance")
                unit.defaultInstance = value.empty() ? std::nullopt : std::optional<std::string>(value);
        } else if (section == "Service") {
            // An empty assignment resets the list, as systemd reads it.
            if (key == "ExecStart") {
                if (value.empty()) execStart.clear();
                else execStart.emplace_back(value);
            } else if (key == "Restart") {
                unit.keepsAlive = value == "always" || value == "on-failure";
            }
        }
    }
    if (!execStart.empty())
        if (const auto program = execStartProgram(execStart.front())) unit.program = withSpecifiers(*program, home);
    return unit;
}

bool isTemplateName(std::string_view unit) {
    return unit.size() > serviceSuffix.size() + 1 &&
           unit.substr(unit.size() - serviceSuffix.size() - 1) == std::string("@").append(serviceSuffix);
}

bool isInstanceName(std::string_view unit) {
    const auto at = unit.find('@');
    return at != std::string_view::npos && at > 0 && !isTemplateName(unit) && unit.size() > serviceSuffix.size() &&
           unit.substr(unit.size() - serviceSuffix.size()) == serviceSuffix && at + serviceSuffix.size() < unit.size();
}

std::string templateOf(std::string_view instance) {
    return std::string(instance.substr(0, instance.find('@') + 1)).append(serviceSuffix);
}

std::string instanceOf(std::string_view templateName, std::string_view instance) {
    return std::string(templateName.substr(0, templateName.size() - serviceSuffix.size()))
        .append(instance)
        .append(serviceSuffix);
}

} // namespace plenwick
