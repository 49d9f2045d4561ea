#include "home/ScanFolderCard.h"

#include "app/CommandShortcuts.h"
#include "home/HomeControls.h"
#include "home/HomeStyle.h"
#include "shell/ShellCardBackground.h"
#include "shell/ShellStyle.h"

#include <QKeySequence>
#include <QPainter>
#include <QPainterPath>
#include <QtMath>

namespace plenwick {

namespace {

constexpr qreal padding = 18;
constexpr qreal radius = 16;
const QString detail = QStringLiteral("Choose any folder, or drop\none onto this window.");

} // namespace

ScanFolderCard::ScanFolderCard(QWidget* parent) : QAbstractButton(parent) {
    setObjectName(QStringLiteral("ScanFolderCard"));
    setText(QStringLiteral("Scan Folder…"));
    setAccessibleName(text());
    setAccessibleDescription(QString(detail).replace(QLatin1Char('\n'), QLatin1Char(' ')));
    setContentsMargins(ShellCard::shadowRoom());
    // Fills the height of its row in the grid.
    setSizePolicy(QSizePolicy::Preferred, QSizePolicy::Expanding);
    setCursor(Qt::ArrowCursor);
    hover_ = new HomeHover(*this, [this](const QPointF& at) { return cardRect().contains(at); });
}

QRectF ScanFolderCard::cardRect() const { return homecard::visibleRect(rect()); }

QString ScanFolderCard::shortcutText() const {
    return QKeySequence(QString::fromLatin1(shortcuts::scanFolder), QKeySequence::PortableText).toString(QKeySequence::NativeText);
}

int ScanFolderCard::heightForWidth(int) const {
    const int headline = QFontMetrics(shellFont(ShellTextStyle::headline)).height();
    const int caption = QFontMetrics(shellFont(ShellTextStyle::caption)).height();
    const int content = qCeil(2 * padding + 4 + 112 + 14 + headline + 3 + 2 * caption + 8 + caption);
    return homecard::widgetHeight(std::max(content, minimumCardHeight));
}

QSize ScanFolderCard::sizeHint() const {
    const QSize card = homecard::widgetSize(240, 0);
    return QSize(card.width(), heightForWidth(card.width()));
}

bool ScanFolderCard::hitButton(const QPoint& pos) const { return cardRect().contains(pos); }

void ScanFolderCard::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    const QRectF card = cardRect();
    const bool hovered = hover_->isHovered();
    const double t = hover_->progress();
    const ShellAppearance appearance = shellAppearance(palette());
    const QColor accent = shellAccentColor(palette());

    QPainterPath shape;
    shape.addRoundedRect(card, radius, radius);
    painter.fillPath(shape, shellWithOpacity(shellCardFillColor(appearance), 0.5 + 0.5 * t));
    QPen dashed(hovered ? shellWithOpacity(accent, 0.7) : shellWithOpacity(shellSecondaryColor(palette()), 0.35), 1.5);
    dashed.setCapStyle(Qt::FlatCap);
    dashed.setDashPattern({6 / 1.5, 4 / 1.5});
    painter.setPen(dashed);
    painter.setBrush(Qt::NoBrush);
    painter.drawRoundedRect(card.adjusted(0.75, 0.75, -0.75, -0.75), radius - 0.75, radius - 0.75);
    if (hasFocus()) {
        painter.setPen(QPen(shellWithOpacity(accent, 0.5), 2));
        painter.drawRoundedRect(card.adjusted(-2, -2, 2, 2), radius + 2, radius + 2);
    }

    qreal y = card.top() + padding + 4;
    const QRectF circle(card.center().x() - 56, y, 112, 112);
    painter.setPen(Qt::NoPen);
    painter.setBrush(shellWithOpacity(accent, 0.10 + 0.06 * t));
    painter.drawEllipse(circle);
    drawSymbol(painter, Symbol::folderBadgePlus, QRectF(circle.center() - QPointF(22, 22), QSizeF(44, 44)), accent);
    y += 112 + 14;

    const QFont headline = shellFont(ShellTextStyle::headline);
    const QFont caption = shellFont(ShellTextStyle::caption);
    const int headlineHeight = QFontMetrics(headline).height();
    const int captionHeight = QFontMetrics(caption).height();
    const QRectF inner(card.left() + padding, y, card.width() - 2 * padding, headlineHeight);
    painter.setFont(headline);
    painter.setPen(shellPrimaryColor(palette()));
    painter.drawText(inner, Qt::AlignHCenter | Qt::AlignVCenter, text());
    y += headlineHeight + 3;
    painter.setFont(caption);
    painter.setPen(shellSecondaryColor(palette()));
    painter.drawText(QRectF(inner.left(), y, inner.width(), 2 * captionHeight), Qt::AlignHCenter | Qt::AlignTop, detail);

    QFont mono = shellMonospacedFont(ShellTextStyle::caption);
    painter.setFont(mono);
    painter.setPen(homeTertiaryColor(palette()));
    const qreal bottom = card.bottom() - padding;
    painter.drawText(QRectF(inner.left(), bottom - captionHeight, inner.width(), captionHeight),
                     Qt::AlignHCenter | Qt::AlignVCenter, shortcutText());
}

} // namespace plenwick
