#pragma once
// Runs one shell script with administrator rights behind a password prompt,
// keeping a dismissed prompt apart from a failed script.

#include "services/ProgramRunner.h"

#include <exception>
#include <functional>
#include <string>

namespace plenwick {

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

    // The texts of the failures.
    static const char* const prepareFailedMessage;
    static const char* const scriptFailedMessage;
    static const char* const cancelledMessage;
};

// How callers run administrator scripts, so tests can run them without privileges.
using AdminScriptRunner = std::function<std::string(const std::string& script, const std::string& prompt)>;

} // namespace plenwick
