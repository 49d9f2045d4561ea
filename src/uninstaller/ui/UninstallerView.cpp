#include "uninstaller/ui/UninstallerView.h"

#include "uninstaller/ui/AppBundleIcon.h"
#include "uninstaller/ui/RemnantList.h"
#include "uninstaller/ui/UninstallBanner.h"
#include "uninstaller/ui/UninstallerFooter.h"
#include "uninstaller/ui/UninstallerPresentation.h"

#include "shell/ActivitySpinner.h"
#include "shell/Divider.h"
#include "shell/ShellIconImage.h"
#include "shell/ShellStyle.h"
#include "shell/ShellText.h"
#include "shell/Symbols.h"

#include <QEvent>
#include <QHBoxLayout>
#include <QLabel>
#include <QScrollArea>
#include <QShortcut>
#include <QVBoxLayout>


namespace plenwick {

namespace {

using Field = UninstallSession::Field;
using PhaseKind = UninstallSession::Phase::Kind;

QString text(const std::string& utf8) { return QString::fromStdString(utf8); }

void setSecondary(QLabel* label) {
    QPalette palette = label->palette();
    palette.setColor(QPalette::WindowText, shellSecondaryColor(label->parentWidget()->palette()));
    label->setPalette(palette);
}

QLabel* symbolLabel(Symbol symbol, const QColor& color, int side, QWidget* parent) {
    auto* label = new QLabel(parent);
    label->setPixmap(symbolIcon(symbol, color).pixmap(QSize(side, side), parent->devicePixelRatioF()));
    label->setFixedSize(side, side);
    return label;
}

constexpr QColor green{52, 199, 89}, blue{0, 122, 255};

} // namespace

UninstallerView::UninstallerView(std::shared_ptr<UninstallSession> session, QWidget* parent)
    : QWidget(parent), session_(std::move(session)) {
    setFixedWidth(viewWidth);
    setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Fixed);
    auto* root = new QVBoxLayout(this);
    root->setContentsMargins(0, 0, 0, 0);
    root->setSpacing(0);

    auto* header = new QHBoxLayout;
    header->setContentsMargins(20, 20, 20, 20);
    header->setSpacing(14);
    icon_ = new ShellIconImage(52, this);
    header->addWidget(icon_, 0, Qt::AlignTop);
    auto* texts = new QVBoxLayout;
    texts->setSpacing(4);
    title_ = new ShellText(QString(), this);
    title_->setTextStyle(ShellTextStyle::title3, QFont::DemiBold);
    title_->setAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    texts->addWidget(title_);
    status_ = new QLabel(this);
    status_->setTextFormat(Qt::PlainText);
    status_->setWordWrap(true);
    status_->setFont(shellFont(ShellTextStyle::body));
    texts->addWidget(status_);
    header->addLayout(texts, 1);
    root->addLayout(header);

    bannerBox_ = new QWidget(this);
    auto* bannerColumn = new QVBoxLayout(bannerBox_);
    bannerColumn->setContentsMargins(0, 0, 0, 0);
    bannerColumn->setSpacing(0);
    root->addWidget(bannerBox_);

    root->addWidget(new Divider(Qt::Horizontal, this));
    phaseArea_ = new QWidget(this);
    phaseArea_->setSizePolicy(QSizePolicy::Preferred, QSizePolicy::Fixed);
    auto* phaseColumn = new QVBoxLayout(phaseArea_);
    phaseColumn->setContentsMargins(0, 0, 0, 0);
    phaseColumn->setSpacing(0);
    progress_ = makeProgress();
    empty_ = makeEmptyState();
    list_ = new RemnantList(*session_, phaseArea_);
    finished_ = static_cast<QScrollArea*>(makeFinished());
    for (QWidget* page : {progress_, empty_, static_cast<QWidget*>(list_), static_cast<QWidget*>(finished_)})
        phaseColumn->addWidget(page);
    root->addWidget(phaseArea_);
    root->addWidget(new Divider(Qt::Horizontal, this));

    footer_ = new UninstallerFooter(*session_, this);
    root->addWidget(footer_);

