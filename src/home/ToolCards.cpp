#include "home/ToolCards.h"

#include "app/HelperController.h"
#include "home/HomeControls.h"
#include "home/HomeStyle.h"
#include "shell/ShellCardBackground.h"
#include "shell/ShellStyle.h"

#include <QKeySequence>
#include <QShowEvent>
#include <QPainter>
#include <QPainterPath>
#include <QtMath>

#include <algorithm>

namespace plenwick {

namespace {

constexpr qreal padding = 14;
constexpr qreal radius = 14;
constexpr qreal tileSide = 40;
constexpr qreal minimumHeight = 84;
constexpr int detailFlags = Qt::AlignLeft | Qt::AlignTop | Qt::TextWordWrap;

void paintContent(QPainter& painter, const QRectF& card, const ToolCardContent& content, const QSizeF& accessory,
                  const QPalette& palette) {
    const ToolCardGeometry g = toolCardGeometry(card, content.detail, accessory);
    const QColor tint = toolTintColor(content.tint, palette);
    painter.setPen(Qt::NoPen);
    painter.setBrush(shellWithOpacity(tint, 0.12));
    painter.drawRoundedRect(g.tile, 10, 10);
    const qreal symbol = 24;
    drawSymbol(painter, content.symbol, QRectF(g.tile.center() - QPointF(symbol / 2, symbol / 2), QSizeF(symbol, symbol)), tint);

    painter.setFont(shellFont(ShellTextStyle::headline));
    painter.setPen(shellPrimaryColor(palette));
    painter.drawText(g.title, Qt::AlignLeft | Qt::AlignVCenter,
                     QFontMetrics(painter.font()).elidedText(content.title, Qt::ElideRight, qFloor(g.title.width())));
    painter.setFont(shellFont(ShellTextStyle::caption));
    painter.setPen(shellSecondaryColor(palette));
    painter.drawText(g.detail, detailFlags, content.detail);
}

} // namespace

QColor toolTintColor(ToolTint tint, const QPalette& palette) {
    switch (tint) {
    case ToolTint::red: return homeRedColor(palette);
    case ToolTint::green: return homeGreenColor(palette);
    case ToolTint::accent: return shellAccentColor(palette);
    }
    return shellAccentColor(palette);
}

ToolCardGeometry toolCardGeometry(const QRectF& card, const QString& detail, const QSizeF& accessory) {
    ToolCardGeometry g;
    const qreal top = card.top() + padding;
    g.tile = QRectF(card.left() + padding, top, tileSide, tileSide);
    const qreal textLeft = g.tile.right() + 12;
    const qreal textRight = card.right() - padding - accessory.width() - std::max<qreal>(8, 12);
    const qreal textWidth = std::max<qreal>(1, textRight - textLeft);
    const int headline = QFontMetrics(shellFont(ShellTextStyle::headline)).height();
    g.title = QRectF(textLeft, top, textWidth, headline);
    const QRect detailBox = QFontMetrics(shellFont(ShellTextStyle::caption))
                                .boundingRect(QRect(0, 0, qFloor(textWidth), 10000), detailFlags, detail);
    g.detail = QRectF(textLeft, g.title.bottom() + 3, textWidth, detailBox.height());
    g.accessory = QRectF(QPointF(card.right() - padding - accessory.width(), top), accessory);
    const qreal content = std::max({tileSide, g.detail.bottom() - top, accessory.height()});
    g.height = std::max(minimumHeight, content + 2 * padding);
    return g;
}

ToolCard::ToolCard(ToolCardContent content, const char* shortcut, QWidget* parent)
    : QAbstractButton(parent), content_(std::move(content)),
      shortcut_(QKeySequence(QString::fromLatin1(shortcut), QKeySequence::PortableText).toString(QKeySequence::NativeText)) {
    setObjectName(QStringLiteral("ToolCard"));
    setText(content_.title);
    setAccessibleName(content_.title);
    setAccessibleDescription(content_.detail);
    setContentsMargins(ShellCard::shadowRoom());
    setCursor(Qt::ArrowCursor);
    hover_ = new HomeHover(*this, [this](const QPointF& at) { return cardRect().contains(at); });
}

QRectF ToolCard::cardRect() const { return homecard::visibleRect(rect()); }

QSizeF ToolCard::accessorySize() const {
    const QFontMetrics metrics(shellMonospacedFont(ShellTextStyle::caption));
    return QSizeF(metrics.horizontalAdvance(shortcut_), metrics.height());
}

int ToolCard::heightForWidth(int width) const {
    const QRectF card(0, 0, homecard::visibleWidth(width), 0);
    return homecard::widgetHeight(toolCardGeometry(card, content_.detail, accessorySize()).height);
}

QSize ToolCard::sizeHint() const {
    return homecard::widgetSize(340, toolCardGeometry(QRectF(0, 0, 340, 0), content_.detail, accessorySize()).height);
}

bool ToolCard::hitButton(const QPoint& pos) const { return cardRect().contains(pos); }

void ToolCard::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    const QRectF card = cardRect();
    ShellCardBackground{radius, hover_->isHovered() || hasFocus()}.paint(painter, card, palette());
    paintContent(painter, card, content_, accessorySize(), palette());
    const ToolCardGeometry g = toolCardGeometry(card, content_.detail, accessorySize());
    painter.setFont(shellMonospacedFont(ShellTextStyle::caption));
    painter.setPen(homeTertiaryColor(palette()));
    painter.drawText(g.accessory, Qt::AlignRight | Qt::AlignVCenter, shortcut_);
}

