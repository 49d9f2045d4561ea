#include "services/ProgramRunner.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <fcntl.h>
#include <thread>
#include <unistd.h>

using namespace plenwick;

TEST(ProgramRunner, StatusOutputsAndStartFailure) {
    const ProcessResult missing = runProcess("/nonexistent/tool", {"x"});
    EXPECT_EQ(missing.status, -1);
    EXPECT_EQ(missing.output, "");
    EXPECT_EQ(missing.error, "No such file or directory");

    const ProcessResult quiet = runProcess("/bin/sh", {"-c", "exit 3"});
    EXPECT_EQ(quiet.status, 3);
    EXPECT_EQ(quiet.output, "");
    EXPECT_EQ(quiet.error, "");

    // Standard input is at end of file at once.
    const ProcessResult cat = runProcess("/bin/cat", {});
    EXPECT_EQ(cat.status, 0);
    EXPECT_EQ(cat.output, "");

    EXPECT_EQ(quiet.signal, 0);
    EXPECT_EQ(missing.signal, 0);
}

TEST(ProgramRunner, AKilledToolIsNoExitStatus) {
    // A tool that exits 9 and one killed by signal 9 read differently; both fail.
    const ProcessResult exited = runProcess("/bin/sh", {"-c", "echo partial; exit 9"});
    EXPECT_EQ(exited.status, 9);
    EXPECT_EQ(exited.signal, 0);
    const ProcessResult killed = runProcess("/bin/sh", {"-c", "echo partial; kill -9 $$"});
    EXPECT_EQ(killed.signal, 9);
    EXPECT_EQ(killed.status, ProcessResult::killedStatus);
    EXPECT_NE(killed.status, 0);
    EXPECT_NE(killed.status, -1);
    EXPECT_EQ(killed.output, "partial\n");
}

TEST(ProgramRunner, ArgumentsAndTextPassUnchanged) {
    const std::vector<std::string> args{"%s|", "two words", "it's \"q\"", "$(touch /tmp/x)", "back\\slash", ""};
    const ProcessResult echoed = runProcess("/usr/bin/printf", args);
    EXPECT_EQ(echoed.output, "two words|it's \"q\"|$(touch /tmp/x)|back\\slash||");

    const ProcessResult invalid = runProcess("/bin/sh", {"-c", "printf 'a\\377b\\n'; printf 'caf\\303\\251' >&2"});
    EXPECT_EQ(invalid.output, "a\xEF\xBF\xBD" "b\n");
    EXPECT_EQ(invalid.error, "caf\xC3\xA9");
}

TEST(ProgramRunner, LargeOutputOnBothPipesDoesNotDeadlock) {
    // Standard error fills its pipe long before standard output closes.
    const ProcessResult big = runProcess(
        "/bin/sh", {"-c", "head -c 3000000 /dev/zero | tr '\\0' e >&2; head -c 5000000 /dev/zero | tr '\\0' o"});
    EXPECT_EQ(big.status, 0);
    EXPECT_EQ(big.output.size(), 5'000'000u);
    EXPECT_EQ(big.error.size(), 3'000'000u);
    EXPECT_EQ(std::count(big.error.begin(), big.error.end(), 'e'), 3'000'000);
}

TEST(ProgramRunner, ConcurrentCallsKeepTheirOwnPipes) {
    // Each child must see only its three standard descriptors: a pipe end leaked into
    // a sibling would keep that sibling's reader waiting and show up here.
    const std::vector<std::string> listing{"-c", "ls /proc/$$/fd"};
    const std::string alone = runProcess("/bin/sh", listing).output; // what a child sees with no siblings
    ASSERT_NE(alone.find("0\n1\n"), std::string::npos);
    constexpr int threads = 16;
    std::vector<std::string> outputs(threads);
    std::vector<std::thread> workers;
    for (int i = 0; i < threads; ++i) {
        workers.emplace_back([i, &outputs] {
            for (int round = 0; round < 5; ++round) {
                const ProcessResult r = runProcess("/bin/sh", {"-c", "echo $1; ls /proc/$$/fd", "sh", std::to_string(i)});
                outputs[i] += r.output + "|";
            }
        });
    }
    for (auto& w : workers) w.join();
    for (int i = 0; i < threads; ++i) {
        const std::string expected = std::to_string(i) + "\n" + alone + "|";
        std::string all;
        for (int round = 0; round < 5; ++round) all += expected;
        EXPECT_EQ(outputs[i], all);
    }
}

TEST(ProgramRunner, ChildInheritsOnlyItsStandardDescriptors) {
    // A descriptor of ours opened without close-on-exec stays out of the tool.
    const int fd = ::open("/dev/null", O_RDONLY);
    ASSERT_GE(fd, 3);
    const std::string self = "/proc/self/fd/" + std::to_string(fd);
    const ProcessResult r = runProcess("/bin/sh", {"-c", "[ -e \"$1\" ] && echo open || echo closed", "sh", self});
    ::close(fd);
    EXPECT_EQ(r.output, "closed\n");
}
