#include "uninstaller/ui/RemnantRow.h"

#include "uninstaller/ui/UninstallerPresentation.h"

#include "base/PathNames.h"
#include "base/Utf8.h"
#include "platform/ByteCountFormatter.h"
#include "platform/TrashName.h"
#include "shell/FileActions.h"
#include "shell/FileIconCache.h"
#include "shell/ShellIconImage.h"
#include "shell/ShellStyle.h"
#include "shell/ShellText.h"
#include "shell/Symbols.h"

#include <QCheckBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QMouseEvent>
#include <QSignalBlocker>
#include <QToolButton>
#include <QVBoxLayout>

#include <sys/stat.h>

namespace plenwick {

namespace {

bool isFolder(const std::string& path) {
    struct stat st {};
    return ::lstat(path.c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}

QString text(const std::string& utf8) { return QString::fromStdString(utf8); }

} // namespace

RemnantRow::RemnantRow(Remnant remnant, bool isSelected, std::function<void()> toggle, QWidget* parent)
    : QWidget(parent), remnant_(std::move(remnant)), toggle_(std::move(toggle)) {
    setFixedHeight(rowHeight);
    setToolTip(text(repairUtf8(remnant_.url)));
    setAttribute(Qt::WA_Hover);

    auto* row = new QHBoxLayout(this);
    row->setContentsMargins(10, 0, 10, 0);
    row->setSpacing(8);

    const QString fileName = text(uninstaller_ui::rowFileName(remnant_));
    check_ = new QCheckBox(this);
    check_->setChecked(isSelected);
    check_->setAccessibleName(fileName);
    // The new value is not used: the session decides, and the row follows it.
    connect(check_, &QCheckBox::clicked, this, [this] {
        QSignalBlocker quiet(check_);
        check_->setChecked(!check_->isChecked());
        if (toggle_) toggle_();
    });
    row->addWidget(check_);

    auto* icon = icon_ = new ShellIconImage(20, this);
    const std::string name = lastPathComponent(remnant_.url);
    const bool folder = isFolder(remnant_.url);
    const std::string extension = asciiLower(nameExtension(name));
    icon->setIcon(fileIcon(remnant_.url, folder, extension));
    // On a miss the type's icon stands in until the item's own is in.
    whenIconReady(*icon, [url = remnant_.url](const std::string& path) { return path == url; },
                  [icon, url = remnant_.url, folder, extension] { icon->setIcon(fileIcon(url, folder, extension)); });
    row->addWidget(icon);

    auto* column = new QVBoxLayout;
    column->setSpacing(0);
    auto* first = new QHBoxLayout;
    first->setSpacing(5);
    auto* title = new ShellText(fileName, this);
    title->setTextStyle(ShellTextStyle::body);
    title->setElideMode(Qt::ElideMiddle);
    title->setAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    first->addWidget(title, 1);
    if (remnant_.needsAdmin) {
        auto* lock = new QLabel(this);
        const int side = shellTextPixelSize(ShellTextStyle::footnote);
        lock->setPixmap(symbolIcon(Symbol::lockFill, shellWithOpacity(shellSecondaryColor(palette()), 0.6))
                            .pixmap(QSize(side, side), devicePixelRatioF()));
        lock->setToolTip(QString::fromUtf8(uninstaller_ui::rowLockHelp));
        first->addWidget(lock);
    }
    column->addLayout(first);

    detail_ = new ShellText(text(uninstaller_ui::rowDetail(remnant_)), this);
    detail_->setTextStyle(ShellTextStyle::caption);
    detail_->setElideMode(Qt::ElideMiddle);
    detail_->setAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    if (uninstaller_ui::rowDetailIsWarning(remnant_))
        detail_->setTint(shellOrangeColor(shellAppearance(*this)));
    else
        detail_->setTone(ShellText::Tone::secondary);
    column->addWidget(detail_);
    row->addLayout(column, 1);
    row->addSpacing(8);

    reveal_ = new QToolButton(this);
    reveal_->setAutoRaise(true);
    reveal_->setIcon(symbolIcon(Symbol::magnifyingGlass));
    reveal_->setToolTip(QString::fromUtf8(uninstaller_ui::revealHelp));
    reveal_->setAccessibleName(QString::fromUtf8(uninstaller_ui::revealHelp));
    QSizePolicy keepRoom = reveal_->sizePolicy();
    keepRoom.setRetainSizeWhenHidden(true);
    reveal_->setSizePolicy(keepRoom);
    reveal_->hide();
    connect(reveal_, &QToolButton::clicked, this, [this] { revealItem(remnant_.url, alertOver(this)); });
    row->addWidget(reveal_);

    auto* size = new ShellText(text(formatByteCount(remnant_.size)), this);
    size->setTextStyle(ShellTextStyle::body, std::nullopt, true);
    size->setTone(ShellText::Tone::secondary);
    size->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    row->addWidget(size);
}

void RemnantRow::setSelected(bool selected) {
    QSignalBlocker quiet(check_);
    check_->setChecked(selected);
}

bool RemnantRow::isSelected() const { return check_->isChecked(); }

void RemnantRow::mouseReleaseEvent(QMouseEvent* event) {
    if (event->button() == Qt::LeftButton && rect().contains(event->position().toPoint()) && toggle_) toggle_();
}

void RemnantRow::enterEvent(QEnterEvent*) { setHovered(true); }
void RemnantRow::leaveEvent(QEvent*) { setHovered(false); }

void RemnantRow::setHovered(bool hovered) {
    hovered_ = hovered;
    reveal_->setVisible(hovered);
}

} // namespace plenwick
