#include "chartviews/TreemapStatusBar.h"

#include "app/AppState.h"
#include "chartviews/TreemapModel.h"
#include "platform/ByteCountFormatter.h"
#include "services/Formatters.h"
#include "shell/ShellStyle.h"
#include "shell/Symbols.h"

#include <QPainter>
#include <QPainterPath>

#include <algorithm>

namespace plenwick {

namespace {

constexpr int padding = 10, spacing = 8, swatchSide = 12, symbolSide = 14, minSpacer = 12, minShareWidth = 40;

QColor opaque(const RGB& c) {
    return QColor::fromRgbF(static_cast<float>(std::clamp(c.red, 0.0, 1.0)),
                            static_cast<float>(std::clamp(c.green, 0.0, 1.0)),
                            static_cast<float>(std::clamp(c.blue, 0.0, 1.0)));
}

} // namespace

TreemapStatusBar::TreemapStatusBar(AppState& state, TreemapModel& model, QWidget* parent)
    : QWidget(parent), state_(state), model_(model) {
    setFixedHeight(kHeight);
    setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Fixed);
    setAutoFillBackground(false);
    auto repaint = [this] { update(); };
    connect(&model_, &TreemapModel::layoutChanged, this, repaint);
    connect(&model_, &TreemapModel::hoverCellChanged, this, repaint);
    connect(&state_, &AppState::changed, this, [this](quint64 fields) {
        using F = AppState::Field;
        constexpr quint64 read = AppState::bit(F::focus) | AppState::bit(F::treeVersion) |
                                 AppState::bit(F::hovered) | AppState::bit(F::selection) |
                                 AppState::bit(F::collectorVersion) | AppState::bit(F::colorMode) |
                                 AppState::bit(F::typeFilter) | AppState::bit(F::extensionColors) |
                                 AppState::bit(F::volumeNames);
        if (fields & read) update();
    });
}

std::optional<TreemapStatusInfo> TreemapStatusBar::info() const {
    return treemapStatusInfo(model_.chartState(), state_.hovered().get(), state_.selection().get(),
                             model_.layout().get(), model_.hoverCell());
}

QSize TreemapStatusBar::sizeHint() const { return {400, kHeight}; }

std::optional<TreemapStatusBar::Line> TreemapStatusBar::line() const {
    const std::optional<TreemapStatusInfo> shown = info();
    if (!shown) return std::nullopt;
    Line line;
    const double midY = height() / 2.0;
    double x = padding;
    line.swatch = QRectF(x, midY - swatchSide / 2.0, swatchSide, swatchSide);
    x += swatchSide + spacing;
    line.symbol = QRectF(x, midY - symbolSide / 2.0, symbolSide, symbolSide);
    x += symbolSide + spacing;

    const QFontMetricsF fm(shellFont(ShellTextStyle::callout)), sizeFm(shellFont(ShellTextStyle::callout, QFont::Medium));
    const QString unknown = QStringLiteral("—");
    line.size = shown->sizeKnown ? QString::fromStdString(formatByteCount(shown->size)) : unknown;
    line.share = shown->sizeKnown ? QString::fromStdString(formatPercent(shown->fraction)) : unknown;
    const double shareWidth = std::max<double>(minShareWidth, fm.horizontalAdvance(line.share));
    const double sizeWidth = sizeFm.horizontalAdvance(line.size);
    const double right = width() - padding;

    // The size and the share always show; the title keeps its room next, and the kind
    // takes what is left, or stays out when that is no more than an ellipsis.
    const double fixedRight = spacing + sizeWidth + spacing + shareWidth;
    const double titleWidth = std::clamp(right - x - minSpacer - fixedRight, 0.0, fm.horizontalAdvance(shown->title));
    line.title = fm.elidedText(shown->title, Qt::ElideMiddle, titleWidth);
    const double kindWidth = std::clamp(right - x - titleWidth - minSpacer - fixedRight, 0.0, fm.horizontalAdvance(shown->kind));
    line.kind = fm.elidedText(shown->kind, Qt::ElideRight, kindWidth);
    if (line.kind == QStringLiteral("…")) line.kind.clear();

    line.shareRect = QRectF(right - shareWidth, 0, shareWidth, height());
    line.sizeRect = QRectF(line.shareRect.left() - spacing - sizeWidth, 0, sizeWidth, height());
    line.kindRect = QRectF(line.sizeRect.left() - spacing - kindWidth, 0, kindWidth, height());
    line.titleRect = QRectF(x, 0, titleWidth, height());
    return line;
}

void TreemapStatusBar::paintEvent(QPaintEvent*) {
    QPainter p(this);
    p.fillRect(rect(), shellWindowBackgroundColor(palette()));
    const std::optional<TreemapStatusInfo> shown = info();
    const std::optional<Line> line = this->line();
    if (!shown || !line) return;
    p.setRenderHint(QPainter::Antialiasing, true);
    const QColor primary = shellPrimaryColor(palette());
    const QColor secondary = shellSecondaryColor(palette());

    // Swatch: the colour's soft gradient in a small rounded square with a faint edge.
    QPainterPath swatchPath;
    swatchPath.addRoundedRect(line->swatch, 3, 3);
    p.fillPath(swatchPath, shellColorGradient(opaque(shown->color), line->swatch));
    p.setPen(QPen(shellWithOpacity(primary, 0.15), 1));
    p.drawRoundedRect(line->swatch.adjusted(0.5, 0.5, -0.5, -0.5), 2.5, 2.5);
    if (const std::optional<Symbol> symbol = symbolNamed(shown->symbol)) drawSymbol(p, *symbol, line->symbol, secondary);

    auto drawText = [&](const QFont& f, const QColor& c, const QRectF& r, const QString& s, Qt::Alignment align) {
        if (r.width() <= 0 || s.isEmpty()) return;
        p.setFont(f);
        p.setPen(c);
        p.drawText(r.adjusted(0, 0, 1, 0), Qt::AlignVCenter | align, s);
    };
    const QFont font = shellFont(ShellTextStyle::callout);
    drawText(font, primary, line->titleRect, line->title, Qt::AlignLeft);
    drawText(font, secondary, line->shareRect, line->share, Qt::AlignRight);
    drawText(shellFont(ShellTextStyle::callout, QFont::Medium), primary, line->sizeRect, line->size, Qt::AlignLeft);
    drawText(font, secondary, line->kindRect, line->kind, Qt::AlignLeft);
}

} // namespace plenwick
