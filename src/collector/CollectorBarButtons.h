#pragma once
// The drawn buttons of the collector bar: the header ("Collector" with the item
// count) and the compact layout's summary (count and total), both of which toggle the
// items list, and the total the collector would free.

#include <QAbstractButton>
#include <QWidget>

namespace plenwick {

class ShellNumericText;

// Symbol, "Collector" over "N items ⌄".
class CollectorHeaderButton final : public QAbstractButton {
    Q_OBJECT
public:
    explicit CollectorHeaderButton(QWidget* parent = nullptr);
    void setCountText(const QString& text);
    QSize sizeHint() const override;

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    QString count_;
};

// Symbol, "N items · 1.2 MB" (shortened at its end when short of room), "⌄".
class CollectorSummaryButton final : public QAbstractButton {
    Q_OBJECT
public:
    explicit CollectorSummaryButton(QWidget* parent = nullptr);
    QSize sizeHint() const override;
    QSize minimumSizeHint() const override;

protected:
    void paintEvent(QPaintEvent* event) override;
};

// The bytes to free over "to free", trailing aligned.
class CollectorTotal final : public QWidget {
    Q_OBJECT
public:
    explicit CollectorTotal(QWidget* parent = nullptr);
    const QString& text() const noexcept;
    // The figure, its digits rolling as the total changes.
    const ShellNumericText& figure() const noexcept { return *figure_; }
    void setText(const QString& text);
    QSize sizeHint() const override;

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    ShellNumericText* figure_;
};

} // namespace plenwick
