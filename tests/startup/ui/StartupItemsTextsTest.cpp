#include "startup/ui/StartupItemRowTexts.h"
#include "startup/ui/StartupItemsListing.h"
#include "startup/ui/StartupItemsTexts.h"

#include "common/TestSupport.h"

#include "QStringPrinter.h"

#include <cerrno>
#include <cstring>

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

TEST(StartupItemsTextsTest, CountLine) {
    EXPECT_EQ(StartupItemsTexts::countLine(false, {}, 0), "Apps and background jobs that start on their own.");
    EXPECT_EQ(StartupItemsTexts::countLine(true, {}, 0), "0 items start on their own");
    EXPECT_EQ(StartupItemsTexts::countLine(true, {make(Source::bundled, "b")}, 0), "0 items start on their own");
    EXPECT_EQ(StartupItemsTexts::countLine(true, {make(Source::userAgent, "a"), make(Source::bundled, "b")}, 0),
              "1 item starts on its own");
    std::vector<StartupItem> five(5, make(Source::systemDaemon, "d"));
    EXPECT_EQ(StartupItemsTexts::countLine(true, five, 2),
              "5 items start on their own · 2 left behind by apps that are gone");

    // Without the launch system nothing was asked: no "0 items", only why.
    EXPECT_EQ(StartupItemsTexts::countLine(true, {}, 0, true), StartupItemsTexts::noLaunchSystem);
    EXPECT_EQ(StartupItemsTexts::countLine(true, {make(Source::bundled, "b")}, 0, true),
              StartupItemsTexts::noLaunchSystem);
    EXPECT_EQ(StartupItemsTexts::countLine(false, {}, 0, true), "Apps and background jobs that start on their own.");
    EXPECT_EQ(StartupItemsTexts::countLine(true, {make(Source::userAgent, "a")}, 0, true), "1 item starts on its own")
        << "agents read from their folders are still counted";
    const std::string notInstalled = std::strerror(ENOENT);
    EXPECT_TRUE(StartupItemsTexts::lacksLaunchSystem(notInstalled, false));
    EXPECT_FALSE(StartupItemsTexts::lacksLaunchSystem(notInstalled, true)) << "the tool is there but failed";
    EXPECT_FALSE(StartupItemsTexts::lacksLaunchSystem(std::string("Not allowed"), false));
    EXPECT_FALSE(StartupItemsTexts::lacksLaunchSystem(std::nullopt, false));
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
    // Nothing at all.
    auto listing = StartupItemsListing::make({}, std::nullopt, {}, false);
    EXPECT_TRUE(listing.sections.empty());
    EXPECT_EQ(listing.overlay, Overlay::noItems);

    // Only helpers inside apps, hidden: the section with its count, no rows, no placeholder.
    const std::vector<StartupItem> bundled{make(Source::bundled, "A"), make(Source::bundled, "B")};
    listing = StartupItemsListing::make(bundled, std::nullopt, {}, false);
    ASSERT_EQ(listing.sections.size(), 1u);
    EXPECT_EQ(listing.sections[0].kind, Section::Kind::bundled);
    EXPECT_EQ(listing.sections[0].title, "Bundled with Apps (2)");
    EXPECT_EQ(listing.sections[0].footer, StartupItemsTexts::sectionFooter(Source::bundled));
    EXPECT_TRUE(listing.sections[0].rows.empty());
    EXPECT_EQ(listing.overlay, Overlay::none);
    EXPECT_EQ(StartupItemsListing::make(bundled, std::nullopt, {}, true).sections[0].rows.size(), 2u);
    // A filter that matches only hidden helpers keeps their header and count.
    listing = StartupItemsListing::make(bundled, std::nullopt, "b", false);
    EXPECT_EQ(titles(listing), std::vector<QString>{"Bundled with Apps (1)"});
    EXPECT_EQ(listing.overlay, Overlay::none);

    // Sections in order, empty sources left out, the failure row in place of login items.
    const std::vector<StartupItem> items{make(Source::loginItem, "L"), make(Source::systemDaemon, "D"),
                                         make(Source::userAgent, "U"), make(Source::bundled, "B")};
    listing = StartupItemsListing::make(items, std::string("Not allowed"), {}, true);
    EXPECT_EQ(titles(listing), (std::vector<QString>{"Open at Login", "Launch Agents — Your Account",
                                                     "Launch Daemons", "Bundled with Apps (1)"}));
    EXPECT_EQ(listing.sections[0].kind, Section::Kind::loginItemsUnavailable);
    EXPECT_EQ(listing.sections[0].message, "Not allowed");
    EXPECT_TRUE(listing.sections[0].footer.isEmpty() && listing.sections[0].rows.empty());
    EXPECT_EQ(listing.sections[1].footer, "Background jobs that run while you're logged in.");

    // The login items' tool not installed at all: this system has no such launch
    // system, said in a sentence rather than as the start error. Other failures, and
    // a start error while the tool is there, read as they came.
    const std::string notInstalled = std::strerror(ENOENT);
    const std::vector<StartupItem> agent{make(Source::userAgent, "U")};
    listing = StartupItemsListing::make(agent, notInstalled, {}, false, false);
    EXPECT_EQ(listing.sections[0].message, StartupItemsTexts::noLaunchSystem);
    EXPECT_FALSE(listing.sections[0].message.contains(QString::fromStdString(notInstalled)));
    // With nothing else listed the count line says it alone, not a second time here.
    listing = StartupItemsListing::make({make(Source::bundled, "B")}, notInstalled, {}, false, false);
    EXPECT_EQ(titles(listing), std::vector<QString>{"Bundled with Apps (1)"});
    EXPECT_TRUE(StartupItemsListing::make({}, notInstalled, {}, false, false).sections.empty());
    EXPECT_EQ(StartupItemsListing::make({}, notInstalled, {}, false, true).sections[0].message,
              QString::fromStdString(notInstalled));
    EXPECT_EQ(StartupItemsListing::make({}, std::string("Not allowed"), {}, false, false).sections[0].message,
              "Not allowed");

    // The failure keeps "No Startup Items" away even with nothing else.
    EXPECT_EQ(StartupItemsListing::make({}, std::string("x"), {}, false).overlay, Overlay::none);
    // A filter matching nothing anywhere.
    listing = StartupItemsListing::make(items, std::nullopt, "zzz", false);
    EXPECT_TRUE(listing.sections.empty());
    EXPECT_EQ(listing.overlay, Overlay::noSearchResults);
}

