#pragma once
// Read-only text that the pointer can select, wrapped at word boundaries or, for a
// word too long for a line (a path), anywhere, and cut after a number of lines, the
// last line shown ending in "…" when more follows. Its height follows its width.

#include <QTextEdit>

#include <vector>

namespace plenwick {

class SelectableText final : public QTextEdit {
    Q_OBJECT

public:
    explicit SelectableText(QWidget* parent = nullptr);

    void setText(const QString& text);
    // The whole text; the shown one may be cut short.
    const QString& text() const noexcept { return text_; }
    QString shownText() const { return toPlainText(); }
    // At most this many lines show (0: no limit).
    void setMaximumLines(int lines);
    void setTextColor(const QColor& color);
    // How many lines the text takes at `width`, before the limit.
    int lineCountAt(int width) const;

    bool hasHeightForWidth() const override { return true; }
    int heightForWidth(int width) const override;
    QSize sizeHint() const override;
    QSize minimumSizeHint() const override;

protected:
    void resizeEvent(QResizeEvent* event) override;
    void changeEvent(QEvent* event) override;

private:
    // The heights of the whole text's lines laid out at `width`, top to bottom.
    std::vector<qreal> lineHeights(int width) const;
    // Shows the whole text, or as much as the lines allow with "…" at the end.
    void showText();

    QString text_;
    int maximumLines_ = 0;
};

} // namespace plenwick