    for (int key : {Qt::Key_Return, Qt::Key_Enter}) {
        auto* shortcut = new QShortcut(QKeySequence(key), this);
        shortcut->setContext(Qt::WidgetWithChildrenShortcut);
        connect(shortcut, &QShortcut::activated, footer_, &UninstallerFooter::activateDefault);
    }
    auto* escape = new QShortcut(QKeySequence(Qt::Key_Escape), this);
    escape->setContext(Qt::WidgetWithChildrenShortcut);
    connect(escape, &QShortcut::activated, footer_, &UninstallerFooter::activateCancel);

    connect(session_.get(), &UninstallSession::changed, this, &UninstallerView::sessionChanged);
    updateHeader();
    updateBanners();
    updatePhaseArea(false);
}

UninstallerView::~UninstallerView() = default;

QSize UninstallerView::sizeHint() const { return QSize(viewWidth, layout()->totalHeightForWidth(viewWidth)); }

void UninstallerView::showEvent(QShowEvent* event) {
    QWidget::showEvent(event);
    if (appeared_) return;
    appeared_ = true;
    // A session searched before it was shown is not searched again.
    if (session_->phase().kind() == PhaseKind::scanning) session_->start();
}

void UninstallerView::changeEvent(QEvent* event) {
    QWidget::changeEvent(event);
    if (event->type() == QEvent::PaletteChange) {
        updateHeader();
        updateBanners();
        updatePhaseArea(true);
    }
}

void UninstallerView::sessionChanged(quint64 fields) {
    const auto has = [fields](Field f) { return (fields & UninstallSession::bit(f)) != 0; };
    updateHeader();
    if (has(Field::phase) || has(Field::otherCopies) || has(Field::isAppRunning)) updateBanners();
    if (has(Field::phase) || has(Field::remnants)) updatePhaseArea(has(Field::remnants));
    if (has(Field::selected)) list_->updateSelection();
    footer_->update();
    // The height follows the content: a host's layout asks again; a window of its own
    // takes the new size itself.
    updateGeometry();
    if (isWindow()) {
        phaseArea_->layout()->activate();
        layout()->activate();
        adjustSize();
    }
}

void UninstallerView::updateHeader() {
    std::vector<std::string> candidates;
    if (session_->iconURL()) candidates.push_back(*session_->iconURL());
    candidates.push_back(session_->app().url);
    if (candidates != iconCandidates_) {
        // The generic icon stands in until the bundle's own is read; only the newest read counts.
        if (iconCandidates_.empty()) icon_->setIcon(genericApplicationIcon());
        iconCandidates_ = candidates;
        loadAppBundleIcon(this, std::move(candidates), [this, generation = ++iconGeneration_](QIcon icon) {
            if (generation != iconGeneration_) return;
            icon_->setIcon(icon);
            iconShown_ = generation;
        });
    }
    title_->setText(text(uninstaller_ui::title(*session_)));
    status_->setText(text(uninstaller_ui::statusLine(*session_)));
    setSecondary(status_);
}

void UninstallerView::updateBanners() {
    for (UninstallBanner* banner : banners_) delete banner;
    banners_.clear();
    const ShellAppearance appearance = shellAppearance(*this);
    for (const uninstaller_ui::Banner& b : uninstaller_ui::banners(*session_)) {
        const bool copy = b.kind == uninstaller_ui::BannerKind::otherCopy;
        std::optional<QString> action;
        if (b.actionTitle) action = text(*b.actionTitle);
        const QColor tint = copy ? shellOrangeColor(appearance) : blue;
        auto* banner = new UninstallBanner(symbolIcon(copy ? Symbol::warningTriangle : Symbol::playCircleFill, tint),
                                           tint, text(b.text), action,
                                           copy ? std::function<void()>() : [session = session_.get()] { session->quitApp(); },
                                           bannerBox_);
        bannerBox_->layout()->addWidget(banner);
        banners_.push_back(banner);
    }
    bannerBox_->setVisible(!banners_.empty());
}