TEST(StartupItemsTextsTest, RemovalConfirmation) {
    EXPECT_TRUE(StartupItemsTexts::confirmTitle(std::nullopt).isEmpty());
    StartupItem login = make(Source::loginItem, "Notes", "/Applications/Notes.app");
    EXPECT_EQ(StartupItemsTexts::confirmTitle(login), "Stop “Notes” opening at login?");
    EXPECT_EQ(StartupItemsTexts::confirmMessage(login),
              "It won't open when you log in any more. The app itself isn't touched.");
    EXPECT_EQ(StartupItemsTexts::confirmButton(login), "Remove");

    StartupItem daemon = make(Source::systemDaemon, "Backup", "/Library/LaunchDaemons/com.b.plist");
    daemon.appURL = "/Applications/Backup.app";
    EXPECT_EQ(StartupItemsTexts::confirmTitle(daemon), "Remove “Backup”?");
    EXPECT_EQ(StartupItemsTexts::confirmMessage(daemon),
              "The job is stopped and its definition (com.b.plist) is moved to the Trash. This needs your password. "
              "Its app may add it back the next time it runs; turning it off is usually safer.");
    EXPECT_EQ(StartupItemsTexts::confirmButton(daemon), "Move to Trash");

    TempFolder dir;
    StartupItem agent = make(Source::userAgent, "Gone", dir / "gone.plist");
    agent.appURL = "/Applications/Gone.app";
    agent.programMissing = true;
    EXPECT_EQ(StartupItemsTexts::confirmMessage(agent),
              "The job is stopped and its definition (gone.plist) is moved to the Trash.");
}

TEST(StartupItemsTextsTest, RowBadgesSwitchAndMenus) {
    StartupItem login = make(Source::loginItem, "Notes", "/gone/Notes.app");
    login.appURL = login.url;
    login.programMissing = true;
    login.hidden = true;
    EXPECT_EQ(StartupItemRowTexts::badges(login),
              (std::vector<StartupBadgeContent>{
                  {"App missing", Tone::orange,
                   "What it starts no longer exists — probably left behind by an app you removed."},
                  {"Hidden", Tone::secondary, {}}}));
    EXPECT_FALSE(StartupItemRowTexts::offersRevealApp(login));
    EXPECT_EQ(StartupItemRowTexts::removeTitle(login), "Remove from Login Items…");

    StartupItem daemon = make(Source::systemDaemon, "D");
    daemon.label = "com.d";
    daemon.programMissing = true;
    daemon.isLoaded = true;
    daemon.appURL = "/Applications/D.app";
    const auto badges = StartupItemRowTexts::badges(daemon);
    ASSERT_EQ(badges.size(), 3u);
    EXPECT_EQ(badges[0].text, "Program missing");
    EXPECT_EQ(badges[1].text, "Loaded");
    EXPECT_EQ(badges[1].tone, Tone::green);
    EXPECT_EQ(badges[2].tone, Tone::lock);
    EXPECT_EQ(badges[2].toolTip, "Changing it needs your password");
    EXPECT_TRUE(StartupItemRowTexts::offersRevealApp(daemon));
    EXPECT_EQ(StartupItemRowTexts::removeTitle(daemon), "Move to Trash…");
    EXPECT_EQ(StartupItemRowTexts::switchToolTip(daemon), "Turn off to stop it starting");

    daemon.isDisabled = true;
    EXPECT_EQ(StartupItemRowTexts::badges(daemon)[1].text, "Off");
    EXPECT_EQ(StartupItemRowTexts::switchToolTip(daemon), "Turned off — it won't start");
    EXPECT_DOUBLE_EQ(StartupItemRowTexts::iconOpacity(daemon), 0.45);

    // Unknown loaded state and on: neither "Off" nor "Loaded".
    StartupItem unknown = make(Source::userAgent, "U");
    EXPECT_TRUE(StartupItemRowTexts::badges(unknown).empty());
    // A helper inside an app never shows a missing badge and can't be removed.
    StartupItem helper = make(Source::bundled, "H");
    helper.programMissing = true;
    EXPECT_TRUE(StartupItemRowTexts::badges(helper).empty());
    EXPECT_FALSE(StartupItemRowTexts::removeTitle(helper));
}
