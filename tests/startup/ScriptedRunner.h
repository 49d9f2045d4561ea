#pragma once
// A program runner answering by command line with recorded outputs. A command it
// has no answer for fails to start, as on a machine without the tool.

#include "services/ProgramRunner.h"

#include <map>
#include <mutex>
#include <stdexcept>
#include <string>
#include <vector>

namespace plenwick::test {

class ScriptedRunner : public ProgramRunner {
public:
    ProcessResult run(const std::string& path, const std::vector<std::string>& arguments) override {
        std::lock_guard lock(mutex_);
        std::string line = path;
        for (const std::string& argument : arguments) line += " " + argument;
        calls.push_back(line);
        if (!throwing.empty()) throw std::runtime_error(throwing);
        const auto it = answers.find(line);
        if (it != answers.end()) return it->second;
        return {-1, {}, "No such file or directory"};
    }
    void answer(const std::string& commandLine, ProcessResult result) { answers[commandLine] = std::move(result); }
    void succeed(const std::string& commandLine, const std::string& output = {}) {
        answers[commandLine] = {0, output, {}};
    }

    std::vector<std::string> calls; // "<path> <arg> <arg>…"
    std::string throwing;           // when set, every run throws it
    std::map<std::string, ProcessResult> answers;

private:
    std::mutex mutex_;
};

} // namespace plenwick::test
