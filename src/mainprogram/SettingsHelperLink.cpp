#include "mainprogram/SettingsHelperLink.h"

#include "app/HelperController.h"

#include <QTimer>

namespace plenwick {

HelperRow helperRowFor(const HelperController& helper, bool trayAvailable) {
    const LoginItemStatus status = helper.status();
    HelperRow row;
    row.isOn = status == LoginItemStatus::enabled;
    // While a copy is being started the row says so, rather than offering to start one.
    row.starting = status == LoginItemStatus::enabled && !helper.isRunning() && helper.isStarting();
    row.notRunning = status == LoginItemStatus::enabled && !helper.isRunning() && !row.starting;
    if (helper.lastError()) row.error = QString::fromStdString(*helper.lastError());
    // Turned on where nothing can show its icon: said where it was turned on.
    row.noSystemTray = status == LoginItemStatus::enabled && !trayAvailable;
    return row;
}

void linkHelperRow(SettingsView& view, HelperController& helper, std::function<bool()> trayAvailable) {
    HelperToggle* row = view.helperToggle();
    auto show = [row, &helper, trayAvailable = std::move(trayAvailable)] {
        row->setRow(helperRowFor(helper, !trayAvailable || trayAvailable()));
    };
    QObject::connect(&helper, &HelperController::changed, row, show);
    QObject::connect(row, &HelperToggle::switched, &helper, [&helper](bool on) { helper.setEnabled(on); });
    QObject::connect(row, &HelperToggle::startRequested, &helper, [&helper] { helper.launchHelper(); });
    // The window appearing reads the helper afresh, and the desktop's tray with it.
    QObject::connect(&view, &SettingsView::appeared, &helper, [&helper, show] {
        show();
        helper.refresh();
    });
    // Nothing tells when a desktop's tray comes or goes: it is asked again now and then.
    auto* trayCheck = new QTimer(row);
    trayCheck->setInterval(kTrayCheckInterval);
    QObject::connect(trayCheck, &QTimer::timeout, row, [row, show] {
        if (row->isVisible()) show();
    });
    trayCheck->start();
    show();
}

} // namespace plenwick
