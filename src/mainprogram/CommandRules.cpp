#include "mainprogram/CommandRules.h"

#include "app/AppState.h"

namespace plenwick {

bool resultsReady(const AppState& state) {
    return state.phase().kind() == AppState::Phase::Kind::results && state.root();
}

NodeRef folderTarget(const AppState& state) {
    if (!resultsReady(state)) return {};
    if (const NodeRef& selection = state.selection(); selection && selection->isContainer()) return selection;
    return state.focus();
}

CommandStates commandStates(const AppState& state, const std::optional<std::string>& selectionRefusal) {
    using Kind = AppState::Phase::Kind;
    const Kind phase = state.phase().kind();
    const bool ready = resultsReady(state);
    const NodeRef& focus = state.focus();
    const NodeRef& selection = state.selection();

    CommandStates s;
    s.scanFolder = true;
    s.rescan = (state.root() || state.scanTarget()) && phase != Kind::scanning;
    s.rescanFolder = static_cast<bool>(folderTarget(state));
    s.showDisks = phase != Kind::home;
    s.backToResults = state.root() && phase == Kind::home;
    s.enclosingFolder = ready && focus && focus->parent();
    s.back = ready && !state.navigationHistory().empty();
    s.forward = ready && !state.forwardHistory().empty();
    s.zoomIntoSelection = ready && selection && selection->isContainer();
    s.quickLook = ready && selection;
    s.reveal = ready && selection;
    const bool refused = selection && selectionRefusal;
    s.addToCollector = ready && selection && selection->parent() && !refused;
    s.moveToTrash = s.addToCollector;
    if (ready && refused) s.selectionRefusal = QString::fromStdString(*selectionRefusal);
    s.toggleInspector = ready;
    s.toggleSidebar = ready;
    s.inspectorTitle = state.showInspector() ? QStringLiteral("Hide Inspector") : QStringLiteral("Show Inspector");
    return s;
}

} // namespace plenwick
