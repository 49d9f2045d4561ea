#include "startup/ui/StartupItemIcon.h"

#include "shell/FileIconCache.h"
#include "shell/ShellIconImage.h"
#include "shell/ShellStyle.h"
#include "shell/Symbols.h"

#include <QPainter>

#include <sys/stat.h>

namespace plenwick {

namespace {
constexpr int side = 32;
}

StartupItemIcon::StartupItemIcon(const StartupItem& item, QWidget* parent)
    : QWidget(parent), source_(item.source), programMissing_(item.programMissing) {
    setFixedSize(side, side);
    struct stat st {};
    if (item.appURL && stat(item.appURL->c_str(), &st) == 0) {
        appPath_ = *item.appURL;
        // The app's own icon may arrive later from the background lookup.
        connect(&FileIconCache::shared(), &FileIconCache::iconReady, this, [this](const QByteArray& path) {
            if (appPath_ && path.toStdString() == *appPath_) update();
        });
    }
}

Symbol StartupItemIcon::symbol(StartupItem::Source source) {
    switch (source) {
    case StartupItem::Source::loginItem: return Symbol::appDashed;
    case StartupItem::Source::systemDaemon: return Symbol::gearshape2Fill;
    default: return Symbol::terminalFill;
    }
}

void StartupItemIcon::setOpacity(double opacity) {
    if (opacity == opacity_) return;
    opacity_ = opacity;
    update();
}

void StartupItemIcon::paintEvent(QPaintEvent*) {
    QPainter p(this);
    p.setRenderHint(QPainter::Antialiasing);
    p.setOpacity(opacity_);
    const QRectF box(0, 0, side, side);
    if (appPath_) {
        paintShellIcon(p, fileIcon(*appPath_, true, "app"), box);
        return;
    }
    const QColor secondary = shellSecondaryColor(palette());
    p.setPen(Qt::NoPen);
    p.setBrush(shellWithOpacity(secondary, 0.12));
    p.drawRoundedRect(box, 8, 8);
    const QColor tint = programMissing_ ? shellOrangeColor(shellAppearance(palette())) : secondary;
    const qreal glyph = 18;
    drawSymbol(p, symbol(source_), QRectF((side - glyph) / 2, (side - glyph) / 2, glyph, glyph), tint);
}

} // namespace plenwick
