// The uninstall entry on its own, over the state's parts and the trash moves.

#include "TrashWorkflowParts.h"

#include <algorithm>

using namespace plenwick;
using namespace plenwick::test;

namespace {
using UninstallEntryWorkflowTest = TrashWorkflowTest;

AppBundleInfo app(const std::string& id) {
    AppBundleInfo info;
    info.url = "/Apps/Example.app";
    info.bundleID = id;
    info.name = "Example";
    return info;
}
} // namespace

TEST_F(UninstallEntryWorkflowTest, WhatASessionMovedIsPrunedUnlessTheScannedFolderWent) {
    entry->sessionTrashed({"/elsewhere/x", "/scan/missing"});
    EXPECT_TRUE(asked.empty());

    entry->sessionTrashed({"/scan/Big/big1", "/scan/t.txt"});
    EXPECT_EQ(asked, (std::vector<std::string>{"edit", "remap", "stats", "refresh"}));
    EXPECT_EQ(statsRemoved.size(), 2u);
    EXPECT_EQ(root->size(), 100);

    asked.clear();
    entry->sessionTrashed({"/scan/Big", "/"});
    EXPECT_EQ(asked, std::vector<std::string>{"close"});
    EXPECT_EQ(root->size(), 100);
}

TEST_F(UninstallEntryWorkflowTest, ASessionsSignalsReachTheEntryOnlyWhileItLives) {
    const std::shared_ptr<UninstallSession> session =
        entry->makeUninstallSession(app("com.example.app"), UninstallSession::Mode::uninstall);
    entry->presentUninstallSession(session);
    entry->presentUninstallSession(session); // wired once
    emit session->trashed({"/scan/t.txt"});
    EXPECT_EQ(std::count(asked.begin(), asked.end(), "edit"), 1);
    EXPECT_EQ(alerts.uninstallSession(), session);

    entry.reset();
    asked.clear();
    emit session->trashed({"/scan/Big"});
    session->requestClose();
    EXPECT_TRUE(asked.empty());
    EXPECT_EQ(alerts.uninstallSession(), session);
}

TEST_F(UninstallEntryWorkflowTest, ASearchThatEndsAfterTheEntryWentShowsNothing) {
    std::filesystem::create_directories(dir.path().toStdString() + "/home/.cache/com.example.app");
    entry->offerLeftoversAfterTrash(app("com.example.app"), std::nullopt);
    ASSERT_GT(userInitiated->pendingCount(), 0u);
    entry.reset();
    settle();
    EXPECT_FALSE(alerts.uninstallSession());

    // The same search with the entry alive shows its session.
    entry = std::make_unique<UninstallEntry>(changes, environment, results, alerts, *moves, upkeep());
    entry->offerLeftoversAfterTrash(app("com.example.app"), std::nullopt);
    settle();
    ASSERT_TRUE(alerts.uninstallSession());
    EXPECT_EQ(alerts.uninstallSession()->mode(), UninstallSession::Mode::afterTrash);
}
