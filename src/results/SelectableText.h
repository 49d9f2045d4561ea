#pragma once
// Read-only text that the pointer can select, wrapped at word boundaries or, for a
// word too long for a line (a path), anywhere, and cut after a number of lines. Its
// height follows its width.

#include <QTextEdit>

namespace plenwick {

class SelectableText final : public QTextEdit {
    Q_OBJECT

public:
    explicit SelectableText(QWidget* parent = nullptr);

    void setText(const QString& text);
    QString text() const { return toPlainText(); }
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

private:
    int maximumLines_ = 0;
};

} // namespace plenwick
