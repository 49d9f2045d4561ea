#include "startup/ui/StartupItemRowTexts.h"
#include "startup/ui/StartupItemsListing.h"
#include "startup/ui/StartupItemsTexts.h"

#include "common/TestSupport.h"

#include "QStringPrinter.h"

#include <gtest/gtest.h>

using namespace plenwick;
using namespace plenwick::test;

using Source = StartupItem::Source;
using Section = StartupItemsListing::Section;
using Overlay = StartupItemsListing::Overlay;
using Tone = StartupBadgeContent::Tone;

namespace {

StartupItem make(Source source, const std::string& name, const std::string& url = {}) {
    StartupItem item;
    item.source = source;
    item.name = name;
    item.url = url.empty() ? "/L/" + name + ".plist" : url;
    return item;
}

std::vector<QString> titles(const StartupItemsListing& listing) {
    std::vector<QString> result;
    for (const Section& section : listing.sections) result.push_back(section.title);
    return result;
}

} // namespace

TEST(StartupItemsTextsTest, CountLineCountsWhatIsListed) {
    EXPECT_EQ(StartupItemsTexts::countLine(false, {}, 0), "Apps and background jobs that start on their own.");
    EXPECT_EQ(StartupItemsTexts::countLine(true, {}, 0), "0 items start on their own");
    EXPECT_EQ(StartupItemsTexts::countLine(true, {make(Source::userAgent, "a"), make(Source::bundled, "b")}, 0),
              "1 item starts on its own");
    std::vector<StartupItem> five(5, make(Source::systemDaemon, "d"));
    EXPECT_EQ(StartupItemsTexts::countLine(true, five, 2),
              "5 items start on their own · 2 left behind by apps that are gone");
}

TEST(StartupItemsTextsTest, FilterMatchesNameOrDetailIgnoringCase) {
    StartupItem sync = make(Source::userAgent, "Sync Pro");
    sync.label = "com.maker.Sync";
    sync.programPath = "/opt/maker/bin/syncd";
    const StartupItem other = make(Source::userAgent, "Other");
    const std::vector<StartupItem> items{sync, other};
    EXPECT_EQ(StartupItemsTexts::filtered(items, " \t ").size(), 2u);
    EXPECT_EQ(StartupItemsTexts::filtered(items, "  sync pro\t").size(), 1u);
    EXPECT_EQ(StartupItemsTexts::filtered(items, "SYNCD").size(), 1u);         // the program path
    EXPECT_EQ(StartupItemsTexts::filtered(items, "COM.MAKER").size(), 1u);     // the label
    EXPECT_EQ(StartupItemsTexts::filtered(items, "/L/Other").size(), 1u);
    EXPECT_TRUE(StartupItemsTexts::filtered(items, "nothing").empty());
}

TEST(StartupItemsTextsTest, ListingSectionsAndPlaceholders) {
    auto listing = StartupItemsListing::make({}, {});
    EXPECT_TRUE(listing.sections.empty());
    EXPECT_EQ(listing.overlay, Overlay::noItems);

    // Sections in order, empty sources left out; jobs inside apps are never shown.
    const std::vector<StartupItem> items{make(Source::loginItem, "L"), make(Source::systemDaemon, "D"),
                                         make(Source::userAgent, "U"), make(Source::systemAgent, "S"),
                                         make(Source::bundled, "B")};
    listing = StartupItemsListing::make(items, {});
    EXPECT_EQ(titles(listing),
              (std::vector<QString>{"Open at Login", "Your Services", "For All Users", "System Services"}));
    EXPECT_EQ(listing.sections[1].footer, "Background jobs that run while you're logged in.");
    EXPECT_EQ(listing.sections[0].rows.size(), 1u);
    EXPECT_EQ(StartupItemsListing::make({make(Source::bundled, "B")}, {}).overlay, Overlay::noItems);

    // A filter matching nothing anywhere.
    listing = StartupItemsListing::make(items, "zzz");
    EXPECT_TRUE(listing.sections.empty());
    EXPECT_EQ(listing.overlay, Overlay::noSearchResults);
    EXPECT_EQ(StartupItemsListing::make(items, "b").overlay, Overlay::noSearchResults) << "B is not shown";

    // No text names the other platform's launch system or its settings.
    for (Source source : StartupItem::allSources)
        for (const QString& text : {StartupItemsTexts::sectionTitle(source), StartupItemsTexts::sectionFooter(source)})
            for (const char* word : {"Launch Agent", "Launch Daemon", "Login Items", "System Settings", "System Events"})
                EXPECT_FALSE(text.contains(QLatin1String(word))) << text.toStdString();
}

