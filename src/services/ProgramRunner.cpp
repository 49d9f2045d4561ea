#include "services/ProgramRunner.h"

#include "base/Utf8.h"

#include <cerrno>
#include <csignal>
#include <cstring>
#include <fcntl.h>
#include <poll.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

extern char** environ;

namespace plenwick {
namespace {

struct Pipe {
    int read = -1;
    int write = -1;
    ~Pipe() { closeRead(); closeWrite(); }
    bool open() {
        int fds[2];
        // Close-on-exec, so a child started concurrently on another thread never
        // inherits our ends and keeps them open.
        if (pipe2(fds, O_CLOEXEC) != 0) return false;
        read = fds[0];
        write = fds[1];
        return true;
    }
    void closeRead() { if (read >= 0) ::close(read); read = -1; }
    void closeWrite() { if (write >= 0) ::close(write); write = -1; }
};

class SpawnSetup {
public:
    SpawnSetup() {
        posix_spawn_file_actions_init(&actions);
        posix_spawnattr_init(&attributes);
    }
    ~SpawnSetup() {
        posix_spawn_file_actions_destroy(&actions);
        posix_spawnattr_destroy(&attributes);
    }
    posix_spawn_file_actions_t actions;
    posix_spawnattr_t attributes;
};

ProcessResult startFailure(int error) {
    return {-1, {}, std::strerror(error)};
}

// Reads both pipes together until both reach end of file, so neither can fill up
// while we wait on the other.
void drain(Pipe& out, Pipe& err, std::string& outBytes, std::string& errBytes) {
    char buffer[65536];
    while (out.read >= 0 || err.read >= 0) {
        pollfd fds[2] = {{out.read, POLLIN, 0}, {err.read, POLLIN, 0}};
        if (poll(fds, 2, -1) < 0) {
            if (errno == EINTR) continue;
            break;
        }
        for (int i = 0; i < 2; ++i) {
            if (fds[i].fd < 0 || fds[i].revents == 0) continue;
            Pipe& pipe = i == 0 ? out : err;
            const ssize_t n = ::read(pipe.read, buffer, sizeof buffer);
            if (n > 0) (i == 0 ? outBytes : errBytes).append(buffer, static_cast<std::size_t>(n));
            else if (n == 0 || errno != EINTR) pipe.closeRead();
        }
    }
}

class SystemRunner final : public ProgramRunner {
public:
    ProcessResult run(const std::string& path, const std::vector<std::string>& arguments) override {
        return runProcess(path, arguments);
    }
};

} // namespace

std::string decodeProcessOutput(const std::string& bytes) {
    return repairUtf8(bytes);
}

ProcessResult runProcess(const std::string& path, const std::vector<std::string>& arguments) {
    Pipe out, err;
    if (!out.open() || !err.open()) return startFailure(errno);

    SpawnSetup setup;
    posix_spawn_file_actions_addopen(&setup.actions, STDIN_FILENO, "/dev/null", O_RDONLY, 0);
    posix_spawn_file_actions_adddup2(&setup.actions, out.write, STDOUT_FILENO);
    posix_spawn_file_actions_adddup2(&setup.actions, err.write, STDERR_FILENO);
    // The tool gets its three standard descriptors and nothing else, whatever else of
    // ours is open without close-on-exec.
    posix_spawn_file_actions_addclosefrom_np(&setup.actions, STDERR_FILENO + 1);
    // The tool starts with no blocked signals and SIGPIPE at its default.
    sigset_t none, defaults;
    sigemptyset(&none);
    sigemptyset(&defaults);
    sigaddset(&defaults, SIGPIPE);
    posix_spawnattr_setsigmask(&setup.attributes, &none);
    posix_spawnattr_setsigdefault(&setup.attributes, &defaults);
    posix_spawnattr_setflags(&setup.attributes, POSIX_SPAWN_SETSIGMASK | POSIX_SPAWN_SETSIGDEF);

    std::vector<char*> argv;
    argv.reserve(arguments.size() + 2);
    argv.push_back(const_cast<char*>(path.c_str()));
    for (const std::string& argument : arguments) argv.push_back(const_cast<char*>(argument.c_str()));
    argv.push_back(nullptr);

    pid_t pid = -1;
    const int spawnError = posix_spawn(&pid, path.c_str(), &setup.actions, &setup.attributes, argv.data(), environ);
    if (spawnError != 0) return startFailure(spawnError);
    out.closeWrite();
    err.closeWrite();

    std::string outBytes, errBytes;
    drain(out, err, outBytes, errBytes);

    int status = 0;
    while (waitpid(pid, &status, 0) < 0) {
        if (errno != EINTR) return {-1, decodeProcessOutput(outBytes), std::strerror(errno)};
    }
    ProcessResult result;
    if (WIFSIGNALED(status)) {
        result.status = ProcessResult::killedStatus;
        result.signal = WTERMSIG(status);
    } else {
        result.status = WEXITSTATUS(status);
    }
    result.output = decodeProcessOutput(outBytes);
    result.error = decodeProcessOutput(errBytes);
    return result;
}

ProgramRunner& systemProgramRunner() {
    static SystemRunner runner;
    return runner;
}

} // namespace plenwick
