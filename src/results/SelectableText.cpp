#include "results/SelectableText.h"

#include <QAbstractTextDocumentLayout>
#include <QScrollBar>
#include <QTextBlock>
#include <QTextDocument>
#include <QTextLayout>

#include <cmath>

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
    QSizePolicy policy(QSizePolicy::Expanding, QSizePolicy::Preferred);
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

int SelectableText::lineCountAt(int width) const {
    QTextDocument* doc = document()->clone();
    doc->setTextWidth(width);
    doc->documentLayout(); // lays the blocks out
    int lines = 0;
    for (QTextBlock block = doc->begin(); block.isValid(); block = block.next())
        if (block.layout()) lines += block.layout()->lineCount();
    delete doc;
    return lines;
}

int SelectableText::heightForWidth(int width) const {
    const int lines = lineCountAt(width);
    const int shown = maximumLines_ > 0 ? std::min(lines, maximumLines_) : lines;
    return std::max(1, shown) * fontMetrics().lineSpacing();
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
