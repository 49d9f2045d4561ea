#pragma once
// Helpers shared by the test folders: temporary folders, and running a check as an
// unprivileged user (the tests run as root, where permissions deny nothing).

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <functional>
#include <grp.h>
#include <sys/stat.h>
#include <string>
#include <sys/wait.h>
#include <unistd.h>

namespace plenwick::test {

constexpr uid_t nobodyID = 65534;

// A fresh folder under /tmp, removed with everything in it.
class TempFolder {
public:
    explicit TempFolder(const std::string& root = "/tmp") {
        std::string pattern = root + "/plenwick-test-XXXXXX";
        path_ = mkdtemp(pattern.data()) ? pattern : std::string();
    }
    ~TempFolder() {
        std::error_code ignored;
        std::filesystem::remove_all(path_, ignored);
    }
    const std::string& path() const { return path_; }
    std::string operator/(const std::string& name) const { return path_ + "/" + name; }

private:
    std::string path_;
};

inline void writeFile(const std::string& path, const std::string& bytes) {
    std::ofstream(path, std::ios::binary) << bytes;
}

inline std::string readFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
}

// Whether /dev/shm lies on another file system than `path` (cross-device cases).
inline bool sharedMemoryIsSeparateFrom(const std::string& path) {
    struct stat shm {}, other {};
    return stat("/dev/shm", &shm) == 0 && stat(path.c_str(), &other) == 0 && shm.st_dev != other.st_dev;
}

inline bool existsNoFollow(const std::string& path) {
    struct stat st {};
    return lstat(path.c_str(), &st) == 0;
}

// Runs `check` in a forked child dropped to nobody:nogroup. `check` returns an empty
// text when it passed, else what went wrong; that text is returned here. The parent
// runs `meanwhile` (if any) while the child works.
inline std::string asNobody(const std::function<std::string()>& check,
                            const std::function<void()>& meanwhile = {}) {
    int fds[2];
    if (pipe(fds) != 0) return "pipe failed";
    const pid_t pid = fork();
    if (pid == 0) {
        close(fds[0]);
        std::string outcome;
        if (setgroups(0, nullptr) != 0 || setresgid(nobodyID, nobodyID, nobodyID) != 0 ||
            setresuid(nobodyID, nobodyID, nobodyID) != 0)
            outcome = "could not drop privileges";
        else
            outcome = check();
        if (!outcome.empty()) (void)!write(fds[1], outcome.data(), outcome.size());
        _exit(0);
    }
    close(fds[1]);
    if (meanwhile) meanwhile();
    std::string outcome;
    char buffer[4096];
    ssize_t n;
    while ((n = read(fds[0], buffer, sizeof buffer)) > 0) outcome.append(buffer, static_cast<std::size_t>(n));
    close(fds[0]);
    int status = 0;
    waitpid(pid, &status, 0);
    if (!WIFEXITED(status)) outcome += " (child crashed)";
    return outcome;
}

} // namespace plenwick::test
