#pragma once
// An X server of the test run's own (Xvfb), on a display it picks itself: it tells
// the number through a pipe once it takes connections, so runs side by side never
// race for one display, and nothing waits for it by the clock.

#include <string>

#include <sys/types.h>

namespace plenwick::test {

class PrivateXServer {
public:
    // Starts `program` (Xvfb) with `screen` ("1600x1000x24") and sets DISPLAY to it.
    PrivateXServer(const std::string& program, const std::string& screen);
    ~PrivateXServer();
    PrivateXServer(const PrivateXServer&) = delete;
    PrivateXServer& operator=(const PrivateXServer&) = delete;

    // Empty once the server runs; otherwise why it doesn't.
    const std::string& failure() const noexcept { return failure_; }

private:
    pid_t pid_ = -1;
    std::string failure_;
};

} // namespace plenwick::test
