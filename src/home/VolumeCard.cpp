#include "home/VolumeCard.h"

#include "home/HomeControls.h"
#include "home/HomeTexts.h"
#include "shell/FileIconCache.h"
#include "shell/ShellCapacityRing.h"
#include "shell/ShellCardBackground.h"
#include "shell/ShellIconImage.h"
#include "shell/ShellStyle.h"
#include "shell/WrappedToolTip.h"

#include <QAccessible>
#include <QAccessibleWidget>
#include <QHelpEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QPainterPath>
#include <QToolTip>
#include <QtMath>

namespace plenwick {

namespace {

constexpr qreal padding = 18;
constexpr qreal ringSide = 112;
constexpr qreal radius = 16;

Symbol symbolFor(home::VolumeSymbol symbol) {
    switch (symbol) {
    case home::VolumeSymbol::network: return Symbol::globe;
    case home::VolumeSymbol::internalDrive: return Symbol::internalDrive;
    case home::VolumeSymbol::externalDriveBadgePlus: return Symbol::externalDriveBadgePlus;
    case home::VolumeSymbol::externalDrive: return Symbol::externalDrive;
    }
    return Symbol::externalDrive;
}

int lineHeight(const QFont& font) { return QFontMetrics(font).height(); }

// The card as assistive technology sees it: one element that combines what the card
// shows (its name and description), with a named "Scan" action that scans as the button does.
class VolumeCardAccessible final : public QAccessibleWidget {
public:
    explicit VolumeCardAccessible(VolumeCard* card) : QAccessibleWidget(card, QAccessible::Grouping) {}
    int childCount() const override { return 0; }
    QAccessibleInterface* child(int) const override { return nullptr; }
    int indexOfChild(const QAccessibleInterface*) const override { return -1; }
    QAccessibleInterface* childAt(int, int) const override { return nullptr; }
    QStringList actionNames() const override { return {VolumeCard::scanActionName()}; }
    void doAction(const QString& name) override {
        if (name == VolumeCard::scanActionName()) emit static_cast<VolumeCard*>(widget())->scanRequested();
    }
    QStringList keyBindingsForAction(const QString&) const override { return {}; }
};

QAccessibleInterface* accessibleFactory(const QString& className, QObject* object) {
    if (className == QLatin1String("plenwick::VolumeCard") && object && object->isWidgetType())
        return new VolumeCardAccessible(static_cast<VolumeCard*>(object));
    return nullptr;
}

} // namespace

QString VolumeCard::scanActionName() { return QStringLiteral("Scan"); }

// Where each block of the card goes, from the top of the visible card.
struct VolumeCard::Geometry {
    QRectF ring, name, subtitle, free, capacity, button;
    qreal height = 0;
};

VolumeCard::Geometry VolumeCard::layoutFor(const QRectF& card) const {
    Geometry g;
    const qreal inner = card.width() - 2 * padding;
    qreal y = card.top() + padding + 4;
    g.ring = QRectF(card.center().x() - ringSide / 2, y, ringSide, ringSide);
    y += ringSide + 14;
    const int headline = lineHeight(shellFont(ShellTextStyle::headline));
    const int caption = lineHeight(shellFont(ShellTextStyle::caption));
    const int callout = lineHeight(shellFont(ShellTextStyle::callout, QFont::DemiBold));
    g.name = QRectF(card.left() + padding, y, inner, headline);
    y += headline + 3;
    g.subtitle = QRectF(card.left() + padding, y, inner, caption);
    y += caption + 14;
    g.free = QRectF(card.left() + padding, y, inner, callout);
    y += callout + 2;
    g.capacity = QRectF(card.left() + padding, y, inner, caption);
    y += caption + 14;
    g.button = QRectF(card.left() + padding, y, inner, HomeProminentButton::largeHeight);
    y += HomeProminentButton::largeHeight + padding;
    g.height = y - card.top();
    return g;
}

VolumeCard::VolumeCard(VolumeInfo volume, QWidget* parent) : QWidget(parent), volume_(std::move(volume)) {
    setObjectName(QStringLiteral("VolumeCard"));
    static const bool factoryInstalled = [] {
        QAccessible::installFactory(accessibleFactory);
        return true;
    }();
    (void)factoryInstalled;
    setContentsMargins(ShellCard::shadowRoom());
    setSizePolicy(QSizePolicy::Preferred, QSizePolicy::Preferred);
    scan_ = new HomeProminentButton(QStringLiteral("Scan"), this);
    connect(scan_, &QPushButton::clicked, this, &VolumeCard::scanRequested);
    hover_ = new HomeHover(*this, [this](const QPointF& at) {
        QPainterPath shape;
        shape.addRoundedRect(cardRect(), radius, radius);
        return shape.contains(at);
    });
    connect(hover_, &HomeHover::progressChanged, this, [this] { placeButton(); });
    setToolTip(home::displayText(volume_.url));
    setAccessibleName(home::displayText(volume_.name));
    QString description = home::volumeSubtitle(volume_) + QStringLiteral(", ") + home::volumeFreeText(volume_) +
                          QStringLiteral(", ") + home::volumeCapacityText(volume_);
    if (const QString sizeHelp = home::volumeSizeHelp(volume_); !sizeHelp.isEmpty())
        description += QStringLiteral(". ") + sizeHelp;
    setAccessibleDescription(description);

    repaintWhenIconReady(*this, [this](const std::string& path) { return path == volume_.url; });
}

void VolumeCard::setMountPointExists(std::optional<bool> exists) {
    if (exists_ == exists) return;
    exists_ = exists;
    update();
}

QRectF VolumeCard::cardRect() const { return homecard::visibleRect(rect()); }

QRectF VolumeCard::capacityRect() const { return layoutFor(cardRect()).capacity; }

QString VolumeCard::toolTipAt(QPointF pos) const {
    const QString sizeHelp = home::volumeSizeHelp(volume_);
    if (!sizeHelp.isEmpty() && capacityRect().contains(pos)) return wrappedToolTip(sizeHelp);
    return toolTip();
}

bool VolumeCard::event(QEvent* event) {
    if (event->type() == QEvent::ToolTip) {
        const auto* help = static_cast<QHelpEvent*>(event);
        if (capacityRect().contains(help->pos())) {
            const QString text = toolTipAt(help->pos());
            QToolTip::showText(help->globalPos(), text, this, capacityRect().toAlignedRect());
            return true;
        }
    }
    return QWidget::event(event);
}

int VolumeCard::heightForWidth(int width) const {
    return homecard::widgetHeight(layoutFor(QRectF(0, 0, homecard::visibleWidth(width), 0)).height);
}

QSize VolumeCard::sizeHint() const {
    return homecard::widgetSize(240, layoutFor(QRectF(0, 0, 240, 0)).height);
}

double VolumeCard::scale() const { return 1.0 + 0.015 * hover_->progress(); }

void VolumeCard::placeButton() {
    const QRectF card = cardRect();
    const Geometry g = layoutFor(card);
    // The button grows with the card about the card's centre.
    const double s = scale();
    const QPointF c = card.center();
    const QRectF scaled(c + (g.button.topLeft() - c) * s, g.button.size() * s);
    scan_->setGeometry(scaled.toAlignedRect());
}

void VolumeCard::resizeEvent(QResizeEvent* event) {
    QWidget::resizeEvent(event);
    placeButton();
}

void VolumeCard::mouseDoubleClickEvent(QMouseEvent* event) {
    QPainterPath shape;
    shape.addRoundedRect(cardRect(), radius, radius);
    if (event->button() == Qt::LeftButton && shape.contains(event->position())) {
        emit scanRequested();
        event->accept();
        return;
    }
    QWidget::mouseDoubleClickEvent(event);
}

void VolumeCard::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    const QRectF card = cardRect();
    const double s = scale();
    painter.translate(card.center());
    painter.scale(s, s);
    painter.translate(-card.center());

