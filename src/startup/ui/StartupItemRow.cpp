#include "startup/ui/StartupItemRow.h"

#include "startup/ui/StartupBadge.h"
#include "startup/ui/StartupItemIcon.h"
#include "startup/ui/StartupItemRowTexts.h"
#include "startup/ui/StartupItemsTexts.h"
#include "startup/ui/StartupSwitch.h"

#include "shell/ActivitySpinner.h"
#include "shell/FileActions.h"
#include "shell/ShellStyle.h"
#include "shell/ShellText.h"
#include "shell/Symbols.h"


#include <QContextMenuEvent>
#include <QHBoxLayout>
#include <QLabel>
#include <QMenu>
#include <QToolButton>
#include <QVBoxLayout>

#include <algorithm>
#include <sys/stat.h>

namespace plenwick {
namespace {

bool exists(const std::string& path) {
    struct stat st {};
    return stat(path.c_str(), &st) == 0;
}

ShellText* line(const QString& text, ShellTextStyle style, std::optional<QFont::Weight> weight, ShellText::Tone tone,
               Qt::TextElideMode elide, QWidget* parent) {
    auto* shown = new ShellText(text, parent);
    shown->setTextStyle(style, weight);
    shown->setTone(tone);
    shown->setElideMode(elide);
    shown->setAlignment(Qt::AlignLeft);
    return shown;
}

} // namespace

StartupItemRow::StartupItemRow(StartupItem item, bool isBusy, std::function<void(bool)> setEnabled,
                               std::function<void()> remove, QWidget* parent)
    : QWidget(parent), item_(std::move(item)), isBusy_(isBusy), setEnabled_(std::move(setEnabled)),
      remove_(std::move(remove)) {
    setAccessibleName(StartupItemsTexts::display(item_.name));
    auto* row = new QHBoxLayout(this);
    row->setSpacing(12);
    row->setContentsMargins(0, 3, 0, 3);

    auto* icon = new StartupItemIcon(item_, this);
    // Dimmed as it paints: an effect would paint it into an image of its own first,
    // which comes out empty (and warns) where a repaint leaves the icon no room.
    if (item_.isDisabled == true) icon->setOpacity(StartupItemRowTexts::iconOpacity(item_));
    row->addWidget(icon, 0, Qt::AlignVCenter);

    auto* column = new QVBoxLayout;
    column->setSpacing(2);
    auto* titleLine = new QHBoxLayout;
    titleLine->setSpacing(6);
    ShellText* name = line(StartupItemsTexts::display(item_.name), ShellTextStyle::body, QFont::Medium,
                           ShellText::Tone::primary, Qt::ElideRight, this);
    // A short name keeps its own width: the badges follow it closely.
    name->setMinimumWidth(std::min(name->sizeHint().width(), name->minimumSizeHint().width()));
    titleLine->addWidget(name, 0, Qt::AlignVCenter);
    for (const StartupBadgeContent& badge : StartupItemRowTexts::badges(item_))
        titleLine->addWidget(new StartupBadge(badge, this), 0, Qt::AlignVCenter);
    titleLine->addStretch(1);
    column->addLayout(titleLine);
    ShellText* detail = line(StartupItemsTexts::display(item_.detailLine()), ShellTextStyle::caption, std::nullopt,
                             ShellText::Tone::secondary, Qt::ElideMiddle, this);
    detail->setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Fixed);
    detail->setToolTip(detail->text());
    column->addWidget(detail);
    row->addLayout(column, 1);

    if (isBusy_) row->addWidget(new ActivitySpinner(16, this), 0, Qt::AlignVCenter);

    if (item_.canToggle()) {
        switch_ = new StartupSwitch(this);
        switch_->setChecked(item_.isDisabled == false);
        switch_->setEnabled(!isBusy_);
        switch_->setAccessibleName(StartupItemRowTexts::switchLabel);
        switch_->setToolTip(StartupItemRowTexts::switchToolTip(item_));
        connect(switch_, &StartupSwitch::clicked, this, [this](bool on) {
            if (setEnabled_) setEnabled_(on);
        });
        row->addWidget(switch_, 0, Qt::AlignVCenter);
    }

    actions_ = new QToolButton(this);
    actions_->setAutoRaise(true);
    actions_->setIcon(symbolIcon(Symbol::ellipsisCircle));
    actions_->setIconSize(QSize(16, 16));
    actions_->setPopupMode(QToolButton::InstantPopup);
    actions_->setStyleSheet(QStringLiteral("QToolButton::menu-indicator { image: none; width: 0; }"));
    actions_->setAccessibleName(QStringLiteral("Actions"));
    actions_->setEnabled(!isBusy_);
    actions_->setMenu(makeActionsMenu(actions_));
    row->addWidget(actions_, 0, Qt::AlignVCenter);
}

QMenu* StartupItemRow::makeActionsMenu(QWidget* parent) const {
    auto* menu = new QMenu(parent);
    const std::string url = item_.url;
    QAction* reveal =
        menu->addAction(StartupItemRowTexts::revealInFileManager, [url, parent] { revealItem(url, alertOver(parent)); });
    reveal->setEnabled(exists(url));
    if (StartupItemRowTexts::offersRevealApp(item_)) {
        const std::string app = *item_.appURL;
        menu->addAction(StartupItemRowTexts::revealAppInFileManager, [app, parent] { revealItem(app, alertOver(parent)); });
    }
    if (const auto removeTitle = StartupItemRowTexts::removeTitle(item_)) {
        menu->addSeparator();
        menu->addAction(*removeTitle, [remove = remove_] {
            if (remove) remove();
        });
    } else if (const auto refusal = StartupItemRowTexts::removalRefusal(item_)) {
        menu->addSeparator();
        menu->addAction(*refusal)->setEnabled(false);
    }
    return menu;
}

QMenu* StartupItemRow::makeContextMenu(QWidget* parent) const {
    auto* menu = new QMenu(parent);
    const std::string url = item_.url;
    menu->addAction(StartupItemRowTexts::revealInFileManager, [url, parent] { revealItem(url, alertOver(parent)); });
    if (const auto removeTitle = StartupItemRowTexts::removeTitle(item_)) {
        menu->addAction(*removeTitle, [remove = remove_] {
            if (remove) remove();
        });
    } else if (const auto refusal = StartupItemRowTexts::removalRefusal(item_)) {
        menu->addAction(*refusal)->setEnabled(false);
    }
    return menu;
}

void StartupItemRow::contextMenuEvent(QContextMenuEvent* event) {
    QMenu* menu = makeContextMenu(this);
    menu->setAttribute(Qt::WA_DeleteOnClose);
    menu->popup(event->globalPos());
}

} // namespace plenwick
