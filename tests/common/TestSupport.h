#pragma once
// Helpers shared by the test folders: temporary folders, and running a check in a
// forked child, also as an unprivileged user (the tests run as root, where
// permissions deny nothing).

#include <cerrno>
#include <cstdlib>
#include <filesystem>
#include <fcntl.h>
#include <fstream>
#include <functional>
#include <grp.h>
#include <linux/fs.h>
#include <sys/ioctl.h>
#include <sys/stat.h>
#include <stdexcept>
#include <string>
#include <sys/wait.h>
#include <unistd.h>
#include <utility>
#include <vector>

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

// Environment variables set for a scope, each given back its old value (or unset) at
// its end.
class ScopedEnvironment {
public:
    ScopedEnvironment() = default;
    ScopedEnvironment(const ScopedEnvironment&) = delete;
    ScopedEnvironment& operator=(const ScopedEnvironment&) = delete;
    ~ScopedEnvironment() {
        for (auto it = saved_.rbegin(); it != saved_.rend(); ++it) {
            if (it->second.first) ::setenv(it->first.c_str(), it->second.second.c_str(), 1);
            else ::unsetenv(it->first.c_str());
        }
    }
    void set(const std::string& name, const std::string& value) {
        const char* old = std::getenv(name.c_str());
        saved_.push_back({name, {old != nullptr, old ? old : ""}});
        ::setenv(name.c_str(), value.c_str(), 1);
    }

private:
    std::vector<std::pair<std::string, std::pair<bool, std::string>>> saved_;
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

// Sets or clears an inode flag of `path` (FS_APPEND_FL, FS_IMMUTABLE_FL); false where
// the file system has none.
inline bool setFileFlag(const std::string& path, int flag, bool on) {
    const int fd = ::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    int flags = 0;
    bool done = fd >= 0 && ::ioctl(fd, FS_IOC_GETFLAGS, &flags) == 0;
    flags = on ? flags | flag : flags & ~flag;
    done = done && ::ioctl(fd, FS_IOC_SETFLAGS, &flags) == 0;
    if (fd >= 0) ::close(fd);
    return done;
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
    if (::pipe(fds) != 0) return "pipe failed";
    const pid_t pid = ::fork();
    if (pid == 0) {
        ::close(fds[0]);
        std::string outcome;
        if (setgroups(0, nullptr) != 0 || setresgid(nobodyID, nobodyID, nobodyID) != 0 ||
            setresuid(nobodyID, nobodyID, nobodyID) != 0)
            outcome = "could not drop privileges";
        else
            outcome = check();
        if (!outcome.empty()) (void)!::write(fds[1], outcome.data(), outcome.size());
        ::_exit(0);
    }
    ::close(fds[1]);
    if (meanwhile) meanwhile();
    std::string outcome;
    char buffer[4096];
    ssize_t n;
    while ((n = ::read(fds[0], buffer, sizeof buffer)) > 0) outcome.append(buffer, static_cast<std::size_t>(n));
    ::close(fds[0]);
    int status = 0;
    ::waitpid(pid, &status, 0);
    if (!WIFEXITED(status)) outcome += " (child crashed)";
    return outcome;
}

// Runs `body` in a forked child and returns what it returned (or "exception: …",
// or "child failed"). With `asNobody`, the child first drops to uid/gid 65534, so
// that permissions hold even when the tests run as root.
inline std::string inChild(const std::function<std::string()>& body, bool asNobody = false) {
    int fds[2];
    if (::pipe2(fds, O_CLOEXEC) != 0) return "pipe failed";
    const pid_t pid = ::fork();
    if (pid < 0) {
        ::close(fds[0]);
        ::close(fds[1]);
        return "fork failed";
    }
    if (pid == 0) {
        ::close(fds[0]);
        std::string result;
        try {
            if (asNobody) {
                if (::setgroups(0, nullptr) != 0 && errno != EPERM) throw std::runtime_error("setgroups");
                if (::setresgid(nobodyID, nobodyID, nobodyID) != 0 && ::getgid() != nobodyID)
                    throw std::runtime_error("setresgid");
                if (::setresuid(nobodyID, nobodyID, nobodyID) != 0 && ::getuid() != nobodyID)
                    throw std::runtime_error("setresuid");
            }
            result = body();
        } catch (const std::exception& e) {
            result = std::string("exception: ") + e.what();
        } catch (...) {
            result = "exception";
        }
        std::size_t done = 0;
        while (done < result.size()) {
            const ssize_t n = ::write(fds[1], result.data() + done, result.size() - done);
            if (n <= 0) break;
            done += static_cast<std::size_t>(n);
        }
        ::_exit(0);
    }
    ::close(fds[1]);
    std::string out;
    char buffer[4096];
    for (;;) {
        const ssize_t n = ::read(fds[0], buffer, sizeof buffer);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) break;
        out.append(buffer, static_cast<std::size_t>(n));
    }
    ::close(fds[0]);
    int status = 0;
    while (::waitpid(pid, &status, 0) < 0 && errno == EINTR) {}
    if (!WIFEXITED(status) || WEXITSTATUS(status) != 0) return "child failed";
    return out;
}

} // namespace plenwick::test
