#pragma once
// Runs one command-line tool to completion and hands back what it printed.
// No shell in between: the arguments reach the tool unchanged.

#include <string>
#include <vector>

namespace plenwick {

struct ProcessResult {
    // The status of a tool that did not exit but was killed by a signal: no exit
    // status has this value, and like every status but 0 it is a failure.
    static constexpr int killedStatus = -2;

    int status = -1;    // exit status; -1 when it could not start; killedStatus when killed
    std::string output; // standard output, UTF-8 (invalid sequences become U+FFFD)
    std::string error;  // standard error, or the start error's description
    int signal = 0;     // the signal that killed it, else 0
};

// Starts `path` with `arguments` (not including argv[0]), stdin from /dev/null,
// and waits for it. Blocks the calling thread; safe to call from many threads.
ProcessResult runProcess(const std::string& path, const std::vector<std::string>& arguments);

// What callers depend on, so tests can feed recorded outputs.
class ProgramRunner {
public:
    virtual ~ProgramRunner() = default;
    virtual ProcessResult run(const std::string& path, const std::vector<std::string>& arguments) = 0;
};

// The runner that really starts programs (runProcess).
ProgramRunner& systemProgramRunner();

// Turns bytes read from a pipe into text, repairing invalid UTF-8.
std::string decodeProcessOutput(const std::string& bytes);

} // namespace plenwick
