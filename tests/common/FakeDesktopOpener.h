#pragma once
// For the life of the object, PATH holds only a folder of its own whose xdg-open logs
// what it is asked to open and ends with the status the test chooses; without
// install() there is no xdg-open at all.

#include "common/TestSupport.h"

#include <QCoreApplication>
#include <QProcess>
#include <QTest>

#include <cstdlib>
#include <string>

namespace plenwick::test {

class FakeDesktopOpener {
public:
    FakeDesktopOpener() {
        if (const char* path = std::getenv("PATH")) savedPath_ = path;
        ::setenv("PATH", tools_.path().c_str(), 1);
    }
    ~FakeDesktopOpener() {
        ::setenv("PATH", savedPath_.c_str(), 1);
        waitForOpeners();
    }
    FakeDesktopOpener(const FakeDesktopOpener&) = delete;
    FakeDesktopOpener& operator=(const FakeDesktopOpener&) = delete;

    // An xdg-open that ends with `status`, writing `complaint` (no single quotes) to
    // its error output.
    void install(int status, const std::string& complaint = {}) {
        const std::string script = tools_ / "xdg-open";
        std::string body = "#!/bin/sh\nprintf '%s\\n' \"$1\" >> '" + log() + "'\n";
        if (!complaint.empty()) body += "echo '" + complaint + "' >&2\n";
        body += "exit " + std::to_string(status) + "\n";
        writeFile(script, body);
        ::chmod(script.c_str(), 0755);
    }
    // Each argument it was given, one per line.
    std::string asked() const { return existsNoFollow(log()) ? readFile(log()) : std::string(); }
    // Every xdg-open started has ended and been heard.
    static bool waitForOpeners() {
        const bool ended = QTest::qWaitFor([] { return qApp->findChildren<QProcess*>().isEmpty(); }, 10000);
        QCoreApplication::processEvents();
        return ended;
    }

private:
    std::string log() const { return tools_ / "asked.log"; }
    TempFolder tools_;
    std::string savedPath_;
};

} // namespace plenwick::test
