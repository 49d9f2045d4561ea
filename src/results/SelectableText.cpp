#include "results/SelectableText.h"

#include <QAbstractTextDocumentLayout>
#include <QEvent>
#include <QFontMetrics>
#include <QScrollBar>
#include <QTextBlock>
#include <QTextDocument>
#include <QTextLayout>

#include <cmath>
#include <memory>
#include <vector>

namespace plenwick {

SelectableText::SelectableText(QWidget* parent) : QTextEdit(parent) {
    setReadOnly(true);
    setTextInteractionFlags(Qt::TextSelectableByMouse);
    setFrameShape(QFrame::NoFrame);
    setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    setWordWrapMode(QTextOption::WrapAtWordBoundaryOrAnywhere);
    setLineWrapMode(QTextEdit::WidgetWidth);
    setAcceptRichText(false);
    setFocusPolicy(Qt::NoFocus);
    document()->setDocumentMargin(0);
    viewport()->setAutoFillBackground(false);
    setAutoFillBackground(false);
    viewport()->setCursor(Qt::IBeamCursor);
    // Its height is what its lines take at the width it is given: a height policy
    // that capped it at the size hint's (taken at the hint's own width) would cut
    // lines off whenever the text wraps to more lines at the width it really has.
    QSizePolicy policy(QSizePolicy::Expanding, QSizePolicy::Preferred);
    policy.setHeightForWidth(true);
    setSizePolicy(policy);
}

void SelectableText::setText(const QString& text) {
    if (text == text_) return;
    text_ = text;
    setAccessibleName(text);
    showText();
    updateGeometry();
}

void SelectableText::setMaximumLines(int lines) {
    maximumLines_ = lines;
    showText();
    updateGeometry();
}

void SelectableText::setTextColor(const QColor& color) {
    QPalette p = palette();
    p.setColor(QPalette::Text, color);
    setPalette(p);
}

namespace {

// The whole text laid out as the view lays it out, at `width` (none: unwrapped).
std::unique_ptr<QTextDocument> layOut(const QTextDocument& shown, const QString& text, int width) {
    auto doc = std::make_unique<QTextDocument>();
    doc->setDefaultFont(shown.defaultFont());
    doc->setDefaultTextOption(shown.defaultTextOption());
    doc->setDocumentMargin(shown.documentMargin());
    doc->setPlainText(text);
    doc->setTextWidth(width);
    doc->documentLayout(); // lays the blocks out
    return doc;
}

} // namespace

std::vector<qreal> SelectableText::lineHeights(int width) const {
    const std::unique_ptr<QTextDocument> doc = layOut(*document(), text_, width);
    std::vector<qreal> heights;
    for (QTextBlock block = doc->begin(); block.isValid(); block = block.next())
        if (QTextLayout* layout = block.layout())
            for (int i = 0; i < layout->lineCount(); ++i) heights.push_back(layout->lineAt(i).height());
    return heights;
}

void SelectableText::showText() {
    QString shown = text_;
    const int width = viewport()->width();
    if (maximumLines_ > 0 && width > 0) {
        // Where the last line that may show begins in the whole text.
        const std::unique_ptr<QTextDocument> doc = layOut(*document(), text_, width);
        int line = 0, lastStart = -1;
        bool more = false;
        for (QTextBlock block = doc->begin(); block.isValid() && !more; block = block.next()) {
            QTextLayout* layout = block.layout();
            for (int i = 0; layout && i < layout->lineCount(); ++i, ++line) {
                if (line == maximumLines_ - 1) lastStart = block.position() + layout->lineAt(i).textStart();
                if (line == maximumLines_) {
                    more = true;
                    break;
                }
            }
        }
        if (more && lastStart >= 0) {
            QString rest = text_.mid(lastStart);
            rest.replace(QLatin1Char('\n'), QLatin1Char(' '));
            const QFontMetrics metrics(document()->defaultFont());
            shown = text_.left(lastStart) + metrics.elidedText(rest + QStringLiteral("…"), Qt::ElideRight, width - 1);
            // Eliding keeps the ellipsis at the end even when the rest would fit.
            if (!shown.endsWith(QStringLiteral("…"))) shown += QStringLiteral("…");
        }
    }
    if (shown != toPlainText()) setPlainText(shown);
}

int SelectableText::lineCountAt(int width) const { return static_cast<int>(lineHeights(width).size()); }

int SelectableText::heightForWidth(int width) const {
    const std::vector<qreal> heights = lineHeights(width);
    const std::size_t shown =
        maximumLines_ > 0 ? std::min(heights.size(), static_cast<std::size_t>(maximumLines_)) : heights.size();
    qreal height = 0;
    for (std::size_t i = 0; i < shown; ++i) height += heights[i];
    return std::max(fontMetrics().height(), static_cast<int>(std::ceil(height)));
}

QSize SelectableText::sizeHint() const {
    const int width = std::max(40, static_cast<int>(std::ceil(layOut(*document(), text_, -1)->idealWidth())) + 1);
    return QSize(std::min(width, 400), heightForWidth(std::min(width, 400)));
}

QSize SelectableText::minimumSizeHint() const { return QSize(20, fontMetrics().lineSpacing()); }

void SelectableText::resizeEvent(QResizeEvent* event) {
    QTextEdit::resizeEvent(event);
    showText();
    verticalScrollBar()->setValue(0);
}

void SelectableText::changeEvent(QEvent* event) {
    QTextEdit::changeEvent(event);
    if (event->type() == QEvent::FontChange) showText();
}

} // namespace plenwick