TEST(StartupItemsTextsTest, RemovalConfirmation) {
    EXPECT_TRUE(StartupItemsTexts::confirmTitle(std::nullopt).isEmpty());
    StartupItem login = make(Source::loginItem, "Notes", "/Applications/Notes.app");
    EXPECT_EQ(StartupItemsTexts::confirmTitle(login), "Stop “Notes” opening at login?");
    EXPECT_EQ(StartupItemsTexts::confirmMessage(login),
              "It won't open when you log in any more. The app itself isn't touched.");
    EXPECT_EQ(StartupItemsTexts::confirmButton(login), "Remove");

    StartupItem daemon = make(Source::systemDaemon, "Backup", "/etc/systemd/system/backup.service");
    daemon.appURL = "/opt/Backup";
    EXPECT_EQ(StartupItemsTexts::confirmTitle(daemon), "Remove “Backup”?");
    EXPECT_EQ(StartupItemsTexts::confirmMessage(daemon),
              "The job is stopped and its definition (backup.service) is deleted. This needs your password. "
              "Its app may add it back the next time it runs; turning it off is usually safer.");
    EXPECT_EQ(StartupItemsTexts::confirmButton(daemon), "Delete");

    TempFolder dir;
    StartupItem agent = make(Source::userAgent, "Gone", dir / "gone.service");
    agent.appURL = "/opt/Gone";
    agent.programMissing = true;
    EXPECT_EQ(StartupItemsTexts::confirmMessage(agent), "The job is stopped and its definition (gone.service) is deleted.");
}

TEST(StartupItemsTextsTest, RowBadgesSwitchAndMenus) {
    StartupItem login = make(Source::loginItem, "Notes", "/home/u/.config/autostart/notes.desktop");
    login.appURL = login.url;
    login.programMissing = true;
    login.isDisabled = true;
    EXPECT_EQ(StartupItemRowTexts::badges(login),
              (std::vector<StartupBadgeContent>{
                  {"App missing", Tone::orange,
                   "What it starts no longer exists — probably left behind by an app you removed."},
                  {"Off", Tone::secondary, {}}}));
    EXPECT_FALSE(StartupItemRowTexts::offersRevealApp(login));
    EXPECT_EQ(StartupItemRowTexts::removeTitle(login), "Remove from Autostart…");

    StartupItem daemon = make(Source::systemDaemon, "D", "/etc/systemd/system/d.service");
    daemon.label = "d.service";
    daemon.isDisabled = false;
    daemon.programMissing = true;
    daemon.isLoaded = true;
    daemon.appURL = "/Applications/D.app";
    const auto badges = StartupItemRowTexts::badges(daemon);
    ASSERT_EQ(badges.size(), 3u);
    EXPECT_EQ(badges[0].text, "Program missing");
    EXPECT_EQ(badges[1].text, "Running");
    EXPECT_EQ(badges[1].tone, Tone::green);
    EXPECT_EQ(badges[2].tone, Tone::lock);
    EXPECT_EQ(badges[2].toolTip, "Changing it needs your password");
    EXPECT_TRUE(StartupItemRowTexts::offersRevealApp(daemon));
    EXPECT_EQ(StartupItemRowTexts::removeTitle(daemon), "Delete…");
    EXPECT_FALSE(StartupItemRowTexts::removalRefusal(daemon));
    EXPECT_EQ(StartupItemRowTexts::switchToolTip(daemon), "Turn off to stop it starting");

    daemon.isDisabled = true;
    EXPECT_EQ(StartupItemRowTexts::badges(daemon)[1].text, "Off");
    EXPECT_EQ(StartupItemRowTexts::switchToolTip(daemon), "Turned off — it won't start");
    EXPECT_DOUBLE_EQ(StartupItemRowTexts::iconOpacity(daemon), 0.45);

    // Unknown states: neither "Off" nor "Running".
    StartupItem unknown = make(Source::userAgent, "U");
    EXPECT_TRUE(StartupItemRowTexts::badges(unknown).empty());
    // A package's own file says why it can't be removed instead of offering to.
    StartupItem vendor = make(Source::systemDaemon, "V", "/usr/lib/systemd/system/v.service");
    EXPECT_FALSE(StartupItemRowTexts::removeTitle(vendor));
    EXPECT_TRUE(StartupItemRowTexts::removalRefusal(vendor));
    // A helper inside an app never shows a missing badge and can't be removed.
    StartupItem helper = make(Source::bundled, "H");
    helper.programMissing = true;
    EXPECT_TRUE(StartupItemRowTexts::badges(helper).empty());
    EXPECT_FALSE(StartupItemRowTexts::removeTitle(helper));
}
