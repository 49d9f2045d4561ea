#include "results/ShellDiskUsageSummary.h"

#include "results/ResultsTexts.h"

#include "app/AppState.h"
#include "home/HomeTexts.h"
#include "platform/ByteCountFormatter.h"
#include "shell/ShellCardBackground.h"
#include "shell/ShellStyle.h"
#include "shell/ShellText.h"
#include "shell/Symbols.h"
#include "shell/WrappedToolTip.h"

#include <QEvent>
#include <QHBoxLayout>
#include <QLabel>
#include <QPainter>
#include <QPainterPath>
#include <QVBoxLayout>

#include <algorithm>

namespace plenwick {

namespace {

QString bytesText(std::int64_t bytes) { return QString::fromStdString(formatByteCount(bytes)); }

// One legend row: dot, title, an info mark when the row has help, and the size.
class LegendRow final : public QWidget {
public:
    LegendRow(const DiskUsageSegment& segment, QWidget* parent) : QWidget(parent), tint_(segment.tint) {
        setObjectName(QString::fromStdString(segment.id));
        auto* row = new QHBoxLayout(this);
        row->setContentsMargins(0, 0, 0, 0);
        row->setSpacing(6);
        dot_ = new QWidget(this);
        dot_->setFixedSize(8, 8);
        row->addWidget(dot_, 0, Qt::AlignVCenter);
        // Title, the info mark right after it, then the room that pushes the size to the end.
        auto* title = new ShellText(segment.title, this);
        title->setTextStyle(ShellTextStyle::caption);
        title->setAlignment(Qt::AlignLeft);
        title->setElideMode(Qt::ElideMiddle);
        title->setSizePolicy(QSizePolicy::Preferred, QSizePolicy::Fixed);
        row->addWidget(title, 0);
        if (segment.help) {
            info_ = new QLabel(this);
            row->addWidget(info_);
        }
        row->addStretch(1);
        auto* size = new ShellText(bytesText(segment.bytes), this);
        size->setTextStyle(ShellTextStyle::caption);
        size->setTone(ShellText::Tone::secondary);
        size->setAlignment(Qt::AlignRight);
        size->setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Fixed);
        row->addWidget(size);
        setToolTip(wrappedToolTip(segment.help.value_or(QString())));
        setAccessibleName(segment.title + QStringLiteral(", ") + size->text());
        dot_->installEventFilter(this);
        tintInfo();
    }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (watched == dot_ && event->type() == QEvent::Paint) {
            QPainter p(dot_);
            p.setRenderHint(QPainter::Antialiasing);
            p.setPen(Qt::NoPen);
            p.setBrush(ShellSegmentedBar::tintColor(tint_, *this));
            p.drawEllipse(QRectF(dot_->rect()));
            return true;
        }
        return QWidget::eventFilter(watched, event);
    }
    void changeEvent(QEvent* event) override {
        QWidget::changeEvent(event);
        if (event->type() == QEvent::PaletteChange) tintInfo();
    }

private:
    void tintInfo() {
        if (info_)
            info_->setPixmap(symbolIcon(Symbol::infoCircle, shellWithOpacity(shellPrimaryColor(palette()), 0.3))
                                 .pixmap(QSize(10, 10), devicePixelRatioF()));
    }
    DiskUsageSegment::Tint tint_;
    QWidget* dot_;
    QLabel* info_ = nullptr;
};

} // namespace

ShellSegmentedBar::ShellSegmentedBar(QWidget* parent) : QWidget(parent) {
    setFixedHeight(kHeight);
    setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Fixed);
}

void ShellSegmentedBar::setSegments(std::vector<DiskUsageSegment> segments, std::int64_t total) {
    segments_ = std::move(segments);
    total_ = total;
    update();
}

QColor ShellSegmentedBar::tintColor(DiskUsageSegment::Tint tint, const QWidget& widget) {
    switch (tint) {
    case DiskUsageSegment::Tint::accent: return shellAccentColor(widget.palette());
    case DiskUsageSegment::Tint::neutral: return shellNeutralFillColor(shellAppearance(widget));
    case DiskUsageSegment::Tint::track: return shellRingTrackColor(shellAppearance(widget));
    }
    return {};
}

