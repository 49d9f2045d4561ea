// The leftover search for one app under the current HOME and XDG variables, one line
// per leftover in display order: kind, confidence, needs the administrator (0/1),
// allocated bytes and path, tab-separated; then "remnants=N ms=T", the time of the
// search alone.
//   plenwick-leftover-bench APP
// Fixture homes to run it on (then HOME=DIR, the XDG variables unset):
//   plenwick-leftover-bench --make-home DIR        5,000 entries each in ~/.config,
//       ~/.cache and ~/.local/share, an app folder DIR/Applications/Foo ("Foo",
//       identifier org.example.Foo) and its leftovers in every place, with decoys
//   plenwick-leftover-bench --make-big-home DIR    the same app with one leftover
//       folder of 100,000 files in 1,000 folders

#include "uninstaller/LeftoverSearch.h"

#include "services/AppBundleInfo.h"

#include <chrono>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <string>

using namespace plenwick;

namespace {

const char* kindName(Remnant::Kind kind) {
    switch (kind) {
    case Remnant::Kind::applicationSupport: return "applicationSupport";
    case Remnant::Kind::preferences: return "preferences";
    case Remnant::Kind::caches: return "caches";
    case Remnant::Kind::containers: return "containers";
    case Remnant::Kind::groupContainers: return "groupContainers";
    case Remnant::Kind::launchItems: return "launchItems";
    case Remnant::Kind::helperTools: return "helperTools";
    case Remnant::Kind::savedState: return "savedState";
    case Remnant::Kind::webData: return "webData";
    case Remnant::Kind::logs: return "logs";
    case Remnant::Kind::crashReports: return "crashReports";
    }
    return "?";
}

void write(const std::filesystem::path& path, const std::string& text) {
    std::filesystem::create_directories(path.parent_path());
    std::ofstream(path, std::ios::binary) << text;
}

// `count` entries of other programs: every fourth a folder with a file in it.
void fill(const std::filesystem::path& folder, int count) {
    std::filesystem::create_directories(folder);
    for (int i = 0; i < count; ++i) {
        const std::string name = "other-program-" + std::to_string(i);
        if (i % 4 == 0) write(folder / name / "data", "x");
        else write(folder / (name + ".conf"), "x");
    }
}

int makeHome(const std::filesystem::path& home, bool big) {
    const std::filesystem::path config = home / ".config", data = home / ".local/share", cache = home / ".cache";
    fill(config, 5000);
    fill(data, 5000);
    fill(cache, 5000);
    const std::filesystem::path app = home / "Applications/Foo";
    write(app / "bin/foo", "#!/bin/sh\n");
    std::filesystem::permissions(app / "bin/foo", std::filesystem::perms::owner_all);
    write(app / "org.example.Foo.desktop",
          "[Desktop Entry]\nType=Application\nName=Foo\nExec=" + (app / "bin/foo").string() + " %U\nIcon=foo\n");
    // Its leftovers, one in every place.
    write(config / "Foo/settings.ini", std::string(4000, 'x'));
    write(cache / "foo/cache.db", std::string(90000, 'x'));
    write(data / "Foo/data.sqlite", std::string(240000, 'x'));
    write(home / ".local/state/Foo/history", std::string(2000, 'x'));
    write(home / ".var/app/org.example.Foo/config/x", std::string(1000, 'x'));
    write(home / ".foorc", "x");
    write(data / "applications/org.example.Foo.desktop", "[Desktop Entry]\nType=Application\nName=Foo\nExec=foo\n");
    write(data / "icons/hicolor/48x48/apps/org.example.Foo.png", std::string(3000, 'x'));
    write(config / "autostart/foo-tray.desktop",
          "[Desktop Entry]\nType=Application\nName=Foo tray\nExec=" + (app / "bin/foo").string() + " --tray\n");
    write(config / "systemd/user/org.example.Foo.sync.service", "[Service]\nExecStart=/usr/bin/true\n");
    // Decoys: a look-alike, a generic word, an identifier that only shares a prefix.
    write(config / "Foobar/x", "x");
    write(cache / "cache/x", "x");
    write(data / "org.example.Foobar/x", "x");
    if (big) {
        const std::filesystem::path tree = data / "Foo/library";
        for (int folder = 0; folder < 1000; ++folder)
            for (int file = 0; file < 100; ++file)
                write(tree / std::to_string(folder) / (std::to_string(file) + ".bin"), "x");
    }
    std::printf("%s\n", app.c_str());
    return 0;
}

} // namespace

int main(int argc, char** argv) {
    if (argc == 3 && (std::strcmp(argv[1], "--make-home") == 0 || std::strcmp(argv[1], "--make-big-home") == 0))
        return makeHome(argv[2], std::strcmp(argv[1], "--make-big-home") == 0);
    if (argc != 2 || argv[1][0] == '-') {
        std::fprintf(stderr, "usage: plenwick-leftover-bench APP | --make-home DIR | --make-big-home DIR\n");
        return 2;
    }
    const std::optional<AppBundleInfo> app = AppBundleInfo::read(argv[1]);
    if (!app) {
        std::fprintf(stderr, "plenwick-leftover-bench: “%s” isn’t an app it can read (an AppImage, an app folder "
                             "or a desktop entry).\n", argv[1]);
        return 1;
    }
    const RemnantSearchRoots roots;
    const auto start = std::chrono::steady_clock::now();
    const std::vector<Remnant> remnants = findRemnants(*app, roots);
    const auto elapsed = std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count();
    for (const Remnant& r : remnants)
        std::printf("%s\t%s\t%d\t%lld\t%s\n", kindName(r.kind),
                    r.confidence == Remnant::Confidence::certain ? "certain" : "possible", r.needsAdmin ? 1 : 0,
                    static_cast<long long>(r.size), r.url.c_str());
    std::printf("remnants=%zu ms=%.1f\n", remnants.size(), elapsed);
    return 0;
}
