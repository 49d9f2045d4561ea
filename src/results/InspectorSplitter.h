#pragma once
// The splitter between the results' main column and the inspector column. Its handle
// is drawn as a one-pixel divider, takes the pointer 8 pixels wide across it, and
// resizes the inspector by the rules of InspectorColumnWidth rather than the
// splitter's own: a drag sets the width from where it began, a double click resets
// it, and assistive technologies step it.

#include <QSplitter>
#include <QSplitterHandle>

namespace plenwick {

class InspectorColumnWidth;

class InspectorResizeHandle final : public QSplitterHandle {
    Q_OBJECT

public:
    InspectorResizeHandle(Qt::Orientation orientation, QSplitter* parent);

    // The width the handle changes; none: the handle does nothing.
    void setWidthModel(InspectorColumnWidth* model) { model_ = model; }
    InspectorColumnWidth* widthModel() const { return model_; }
    // An assistive adjustment of the width.
    void adjust(bool increment);

signals:
    // The stored width changed; the owner lays the column out again.
    void widthChanged();

protected:
    void paintEvent(QPaintEvent*) override;
    void resizeEvent(QResizeEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;

private:
    InspectorColumnWidth* model_ = nullptr;
    double pressX_ = 0;
    bool dragging_ = false;
};

class InspectorSplitter final : public QSplitter {
    Q_OBJECT

public:
    explicit InspectorSplitter(QWidget* parent = nullptr);
    // The handle in front of the inspector (the second pane), once both panes are in.
    InspectorResizeHandle* inspectorHandle() const;

protected:
    QSplitterHandle* createHandle() override;
};

} // namespace plenwick