const QString HelperToolCard::ordinaryDetail =
    QStringLiteral("Offers to remove leftovers when you trash an app, and opens or quits Plenwick.");
const QString HelperToolCard::noTrayDetail =
    QStringLiteral("This desktop has no system tray, so the helper shows no icon. It still offers to remove "
                   "leftovers when you trash an app.");

HelperToolCard::HelperToolCard(HelperController& helper, std::function<bool()> trayAvailable, QWidget* parent)
    : QWidget(parent), helper_(helper), trayAvailable_(std::move(trayAvailable)) {
    setObjectName(QStringLiteral("HelperToolCard"));
    setContentsMargins(ShellCard::shadowRoom());
    switch_ = new HomeSwitch(this);
    switch_->setAccessibleName(QStringLiteral("System Tray Helper"));
    switch_->setToolTip(QStringLiteral("Start the system tray helper when you log in"));
    connect(switch_, &QAbstractButton::clicked, this, [this](bool on) {
        helper_.setEnabled(on);
        sync(); // the switch shows what the controller holds, also when registering failed
    });
    connect(&helper_, &HelperController::changed, this, [this](quint64 fields) {
        if (fields & HelperController::bit(HelperController::Field::status)) sync();
    });
    sync();
}

ToolCardContent HelperToolCard::content() const {
    return {Symbol::menubarRectangle, ToolTint::accent, QStringLiteral("System Tray Helper"), detailText()};
}

QString HelperToolCard::detailText() const {
    const LoginItemStatus status = helper_.status();
    // Turned on where nothing can show its icon: said here, where it was turned on.
    if (status == LoginItemStatus::enabled && trayAvailable_ && !trayAvailable_()) return noTrayDetail;
    return ordinaryDetail;
}

void HelperToolCard::sync() {
    switch_->setChecked(helper_.status() == LoginItemStatus::enabled);
    setAccessibleName(QStringLiteral("System Tray Helper"));
    setAccessibleDescription(detailText());
    updateGeometry();
    update();
}

QRectF HelperToolCard::cardRect() const { return homecard::visibleRect(rect()); }

int HelperToolCard::heightForWidth(int width) const {
    const QRectF card(0, 0, homecard::visibleWidth(width), 0);
    return homecard::widgetHeight(toolCardGeometry(card, detailText(), switch_->sizeHint()).height);
}

QSize HelperToolCard::sizeHint() const {
    return homecard::widgetSize(340, toolCardGeometry(QRectF(0, 0, 340, 0), detailText(), switch_->sizeHint()).height);
}

void HelperToolCard::resizeEvent(QResizeEvent* event) {
    QWidget::resizeEvent(event);
    const ToolCardGeometry g = toolCardGeometry(cardRect(), detailText(), switch_->sizeHint());
    switch_->move(g.accessory.topLeft().toPoint());
}

void HelperToolCard::showEvent(QShowEvent* event) {
    QWidget::showEvent(event);
    // The switch shows the registration as it is now.
    if (!event->spontaneous()) helper_.refresh();
}

void HelperToolCard::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    const QRectF card = cardRect();
    ShellCardBackground{radius, false}.paint(painter, card, palette());
    paintContent(painter, card, content(), switch_->sizeHint(), palette());
}

} // namespace plenwick
