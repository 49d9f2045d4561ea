#pragma once
// A plain stand-in for a screen or pane that a later part of the program supplies:
// its name, centred and dimmed, on the window background.

#include <QWidget>

namespace plenwick {

class ScreenPlaceholder final : public QWidget {
public:
    explicit ScreenPlaceholder(const QString& name, QWidget* parent = nullptr);
    QString name() const { return name_; }

protected:
    void paintEvent(QPaintEvent*) override;

private:
    QString name_;
};

} // namespace plenwick
