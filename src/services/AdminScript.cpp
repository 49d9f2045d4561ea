#include "services/AdminScript.h"

#include "base/ToolPaths.h"
#include "platform/PrivilegeEscalation.h"

namespace plenwick {

const char* const AdminScript::prepareFailedMessage = "Couldn’t prepare the administrator script.";
const char* const AdminScript::scriptFailedMessage = "The administrator script failed.";
const char* const AdminScript::cancelledMessage = "The administrator password prompt was cancelled.";

AdminScript::Failure::Failure(Kind kind, std::string message)
    : kind_(kind), message_(std::move(message)),
      description_(kind == Kind::cancelled ? cancelledMessage : message_) {}

std::string AdminScript::Failure::errorDescription() const { return description_; }

std::string shellQuote(const std::string& text) {
    std::string quoted = "'";
    for (char c : text) {
        if (c == '\'') quoted += "'\\''";
        else quoted += c;
    }
    return quoted + "'";
}

// The authentication agent shows its own message: pkexec takes no caller text.
std::string AdminScript::run(const std::string& script, const std::string& /*prompt*/, ProgramRunner& runner) {
    return runElevated(elevatedShellArguments(script), runner);
}

std::string AdminScript::runProgram(const std::string& program, const std::vector<std::string>& arguments,
                                    const std::string& /*prompt*/, ProgramRunner& runner) {
    return runElevated(elevatedProgramArguments(program, arguments), runner);
}

std::string AdminScript::runElevated(const std::vector<std::string>& arguments, ProgramRunner& runner) {
    const ProcessResult result = runner.run(privilegeEscalationToolPath, arguments);
    if (result.status == -1) throw Failure::failed(prepareFailedMessage);
    // A script that must not fail ends with "exit 0" and our programs end with 0 or 1,
    // so 126 can only be pkexec's own.
    if (result.status == escalationDismissedStatus) throw Failure::cancelled();
    if (result.status != 0) {
        std::string message = result.error;
        while (!message.empty() && (message.back() == '\n' || message.back() == ' ')) message.pop_back();
        throw Failure::failed(message.empty() ? scriptFailedMessage : message);
    }
    return result.output;
}

} // namespace plenwick