std::vector<QRectF> ShellSegmentedBar::segmentRects() const {
    std::vector<std::int64_t> bytes;
    for (const DiskUsageSegment& s : segments_) bytes.push_back(s.bytes);
    const std::vector<double> widths = segmentWidths(bytes, total_, width(), kSpacing);
    std::vector<QRectF> rects;
    double x = 0;
    for (double w : widths) {
        if (w > 0) {
            rects.emplace_back(x, 0, w, height());
            x += w + kSpacing;
        } else {
            rects.emplace_back(x, 0, 0, height());
        }
    }
    return rects;
}

void ShellSegmentedBar::paintEvent(QPaintEvent*) {
    QPainter p(this);
    p.setRenderHint(QPainter::Antialiasing);
    QPainterPath capsule;
    capsule.addRoundedRect(QRectF(rect()), height() / 2.0, height() / 2.0);
    p.setClipPath(capsule);
    const std::vector<QRectF> rects = segmentRects();
    for (std::size_t i = 0; i < rects.size(); ++i)
        if (rects[i].width() > 0) p.fillRect(rects[i], tintColor(segments_[i].tint, *this));
}

ShellDiskUsageSummary::ShellDiskUsageSummary(AppState& state, QWidget* parent) : QWidget(parent), state_(state) {
    setObjectName(QStringLiteral("ShellDiskUsageSummary"));
    auto* outer = new QVBoxLayout(this);
    outer->setContentsMargins(0, 0, 0, 0);
    card_ = new ShellCard(ShellCardBackground{10, false}, this);
    card_->setPadding(QMargins(12, 12, 12, 12));
    outer->addWidget(card_);
    auto* column = new QVBoxLayout(card_);
    column->setContentsMargins(0, 0, 0, 0); // the card's padding is all the room there is
    column->setSpacing(8);
    // The title takes a second line rather than being cut where the desktop's font is
    // too wide for one beside the capacity; the capacity stays on its first baseline.
    auto* header = new QHBoxLayout;
    header->setSpacing(8);
    title_ = new QLabel(card_);
    title_->setFont(shellFont(ShellTextStyle::headline));
    title_->setTextFormat(Qt::PlainText);
    title_->setWordWrap(true);
    title_->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    title_->setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Preferred);
    total_ = new ShellText(QString(), card_);
    total_->setTextStyle(ShellTextStyle::caption);
    total_->setTone(ShellText::Tone::secondary);
    total_->setAlignment(Qt::AlignRight);
    total_->setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Fixed);
    total_->setContentsMargins(
        0, std::max(0, QFontMetrics(title_->font()).ascent() - QFontMetrics(total_->font()).ascent()), 0, 0);
    header->addWidget(title_, 1, Qt::AlignTop);
    header->addWidget(total_, 0, Qt::AlignTop);
    column->addLayout(header);
    bar_ = new ShellSegmentedBar(card_);
    column->addWidget(bar_);
    legend_ = new QVBoxLayout;
    legend_->setSpacing(4);
    column->addLayout(legend_);
    refresh();
}

void ShellDiskUsageSummary::refresh() {
    const std::optional<std::vector<DiskUsageSegment>> segments = diskUsageSegments(state_);
    setVisible(segments.has_value());
    if (!segments) return;
    const VolumeInfo& volume = *state_.scanVolume();
    title_->setText(diskUsageTitle(state_));
    total_->setText(bytesText(volume.totalCapacity));
    total_->setToolTip(wrappedToolTip(home::volumeSizeHelp(volume)));
    if (*segments != bar_->segments()) rebuildLegend(*segments);
    bar_->setSegments(*segments, volume.totalCapacity);
}

void ShellDiskUsageSummary::rebuildLegend(const std::vector<DiskUsageSegment>& segments) {
    for (QWidget* row : rows_) delete row;
    rows_.clear();
    for (const DiskUsageSegment& s : segments) {
        auto* row = new LegendRow(s, card_);
        legend_->addWidget(row);
        rows_.push_back(row);
    }
}

QString ShellDiskUsageSummary::titleText() const { return title_->text(); }
QString ShellDiskUsageSummary::totalText() const { return total_->text(); }

void ShellDiskUsageSummary::changeEvent(QEvent* event) {
    QWidget::changeEvent(event);
    if (event->type() == QEvent::PaletteChange) bar_->update();
}

} // namespace plenwick
