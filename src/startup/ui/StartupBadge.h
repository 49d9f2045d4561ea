#pragma once
// A small capsule with a word in it ("Off", "Loaded", "Program missing"), or the lock
// symbol alone for items whose change needs the password.

#include "startup/ui/StartupItemRowTexts.h"

#include <QWidget>

namespace plenwick {

class StartupBadge final : public QWidget {
public:
    explicit StartupBadge(StartupBadgeContent content, QWidget* parent = nullptr);
    const StartupBadgeContent& content() const noexcept { return content_; }
    QSize sizeHint() const override;
    QSize minimumSizeHint() const override { return sizeHint(); }

    // The badge's colour in this palette.
    static QColor color(StartupBadgeContent::Tone tone, const QPalette& palette);

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    StartupBadgeContent content_;
};

} // namespace plenwick
