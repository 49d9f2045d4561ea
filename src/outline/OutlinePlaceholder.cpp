#include "outline/OutlinePlaceholder.h"

#include "outline/OutlineTones.h"
#include "shell/ShellStyle.h"

#include <QPainter>

namespace plenwick {

namespace {

constexpr int kSymbolSide = 40;
constexpr int kGap = 10;
constexpr int kMargin = 12;


} // namespace

OutlinePlaceholder::OutlinePlaceholder(QWidget* parent) : QWidget(parent) {
    setAttribute(Qt::WA_TransparentForMouseEvents);
}

void OutlinePlaceholder::setContent(SymbolPainter symbol, const QString& title, const QString& description) {
    symbol_ = std::move(symbol);
    title_ = title;
    description_ = description;
    setAccessibleName(title);
    setAccessibleDescription(description);
    update();
}

QSize OutlinePlaceholder::sizeHint() const { return QSize(200, 140); }

void OutlinePlaceholder::paintEvent(QPaintEvent*) {
    QPainter p(this);
    p.setRenderHint(QPainter::Antialiasing);
    const QColor color = outlineTone(palette(), OutlineTone::secondary);
    const int width = std::max(0, this->width() - 2 * kMargin);
    const QFont title = shellFont(ShellTextStyle::title3, QFont::DemiBold);
    const QFont body = shellFont(ShellTextStyle::callout);
    const QRect titleBox = QFontMetrics(title).boundingRect(QRect(0, 0, width, 1000), Qt::AlignHCenter | Qt::TextWordWrap, title_);
    const QRect descriptionBox = description_.isEmpty()
        ? QRect()
        : QFontMetrics(body).boundingRect(QRect(0, 0, width, 1000), Qt::AlignHCenter | Qt::TextWordWrap, description_);
    const int total = kSymbolSide + kGap + titleBox.height() + (description_.isEmpty() ? 0 : 4 + descriptionBox.height());
    int y = (height() - total) / 2;
    if (symbol_) symbol_(p, QRectF((this->width() - kSymbolSide) / 2.0, y, kSymbolSide, kSymbolSide), color);
    y += kSymbolSide + kGap;
    p.setFont(title);
    p.setPen(color);
    p.drawText(QRect(kMargin, y, width, titleBox.height()), Qt::AlignHCenter | Qt::TextWordWrap, title_);
    y += titleBox.height() + 4;
    if (!description_.isEmpty()) {
        p.setFont(body);
        p.drawText(QRect(kMargin, y, width, descriptionBox.height()), Qt::AlignHCenter | Qt::TextWordWrap, description_);
    }
}

} // namespace plenwick
