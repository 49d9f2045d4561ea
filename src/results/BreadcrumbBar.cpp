#include "results/BreadcrumbBar.h"

#include "app/AppState.h"
#include "app/CommandShortcuts.h"
#include "shell/ActivitySpinner.h"
#include "results/BreadcrumbFit.h"
#include "results/ResultsTexts.h"
#include "shell/Symbols.h"

#include <QEvent>
#include <QHBoxLayout>
#include <QLabel>
#include <QMenu>
#include <QPainter>
#include <QScrollArea>
#include <QToolButton>

#include <algorithm>

namespace plenwick {

namespace {

constexpr int kBarHeight = 30;

QToolButton* historyButton(Symbol symbol, const QString& help, QWidget* parent) {
    auto* button = new QToolButton(parent);
    button->setIcon(symbolIcon(symbol));
    button->setIconSize(QSize(14, 14));
    button->setAutoRaise(true);
    button->setToolTip(help);
    button->setFocusPolicy(Qt::NoFocus);
    return button;
}

QColor secondaryText(const QPalette& palette, qreal alpha) {
    QColor c = palette.color(QPalette::WindowText);
    c.setAlphaF(alpha);
    return c;
}

constexpr int kCrumbSpacing = 2;

QString crumbName(const AppState& state, const NodeRef& node) {
    return QString::fromStdString(state.displayName(*node));
}

// A button's label with its mnemonic marker escaped.
QString buttonText(QString text) { return text.replace(QLatin1Char('&'), QStringLiteral("&&")); }

} // namespace

std::vector<NodeRef> breadcrumbTrail(const NodeRef& focus) {
    std::vector<NodeRef> trail;
    if (!focus) return trail;
    trail.push_back(focus);
    for (FileNode* p = focus->parent(); p; p = p->parent()) trail.push_back(retainNode(p));
    std::reverse(trail.begin(), trail.end());
    return trail;
}

BreadcrumbBar::BreadcrumbBar(AppState& state, QWidget* parent) : QWidget(parent), state_(state) {
    setFixedHeight(kBarHeight);
    setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Fixed);
    QFont callout = font();
    callout.setPointSizeF(std::max(6.0, callout.pointSizeF() - 1));
    setFont(callout);

    auto* layout = new QHBoxLayout(this);
    layout->setContentsMargins(10, 0, 10, 0);
    layout->setSpacing(4);

    back_ = historyButton(Symbol::chevronLeft, helpWithShortcut(QStringLiteral("Back"), shortcuts::back), this);
    forward_ = historyButton(Symbol::chevronRight, helpWithShortcut(QStringLiteral("Forward"), shortcuts::forward), this);
    back_->setAccessibleName(QStringLiteral("Back"));
    forward_->setAccessibleName(QStringLiteral("Forward"));
    connect(back_, &QToolButton::clicked, this, [this] { state_.goBack(); });
    connect(forward_, &QToolButton::clicked, this, [this] { state_.goForward(); });
    layout->addWidget(back_);
    layout->addWidget(forward_);

    // The crumbs scroll sideways by the user only; the bar never scrolls itself.
    scroll_ = new QScrollArea(this);
    scroll_->setFrameShape(QFrame::NoFrame);
    scroll_->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    scroll_->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    scroll_->setWidgetResizable(true);
    scroll_->viewport()->setAutoFillBackground(false);
    scroll_->setAutoFillBackground(false);
    crumbRow_ = new QWidget;
    crumbLayout_ = new QHBoxLayout(crumbRow_);
    crumbLayout_->setContentsMargins(0, 0, 0, 0);
    crumbLayout_->setSpacing(kCrumbSpacing);
    crumbLayout_->addStretch(1);
    scroll_->setWidget(crumbRow_);
    scroll_->installEventFilter(this);
    crumbRow_->setAutoFillBackground(false);  // the scroll area turns it on; the bar's tint shows through
    layout->addWidget(scroll_, 1);

    rescanning_ = new QWidget(this);
    auto* rescanLayout = new QHBoxLayout(rescanning_);
    rescanLayout->setContentsMargins(8, 0, 0, 0);
    rescanLayout->setSpacing(6);
    rescanLayout->addWidget(new ActivitySpinner(14, rescanning_));
    auto* label = new QLabel(QStringLiteral("Rescanning…"), rescanning_);
    QPalette secondary = label->palette();
    secondary.setColor(QPalette::WindowText, secondaryText(palette(), 0.55));
    label->setPalette(secondary);
    label->setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Fixed);
    rescanLayout->addWidget(label);
    layout->addWidget(rescanning_);

    connect(&state_, &AppState::changed, this, &BreadcrumbBar::onChanged);
    rebuildCrumbs();
    updateButtons();
}

void BreadcrumbBar::onChanged(quint64 fields) {
    using F = AppState::Field;
    // The tree's version and the volumes' names too: the nodes and names on the way may
    // change without the focus (a rescanned folder, a scanned volume's name arriving).
    if (fields & (AppState::bit(F::focus) | AppState::bit(F::treeVersion) | AppState::bit(F::volumeNames)))
        rebuildCrumbs();
    if (fields & (AppState::bit(F::navigationHistory) | AppState::bit(F::forwardHistory) |
                  AppState::bit(F::refreshingFolders)))
        updateButtons();
}

void BreadcrumbBar::updateButtons() {
    back_->setEnabled(!state_.navigationHistory().empty());
    forward_->setEnabled(!state_.forwardHistory().empty());
    rescanning_->setVisible(!state_.refreshingFolders().empty());
}

