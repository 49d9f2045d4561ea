// Plenwick installed as a packager installs it: `cmake --install` into a staging
// folder (DESTDIR) under a prefix with a space, a "$" and a "%" in it; its files laid
// out and validated; and the installed programs started from there: through the
// launcher, the helper that Plenwick turns on, and the Plenwick that the helper opens,
// from its enclosing bundle or, for a helper elsewhere, by its desktop entry.
#include "ProgramFixture.h"

#include "platform/LoginItem.h"

#include <csignal>
#include <cstdint>
#include <fstream>
#include <iostream>
#include <set>

namespace plenwick::test {
namespace {

const std::string prefix = "/opt/Plenwick Test $1 %u";
const std::string bundle = "lib/plenwick/Plenwick.app";
const std::string helperBundle = bundle + "/Contents/Library/LoginItems/PlenwickHelper.app";
const std::string mainProgram = bundle + "/Contents/MacOS/Plenwick";
const std::string helperProgram = helperBundle + "/Contents/MacOS/PlenwickHelper";
const std::vector<int> iconSizes = {16, 22, 24, 32, 48, 64, 128, 256, 512};

struct Finished {
    int status = -1;
    std::string output; // standard output and error, interleaved
};

Finished runToEnd(const QString& program, const QStringList& arguments,
                  const QProcessEnvironment& environment = QProcessEnvironment::systemEnvironment()) {
    QProcess process;
    process.setProcessEnvironment(environment);
    process.setProcessChannelMode(QProcess::MergedChannels);
    process.start(program, arguments);
    if (!process.waitForFinished(120000)) {
        process.kill();
        process.waitForFinished(5000);
        return {-1, "did not finish: " + process.errorString().toStdString()};
    }
    const std::string output = process.readAll().toStdString();
    return {process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1, output};
}

// A key's value in a desktop entry's [Desktop Entry] group, as written.
std::optional<std::string> entryValue(const std::string& path, const std::string& key) {
    std::ifstream in(path);
    std::string line;
    bool inGroup = false;
    while (std::getline(in, line)) {
        if (!line.empty() && line.front() == '[') inGroup = line == "[Desktop Entry]";
        else if (inGroup && line.starts_with(key + "=")) return line.substr(key.size() + 1);
    }
    return std::nullopt;
}

// The size a PNG file says it has: its header's width and height.
std::pair<int, int> pngSize(const std::string& path) {
    const std::string bytes = readFile(path);
    if (bytes.size() < 24 || bytes.compare(1, 3, "PNG") != 0) return {0, 0};
    auto at = [&](std::size_t i) {
        return int(std::uint8_t(bytes[i])) << 24 | int(std::uint8_t(bytes[i + 1])) << 16 |
               int(std::uint8_t(bytes[i + 2])) << 8 | int(std::uint8_t(bytes[i + 3]));
    };
    return {at(16), at(20)};
}

std::string canonical(const std::string& path) {
    std::error_code error;
    return std::filesystem::canonical(path, error).string();
}

// What a validator said is fine when it exits 0 and raises neither error nor warning;
// its hints are shown in the log.
void expectValid(const Finished& run, const std::string& what) {
    EXPECT_EQ(run.status, 0) << what << ":\n" << run.output;
    EXPECT_EQ(run.output.find("error:"), std::string::npos) << what << ":\n" << run.output;
    EXPECT_EQ(run.output.find("warning:"), std::string::npos) << what << ":\n" << run.output;
    if (!run.output.empty()) std::cerr << what << ":\n" << run.output << "\n";
}

// The AppStream checks, but one: the component ID is the programs' identifier,
// "tarnwell.Plenwick", which AppStream would have carry a third, domain part.
const QString appstreamOverride = QStringLiteral("--override=cid-desktopapp-is-not-rdns=info");

class InstalledProgram : public ProgramFixture {
protected:
    static void SetUpTestSuite() {
        staging = new TempFolder;
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        environment.insert(QStringLiteral("DESTDIR"), QString::fromStdString(*staging / "stage"));
        const Finished install =
            runToEnd(QStringLiteral(PLENWICK_CMAKE),
                     {QStringLiteral("--install"), QStringLiteral(PLENWICK_BUILD_DIR), QStringLiteral("--prefix"),
                      QString::fromStdString(prefix)},
                     environment);
        installLog = install.output;
        installedWell = install.status == 0;
        root = *staging / "stage" + prefix;
    }
    static void TearDownTestSuite() {
        delete staging;
        staging = nullptr;
    }

