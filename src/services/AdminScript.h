#pragma once
// Runs one shell script with administrator rights behind a password prompt,
// keeping a dismissed prompt apart from a failed script.

#include "services/ProgramRunner.h"

#include <exception>
#include <functional>
#include <string>
#include <vector>

namespace plenwick {

// Quotes a string for the shell: single quotes, each ' written as '\''.
std::string shellQuote(const std::string& text);

class AdminScript {
public:
    class Failure : public std::exception {
    public:
        enum class Kind { failed, cancelled };
        static Failure failed(std::string message) { return Failure(Kind::failed, std::move(message)); }
        static Failure cancelled() { return Failure(Kind::cancelled, {}); }

        Kind kind() const noexcept { return kind_; }
        const std::string& message() const noexcept { return message_; }
        // What the user sees.
        std::string errorDescription() const;
        const char* what() const noexcept override { return description_.c_str(); }

    private:
        Failure(Kind kind, std::string message);
        Kind kind_;
        std::string message_;
        std::string description_;
    };

    // Runs `script` as root through the desktop's privilege escalation and returns
    // its standard output. Throws Failure and nothing else. Blocks the caller.
    static std::string run(const std::string& script, const std::string& prompt,
                           ProgramRunner& runner = systemProgramRunner());
    // Runs `program` (an absolute path) as root with `arguments`, no shell in between,
    // the outcomes as for a script. The program never exits with pkexec's own statuses.
    static std::string runProgram(const std::string& program, const std::vector<std::string>& arguments,
                                  const std::string& prompt, ProgramRunner& runner = systemProgramRunner());

    // The texts of the failures.
    static const char* const prepareFailedMessage;
    static const char* const scriptFailedMessage;
    static const char* const cancelledMessage;

private:
    static std::string runElevated(const std::vector<std::string>& arguments, ProgramRunner& runner);
};

// How callers run administrator scripts and programs, so tests can run them without
// privileges.
using AdminScriptRunner = std::function<std::string(const std::string& script, const std::string& prompt)>;
using AdminProgramRunner = std::function<std::string(const std::string& program, const std::vector<std::string>& arguments,
                                                     const std::string& prompt)>;

} // namespace plenwick
