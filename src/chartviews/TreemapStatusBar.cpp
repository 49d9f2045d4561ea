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
                                 AppState::bit(F::typeFilter) | AppState::bit(F::extensionColors);
        if (fields & read) update();
    });
}

std::optional<TreemapStatusInfo> TreemapStatusBar::info() const {
    return treemapStatusInfo(model_.chartState(), state_.hovered().get(), state_.selection().get(),
                             model_.layout().get(), model_.hoverCell());
}

QSize TreemapStatusBar::sizeHint() const { return {400, kHeight}; }

void TreemapStatusBar::paintEvent(QPaintEvent*) {
    QPainter p(this);
    p.fillRect(rect(), shellWindowBackgroundColor(palette()));
    const std::optional<TreemapStatusInfo> shown = info();
    if (!shown) return;
    p.setRenderHint(QPainter::Antialiasing, true);
    const double midY = height() / 2.0;
    const QColor primary = shellPrimaryColor(palette());
    const QColor secondary = shellSecondaryColor(palette());

    // Swatch: the colour's soft gradient in a small rounded square with a faint edge.
    double x = padding;
    const QRectF swatch(x, midY - swatchSide / 2.0, swatchSide, swatchSide);
    const QColor color = opaque(shown->color);
    QPainterPath swatchPath;
    swatchPath.addRoundedRect(swatch, 3, 3);
    p.fillPath(swatchPath, shellColorGradient(color, swatch));
    p.setPen(QPen(shellWithOpacity(primary, 0.15), 1));
    p.drawRoundedRect(swatch.adjusted(0.5, 0.5, -0.5, -0.5), 2.5, 2.5);
    x += swatchSide + spacing;

    if (const std::optional<Symbol> symbol = symbolNamed(shown->symbol))
        drawSymbol(p, *symbol, QRectF(x, midY - symbolSide / 2.0, symbolSide, symbolSide), secondary);
    x += symbolSide + spacing;

    const QFont font = shellFont(ShellTextStyle::callout);
    const QFont sizeFont = shellFont(ShellTextStyle::callout, QFont::Medium);
    const QFontMetricsF fm(font), sizeFm(sizeFont);
    const QString unknown = QStringLiteral("—");
    const QString sizeText = shown->sizeKnown ? QString::fromStdString(formatByteCount(shown->size)) : unknown;
    const QString shareText = shown->sizeKnown ? QString::fromStdString(formatPercent(shown->fraction)) : unknown;
    const double shareWidth = std::max<double>(minShareWidth, fm.horizontalAdvance(shareText));
    const double sizeWidth = sizeFm.horizontalAdvance(sizeText);
    const double kindIdeal = fm.horizontalAdvance(shown->kind);
    const double kindMinimum = std::min(kindIdeal, fm.horizontalAdvance(QStringLiteral("…")));
    const double right = width() - padding;
    const double available = right - x;

    // The title keeps its room first; the kind text gives way before it.
    const double fixedRight = spacing + sizeWidth + spacing + shareWidth;
    const double titleWidth = std::clamp(available - minSpacer - kindMinimum - fixedRight, 0.0,
                                         fm.horizontalAdvance(shown->title));
    const double kindWidth = std::clamp(available - titleWidth - minSpacer - fixedRight, 0.0, kindIdeal);

    const QRectF line(0, 0, 0, height());
    auto drawText = [&](const QFont& f, const QColor& c, double left, double w, const QString& s,
                        Qt::TextElideMode elide, Qt::Alignment align) {
        if (w <= 0) return;
        p.setFont(f);
        p.setPen(c);
        const QString elided = QFontMetricsF(f).elidedText(s, elide, w);
        p.drawText(QRectF(left, line.top(), w + 1, line.height()), Qt::AlignVCenter | align, elided);
    };
    drawText(font, primary, x, titleWidth, shown->title, Qt::ElideMiddle, Qt::AlignLeft);
    const double shareLeft = right - shareWidth;
    drawText(font, secondary, shareLeft, shareWidth, shareText, Qt::ElideNone, Qt::AlignRight);
    const double sizeLeft = shareLeft - spacing - sizeWidth;
    drawText(sizeFont, primary, sizeLeft, sizeWidth, sizeText, Qt::ElideNone, Qt::AlignLeft);
    drawText(font, secondary, sizeLeft - spacing - kindWidth, kindWidth, shown->kind, Qt::ElideRight, Qt::AlignLeft);
}

} // namespace plenwick