    void SetUp() override {
        ProgramFixture::SetUp();
        ASSERT_TRUE(installedWell) << "cmake --install failed:\n" << installLog;
        // The prefix as a user sets it up: its programs on PATH, its entries and icon in
        // the data folders, beside the system's icon theme.
        environment.insert(QStringLiteral("PATH"),
                           QString::fromStdString(root + "/bin:") + environment.value(QStringLiteral("PATH")));
        environment.insert(QStringLiteral("XDG_DATA_DIRS"), QString::fromStdString(root + "/share:/usr/share"));
        const std::string runtime = home / "runtime";
        std::filesystem::create_directories(runtime);
        std::filesystem::permissions(runtime, std::filesystem::perms::owner_all);
        environment.insert(QStringLiteral("XDG_RUNTIME_DIR"), QString::fromStdString(runtime));
        helperDataDirs = root + "/share";
    }
    void TearDown() override {
        // A program that another one started is no child of the test: it is asked to end
        // by the process that owns its name.
        for (const QString& name : {busName, helperBusName}) {
            const QDBusReply<uint> owner = QDBusConnection::sessionBus().interface()->servicePid(name);
            if (!owner.isValid()) continue;
            const qint64 pid = owner.value();
            if (pid > 0 && pid != first.processId() && pid != helper.processId()) ::kill(pid_t(pid), SIGTERM);
        }
        ProgramFixture::TearDown();
    }

    static std::string installed(const std::string& path) { return root + "/" + path; }
    // The program that owns `name` on the session bus, once one does.
    std::string ownerProgram(const QString& name) {
        qint64 pid = 0;
        waitFor([&] {
            const QDBusReply<uint> owner = QDBusConnection::sessionBus().interface()->servicePid(name);
            pid = owner.isValid() ? owner.value() : 0;
            return pid > 0;
        });
        return pid > 0 ? canonical("/proc/" + std::to_string(pid) + "/exe") : std::string();
    }
    // The helper offers leftovers in a window; Ctrl+O there is its "Open Plenwick".
    void expectHelperOpensInstalledPlenwick(const std::string& helperPath) {
        const XWindows::Window window = startHelperWithLeftoverWindow(QString::fromStdString(helperPath));
        ASSERT_NE(window.id, 0u);
        // Its windows belong to the helper's entry, and carry Plenwick's icon.
        const std::string entry = installed("share/applications/tarnwell.Plenwick.Helper.desktop");
        EXPECT_EQ(x.windowClass(window.id), entryValue(entry, "StartupWMClass").value_or("?"));
        EXPECT_GT(x.iconPixels(window.id), 0u) << "the helper's window has no icon";
        ASSERT_FALSE(QDBusConnection::sessionBus().interface()->isServiceRegistered(busName));
        x.pressControl(window.id, 'o');
        EXPECT_EQ(ownerProgram(busName), canonical(installed(mainProgram))) << "not the installed Plenwick";
    }