void BreadcrumbBar::rebuildCrumbs() {
    // Everything but the trailing stretch goes.
    while (crumbLayout_->count() > 1) {
        QLayoutItem* item = crumbLayout_->takeAt(0);
        delete item->widget();
        delete item;
    }
    crumbs_.clear();
    separators_.clear();
    folded_ = nullptr;
    foldedSeparator_ = nullptr;
    trail_ = breadcrumbTrail(state_.focus());
    const QColor separatorColor = secondaryText(palette(), 0.3);
    auto separator = [this, &separatorColor] {
        auto* label = new QLabel(crumbRow_);
        const int side = 12;
        label->setPixmap(symbolIcon(Symbol::chevronCompactRight, separatorColor).pixmap(QSize(side, side), devicePixelRatioF()));
        label->setFixedWidth(side);
        return label;
    };
    auto button = [this](bool isFocus) {
        auto* crumb = new QToolButton(crumbRow_);
        crumb->setAutoRaise(true);
        crumb->setFocusPolicy(Qt::NoFocus);
        crumb->setToolButtonStyle(Qt::ToolButtonTextOnly);
        QFont f = font();
        f.setWeight(isFocus ? QFont::DemiBold : QFont::Normal);
        crumb->setFont(f);
        QPalette pal = crumb->palette();
        pal.setColor(QPalette::ButtonText, isFocus ? palette().color(QPalette::WindowText) : secondaryText(palette(), 0.6));
        crumb->setPalette(pal);
        return crumb;
    };
    int position = 0;
    for (std::size_t i = 0; i < trail_.size(); ++i) {
        const NodeRef& node = trail_[i];
        const bool isFocus = i + 1 == trail_.size();
        if (i == 1 && trail_.size() > 2) {
            // The stand-in for folded crumbs sits after the root; hidden until needed.
            foldedSeparator_ = separator();
            crumbLayout_->insertWidget(position++, foldedSeparator_);
            folded_ = button(false);
            folded_->setText(QStringLiteral("…"));
            folded_->setAccessibleName(QStringLiteral("More folders"));
            auto* menu = new QMenu(folded_);
            QToolButton* stand = folded_;
            connect(folded_, &QToolButton::clicked, menu,
                    [menu, stand] { menu->popup(stand->mapToGlobal(QPoint(0, stand->height()))); });
            crumbLayout_->insertWidget(position++, folded_);
        }
        if (i > 0) {
            separators_.push_back(separator());
            crumbLayout_->insertWidget(position++, separators_.back());
        }
        auto* crumb = button(isFocus);
        crumb->setText(buttonText(crumbName(state_, node)));
        connect(crumb, &QToolButton::clicked, this, [this, node] { state_.navigate(node); });
        crumbLayout_->insertWidget(position++, crumb);
        crumbs_.push_back(crumb);
    }
    fitCrumbs();
}

void BreadcrumbBar::fitCrumbs() {
    if (crumbs_.empty()) return;
    std::vector<int> wanted, padding;
    for (std::size_t i = 0; i < crumbs_.size(); ++i) {
        QToolButton* crumb = crumbs_[i];
        const QString full = crumbName(state_, trail_[i]);
        crumb->setText(buttonText(full));
        const int width = crumb->sizeHint().width();
        wanted.push_back(width);
        padding.push_back(width - crumb->fontMetrics().horizontalAdvance(full));
    }
    const int separatorWidth = 12 + 2 * kCrumbSpacing;
    BreadcrumbSpacing spacing;
    spacing.separator = separatorWidth;
    spacing.ellipsis = folded_ ? folded_->sizeHint().width() + separatorWidth : 0;
    spacing.least = crumbs_.front()->fontMetrics().horizontalAdvance(QStringLiteral("Abc…xyz")) + padding.front();
    const BreadcrumbFit fit = fitBreadcrumbs(wanted, scroll_->width(), spacing);

    for (std::size_t i = 0; i < crumbs_.size(); ++i) {
        const bool shown = i < fit.foldedFrom || i >= fit.foldedTo;
        crumbs_[i]->setVisible(shown);
        if (i > 0) separators_[i - 1]->setVisible(shown);
        const QString full = crumbName(state_, trail_[i]);
        const bool shortened = shown && fit.widths[i] < wanted[i];
        if (shortened) {
            const int room = std::max(0, fit.widths[i] - padding[i]);
            crumbs_[i]->setText(buttonText(crumbs_[i]->fontMetrics().elidedText(full, Qt::ElideMiddle, room)));
        }
        crumbs_[i]->setToolTip(shortened ? full : QString());
    }
    if (!folded_) return;
    folded_->setVisible(fit.folds());
    foldedSeparator_->setVisible(fit.folds());
    auto* menu = folded_->findChild<QMenu*>();
    menu->clear();
    for (std::size_t i = fit.foldedFrom; i < fit.foldedTo; ++i) {
        const NodeRef node = trail_[i];
        menu->addAction(buttonText(crumbName(state_, node)), this, [this, node] { state_.navigate(node); });
    }
}

bool BreadcrumbBar::eventFilter(QObject* watched, QEvent* event) {
    if (watched == scroll_ && event->type() == QEvent::Resize) fitCrumbs();
    return QWidget::eventFilter(watched, event);
}

void BreadcrumbBar::changeEvent(QEvent* event) {
    // Crumb colours come from the palette: a switch between light and dark redraws them.
    if (event->type() == QEvent::PaletteChange) rebuildCrumbs();
    QWidget::changeEvent(event);
}

void BreadcrumbBar::paintEvent(QPaintEvent*) {
    QPainter p(this);
    // A bar tint over the window colour, like a toolbar's material.
    p.fillRect(rect(), palette().color(QPalette::Window));
    QColor tint = palette().color(QPalette::WindowText);
    tint.setAlphaF(0.035);
    p.fillRect(rect(), tint);
}

} // namespace plenwick
