#include "mainprogram/SettingsHelperLink.h"

#include "app/HelperController.h"

namespace plenwick {

HelperRow helperRowFor(const HelperController& helper) {
    const LoginItemStatus status = helper.status();
    HelperRow row;
    row.awaitingApproval = status == LoginItemStatus::requiresApproval;
    row.isOn = status == LoginItemStatus::enabled || row.awaitingApproval;
    row.notRunning = status == LoginItemStatus::enabled && !helper.isRunning();
    if (helper.lastError()) row.error = QString::fromStdString(*helper.lastError());
    return row;
}

void linkHelperRow(SettingsView& view, HelperController& helper) {
    HelperToggle* row = view.helperToggle();
    QObject::connect(&helper, &HelperController::changed, row, [row, &helper] { row->setRow(helperRowFor(helper)); });
    QObject::connect(row, &HelperToggle::switched, &helper, [&helper](bool on) { helper.setEnabled(on); });
    QObject::connect(row, &HelperToggle::startRequested, &helper, [&helper] { helper.launchHelper(); });
    QObject::connect(&view, &SettingsView::appeared, &helper, [&helper] { helper.refresh(); });
    row->setRow(helperRowFor(helper));
}

} // namespace plenwick
