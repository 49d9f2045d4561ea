#pragma once
// One-pixel separators: a line between stacked bars, and a splitter whose handles
// are such lines (dragged over a few pixels either side).

#include <QSplitter>
#include <QWidget>

namespace plenwick {

// The separator colour of the current palette.
QColor dividerColor(const QPalette& palette);

class Divider final : public QWidget {
public:
    explicit Divider(Qt::Orientation orientation, QWidget* parent = nullptr);

protected:
    void paintEvent(QPaintEvent*) override;

private:
    Qt::Orientation orientation_;
};

class DividerSplitter final : public QSplitter {
public:
    explicit DividerSplitter(Qt::Orientation orientation, QWidget* parent = nullptr);

protected:
    QSplitterHandle* createHandle() override;
};

} // namespace plenwick
