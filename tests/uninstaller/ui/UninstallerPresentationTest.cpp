#include "uninstaller/ui/UninstallerPresentation.h"

#include "../SessionFixture.h"

#include "platform/ByteCountFormatter.h"

using namespace plenwick;
using namespace plenwick::test;
using namespace plenwick::uninstaller_ui;
using Mode = UninstallSession::Mode;

namespace {

class PresentationTest : public SessionTest {};

} // namespace

TEST(UninstallerPresentation, CountsTitlesAndHeights) {
    EXPECT_EQ(countPhrase(1), "1 leftover item");
    EXPECT_EQ(countPhrase(2), "2 leftover items");
    EXPECT_EQ(countPhrase(1234), "1234 leftover items");
    EXPECT_EQ(countPhrase(0), "0 leftover items");

    EXPECT_EQ(listHeight(1, 1), 140);
    EXPECT_EQ(listHeight(2, 5), 34 * 7 + 20);
    EXPECT_EQ(listHeight(3, 10), 340);
    EXPECT_EQ(finishedHeight(false), 70);
    EXPECT_EQ(finishedHeight(true), 160);
    EXPECT_EQ(finishedHeadline(true), "Finished with problems");
    EXPECT_EQ(secondaryTitle(Mode::collector), "Just the App");
    EXPECT_EQ(secondaryTitle(Mode::uninstall), "Cancel");
}

TEST_F(PresentationTest, TitlesAndStatusLinesByModeAndPhase) {
    auto uninstall = makeSession(Mode::uninstall);
    EXPECT_EQ(title(*uninstall), "Uninstall “Example App”");
    EXPECT_EQ(statusLine(*uninstall), "Looking for its preferences, caches and support files…");
    EXPECT_EQ(phaseArea(*uninstall), PhaseArea::progress);
    uninstall->start();
    background.runAll();
    const std::string total = formatByteCount(uninstall->remnantsSize());
    EXPECT_EQ(statusLine(*uninstall), "The app (" + formatByteCount(uninstall->appSize()) + ") and 3 leftover items (" +
                                          total + ") it left in settings, data and cache folders.");
    EXPECT_EQ(phaseArea(*uninstall), PhaseArea::list);

    auto after = searched(Mode::afterTrash);
    EXPECT_EQ(title(*after), "“Example App” was moved to the Trash");
    EXPECT_EQ(statusLine(*after), "It left 3 leftover items (" + total + ") behind: settings, caches and data.");
    auto collector = searched(Mode::collector);
    EXPECT_EQ(title(*collector), "Also remove what “Example App” left behind?");
    EXPECT_TRUE(statusLine(*collector).ends_with("3 leftover items (" + total +
                                                 ") in settings, data and cache folders. Ticked items join the app in the collector."));

    std::filesystem::remove_all(home);
    auto empty = searched(Mode::uninstall);
    EXPECT_EQ(statusLine(*empty), "No leftover files found — only the app itself (" +
                                      formatByteCount(empty->appSize()) + ") will be moved to the Trash.");
    EXPECT_EQ(phaseArea(*empty), PhaseArea::empty);
    EXPECT_EQ(statusLine(*searched(Mode::afterTrash)), "It didn’t leave any files behind.");
    EXPECT_EQ(statusLine(*searched(Mode::collector)), "It didn’t leave any files behind.");
}

TEST(UninstallerPresentation, TheLeftoverOfferNamesOnlyTheKindsFound) {
    using Kind = Remnant::Kind;
    const auto of = [](std::initializer_list<Kind> kinds) {
        std::vector<Remnant> remnants;
        for (Kind kind : kinds) remnants.push_back(Remnant{"/x/" + std::to_string(remnants.size()), kind});
        return leftoverKindsPhrase(remnants);
    };
    EXPECT_EQ(of({Kind::caches}), "caches");
    EXPECT_EQ(of({Kind::logs, Kind::caches, Kind::caches}), "caches and logs") << "each kind once";
    EXPECT_EQ(of({Kind::applicationSupport, Kind::caches}), "caches and data");
    EXPECT_EQ(of({Kind::applicationSupport, Kind::caches, Kind::preferences}), "settings, caches and data");
    EXPECT_EQ(of({Kind::crashReports, Kind::webData, Kind::preferences, Kind::savedState}),
              "settings, saved window state, web data and crash reports");
    EXPECT_EQ(of({Kind::containers, Kind::groupContainers, Kind::launchItems, Kind::helperTools}),
              "Flatpak data, shared containers, startup entries and privileged helpers");
    EXPECT_EQ(of({Kind::logs, Kind::launchItems}), "startup entries and logs");
}

