#include "uninstaller/ui/UninstallBanner.h"

#include "shell/ShellStyle.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QPainter>
#include <QPainterPath>
#include <QPushButton>

namespace plenwick {

namespace {
// Inside padding, then the room around the rounded rectangle.
constexpr int padding = 10, sideRoom = 20, bottomRoom = 12, symbolSide = 16;
} // namespace

UninstallBanner::UninstallBanner(const QIcon& symbol, QColor tint, const QString& text, std::optional<QString> actionTitle,
                                 std::function<void()> action, QWidget* parent)
    : QWidget(parent), tint_(tint) {
    auto* row = new QHBoxLayout(this);
    row->setContentsMargins(sideRoom + padding, padding, sideRoom + padding, bottomRoom + padding);
    row->setSpacing(10);

    auto* icon = new QLabel(this);
    icon->setPixmap(symbol.pixmap(QSize(symbolSide, symbolSide), devicePixelRatioF()));
    icon->setFixedSize(symbolSide, symbolSide);
    row->addWidget(icon, 0, Qt::AlignVCenter);

    text_ = new QLabel(text, this);
    text_->setTextFormat(Qt::PlainText);
    text_->setWordWrap(true);
    text_->setFont(shellFont(ShellTextStyle::callout));
    row->addWidget(text_, 1);

    if (actionTitle && action) {
        row->addSpacing(8);
        button_ = new QPushButton(*actionTitle, this);
        button_->setAutoDefault(false);
        QFont small = button_->font();
        small.setPixelSize(shellTextPixelSize(ShellTextStyle::subheadline));
        button_->setFont(small);
        connect(button_, &QPushButton::clicked, this, [action = std::move(action)] { action(); });
        row->addWidget(button_, 0, Qt::AlignVCenter);
    }
}

QString UninstallBanner::text() const { return text_->text(); }

void UninstallBanner::paintEvent(QPaintEvent*) {
    QPainter p(this);
    p.setRenderHint(QPainter::Antialiasing);
    const QRectF strip = QRectF(rect()).adjusted(sideRoom, 0, -sideRoom, -bottomRoom);
    QPainterPath shape;
    shape.addRoundedRect(strip, 8, 8);
    p.fillPath(shape, shellWithOpacity(tint_, 0.1));
}

} // namespace plenwick
