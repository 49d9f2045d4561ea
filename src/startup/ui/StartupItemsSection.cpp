#include "startup/ui/StartupItemsSection.h"

#include "startup/ui/StartupItemRow.h"

#include "shell/ShellStyle.h"
#include "shell/ShellText.h"

#include <QLabel>
#include <QPainter>
#include <QVBoxLayout>

namespace plenwick {
namespace {

// The rounded background the rows of a section sit on, with a line between rows.
class RowGroup final : public QWidget {
public:
    explicit RowGroup(QWidget* parent) : QWidget(parent) {
        layout_ = new QVBoxLayout(this);
        layout_->setContentsMargins(12, 5, 12, 5);
        layout_->setSpacing(0);
    }
    void add(QWidget* row) {
        if (layout_->count() > 0) {
            auto* line = new QWidget(this);
            line->setFixedHeight(1);
            lines_.push_back(line);
            layout_->addSpacing(4);
            layout_->addWidget(line);
            layout_->addSpacing(4);
        }
        layout_->addWidget(row);
    }

protected:
    void paintEvent(QPaintEvent*) override {
        QPainter p(this);
        p.setRenderHint(QPainter::Antialiasing);
        const ShellAppearance appearance = shellAppearance(palette());
        const QRectF card = QRectF(rect()).adjusted(0.5, 0.5, -0.5, -0.5);
        p.setPen(QPen(shellCardStrokeColor(appearance), 1));
        p.setBrush(shellCardFillColor(appearance));
        p.drawRoundedRect(card, 8, 8);
        // Separators start where the text does, past the 32-point icon.
        p.setPen(Qt::NoPen);
        p.setBrush(shellSeparatorColor(appearance));
        for (const QWidget* line : lines_) p.drawRect(QRectF(line->x() + 44, line->y(), line->width() - 44, 1));
    }

private:
    QVBoxLayout* layout_;
    std::vector<QWidget*> lines_;
};

// A footer: secondary text that wraps.
QLabel* footerLabel(const QString& text, QWidget* parent) {
    auto* label = new QLabel(text, parent);
    label->setTextFormat(Qt::PlainText);
    label->setFont(shellFont(ShellTextStyle::footnote));
    label->setWordWrap(true);
    QPalette palette = label->palette();
    palette.setColor(QPalette::WindowText, shellSecondaryColor(palette));
    label->setPalette(palette);
    return label;
}

} // namespace

StartupItemsSection::StartupItemsSection(const StartupItemsListing::Section& section,
                                         const std::function<QWidget*(const StartupItem&)>& makeRow, QWidget* parent)
    : QWidget(parent), title_(section.title) {
    auto* column = new QVBoxLayout(this);
    column->setContentsMargins(0, 0, 0, 0);
    column->setSpacing(6);

    auto* title = new ShellText(section.title, this);
    title->setTextStyle(ShellTextStyle::subheadline, QFont::DemiBold);
    title->setTone(ShellText::Tone::secondary);
    title->setAlignment(Qt::AlignLeft);
    title->setContentsMargins(8, 0, 8, 0);
    column->addWidget(title);

    auto* group = new RowGroup(this);
    for (const StartupItem& item : section.rows) {
        QWidget* row = makeRow(item);
        row->setParent(group);
        group->add(row);
    }
    rowCount_ = static_cast<int>(section.rows.size());
    column->addWidget(group);
    auto* footer = footerLabel(section.footer, this);
    footer->setContentsMargins(8, 0, 8, 0);
    column->addWidget(footer);
}

} // namespace plenwick
