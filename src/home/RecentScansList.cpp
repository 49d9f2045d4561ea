#include "home/RecentScansList.h"

#include "home/HomeControls.h"
#include "home/HomeTexts.h"
#include "platform/ByteCountFormatter.h"
#include "shell/FileIconCache.h"
#include "shell/ShellIconImage.h"
#include "shell/ShellStyle.h"

#include <QMouseEvent>
#include <QPainter>
#include <QPushButton>
#include <QVBoxLayout>
#include <QtMath>

#include <algorithm>

namespace plenwick {

namespace {

constexpr int horizontalPadding = 12;
constexpr int verticalPadding = 7;
constexpr int iconSide = 30;
constexpr int spacing = 12;
constexpr int removeSide = 16;

QFont nameFont() { return shellFont(ShellTextStyle::body, QFont::Medium); }
QFont pathFont() { return shellFont(ShellTextStyle::caption); }
QFont sizeFont() { return shellFont(ShellTextStyle::callout); }

} // namespace

RecentScanRow::RecentScanRow(RecentScan scan, std::shared_ptr<const VolumeNameMap> volumeNames, QWidget* parent)
    : QWidget(parent), scan_(std::move(scan)), volumeNames_(std::move(volumeNames)), now_([] { return Clock::now(); }) {
    setObjectName(QStringLiteral("RecentScanRow"));
    setAccessibleName(nameText());
    scanButton_ = new QPushButton(QStringLiteral("Scan"), this);
    scanButton_->setFont(shellFont(ShellTextStyle::subheadline));
    scanButton_->setAutoDefault(false);
    scanButton_->setToolTip(home::recentScanHelp(scan_.path, *volumeNames_));
    remove_ = new HomeSymbolButton(Symbol::xmarkCircleFill, removeSide, this);
    remove_->setToolTip(QStringLiteral("Remove from Recent Scans"));
    remove_->setAccessibleName(QStringLiteral("Remove from Recent Scans"));
    remove_->setOpacity(0);
    hover_ = new HomeHover(*this);
    connect(hover_, &HomeHover::hoveredChanged, this, [this](bool hovered) { remove_->setOpacity(hovered ? 1 : 0); });
    connect(scanButton_, &QPushButton::clicked, this, [this] { emit scanRequested(scan_.path); });
    connect(remove_, &QAbstractButton::clicked, this, [this] { emit removeRequested(scan_.path); });
    scanButton_->setIcon(symbolIcon(Symbol::arrowClockwise));

    repaintWhenIconReady(*this, [this](const std::string& path) { return path == scan_.path; });
}

void RecentScanRow::setExists(std::optional<bool> exists) {
    if (exists_ == exists) return;
    exists_ = exists;
    scanButton_->setEnabled(isAvailable());
    setAccessibleDescription(pathText());
    update();
}

void RecentScanRow::setClock(std::function<Clock::time_point()> now) {
    now_ = std::move(now);
    update();
}

QString RecentScanRow::nameText() const { return home::recentDisplayName(scan_.path, *volumeNames_); }
QString RecentScanRow::pathText() const { return home::recentPathText(scan_.path, isAvailable()); }

QString RecentScanRow::sizeText() const {
    return scan_.size ? QString::fromStdString(formatByteCount(*scan_.size)) : QString();
}

QString RecentScanRow::dateText() const { return home::relativeDateText(RecentScan::timePoint(scan_.date), now_()); }

qreal RecentScanRow::figuresWidth() const {
    qreal width = QFontMetricsF(pathFont()).horizontalAdvance(dateText());
    if (scan_.size) width = std::max(width, QFontMetricsF(sizeFont()).horizontalAdvance(sizeText()));
    return std::ceil(width);
}

QSize RecentScanRow::sizeHint() const {
    const int titles = QFontMetrics(nameFont()).height() + 1 + QFontMetrics(pathFont()).height();
    const int figures = (scan_.size ? QFontMetrics(sizeFont()).height() + 1 : 0) + QFontMetrics(pathFont()).height();
    const int content = std::max({iconSide, titles, figures, scanButton_->sizeHint().height()});
    return QSize(480, content + 2 * verticalPadding);
}

QSize RecentScanRow::minimumSizeHint() const { return QSize(200, sizeHint().height()); }

void RecentScanRow::placeButtons() {
    const int x = width() - horizontalPadding - removeSide;
    remove_->move(x, (height() - removeSide) / 2);
    const QSize button = scanButton_->sizeHint();
    scanButton_->setGeometry(x - spacing - button.width(), (height() - button.height()) / 2, button.width(), button.height());
}

void RecentScanRow::resizeEvent(QResizeEvent* event) {
    QWidget::resizeEvent(event);
    placeButtons();
}

void RecentScanRow::mouseDoubleClickEvent(QMouseEvent* event) {
    if (event->button() == Qt::LeftButton && isAvailable()) {
        emit scanRequested(scan_.path);
        event->accept();
        return;
    }
    QWidget::mouseDoubleClickEvent(event);
}

void RecentScanRow::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    const qreal midY = height() / 2.0;

