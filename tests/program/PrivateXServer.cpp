#include "PrivateXServer.h"

#include <cerrno>
#include <csignal>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

extern char** environ;

namespace plenwick::test {

PrivateXServer::PrivateXServer(const std::string& program, const std::string& screen) {
    int pipeEnds[2];
    if (::pipe2(pipeEnds, O_CLOEXEC) != 0) {
        failure_ = std::string("no pipe: ") + std::strerror(errno);
        return;
    }
    // The server writes its display number to descriptor 3 of its own.
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_adddup2(&actions, pipeEnds[1], 3);
    std::string displayFd = "3", screenArg = screen;
    char* argv[] = {const_cast<char*>(program.c_str()), const_cast<char*>("-displayfd"), displayFd.data(),
                    const_cast<char*>("-screen"), const_cast<char*>("0"), screenArg.data(),
                    // The server would reset when one test's program closes its last
                    // connection, and refuse the next test's.
                    const_cast<char*>("-noreset"), const_cast<char*>("-nolisten"), const_cast<char*>("tcp"), nullptr};
    const int spawned = ::posix_spawn(&pid_, program.c_str(), &actions, nullptr, argv, environ);
    posix_spawn_file_actions_destroy(&actions);
    ::close(pipeEnds[1]);
    if (spawned != 0) {
        pid_ = -1;
        ::close(pipeEnds[0]);
        failure_ = program + ": " + std::strerror(spawned);
        return;
    }
    std::string number;
    char c = 0;
    for (;;) {
        const ssize_t n = ::read(pipeEnds[0], &c, 1);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0 || c == '\n') break;
        number += c;
    }
    ::close(pipeEnds[0]);
    if (number.empty()) {
        failure_ = program + " told no display: it did not start";
        return;
    }
    ::setenv("DISPLAY", (":" + number).c_str(), 1);
}

PrivateXServer::~PrivateXServer() {
    if (pid_ <= 0) return;
    ::kill(pid_, SIGTERM);
    int status = 0;
    while (::waitpid(pid_, &status, 0) < 0 && errno == EINTR) {
    }
}

} // namespace plenwick::test
