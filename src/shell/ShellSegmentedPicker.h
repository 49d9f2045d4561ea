#pragma once
// A segmented picker: a rounded track holding one button per choice, the chosen one
// raised on it. Exactly one segment is checked; clicking one checks it.

#include <QAbstractButton>
#include <QWidget>

class QButtonGroup;
class QHBoxLayout;

namespace plenwick {

class ShellSegmentedPicker final : public QWidget {
public:
    explicit ShellSegmentedPicker(QWidget* parent = nullptr);

    // A segment titled `title` with the picker's help text; the first one is checked.
    QAbstractButton* addSegment(const QString& title);
    QAbstractButton* segment(int index) const;
    int count() const;

protected:
    void paintEvent(QPaintEvent*) override;

private:
    QHBoxLayout* row_;
    QButtonGroup* group_;
};

} // namespace plenwick