    painter.setOpacity(isAvailable() ? 1.0 : 0.4);
    paintShellIcon(painter, fileIcon(scan_.path, true, ""), QRectF(horizontalPadding, midY - iconSide / 2.0, iconSide, iconSide));
    painter.setOpacity(1);

    const qreal figures = figuresWidth();
    const qreal figuresRight = scanButton_->geometry().left() - spacing;
    const qreal textLeft = horizontalPadding + iconSide + spacing;
    const qreal textRight = figuresRight - figures - spacing;
    const QFontMetricsF nameMetrics(nameFont()), pathMetrics(pathFont()), sizeMetrics(sizeFont());

    const qreal titlesHeight = nameMetrics.height() + 1 + pathMetrics.height();
    qreal y = midY - titlesHeight / 2;
    const qreal textWidth = std::max<qreal>(0, textRight - textLeft);
    painter.setFont(nameFont());
    painter.setPen(shellPrimaryColor(palette()));
    painter.drawText(QRectF(textLeft, y, textWidth, nameMetrics.height()), Qt::AlignLeft | Qt::AlignVCenter,
                     nameMetrics.elidedText(nameText(), Qt::ElideRight, textWidth));
    y += nameMetrics.height() + 1;
    painter.setFont(pathFont());
    painter.setPen(shellSecondaryColor(palette()));
    painter.drawText(QRectF(textLeft, y, textWidth, pathMetrics.height()), Qt::AlignLeft | Qt::AlignVCenter,
                     pathMetrics.elidedText(pathText(), Qt::ElideMiddle, textWidth));

    const qreal figuresHeight = (scan_.size ? sizeMetrics.height() + 1 : 0) + pathMetrics.height();
    y = midY - figuresHeight / 2;
    const QRectF column(figuresRight - figures, y, figures, figuresHeight);
    if (scan_.size) {
        painter.setFont(sizeFont());
        painter.setPen(shellPrimaryColor(palette()));
        painter.drawText(QRectF(column.left(), y, figures, sizeMetrics.height()), Qt::AlignRight | Qt::AlignVCenter, sizeText());
        y += sizeMetrics.height() + 1;
    }
    painter.setFont(pathFont());
    painter.setPen(shellSecondaryColor(palette()));
    painter.drawText(QRectF(column.left(), y, figures, pathMetrics.height()), Qt::AlignRight | Qt::AlignVCenter, dateText());
}

RecentScansList::RecentScansList(const std::vector<RecentScan>& scans,
                                 const std::shared_ptr<const VolumeNameMap>& volumeNames, QWidget* parent)
    : ShellCard(ShellCardBackground{12, false}, parent) {
    setObjectName(QStringLiteral("RecentScansList"));
    setPadding(QMargins(0, 4, 0, 4));
    auto* column = new QVBoxLayout(this);
    column->setSpacing(0);
    for (const RecentScan& scan : scans) {
        auto* row = new RecentScanRow(scan, volumeNames, this);
        connect(row, &RecentScanRow::scanRequested, this, &RecentScansList::scanRequested);
        connect(row, &RecentScanRow::removeRequested, this, &RecentScansList::removeRequested);
        column->addWidget(row);
        rows_.push_back(row);
    }
}

RecentScanRow* RecentScansList::row(const std::string& path) const {
    for (RecentScanRow* row : rows_)
        if (row->scan().path == path) return row;
    return nullptr;
}

std::vector<QLineF> RecentScansList::dividers() const {
    std::vector<QLineF> lines;
    const QRectF card = cardRect();
    for (std::size_t i = 1; i < rows_.size(); ++i) {
        const qreal y = rows_[i]->geometry().top() + 0.5;
        lines.emplace_back(card.left() + dividerInset, y, card.right(), y);
    }
    return lines;
}

void RecentScansList::paintEvent(QPaintEvent* event) {
    ShellCard::paintEvent(event);
    QPainter painter(this);
    painter.setPen(QPen(shellSeparatorColor(shellAppearance(palette())), 1));
    for (const QLineF& line : dividers()) painter.drawLine(line);
}

} // namespace plenwick
