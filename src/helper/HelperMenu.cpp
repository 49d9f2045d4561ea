#include "helper/HelperMenu.h"

#include <QAction>
#include <QKeyEvent>

namespace plenwick {

QString HelperMenu::statusText(bool askOnTrash, TrashWatcher::Status status) {
    if (askOnTrash && status == TrashWatcher::Status::watching) return QStringLiteral("Watching the Trash for apps");
    if (askOnTrash && status == TrashWatcher::Status::noAccess)
        return QStringLiteral("Can’t see the Trash — its permissions don’t let the helper read it");
    return QStringLiteral("Not watching the Trash");
}

HelperMenu::HelperMenu(HelperState& state, Actions actions, QWidget* parent)
    : QMenu(parent), state_(state), actions_(std::move(actions)) {
    setObjectName(QStringLiteral("helper-menu"));
    // Plain text: shown, never chosen.
    status_ = addAction(QString());
    status_->setEnabled(false);
    addSeparator();
    openMain_ = addCommand(QStringLiteral("Open Plenwick"), "Ctrl+O", actions_.openMainApp);
    uninstall_ = addCommand(QStringLiteral("Uninstall an App…"), "Ctrl+U", [this] { state_.uninstallApp(); });
    startup_ = addCommand(QStringLiteral("Startup Items…"), "Ctrl+L", actions_.startupItems);
    addSeparator();
    offer_ = addAction(QStringLiteral("Offer to Remove Leftovers of Trashed Apps"));
    offer_->setCheckable(true);
    connect(offer_, &QAction::triggered, this, [this](bool checked) { state_.setAskOnTrash(checked); });
    addSeparator();
    quitMain_ = addCommand(QStringLiteral("Quit Plenwick"), nullptr, actions_.quitMainApp);
    quitHelper_ = addCommand(QStringLiteral("Quit Helper"), "Ctrl+Q", actions_.quitHelper);

    connect(&state_, &HelperState::changed, this, [this](quint64 fields) {
        constexpr quint64 read = HelperState::bit(HelperState::Field::watcherStatus) |
                                 HelperState::bit(HelperState::Field::askOnTrash) |
                                 HelperState::bit(HelperState::Field::isMainAppRunning);
        if (fields & read) refresh();
    });
    // The running main program is looked up again whenever the menu opens.
    connect(this, &QMenu::aboutToShow, this, [this] { state_.refreshMainAppRunning(); });
    refresh();
}

QAction* HelperMenu::addCommand(const QString& title, const char* shortcut, std::function<void()> action) {
    QAction* item = addAction(title);
    connect(item, &QAction::triggered, this, [action = std::move(action)] {
        if (action) action();
    });
    if (shortcut) {
        const QKeySequence key(QString::fromLatin1(shortcut), QKeySequence::PortableText);
        item->setShortcut(key);
        keys_.emplace_back(item, key);
        auto* inWindows = new QAction(title, this);
        inWindows->setShortcut(key);
        connect(inWindows, &QAction::triggered, item, [item] {
            if (item->isEnabled()) item->trigger();
        });
        windowActions_.append(inWindows);
    }
    return item;
}

void HelperMenu::setShortcutsShown(bool shown) {
    for (const auto& [item, key] : keys_) item->setShortcut(shown ? key : QKeySequence());
}

void HelperMenu::keyPressEvent(QKeyEvent* event) {
    const QKeySequence pressed(event->keyCombination());
    for (const auto& [item, key] : keys_) {
        if (key != pressed || !item->isEnabled()) continue;
        event->accept();
        // The menu closes first, as it does for a click, then the item acts.
        hide();
        item->trigger();
        return;
    }
    QMenu::keyPressEvent(event);
}

void HelperMenu::refresh() {
    status_->setText(statusText(state_.askOnTrash(), state_.watcherStatus()));
    offer_->setChecked(state_.askOnTrash());
    quitMain_->setEnabled(state_.isMainAppRunning());
}

} // namespace plenwick
