#pragma once
// When each menu command is enabled, and the titles that follow the state: pure
// decisions over the state, shared by the menus and their tests.

#include "scanner/FileNode.h"

#include <QString>

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
    bool toggleInspector = false;
    bool toggleSidebar = false;
    QString inspectorTitle;
};

// The phase is results and a root exists.
bool resultsReady(const AppState& state);
// The folder "Rescan This Folder" acts on: with results ready, the selection when it
// is a folder, else the focus; none otherwise.
NodeRef folderTarget(const AppState& state);
CommandStates commandStates(const AppState& state);

} // namespace plenwick
