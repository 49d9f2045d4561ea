#include "startup/LoginItemsScript.h"

namespace plenwick {

const char* const LoginItemsScript::notAuthorizedMessage =
    "Plenwick isn’t allowed to read your login items. Allow it to control System Events in System Settings › "
    "Privacy & Security › Automation.";

LoginItemsScript::Failure::Failure(Kind kind, std::string text)
    : kind_(kind), text_(std::move(text)), description_(kind == Kind::notAuthorized ? notAuthorizedMessage : text_) {}

std::string LoginItemsScript::run(const std::string& script, ProgramRunner& runner) {
    ProcessResult result = runner.run(toolPath, {"-e", script});
    if (result.status == 0) return std::move(result.output);
    const std::string& error = result.error;
    if (error.find("-1743") != std::string::npos || error.find("-1744") != std::string::npos ||
        error.find("Not authori") != std::string::npos)
        throw Failure::notAuthorized();
    constexpr std::string_view space = " \t\n\r\v\f";
    const auto first = error.find_first_not_of(space);
    if (first == std::string::npos) throw Failure::failed({});
    throw Failure::failed(error.substr(first, error.find_last_not_of(space) - first + 1));
}

std::vector<LoginItemsScript::Entry> LoginItemsScript::parse(std::string_view output) {
    std::vector<Entry> entries;
    std::size_t start = 0;
    while (start < output.size()) {
        std::size_t end = output.find('\n', start);
        if (end == std::string_view::npos) end = output.size();
        const std::string_view line = output.substr(start, end - start);
        start = end + 1;
        const auto tab1 = line.find('\t');
        if (tab1 == std::string_view::npos || tab1 == 0) continue;
        const auto tab2 = line.find('\t', tab1 + 1);
        if (tab2 == std::string_view::npos) continue;
        const auto tab3 = line.find('\t', tab2 + 1);
        const std::string_view hidden =
            line.substr(tab2 + 1, tab3 == std::string_view::npos ? std::string_view::npos : tab3 - tab2 - 1);
        entries.push_back({std::string(line.substr(0, tab1)), std::string(line.substr(tab1 + 1, tab2 - tab1 - 1)),
                           hidden == "true"});
    }
    return entries;
}

const std::string& LoginItemsScript::listScript() {
    static const std::string script =
        "set output to \"\"\n"
        "tell application \"System Events\"\n"
        "    repeat with loginItem in login items\n"
        "        set output to output & (name of loginItem) & tab & (path of loginItem) & tab & (hidden of "
        "loginItem) & linefeed\n"
        "    end repeat\n"
        "end tell\n"
        "return output";
    return script;
}

std::string LoginItemsScript::deleteScript(const std::string& name) {
    // The name as a string literal: backslashes doubled first, so that the backslash
    // put before each quote is not doubled in turn.
    std::string literal;
    for (char c : name) {
        if (c == '\\') literal += "\\\\";
        else literal += c;
    }
    std::string quoted;
    for (char c : literal) {
        if (c == '"') quoted += "\\\"";
        else quoted += c;
    }
    return "tell application \"System Events\" to delete login item \"" + quoted + "\"";
}

} // namespace plenwick
