#include "home/HomeBanners.h"

#include "home/HomeControls.h"
#include "home/HomeStyle.h"
#include "home/HomeTexts.h"
#include "shell/FileIconCache.h"
#include "shell/ShellIconImage.h"
#include "shell/ShellStyle.h"

#include <QKeySequence>
#include <QMouseEvent>
#include <QPainter>
#include <QPainterPath>
#include <QPushButton>
#include <QRadialGradient>
#include <QShortcut>
#include <QtMath>

#include <algorithm>

namespace plenwick {

namespace {

constexpr int bannerIcon = 44;
constexpr int largeButtonHeight = HomeProminentButton::largeHeight;

void paintRoundedPanel(QPainter& painter, const QRectF& rect, qreal radius, const QColor& fill, const QColor& border) {
    painter.setRenderHint(QPainter::Antialiasing);
    QPainterPath shape;
    shape.addRoundedRect(rect, radius, radius);
    painter.fillPath(shape, fill);
    painter.setPen(QPen(border, 1));
    painter.setBrush(Qt::NoBrush);
    painter.drawRoundedRect(rect.adjusted(0.5, 0.5, -0.5, -0.5), radius - 0.5, radius - 0.5);
}

} // namespace

// ---- Return banner ----

ShellReturnToResultsBanner::ShellReturnToResultsBanner(NodeRef root, std::int64_t collectedCount,
                                                       std::optional<Clock::time_point> scannedAt,
                                                       std::shared_ptr<const VolumeNameMap> volumeNames, QWidget* parent)
    : QWidget(parent), root_(std::move(root)), volumeNames_(std::move(volumeNames)), collectedCount_(collectedCount),
      scannedAt_(scannedAt),
      now_([] { return Clock::now(); }) {
    setObjectName(QStringLiteral("ReturnToResultsBanner"));
    setToolTip(home::returnBannerToolTip(*root_));
    setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Fixed);
    close_ = new QPushButton(QStringLiteral("Close Results"), this);
    close_->setToolTip(QStringLiteral("Discard these results (and the collector) to free their memory"));
    close_->setAutoDefault(false);
    close_->setFixedHeight(largeButtonHeight);
    return_ = new HomeProminentButton(QStringLiteral("Back to Results"), this);
    return_->setSymbol(Symbol::arrowUturnBackward);
    connect(close_, &QPushButton::clicked, this, &ShellReturnToResultsBanner::closeRequested);
    connect(return_, &QPushButton::clicked, this, &ShellReturnToResultsBanner::returnRequested);
    // Return is the default action wherever the focus is on the page.
    for (int key : {Qt::Key_Return, Qt::Key_Enter}) {
        auto* shortcut = new QShortcut(QKeySequence(key), this, nullptr, nullptr, Qt::WindowShortcut);
        connect(shortcut, &QShortcut::activated, this, &ShellReturnToResultsBanner::returnRequested);
    }
    hover_ = new HomeHover(*this);
    setAccessibleName(titleText());
    setAccessibleDescription(subtitleText());

    repaintWhenIconReady(*this, [this](const std::string& path) { return path == root_->url(); });
}

void ShellReturnToResultsBanner::setClock(std::function<Clock::time_point()> now) {
    now_ = std::move(now);
    update();
}

QString ShellReturnToResultsBanner::titleText() const { return home::returnBannerTitle(*root_, *volumeNames_); }

QString ShellReturnToResultsBanner::subtitleText() const {
    return home::returnBannerSubtitle(*root_, collectedCount_, scannedAt_, now_());
}

QSize ShellReturnToResultsBanner::sizeHint() const {
    const int texts = QFontMetrics(shellFont(ShellTextStyle::headline)).height() + 3 +
                      QFontMetrics(shellFont(ShellTextStyle::callout)).height();
    const int height = std::max({bannerIcon, texts, largeButtonHeight}) + 2 * 14;
    return QSize(720, height);
}

QSize ShellReturnToResultsBanner::minimumSizeHint() const { return QSize(400, sizeHint().height()); }

QRectF ShellReturnToResultsBanner::textRect() const {
    const qreal left = 16 + bannerIcon + 14;
    const qreal right = close_->geometry().left() - 14;
    return QRectF(left, 14, std::max<qreal>(0, right - left), height() - 28);
}

void ShellReturnToResultsBanner::resizeEvent(QResizeEvent* event) {
    QWidget::resizeEvent(event);
    const QSize back = return_->sizeHint();
    const QSize close(std::max(close_->sizeHint().width(), 100), largeButtonHeight);
    const int y = (height() - largeButtonHeight) / 2;
    return_->setGeometry(width() - 16 - back.width(), y, back.width(), largeButtonHeight);
    close_->setGeometry(return_->x() - 14 - close.width(), y, close.width(), largeButtonHeight);
}

void ShellReturnToResultsBanner::mouseReleaseEvent(QMouseEvent* event) {
    // A click on the banner outside its buttons goes back; the buttons take their own.
    if (event->button() == Qt::LeftButton && rect().contains(event->position().toPoint())) {
        emit returnRequested();
        event->accept();
        return;
    }
    QWidget::mouseReleaseEvent(event);
}