TEST_F(PresentationTest, TheTrashOfferSaysOnlyWhatWasFound) {
    // No preferences among the leftovers: the offer does not speak of settings.
    std::filesystem::remove(pref());
    auto after = searched(Mode::afterTrash);
    ASSERT_EQ(after->remnants().size(), 2u);
    EXPECT_EQ(statusLine(*after), "It left 2 leftover items (" + formatByteCount(after->remnantsSize()) +
                                      ") behind: caches and data.");
    std::filesystem::remove_all(support());
    after = searched(Mode::afterTrash);
    EXPECT_EQ(statusLine(*after), "It left 1 leftover item (" + formatByteCount(after->remnantsSize()) +
                                      ") behind: caches.");
}

TEST_F(PresentationTest, FinishedLines) {
    auto moved = searched(Mode::uninstall);
    moved->moveToTrash();
    EXPECT_EQ(statusLine(*moved), "Moved to the Trash — about " + formatByteCount(moved->phase().freed()) +
                                      " will be freed when you empty it.");
    EXPECT_EQ(phaseArea(*moved), PhaseArea::finished);

    failing[pref()] = "no";
    failing[cache()] = "no";
    auto nothing = searched(Mode::afterTrash);
    nothing->moveToTrash();
    EXPECT_EQ(statusLine(*nothing), "Nothing was moved. Some items couldn’t be moved.");
    auto none = searched(Mode::afterTrash);
    none->selectAll(false);
    none->moveToTrash();
    EXPECT_EQ(statusLine(*none), "Nothing was moved.");

    // An item that moved but stays partly the administrator's is no item left behind:
    // its note is shown, the line does not say something couldn't be moved.
    failing.clear();
    partlyMoved[cache()] = "Moved to the Trash, but part of it still belongs to the administrator: x";
    auto partly = searched(Mode::afterTrash);
    partly->moveToTrash();
    EXPECT_EQ(statusLine(*partly), "Moved to the Trash — about " + formatByteCount(partly->phase().freed()) +
                                       " will be freed when you empty it.");
    EXPECT_TRUE(partly->phase().failures().has_value());
}

TEST_F(PresentationTest, WarningsOnlyWhileReadyOrWorking) {
    const QByteArray home = qgetenv("HOME");
    qputenv("HOME", QByteArray::fromStdString(dir / "home"));
    const std::string second = dir / "home/Apps/Example App.app", third = dir / "Other/Example App.app";
    makeBundle(second, {{"CFBundleIdentifier", "com.example.app"}});
    makeBundle(third, {{"CFBundleIdentifier", "com.example.app"}});
    registry->bundles["com.example.app"] = {second, third};
    running->running["com.example.app"] = {{7, app.url}};

    auto session = makeSession(Mode::uninstall);
    EXPECT_TRUE(banners(*session).empty()); // scanning
    session->start();
    background.runAll();
    const auto shown = banners(*session);
    ASSERT_EQ(shown.size(), 2u);
    EXPECT_EQ(shown[0].text,
              "Another copy is still installed at ~/Apps/Example App.app. It shares these files, so nothing is ticked.");
    EXPECT_FALSE(shown[0].actionTitle);
    EXPECT_EQ(shown[1].text, "Example App is running. Quit it first so it doesn’t recreate its files.");
    EXPECT_EQ(shown[1].actionTitle, "Quit Example App");

    auto after = searched(Mode::afterTrash);
    ASSERT_EQ(banners(*after).size(), 1u);
    EXPECT_EQ(banners(*after)[0].kind, BannerKind::otherCopy);

    session->selectAll(true);
    session->moveToTrash();
    EXPECT_TRUE(banners(*session).empty()); // finished
    qputenv("HOME", home);
}

