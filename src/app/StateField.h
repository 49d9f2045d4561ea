#pragma once
// The observed fields of the application state, one bit each in its `changed`
// signal. Declared apart from the state so that its parts can mark their own fields.

#include <cstdint>

namespace plenwick {

// In declaration order; a field added later goes at the end, so that the bits views
// test keep their values.
enum class StateField : int {
    phase, volumes, scanProgress, scanTarget, scanVolume, scanStartedAt, scanDuration, scanOptions,
    failureNeedsFullDiskAccess, root, focus, selection, hovered, treeVersion, refreshingFolders,
    visualization, colorMode, typeFilter, showInspector, quickLookURL, typeStats, extensionColors,
    pendingTrash, collector, collectorVersion, collectorLeftovers, leftoverOffers, uninstallSession,
    lastError, lastErrorTitle, navigationHistory, forwardHistory,
    collectorTrashing, // a move of the collector to the Trash is under way
    volumeNames,       // the names the scanned volumes are called by (displayName)
};

using StateFields = std::uint64_t;

constexpr StateFields stateBit(StateField field) noexcept { return StateFields(1) << static_cast<int>(field); }

} // namespace plenwick