    static inline TempFolder* staging = nullptr;
    static inline std::string root; // the prefix inside the staging folder
    static inline std::string installLog;
    static inline bool installedWell = false;
};

TEST_F(InstalledProgram, LaysOutBothBundlesTheLauncherAndTheDesktopsFiles) {
    std::set<std::string> expected = {
        "bin/plenwick",
        bundle + "/Contents/Info.plist",
        mainProgram,
        bundle + "/Contents/Helpers/PlenwickAdminMove",
        helperBundle + "/Contents/Info.plist",
        helperProgram,
        "share/applications/tarnwell.Plenwick.desktop",
        "share/applications/tarnwell.Plenwick.Helper.desktop",
        "share/icons/hicolor/scalable/apps/tarnwell.Plenwick.svg",
        "share/metainfo/tarnwell.Plenwick.metainfo.xml",
    };
    for (int size : iconSizes)
        expected.insert("share/icons/hicolor/" + std::to_string(size) + "x" + std::to_string(size) +
                        "/apps/tarnwell.Plenwick.png");
    // Everything under the prefix, nothing of the tests or benchmarks.
    std::set<std::string> found;
    const std::string stage = *staging / "stage";
    for (const auto& item : std::filesystem::recursive_directory_iterator(stage))
        if (!item.is_directory()) found.insert(item.path().string().substr(root.size() + 1));
    EXPECT_EQ(found, expected);

    for (const std::string& program : {std::string("bin/plenwick"), mainProgram, helperProgram,
                                       bundle + "/Contents/Helpers/PlenwickAdminMove"})
        EXPECT_NE(std::filesystem::status(installed(program)).permissions() & std::filesystem::perms::owner_exec,
                  std::filesystem::perms::none)
            << program;
    for (int size : iconSizes) {
        const std::string name = std::to_string(size) + "x" + std::to_string(size);
        EXPECT_EQ(pngSize(installed("share/icons/hicolor/" + name + "/apps/tarnwell.Plenwick.png")),
                  std::make_pair(size, size))
            << name;
    }

    const std::string entry = installed("share/applications/tarnwell.Plenwick.desktop");
    EXPECT_EQ(entryValue(entry, "Exec"), "plenwick %f");
    EXPECT_EQ(entryValue(entry, "Icon"), "tarnwell.Plenwick");
    EXPECT_EQ(entryValue(entry, "DBusActivatable"), std::nullopt) << "no bus activation file is installed";
    // The helper's entry names the helper where the prefix puts it, not where it is staged.
    const std::string helperEntry = installed("share/applications/tarnwell.Plenwick.Helper.desktop");
    EXPECT_EQ(entryValue(helperEntry, "NoDisplay"), "true");
    EXPECT_EQ(desktopExecProgram(entryValue(helperEntry, "Exec").value_or("")), prefix + "/" + helperProgram);
}

TEST_F(InstalledProgram, ItsDesktopEntriesAndMetainfoPassTheirValidators) {
    for (const char* entry : {"tarnwell.Plenwick.desktop", "tarnwell.Plenwick.Helper.desktop"})
        expectValid(runToEnd(QStringLiteral(PLENWICK_DESKTOP_FILE_VALIDATE),
                             {QString::fromStdString(installed(std::string("share/applications/") + entry))}),
                    entry);
    expectValid(runToEnd(QStringLiteral(PLENWICK_APPSTREAMCLI),
                         {QStringLiteral("validate"), QStringLiteral("--no-net"), appstreamOverride,
                          QString::fromStdString(installed("share/metainfo/tarnwell.Plenwick.metainfo.xml"))}),
                "the metainfo");
    // The tree as a software centre reads it: the metainfo's launchable entry is there.
    expectValid(runToEnd(QStringLiteral(PLENWICK_APPSTREAMCLI),
                         {QStringLiteral("validate-tree"), QStringLiteral("--no-net"), appstreamOverride,
                          QString::fromStdString(root)}),
                "the installed tree");
}

TEST_F(InstalledProgram, TheLauncherStartsTheInstalledPlenwickAndCtrlQEndsIt) {
    startFirst(QString::fromStdString(installed("bin/plenwick")));
    EXPECT_EQ(ownerProgram(busName), canonical(installed(mainProgram)));
    const XWindows::Window window = mainWindow().value();
    // The desktop matches the window to its entry, and shows the window's icon.
    EXPECT_EQ(x.windowClass(window.id),
              entryValue(installed("share/applications/tarnwell.Plenwick.desktop"), "StartupWMClass").value_or("?"));
    EXPECT_GT(x.iconPixels(window.id), 0u) << "the window has no icon";

    x.pressControl(window.id, 'q');
    EXPECT_TRUE(first.waitForFinished(15000)) << "Ctrl+Q left the installed program running";
    EXPECT_EQ(first.exitStatus(), QProcess::NormalExit);
    EXPECT_EQ(first.exitCode(), 0);
}

TEST_F(InstalledProgram, TurningTheHelperOnStartsTheInstalledHelperAndItsLoginEntryPointsThere) {
    startFirst(QString::fromStdString(installed("bin/plenwick")));
    x.pressControl(mainWindow()->id, ',');
    ASSERT_TRUE(waitFor([&] { return settingsWindow().has_value(); })) << "Ctrl+, opened no settings window";
    // The helper's switch is the first control of Settings, which has the focus.
    ASSERT_TRUE(x.sync(settingsWindow()->id));
    x.press(settingsWindow()->id, ' ');

    const std::string autostart = home / ".config/autostart/tarnwell.Plenwick.Helper.desktop";
    ASSERT_TRUE(waitFor([&] { return std::filesystem::exists(autostart); })) << "no autostart entry was written";
    EXPECT_EQ(desktopExecProgram(entryValue(autostart, "Exec").value_or("")), canonical(installed(helperProgram)))
        << "the helper of the installed bundle starts at login";
    expectValid(runToEnd(QStringLiteral(PLENWICK_DESKTOP_FILE_VALIDATE), {QString::fromStdString(autostart)}),
                "the autostart entry");
    // Turned on, the helper is started from the installed bundle after a short wait.
    EXPECT_EQ(ownerProgram(helperBusName), canonical(installed(helperProgram)));
}

TEST_F(InstalledProgram, TheInstalledHelperOpensThePlenwickOfItsBundle) {
    expectHelperOpensInstalledPlenwick(installed(helperProgram));
}

TEST_F(InstalledProgram, AHelperOutsideTheBundleOpensThePlenwickThatTheDesktopEntryNames) {
    const std::string copy = home / "Elsewhere/PlenwickHelper.app";
    std::filesystem::create_directories(copy);
    std::filesystem::copy(installed(helperBundle), copy, std::filesystem::copy_options::recursive);
    expectHelperOpensInstalledPlenwick(copy + "/Contents/MacOS/PlenwickHelper");
}

} // namespace
} // namespace plenwick::test
