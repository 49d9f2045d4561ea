#include "results/ResultsToolbar.h"

#include "app/AppState.h"
#include "app/CommandShortcuts.h"
#include "results/PickerActions.h"
#include "results/ResultsTexts.h"
#include "shell/Symbols.h"

#include <QActionGroup>
#include <QButtonGroup>
#include <QHBoxLayout>
#include <QLabel>
#include <QMenu>
#include <QToolButton>
#include <QVBoxLayout>

namespace plenwick {

namespace {

QToolButton* iconButton(Symbol symbol, const QString& label, const QString& help, QWidget* parent) {
    auto* button = new QToolButton(parent);
    button->setIcon(symbolIcon(symbol));
    button->setIconSize(QSize(18, 18));
    button->setAutoRaise(true);
    button->setToolButtonStyle(Qt::ToolButtonIconOnly);
    button->setText(label);
    button->setAccessibleName(label);
    button->setToolTip(help);
    button->setFocusPolicy(Qt::TabFocus);
    return button;
}


} // namespace

ResultsToolbar::ResultsToolbar(AppState& state, QWidget* parent) : QWidget(parent), state_(state) {
    setObjectName(QStringLiteral("ResultsToolbar"));
    auto* row = new QHBoxLayout(this);
    row->setContentsMargins(4, 2, 4, 2);
    row->setSpacing(4);

    // Navigation: the disks, the enclosing folder, then the window's title.
    disks_ = iconButton(Symbol::internalDrive, QStringLiteral("Disks"),
                        helpWithShortcut(QStringLiteral("Show the list of disks — these results stay available"),
                                         shortcuts::showDisks),
                        this);
    enclosing_ = iconButton(Symbol::arrowUp, QStringLiteral("Enclosing Folder"),
                            helpWithShortcut(QStringLiteral("Zoom out to the enclosing folder"), shortcuts::enclosingFolder),
                            this);
    connect(disks_, &QToolButton::clicked, this, [this] { state_.goHome(); });
    connect(enclosing_, &QToolButton::clicked, this, [this] {
        const NodeRef& focus = state_.focus();
        if (focus && focus->parent()) state_.navigate(retainNode(focus->parent()));
    });
    // The picker stands in the middle of the row whatever the width of the texts
    // beside it: the groups on either side always get equal shares of the rest.
    auto* leading = new QHBoxLayout;
    leading->setSpacing(4);
    leading->addWidget(disks_);
    leading->addWidget(enclosing_);
    leading->addSpacing(8);

    auto* titles = new QVBoxLayout;
    titles->setSpacing(0);
    title_ = new QLabel(this);
    title_->setTextFormat(Qt::PlainText);
    QFont titleFont = title_->font();
    titleFont.setWeight(QFont::Bold);
    title_->setFont(titleFont);
    subtitle_ = new QLabel(this);
    subtitle_->setTextFormat(Qt::PlainText);
    QFont subtitleFont = subtitle_->font();
    subtitleFont.setPointSizeF(subtitleFont.pointSizeF() - 1.5);
    subtitle_->setFont(subtitleFont);
    QPalette secondary = subtitle_->palette();
    QColor text = secondary.color(QPalette::WindowText);
    text.setAlphaF(0.6);
    secondary.setColor(QPalette::WindowText, text);
    subtitle_->setPalette(secondary);
    for (QLabel* label : {title_, subtitle_}) label->setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Preferred);
    titles->addWidget(title_);
    titles->addWidget(subtitle_);
    leading->addLayout(titles, 1);
    leading->addSpacing(8);
    row->addLayout(leading, 1);

