#include "results/PickerActions.h"

#include "app/AppState.h"
#include "results/ResultsTexts.h"

#include <QAction>
#include <QActionGroup>
#include <QMenu>

namespace plenwick {

namespace {

template <class Value, std::size_t N, class Title, class Assign>
QActionGroup* addOptions(QMenu& menu, const Value (&values)[N], Title title, Assign assign) {
    auto* group = new QActionGroup(&menu);
    group->setExclusive(true);
    for (Value value : values) {
        QAction* action = menu.addAction(title(value));
        action->setCheckable(true);
        action->setData(static_cast<int>(value));
        group->addAction(action);
        QObject::connect(action, &QAction::triggered, &menu, [assign, value] { assign(value); });
    }
    return group;
}

void mark(QActionGroup& group, int value) {
    for (QAction* action : group.actions()) action->setChecked(action->data().toInt() == value);
}

} // namespace

QActionGroup* addVisualizationActions(QMenu& menu, AppState& state) {
    return addOptions(menu, allVisualizations, visualizationTitle,
                      [&state](Visualization v) { state.setVisualization(v); });
}

QActionGroup* addColorModeActions(QMenu& menu, AppState& state) {
    return addOptions(menu, allColorModes, colorModeTitle, [&state](ColorMode m) { state.setColorMode(m); });
}

void markVisualization(QActionGroup& group, const AppState& state) { mark(group, static_cast<int>(state.visualization())); }

void markColorMode(QActionGroup& group, const AppState& state) { mark(group, static_cast<int>(state.colorMode())); }

} // namespace plenwick
