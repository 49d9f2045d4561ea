#include "results/ScanFailedView.h"

#include "app/AppState.h"
#include "shell/Symbols.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QShortcut>
#include <QVBoxLayout>

namespace plenwick {

ScanFailedView::ScanFailedView(AppState& state, const QString& message, QWidget* parent)
    : QWidget(parent), state_(state) {
    setObjectName(QStringLiteral("ScanFailedView"));
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(40, 40, 40, 40);
    layout->setSpacing(0);
    layout->addStretch(1);

    auto* icon = new QLabel(this);
    icon->setPixmap(symbolIcon(Symbol::warningTriangle, QColor(255, 149, 0)).pixmap(QSize(44, 44), devicePixelRatioF()));
    icon->setAlignment(Qt::AlignCenter);
    layout->addWidget(icon);
    layout->addSpacing(12);

    auto* title = new QLabel(QStringLiteral("Scan Failed"), this);
    QFont titleFont = title->font();
    titleFont.setPointSizeF(titleFont.pointSizeF() * 1.45);
    titleFont.setWeight(QFont::Bold);
    title->setFont(titleFont);
    title->setAlignment(Qt::AlignCenter);
    layout->addWidget(title);
    layout->addSpacing(6);

    message_ = new QLabel(message, this);
    message_->setTextFormat(Qt::PlainText);
    message_->setWordWrap(true);
    message_->setAlignment(Qt::AlignCenter);
    message_->setTextInteractionFlags(Qt::TextSelectableByMouse);
    message_->setMaximumWidth(520);
    QPalette secondary = message_->palette();
    QColor text = secondary.color(QPalette::WindowText);
    text.setAlphaF(0.6);
    secondary.setColor(QPalette::WindowText, text);
    message_->setPalette(secondary);
    auto* messageRow = new QHBoxLayout;
    messageRow->addStretch(1);
    messageRow->addWidget(message_, 100);
    messageRow->addStretch(1);
    layout->addLayout(messageRow);
    layout->addSpacing(18);

    auto* row = new QHBoxLayout;
    row->setSpacing(12);
    row->addStretch(1);
    back_ = new QPushButton(QStringLiteral("Back to Disks"), this);
    tryAgain_ = new QPushButton(QStringLiteral("Try Again"), this);
    tryAgain_->setDefault(true);
    tryAgain_->setAutoDefault(true);
    back_->setAutoDefault(false);
    row->addWidget(back_);
    row->addWidget(tryAgain_);
    row->addStretch(1);
    layout->addLayout(row);
    layout->addStretch(1);

    connect(back_, &QPushButton::clicked, this, [this] { state_.goHome(); });
    connect(tryAgain_, &QPushButton::clicked, this, [this] { state_.rescanAll(); });
    // Return is the default action's key, as in a dialog, wherever the focus is while
    // this screen is on show.
    for (int key : {Qt::Key_Return, Qt::Key_Enter}) {
        auto* shortcut = new QShortcut(QKeySequence(key), this, nullptr, nullptr, Qt::WindowShortcut);
        connect(shortcut, &QShortcut::activated, tryAgain_, [this] {
            if (tryAgain_->isEnabled()) tryAgain_->click();
        });
    }
    connect(&state_, &AppState::changed, this, &ScanFailedView::refresh);
    refresh(~quint64(0));
}

QString ScanFailedView::message() const { return message_->text(); }

void ScanFailedView::refresh(quint64 fields) {
    using F = AppState::Field;
    if (fields & AppState::bit(F::scanTarget)) tryAgain_->setEnabled(state_.scanTarget().has_value());
}

} // namespace plenwick