void ShellReturnToResultsBanner::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    const double t = hover_->progress();
    const QColor accent = shellAccentColor(palette());
    paintRoundedPanel(painter, QRectF(rect()), 14, shellWithOpacity(accent, 0.10 + 0.04 * t),
                      shellWithOpacity(accent, 0.35 + 0.25 * t));

    const QRectF icon(16, (height() - bannerIcon) / 2.0, bannerIcon, bannerIcon);
    paintShellIcon(painter, fileIconForNode(*root_), icon);
    const qreal badge = 18;
    const QRectF badgeBox(icon.right() - badge + 4, icon.bottom() - badge + 4, badge, badge);
    // White on an accent disc.
    painter.setPen(Qt::NoPen);
    painter.setBrush(accent);
    painter.drawEllipse(badgeBox.adjusted(0.9, 0.9, -0.9, -0.9));
    drawSymbol(painter, Symbol::arrowUturnBackward, badgeBox.adjusted(3, 3, -3, -3), Qt::white);

    const QRectF text = textRect();
    const QFont headline = shellFont(ShellTextStyle::headline);
    const QFont callout = shellFont(ShellTextStyle::callout);
    const QFontMetricsF headlineMetrics(headline), calloutMetrics(callout);
    const qreal block = headlineMetrics.height() + 3 + calloutMetrics.height();
    qreal y = text.center().y() - block / 2;
    painter.setFont(headline);
    painter.setPen(shellPrimaryColor(palette()));
    painter.drawText(QRectF(text.left(), y, text.width(), headlineMetrics.height()), Qt::AlignLeft | Qt::AlignVCenter,
                     headlineMetrics.elidedText(titleText(), Qt::ElideMiddle, text.width()));
    y += headlineMetrics.height() + 3;
    painter.setFont(callout);
    painter.setPen(shellSecondaryColor(palette()));
    painter.drawText(QRectF(text.left(), y, text.width(), calloutMetrics.height()), Qt::AlignLeft | Qt::AlignVCenter,
                     calloutMetrics.elidedText(subtitleText(), Qt::ElideRight, text.width()));
}

// ---- Backdrop ----

HomeBackdrop::HomeBackdrop(QWidget* parent) : QWidget(parent) {
    setObjectName(QStringLiteral("HomeBackdrop"));
    setAutoFillBackground(false);
}

void HomeBackdrop::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    const QRectF area(rect());
    painter.fillRect(area, shellWindowBackgroundColor(palette()));
    QRadialGradient accent(area.topLeft(), 700);
    accent.setColorAt(0, shellWithOpacity(shellAccentColor(palette()), 0.1));
    accent.setColorAt(1, Qt::transparent);
    painter.fillRect(area, accent);
    QRadialGradient purple(area.bottomRight(), 600);
    purple.setColorAt(0, shellWithOpacity(homePurpleColor(palette()), 0.06));
    purple.setColorAt(1, Qt::transparent);
    painter.fillRect(area, purple);
}

// ---- Drop overlay ----

const QString DropToScanOverlay::text = QStringLiteral("Drop a folder to scan it");

DropToScanOverlay::DropToScanOverlay(QWidget* parent) : QWidget(parent) {
    setObjectName(QStringLiteral("DropToScanOverlay"));
    setAttribute(Qt::WA_TransparentForMouseEvents);
    setAccessibleName(text);
}

void DropToScanOverlay::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    const QColor accent = shellAccentColor(palette());
    const QRectF frame = QRectF(rect()).adjusted(14, 14, -14, -14);
    QPainterPath shape;
    shape.addRoundedRect(frame, 18, 18);
    painter.fillPath(shape, shellWithOpacity(accent, 0.1));
    QPen dashed(accent, 3, Qt::SolidLine, Qt::FlatCap, Qt::MiterJoin);
    dashed.setMiterLimit(10);
    dashed.setDashPattern({10.0 / 3, 6.0 / 3});
    painter.setPen(dashed);
    painter.setBrush(Qt::NoBrush);
    painter.drawRoundedRect(frame.adjusted(1.5, 1.5, -1.5, -1.5), 16.5, 16.5);

    const QFont font = shellFont(ShellTextStyle::title2, QFont::DemiBold);
    const QFontMetricsF metrics(font);
    const qreal symbol = 44, gap = 10;
    const qreal block = symbol + gap + metrics.height();
    const qreal top = frame.center().y() - block / 2;
    drawSymbol(painter, Symbol::arrowDownCircleFill, QRectF(frame.center().x() - symbol / 2, top, symbol, symbol), accent);
    painter.setFont(font);
    painter.setPen(shellPrimaryColor(palette()));
    painter.drawText(QRectF(frame.left(), top + symbol + gap, frame.width(), metrics.height()), Qt::AlignHCenter | Qt::AlignVCenter, text);
}

} // namespace plenwick