    // Principal: the chart picker, two segments.
    auto* picker = new QWidget(this);
    picker->setToolTip(QStringLiteral("Switch between sunburst and treemap"));
    picker->setAccessibleName(QStringLiteral("Visualization"));
    auto* segments = new QHBoxLayout(picker);
    segments->setContentsMargins(0, 0, 0, 0);
    segments->setSpacing(0);
    auto segment = [picker](Symbol symbol, const QString& title) {
        auto* button = new QToolButton(picker);
        button->setIcon(symbolIcon(symbol));
        button->setIconSize(QSize(16, 16));
        button->setText(title);
        button->setToolButtonStyle(Qt::ToolButtonTextBesideIcon);
        button->setCheckable(true);
        button->setAutoRaise(false);
        button->setToolTip(picker->toolTip());
        return button;
    };
    sunburst_ = segment(Symbol::circleCircle, visualizationTitle(Visualization::sunburst));
    treemap_ = segment(Symbol::squareGrid, visualizationTitle(Visualization::treemap));
    auto* group = new QButtonGroup(this);
    group->setExclusive(true);
    group->addButton(sunburst_);
    group->addButton(treemap_);
    segments->addWidget(sunburst_);
    segments->addWidget(treemap_);
    connect(sunburst_, &QToolButton::clicked, this, [this] { state_.setVisualization(Visualization::sunburst); });
    connect(treemap_, &QToolButton::clicked, this, [this] { state_.setVisualization(Visualization::treemap); });
    row->addWidget(picker);

    // Primary actions: colours, Rescan, the inspector.
    colors_ = new QToolButton(this);
    colors_->setPopupMode(QToolButton::InstantPopup);
    colors_->setToolButtonStyle(Qt::ToolButtonTextOnly);
    colors_->setAutoRaise(true);
    colors_->setToolTip(QStringLiteral("How items are coloured"));
    colors_->setAccessibleName(QStringLiteral("Colors"));
    colorsMenu_ = new QMenu(colors_);
    colorModes_ = addColorModeActions(*colorsMenu_, state_);
    colors_->setMenu(colorsMenu_);
    rescan_ = iconButton(Symbol::arrowClockwise, QStringLiteral("Rescan"),
                         helpWithShortcut(QStringLiteral("Scan again"), shortcuts::rescan), this);
    connect(rescan_, &QToolButton::clicked, this, [this] { state_.rescanAll(); });
    inspector_ = iconButton(Symbol::sidebarTrailing, QStringLiteral("Hide Inspector"), QString(), this);
    connect(inspector_, &QToolButton::clicked, this, [this] { state_.setShowInspector(!state_.showInspector()); });
    auto* trailing = new QHBoxLayout;
    trailing->setSpacing(4);
    trailing->addStretch(1);
    trailing->addWidget(colors_);
    trailing->addWidget(rescan_);
    trailing->addWidget(inspector_);
    row->addLayout(trailing, 1);

    connect(&state_, &AppState::changed, this, &ResultsToolbar::refresh);
    refresh(~quint64(0));
}

void ResultsToolbar::refresh(quint64 fields) {
    using F = AppState::Field;
    auto has = [fields](F f) { return (fields & AppState::bit(f)) != 0; };
    if (has(F::focus)) {
        const NodeRef& focus = state_.focus();
        enclosing_->setEnabled(focus && focus->parent());
    }
    if (has(F::root) || has(F::treeVersion) || has(F::volumeNames)) {
        const FileNode* root = state_.root().get();
        title_->setText(resultsTitle(root, *state_.volumeNames()));
        subtitle_->setText(resultsSubtitle(root));
        subtitle_->setVisible(!subtitle_->text().isEmpty());
    }
    if (has(F::visualization)) {
        sunburst_->setChecked(state_.visualization() == Visualization::sunburst);
        treemap_->setChecked(state_.visualization() == Visualization::treemap);
    }
    if (has(F::colorMode)) {
        colors_->setText(colorModeTitle(state_.colorMode()));
        markColorMode(*colorModes_, state_);
    }
    if (has(F::showInspector)) {
        const bool shown = state_.showInspector();
        const QString label = shown ? QStringLiteral("Hide Inspector") : QStringLiteral("Show Inspector");
        inspector_->setText(label);
        inspector_->setAccessibleName(label);
        inspector_->setToolTip(helpWithShortcut(shown ? QStringLiteral("Hide the inspector") : QStringLiteral("Show the inspector"),
                                                shortcuts::toggleInspector));
    }
}

} // namespace plenwick
