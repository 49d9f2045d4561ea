#pragma once
// The capsule that reports the space freed by a move to the Trash. It fades in and
// out with a slight scale about its centre and lets every click through.

#include <QWidget>

class QVariantAnimation;

namespace plenwick {

class ShellFreedBadge final : public QWidget {
    Q_OBJECT

public:
    explicit ShellFreedBadge(QWidget* parent = nullptr);

    const QString& text() const noexcept { return text_; }
    void setText(const QString& text);
    // Fades in or out; hidden once faded out.
    void appear(bool shown, bool animated = true);
    bool isAppearing() const noexcept { return wanted_; }

    QSize sizeHint() const override;

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    QString text_;
    bool wanted_ = false;
    double progress_ = 0; // 0 gone … 1 fully shown
    QVariantAnimation* fade_;
};

} // namespace plenwick
