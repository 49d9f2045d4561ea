#pragma once
// Login items of the user's session, read and removed by script text run through
// /usr/bin/osascript. No state: the script runs, its failure becomes one of two
// errors, and the list script's output parses into entries.

#include "services/ProgramRunner.h"

#include <exception>
#include <string>
#include <string_view>
#include <vector>

namespace plenwick {

class LoginItemsScript {
public:
    struct Entry {
        std::string name; // the login item's name
        std::string path; // what it opens
        bool hidden = false;
        friend bool operator==(const Entry&, const Entry&) = default;
    };

    class Failure : public std::exception {
    public:
        enum class Kind { failed, notAuthorized };
        static Failure failed(std::string text) { return Failure(Kind::failed, std::move(text)); }
        static Failure notAuthorized() { return Failure(Kind::notAuthorized, {}); }

        Kind kind() const noexcept { return kind_; }
        // The tool's error output, trimmed (failed only).
        const std::string& text() const noexcept { return text_; }
        // What the user sees.
        std::string errorDescription() const { return description_; }
        const char* what() const noexcept override { return description_.c_str(); }
        friend bool operator==(const Failure& a, const Failure& b) { return a.kind_ == b.kind_ && a.text_ == b.text_; }

    private:
        Failure(Kind kind, std::string text);
        Kind kind_;
        std::string text_;
        std::string description_;
    };

    static constexpr const char* toolPath = "/usr/bin/osascript";
    static const char* const notAuthorizedMessage;

    // Runs `script` and returns the tool's standard output untrimmed. Throws Failure.
    static std::string run(const std::string& script, ProgramRunner& runner = systemProgramRunner());
    // One entry per line "<name>\t<path>\t<true|false>", in output order.
    static std::vector<Entry> parse(std::string_view output);

    // The script that lists every login item, one line each.
    static const std::string& listScript();
    // The script that deletes the login item with this exact name.
    static std::string deleteScript(const std::string& name);
};

} // namespace plenwick
