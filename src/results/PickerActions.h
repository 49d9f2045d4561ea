#pragma once
// The options of the chart and colour pickers as checkable, exclusive actions in a
// menu (the toolbar's Colors menu and the View menu share them): choosing one assigns
// the state's field.

class QActionGroup;
class QMenu;

namespace plenwick {

class AppState;

QActionGroup* addVisualizationActions(QMenu& menu, AppState& state);
QActionGroup* addColorModeActions(QMenu& menu, AppState& state);
// Marks the options that the state holds now.
void markVisualization(QActionGroup& group, const AppState& state);
void markColorMode(QActionGroup& group, const AppState& state);

} // namespace plenwick
