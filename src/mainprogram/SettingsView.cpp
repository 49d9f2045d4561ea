#include "mainprogram/SettingsView.h"

#include "shell/ShellCardBackground.h"
#include "shell/ShellStyle.h"
#include "shell/Symbols.h"
#include "shell/WindowCloseKeys.h"

#include <QCheckBox>
#include <QEvent>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

namespace plenwick {

namespace {

constexpr int lineSpacing = 6;
const QColor errorRed(255, 59, 48);

QLabel* calloutLabel(const QString& text, QWidget* parent) {
    auto* label = new QLabel(text, parent);
    label->setFont(shellFont(ShellTextStyle::callout));
    return label;
}

QPushButton* smallButton(const QString& title, QWidget* parent) {
    auto* button = new QPushButton(title, parent);
    button->setFont(shellFont(ShellTextStyle::callout));
    button->setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Fixed);
    return button;
}

void setTextColor(QLabel& label, const QColor& color) {
    QPalette palette = label.palette();
    palette.setColor(QPalette::WindowText, color);
    label.setPalette(palette);
}

// A section of the grouped form: its header, a card with the content, an optional footer.
QWidget* section(const QString& header, QWidget* content, QLabel* footer, QWidget* parent) {
    auto* box = new QWidget(parent);
    auto* layout = new QVBoxLayout(box);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(4);
    auto* title = new QLabel(header, box);
    title->setObjectName(QStringLiteral("section-header"));
    title->setFont(shellFont(ShellTextStyle::headline));
    // Header and footer line up with the card's visible edge, inside its shadow room.
    const int inset = ShellCard::shadowRoom().left() + 4;
    title->setContentsMargins(inset, 0, inset, 0);
    layout->addWidget(title);
    auto* card = new ShellCard({}, box);
    card->setPadding(QMargins(12, 10, 12, 10));
    auto* cardLayout = new QVBoxLayout(card);
    cardLayout->addWidget(content);
    layout->addWidget(card);
    if (footer) {
        footer->setParent(box);
        footer->setWordWrap(true);
        footer->setContentsMargins(inset, 0, inset, 0);
        layout->addWidget(footer);
    }
    return box;
}

} // namespace

HelperToggle::HelperToggle(QWidget* parent) : QWidget(parent) {
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(lineSpacing);

    toggle_ = new QCheckBox(toggleTitle, this);
    layout->addWidget(toggle_);
    // The switch shows the state, not the click: it moves once the new state arrives.
    connect(toggle_, &QCheckBox::clicked, this, [this](bool on) {
        toggle_->setChecked(row_.isOn);
        emit switched(on);
    });

    notRunningLine_ = new QWidget(this);
    auto* notRunning = new QHBoxLayout(notRunningLine_);
    notRunning->setContentsMargins(0, 0, 0, 0);
    notRunning->setSpacing(lineSpacing);
    auto* notRunningLabel = calloutLabel(notRunningText, notRunningLine_);
    notRunningLabel->setObjectName(QStringLiteral("not-running"));
    notRunning->addWidget(notRunningLabel, 0, Qt::AlignVCenter);
    start_ = smallButton(startTitle, notRunningLine_);
    notRunning->addWidget(start_, 0, Qt::AlignVCenter);
    notRunning->addStretch();
    connect(start_, &QPushButton::clicked, this, &HelperToggle::startRequested);
    layout->addWidget(notRunningLine_);

    starting_ = calloutLabel(startingText, this);
    starting_->setObjectName(QStringLiteral("starting"));
    layout->addWidget(starting_);

    noTray_ = calloutLabel(noTrayText, this);
    noTray_->setObjectName(QStringLiteral("no-tray"));
    noTray_->setWordWrap(true);
    layout->addWidget(noTray_);

    error_ = calloutLabel(QString(), this);
    error_->setWordWrap(true);
    setTextColor(*error_, errorRed);
    layout->addWidget(error_);

    setEnabled(false);
    showRow();
}

void HelperToggle::setRow(const HelperRow& row) {
    setEnabled(true);
    if (row == row_) return;
    row_ = row;
    showRow();
}

void HelperToggle::showRow() {
    toggle_->setChecked(row_.isOn);
    notRunningLine_->setVisible(row_.notRunning);
    starting_->setVisible(row_.starting);
    noTray_->setVisible(row_.noSystemTray);
    error_->setVisible(row_.error.has_value());
    error_->setText(row_.error.value_or(QString()));
}

SettingsView::SettingsView(Preferences& preferences, QWidget* parent)
    : QWidget(parent, Qt::Window), preferences_(preferences) {
    setObjectName(QStringLiteral("settings"));
    setWindowTitle(QStringLiteral("Settings"));
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(8, 16, 8, 16);
    layout->setSpacing(18);

    helper_ = new HelperToggle(this);
    auto* footer = new QLabel(helperFooter);
    footer->setObjectName(QStringLiteral("section-footer"));
    footer->setFont(shellFont(ShellTextStyle::callout));
    layout->addWidget(section(helperHeader, helper_, footer, this));

    offerLeftovers_ = new QCheckBox(offerLeftoversTitle);
    offerLeftovers_->setChecked(offerLeftoversOnCollect(preferences_));
    connect(offerLeftovers_, &QCheckBox::toggled, this, [this](bool on) {
        preferences_.setValue(PreferenceKeys::offerLeftoversOnCollect, on);
    });
    auto* leftoversFooter = new QLabel(offerLeftoversFooter);
    leftoversFooter->setObjectName(QStringLiteral("section-footer"));
    leftoversFooter->setFont(shellFont(ShellTextStyle::callout));
    layout->addWidget(section(uninstallingHeader, offerLeftovers_, leftoversFooter, this));

    setFixedWidth(formWidth);
    fitHeight();
    applyTones();
    closeWithWindowKeys(*this);
}

void SettingsView::showEvent(QShowEvent* event) {
    QWidget::showEvent(event);
    // The switch of the store may have changed elsewhere since the window was made.
    const QSignalBlocker quiet(offerLeftovers_);
    offerLeftovers_->setChecked(offerLeftoversOnCollect(preferences_));
    emit appeared();
}

bool SettingsView::event(QEvent* event) {
    // A note of the helper row came or went: the window follows its content's height.
    if (event->type() == QEvent::LayoutRequest) fitHeight();
    return QWidget::event(event);
}

void SettingsView::fitHeight() {
    QLayout* form = layout();
    form->activate();
    setFixedHeight(form->hasHeightForWidth() ? form->totalHeightForWidth(formWidth) : form->totalSizeHint().height());
}

void SettingsView::changeEvent(QEvent* event) {
    QWidget::changeEvent(event);
    if (event->type() == QEvent::PaletteChange) applyTones();
}

void SettingsView::applyTones() {
    const QColor secondary = shellSecondaryColor(palette());
    for (QLabel* label : findChildren<QLabel*>())
        if (label->objectName() == QLatin1String("section-footer") ||
            label->objectName() == QLatin1String("section-header") ||
            label->objectName() == QLatin1String("not-running") || label->objectName() == QLatin1String("starting") ||
            label->objectName() == QLatin1String("no-tray"))
            setTextColor(*label, secondary);
}

} // namespace plenwick
