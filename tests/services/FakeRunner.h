#pragma once
// A program runner that records its calls and answers with recorded outputs.

#include "services/ProgramRunner.h"

#include <deque>
#include <mutex>

namespace plenwick::test {

class FakeRunner : public ProgramRunner {
public:
    struct Call {
        std::string path;
        std::vector<std::string> arguments;
    };
    ProcessResult run(const std::string& path, const std::vector<std::string>& arguments) override {
        std::lock_guard lock(mutex_);
        calls.push_back({path, arguments});
        if (answers.empty()) return {0, {}, {}};
        ProcessResult next = answers.front();
        answers.pop_front();
        return next;
    }
    std::vector<Call> calls;
    std::deque<ProcessResult> answers;

private:
    std::mutex mutex_;
};

} // namespace plenwick::test