    ShellCardBackground background{radius, hover_->isHovered()};
    background.paint(painter, card, palette());

    const Geometry g = layoutFor(card);
    ShellCapacityRing::paint(painter, g.ring, home::usedFraction(volume_), 9, palette());
    const QPointF centre = g.ring.center();
    if (showsVolumeIcon()) {
        const qreal side = 58;
        paintShellIcon(painter, fileIcon(volume_.url, true, ""), QRectF(centre.x() - side / 2, centre.y() - side / 2, side, side));
    } else {
        const qreal side = 34;
        drawSymbol(painter, symbolFor(home::volumeSymbol(volume_)),
                   QRectF(centre.x() - side / 2, centre.y() - side / 2, side, side), shellSecondaryColor(palette()));
    }

    const QColor primary = shellPrimaryColor(palette());
    const QColor secondary = shellSecondaryColor(palette());
    auto line = [&](const QRectF& box, const QString& text, const QFont& font, const QColor& color, Qt::TextElideMode elide) {
        painter.setFont(font);
        painter.setPen(color);
        painter.drawText(box, Qt::AlignHCenter | Qt::AlignVCenter, QFontMetrics(font).elidedText(text, elide, qFloor(box.width())));
    };
    line(g.name, home::displayText(volume_.name), shellFont(ShellTextStyle::headline), primary, Qt::ElideMiddle);
    line(g.subtitle, home::volumeSubtitle(volume_), shellFont(ShellTextStyle::caption), secondary, Qt::ElideRight);
    line(g.free, home::volumeFreeText(volume_), shellFont(ShellTextStyle::callout, QFont::DemiBold), primary, Qt::ElideRight);
    line(g.capacity, home::volumeCapacityText(volume_), shellFont(ShellTextStyle::caption), secondary, Qt::ElideRight);
}

} // namespace plenwick
