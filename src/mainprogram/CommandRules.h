#pragma once
// When each menu command is enabled, and the titles that follow the state: pure
// decisions over the state, shared by the menus and their tests.

#include "scanner/FileNode.h"

#include <QString>

#include <optional>
#include <string>

namespace plenwick {

class AppState;

struct CommandStates {
    bool scanFolder = true;
    bool rescan = false;
    bool rescanFolder = false;
    bool showDisks = false;
    bool backToResults = false;
    bool enclosingFolder = false;
    bool back = false;
    bool forward = false;
    bool zoomIntoSelection = false;
    bool quickLook = false;
    bool reveal = false;
    bool addToCollector = false;
    bool moveToTrash = false;
    // Why the selection can be neither collected nor trashed, when that is so.
    QString selectionRefusal;
    bool toggleInspector = false;
    bool toggleSidebar = false;
    QString inspectorTitle;
};

// The phase is results and a root exists.
bool resultsReady(const AppState& state);
// The folder "Rescan This Folder" acts on: with results ready, the selection when it
// is a folder, else the focus; none otherwise.
NodeRef folderTarget(const AppState& state);
// `selectionRefusal` is `trashRefusal` of the selection (the Trash's own items), which
// costs system calls: the caller judges it once per selection.
CommandStates commandStates(const AppState& state, const std::optional<std::string>& selectionRefusal = std::nullopt);

} // namespace plenwick
