#include "results/SelectableText.h"

#include <QAbstractTextDocumentLayout>
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
    QSizePolicy policy(QSizePolicy::Expanding, QSizePolicy::Maximum);
    policy.setHeightForWidth(true);
    setSizePolicy(policy);
}

void SelectableText::setText(const QString& text) {
    if (text == toPlainText()) return;
    setPlainText(text);
    setAccessibleName(text);
    updateGeometry();
}

void SelectableText::setMaximumLines(int lines) {
    maximumLines_ = lines;
    updateGeometry();
}

void SelectableText::setTextColor(const QColor& color) {
    QPalette p = palette();
    p.setColor(QPalette::Text, color);
    setPalette(p);
}

namespace {

// The heights of the text's lines laid out at `width`, top to bottom.
std::vector<qreal> lineHeights(const QTextDocument& document, int width) {
    std::unique_ptr<QTextDocument> doc(document.clone());
    doc->setTextWidth(width);
    doc->documentLayout(); // lays the blocks out
    std::vector<qreal> heights;
    for (QTextBlock block = doc->begin(); block.isValid(); block = block.next())
        if (QTextLayout* layout = block.layout())
            for (int i = 0; i < layout->lineCount(); ++i) heights.push_back(layout->lineAt(i).height());
    return heights;
}

} // namespace

int SelectableText::lineCountAt(int width) const {
    return static_cast<int>(lineHeights(*document(), width).size());
}

int SelectableText::heightForWidth(int width) const {
    const std::vector<qreal> heights = lineHeights(*document(), width);
    const std::size_t shown =
        maximumLines_ > 0 ? std::min(heights.size(), static_cast<std::size_t>(maximumLines_)) : heights.size();
    qreal height = 0;
    for (std::size_t i = 0; i < shown; ++i) height += heights[i];
    return std::max(fontMetrics().height(), static_cast<int>(std::ceil(height)));
}

QSize SelectableText::sizeHint() const {
    const int width = std::max(40, static_cast<int>(std::ceil(document()->idealWidth())));
    return QSize(std::min(width, 400), heightForWidth(std::min(width, 400)));
}

QSize SelectableText::minimumSizeHint() const { return QSize(20, fontMetrics().lineSpacing()); }

void SelectableText::resizeEvent(QResizeEvent* event) {
    QTextEdit::resizeEvent(event);
    verticalScrollBar()->setValue(0);
}

} // namespace plenwick