TEST_F(PresentationTest, FooterFollowsPhaseModeAndTicks) {
    auto session = makeSession(Mode::uninstall);
    Footer f = footer(*session);
    EXPECT_FALSE(f.showsSelection);
    EXPECT_FALSE(f.primaryEnabled);
    EXPECT_TRUE(f.secondaryEnabled);
    EXPECT_EQ(f.primaryTitle, "Move 1 Item to Trash");

    session->start();
    background.runAll();
    f = footer(*session);
    EXPECT_TRUE(f.showsSelection && f.selectAllEnabled && f.primaryEnabled && f.primaryDestructive);
    EXPECT_FALSE(f.selectAllChecked);
    EXPECT_EQ(f.primaryTitle, "Move 3 Items to Trash"); // two ticked and the app
    EXPECT_EQ(f.selectedSize, formatByteCount(session->selectedSize()));
    session->selectAll(true);
    EXPECT_TRUE(footer(*session).selectAllChecked);
    session->toggle(pref());
    EXPECT_FALSE(footer(*session).selectAllChecked);

    session->moveToTrash();
    f = footer(*session);
    EXPECT_TRUE(f.onlyDone);

    auto collector = searched(Mode::collector);
    collector->selectAll(false);
    f = footer(*collector);
    EXPECT_EQ(f.primaryTitle, "Add 0 Items to Collector");
    EXPECT_FALSE(f.primaryEnabled);
    EXPECT_FALSE(f.primaryDestructive);
    EXPECT_EQ(f.secondaryTitle, "Just the App");
    collector->toggle(cache());
    EXPECT_EQ(footer(*collector).primaryTitle, "Add 1 Item to Collector");

    std::filesystem::remove_all(home);
    auto empty = searched(Mode::uninstall);
    f = footer(*empty);
    EXPECT_FALSE(f.showsSelection);
    EXPECT_EQ(f.primaryTitle, "Move 1 Item to Trash");
    EXPECT_TRUE(f.primaryEnabled);
}

TEST(UninstallerPresentation, SectionsAndRows) {
    const Remnant a{"/L/Caches/a", Remnant::Kind::caches, Remnant::Confidence::certain, false, 1};
    const Remnant b{"/L/Preferences/b.plist", Remnant::Kind::preferences, Remnant::Confidence::certain, true, 2};
    const Remnant c{"/L/Caches/c", Remnant::Kind::caches, Remnant::Confidence::possible, false, 3};
    const auto grouped = sections({a, b, c});
    ASSERT_EQ(grouped.size(), 2u);
    EXPECT_EQ(grouped[0].kind, Remnant::Kind::preferences);
    EXPECT_EQ(grouped[1].remnants, (std::vector<Remnant>{a, c})); // session order within a kind

    EXPECT_EQ(rowFileName(b), "b.plist");
    EXPECT_EQ(rowDetail(a), "/L/Caches");
    EXPECT_EQ(rowDetail(c), "Matched by name — may belong to something else");
    EXPECT_TRUE(rowDetailIsWarning(c));
}

TEST_F(PresentationTest, AdminLockNeverInCollectorMode) {
    // The system's unit that runs the app's program: found, unticked until chosen.
    make(dir / "sys/etc/systemd/system/example.service", 0);
    writeFile(dir / "sys/etc/systemd/system/example.service", "[Service]\nExecStart=\"" + appPath + "/Contents/MacOS/Example\"\n");
    RemnantSearchRoots roots = *services.searchRoots;
    roots.systemRoot = dir / "sys";
    services.searchRoots = roots;
    chmod(dir.path().c_str(), 0755);
    for (const char* folder : {"home", "home/.config", "home/.cache", "home/.local", "home/.local/share",
                               "home/.local/share/Example", "home/.cache/com.example.app", "Applications"})
        chmod((dir / folder).c_str(), 0777);
    const std::string outcome = asNobody([&]() -> std::string {
        auto uninstall = searched(Mode::uninstall);
        auto collector = searched(Mode::collector);
        if (uninstall->selectionNeedsAdmin()) return "the system unit is never ticked at first";
        uninstall->selectAll(true);
        collector->selectAll(true);
        if (!uninstall->selectionNeedsAdmin()) return "the system unit needs the password";
        if (!footer(*uninstall).showsAdminLock) return "the lock shows when uninstalling";
        if (footer(*collector).showsAdminLock) return "no lock in collector mode";
        return {};
    });
    EXPECT_EQ(outcome, "");
}