QWidget* UninstallerView::makeProgress() {
    auto* page = new QWidget(phaseArea_);
    page->setFixedHeight(160);
    auto* layout = new QVBoxLayout(page);
    layout->addWidget(new ActivitySpinner(32, page), 0, Qt::AlignCenter);
    return page;
}

QWidget* UninstallerView::makeEmptyState() {
    auto* page = new QWidget(phaseArea_);
    page->setFixedHeight(120);
    auto* layout = new QVBoxLayout(page);
    layout->setSpacing(8);
    layout->addStretch(1);
    layout->addWidget(symbolLabel(Symbol::sparkles, shellSecondaryColor(palette()), 28, page), 0, Qt::AlignHCenter);
    auto* label = new QLabel(QString::fromUtf8(uninstaller_ui::emptyText), page);
    label->setAlignment(Qt::AlignHCenter);
    setSecondary(label);
    layout->addWidget(label);
    layout->addStretch(1);
    return page;
}

QWidget* UninstallerView::makeFinished() {
    auto* scroll = new QScrollArea(phaseArea_);
    scroll->setFrameShape(QFrame::NoFrame);
    scroll->setWidgetResizable(true);
    scroll->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    // A scroll bar only when a long list of failures needs one.
    scroll->setVerticalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    auto* content = new QWidget;
    auto* column = new QVBoxLayout(content);
    column->setContentsMargins(20, 20, 20, 20);
    column->setSpacing(10);
    auto* headline = new QHBoxLayout;
    headline->setSpacing(6);
    finishedSymbol_ = new QLabel(content);
    headline->addWidget(finishedSymbol_);
    finishedHeadline_ = new QLabel(content);
    finishedHeadline_->setTextFormat(Qt::PlainText);
    finishedHeadline_->setFont(shellFont(ShellTextStyle::headline));
    headline->addWidget(finishedHeadline_);
    headline->addStretch(1);
    column->addLayout(headline);
    failures_ = new QLabel(content);
    failures_->setTextFormat(Qt::PlainText);
    failures_->setWordWrap(true);
    failures_->setFont(shellFont(ShellTextStyle::callout));
    failures_->setTextInteractionFlags(Qt::TextSelectableByMouse);
    column->addWidget(failures_);
    column->addStretch(1);
    scroll->setWidget(content);
    scroll->viewport()->setAutoFillBackground(false);
    return scroll;
}

void UninstallerView::updatePhaseArea(bool remnantsChanged) {
    const uninstaller_ui::PhaseArea area = uninstaller_ui::phaseArea(*session_);
    if (remnantsChanged && area == uninstaller_ui::PhaseArea::list) list_->rebuild();
    progress_->setVisible(area == uninstaller_ui::PhaseArea::progress);
    empty_->setVisible(area == uninstaller_ui::PhaseArea::empty);
    list_->setVisible(area == uninstaller_ui::PhaseArea::list);
    list_->setEnabled(session_->phase().kind() != PhaseKind::working);
    finished_->setVisible(area == uninstaller_ui::PhaseArea::finished);
    if (area != uninstaller_ui::PhaseArea::finished) return;

    const auto& failures = session_->phase().failures();
    const bool problems = failures.has_value();
    finished_->setFixedHeight(uninstaller_ui::finishedHeight(problems));
    const QColor tint = problems ? shellOrangeColor(shellAppearance(*this)) : green;
    finishedHeadline_->setText(text(uninstaller_ui::finishedHeadline(problems)));
    QPalette palette = finishedHeadline_->palette();
    palette.setColor(QPalette::WindowText, tint);
    finishedHeadline_->setPalette(palette);
    const int side = shellTextPixelSize(ShellTextStyle::headline) + 2;
    finishedSymbol_->setPixmap(symbolIcon(problems ? Symbol::warningTriangle : Symbol::checkmarkCircleFill, tint)
                                   .pixmap(QSize(side, side), devicePixelRatioF()));
    failures_->setVisible(problems);
    if (problems) {
        failures_->setText(text(*failures));
        setSecondary(failures_);
    }
}

} // namespace plenwick
