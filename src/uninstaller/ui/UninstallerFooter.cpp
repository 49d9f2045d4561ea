#include "uninstaller/ui/UninstallerFooter.h"

#include "uninstaller/ui/UninstallerPresentation.h"

#include "shell/ActivitySpinner.h"
#include "shell/ShellProminentButton.h"
#include "shell/ShellStyle.h"
#include "shell/ShellText.h"
#include "shell/Symbols.h"

#include <QCheckBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QSignalBlocker>

namespace plenwick {

namespace {

QString text(const std::string& utf8) { return QString::fromStdString(utf8); }

} // namespace

UninstallerFooter::UninstallerFooter(UninstallSession& session, QWidget* parent) : QWidget(parent), session_(session) {
    auto* row = new QHBoxLayout(this);
    row->setContentsMargins(20, 14, 20, 14);
    row->setSpacing(10);

    selectAll_ = new QCheckBox(QStringLiteral("Select All"), this);
    connect(selectAll_, &QCheckBox::clicked, this, [this](bool checked) {
        QSignalBlocker quiet(selectAll_);
        selectAll_->setChecked(!checked);
        session_.selectAll(checked);
    });
    row->addWidget(selectAll_);
    size_ = new ShellText(QString(), this);
    size_->setTextStyle(ShellTextStyle::body, std::nullopt, true);
    size_->setTone(ShellText::Tone::secondary);
    row->addWidget(size_);
    lock_ = new QLabel(this);
    lock_->setToolTip(QString::fromUtf8(uninstaller_ui::adminLockHelp));
    lock_->setPixmap(symbolIcon(Symbol::lockFill, shellWithOpacity(shellSecondaryColor(palette()), 0.6))
                         .pixmap(QSize(12, 12), devicePixelRatioF()));
    row->addWidget(lock_);
    row->addStretch(1);

    progress_ = new ActivitySpinner(16, this);
    row->addWidget(progress_);
    secondary_ = new QPushButton(this);
    secondary_->setAutoDefault(false);
    connect(secondary_, &QPushButton::clicked, this, [this] { close(); });
    row->addWidget(secondary_);
    primary_ = new QPushButton(this);
    primary_->setAutoDefault(false);
    connect(primary_, &QPushButton::clicked, this, [this] { session_.moveToTrash(); });
    row->addWidget(primary_);
    done_ = new QPushButton(QStringLiteral("Done"), this);
    done_->setAutoDefault(false);
    connect(done_, &QPushButton::clicked, this, [this] { close(); });
    row->addWidget(done_);

    update();
}

void UninstallerFooter::update() {
    const uninstaller_ui::Footer f = uninstaller_ui::footer(session_);
    for (QWidget* w : std::initializer_list<QWidget*>{selectAll_, size_, lock_, progress_, secondary_, primary_})
        w->setVisible(!f.onlyDone);
    done_->setVisible(f.onlyDone);
    if (f.onlyDone) return;

    selectAll_->setVisible(f.showsSelection);
    size_->setVisible(f.showsSelection);
    lock_->setVisible(f.showsSelection && f.showsAdminLock);
    {
        QSignalBlocker quiet(selectAll_);
        selectAll_->setChecked(f.selectAllChecked);
    }
    selectAll_->setEnabled(f.selectAllEnabled);
    size_->setText(text(f.selectedSize));
    progress_->setVisible(f.showsProgress);
    secondary_->setText(text(f.secondaryTitle));
    secondary_->setEnabled(f.secondaryEnabled);
    primary_->setText(text(f.primaryTitle));
    primary_->setEnabled(f.primaryEnabled);
    makeShellProminent(primary_, f.primaryDestructive ? shellDestructiveColor() : shellAccentColor(palette()),
                       secondary_->sizeHint().height());
}

void UninstallerFooter::activateDefault() {
    if (done_->isVisible()) done_->click();
    else if (primary_->isEnabled()) primary_->click();
}

void UninstallerFooter::activateCancel() {
    if (done_->isVisible()) done_->click();
    else if (secondary_->isEnabled()) secondary_->click();
}

void UninstallerFooter::close() {
    session_.requestClose();
}

} // namespace plenwick
