#include "results/ShellInspectorDetails.h"

#include "app/AppState.h"
#include "app/CommandShortcuts.h"
#include "app/FailureReport.h"
#include "app/NodeActions.h"
#include "app/SizeShare.h"
#include "base/Utf8.h"
#include "platform/ByteCountFormatter.h"
#include "results/FileKindText.h"
#include "results/ResultsTexts.h"
#include "results/SelectableText.h"
#include "results/ShellActionButton.h"
#include "results/ShellShareBar.h"
#include "runtime/BackgroundTask.h"
#include "services/Formatters.h"
#include "shell/ActivitySpinner.h"
#include "shell/FileActions.h"
#include "shell/FileIconCache.h"
#include "shell/ShellIconImage.h"
#include "shell/ShellStyle.h"
#include "shell/ShellText.h"
#include "shell/Symbols.h"

#include <QApplication>
#include <QContextMenuEvent>
#include <QGridLayout>
#include <QEvent>
#include <QHBoxLayout>
#include <QLabel>
#include <QMouseEvent>
#include <QPainter>
#include <QPushButton>
#include <QToolButton>
#include <QVBoxLayout>

namespace plenwick {

const QString ShellInspectorDetails::logicalSizeLabel = QStringLiteral("Logical size");

// The node's icon at 56 points: dragged out as the file, with the node's context menu.
class InspectorIcon final : public ShellIconImage {
public:
    explicit InspectorIcon(ShellInspectorDetails* details) : ShellIconImage(56, details), details_(details) {}

protected:
    void mousePressEvent(QMouseEvent* event) override {
        if (event->button() == Qt::LeftButton) pressAt_ = event->position().toPoint();
    }
    void mouseMoveEvent(QMouseEvent* event) override {
        if (!(event->buttons() & Qt::LeftButton) || !details_->node()) return;
        if ((event->position().toPoint() - pressAt_).manhattanLength() < QApplication::startDragDistance()) return;
        const QPixmap preview = icon().pixmap(QSize(side(), side()), devicePixelRatioF());
        dragItems(this, {details_->node()->url()}, preview, QPoint(side() / 2, side() / 2));
    }
    void contextMenuEvent(QContextMenuEvent* event) override {
        if (details_->node()) emit details_->contextMenuRequested(details_->node(), event->globalPos());
    }

private:
    ShellInspectorDetails* details_;
    QPoint pressAt_;
};

namespace {

enum Fact { logicalSize, files, itemsInside, modified };

QColor tertiaryColor(const QPalette& palette) { return shellWithOpacity(shellPrimaryColor(palette), 0.3); }

QColor nodeColor(const AppState& state, const FileNode& node) {
    const RGB rgb = state.color(node);
    return QColor::fromRgbF(static_cast<float>(rgb.red), static_cast<float>(rgb.green), static_cast<float>(rgb.blue));
}

ShellText* text(ShellTextStyle style, ShellText::Tone tone, QWidget* parent,
                std::optional<QFont::Weight> weight = std::nullopt) {
    auto* t = new ShellText(QString(), parent);
    t->setTextStyle(style, weight);
    t->setTone(tone);
    t->setAlignment(Qt::AlignLeft);
    t->setElideMode(Qt::ElideRight);
    t->setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Fixed);
    return t;
}

QString quoted(const QString& name) { return QStringLiteral("of “") + name + QStringLiteral("”"); }

QString name(const AppState& state, const FileNode& node) { return QString::fromStdString(state.displayName(node)); }

// One of the node's sizes in the file style, "—" where the scan could not read it.
QString bytesText(const FileNode& node, std::int64_t bytes) {
    return isSizeKnown(node) ? QString::fromStdString(formatByteCount(bytes)) : QStringLiteral("—");
}

// The orange notice of a folder the scan could not read.
class UnreadableNotice final : public QWidget {
public:
    explicit UnreadableNotice(QWidget* parent) : QWidget(parent) {
        auto* column = new QVBoxLayout(this);
        column->setContentsMargins(10, 10, 10, 10);
        column->setSpacing(8);
        auto* titleRow = new QHBoxLayout;
        titleRow->setSpacing(6);
        lock_ = new QLabel(this);
        title_ = text(ShellTextStyle::callout, ShellText::Tone::primary, this, QFont::DemiBold);
        title_->setText(QStringLiteral("Couldn't read this folder"));
        titleRow->addWidget(lock_);
        titleRow->addWidget(title_, 1);
        column->addLayout(titleRow);
        // The folder's own permissions refused, as the scan failure says: there is no
        // privacy setting here that would let Plenwick in, so no button to one.
        auto* message = new QLabel(QStringLiteral("Its permissions, or those of a folder above it, deny Plenwick "
                                                  "access, so its contents (and their size) are missing from the scan."),
                                   this);
        message->setWordWrap(true);
        message->setFont(shellFont(ShellTextStyle::caption));
        message->setForegroundRole(QPalette::PlaceholderText);
        column->addWidget(message);
        message_ = message;
        tint();
    }

protected:
    void paintEvent(QPaintEvent*) override {
        QPainter p(this);
        p.setRenderHint(QPainter::Antialiasing);
        p.setPen(Qt::NoPen);
        p.setBrush(shellWithOpacity(shellOrangeColor(shellAppearance(*this)), 0.10));
        p.drawRoundedRect(QRectF(rect()), 8, 8);
    }
    void changeEvent(QEvent* event) override {
        QWidget::changeEvent(event);
        if (event->type() == QEvent::PaletteChange) tint();
    }

private:
    void tint() {
        const QColor orange = shellOrangeColor(shellAppearance(*this));
        title_->setTint(orange);
        lock_->setPixmap(symbolIcon(Symbol::lockFill, orange).pixmap(QSize(13, 13), devicePixelRatioF()));
        QPalette p = message_->palette();
        p.setColor(QPalette::WindowText, shellSecondaryColor(palette()));
        message_->setPalette(p);
    }
    QLabel* lock_;
    ShellText* title_;
    QLabel* message_ = nullptr;
};

} // namespace

ShellInspectorDetails::ShellInspectorDetails(AppState& state, QWidget* parent) : QWidget(parent), state_(state) {
    setObjectName(QStringLiteral("ShellInspectorDetails"));
    auto* column = new QVBoxLayout(this);
    column->setContentsMargins(0, 0, 0, 0);
    column->setSpacing(14);

    // Header: icon, caption, name, kind.
    auto* header = new QHBoxLayout;
    header->setSpacing(12);
    icon_ = new InspectorIcon(this);
    header->addWidget(icon_, 0, Qt::AlignVCenter);
    auto* titles = new QVBoxLayout;
    titles->setSpacing(2);
    caption_ = text(ShellTextStyle::caption, ShellText::Tone::secondary, this, QFont::DemiBold);
    name_ = new SelectableText(this);
    name_->setFont(shellFont(ShellTextStyle::title3, QFont::DemiBold));
    name_->setMaximumLines(3);
    kind_ = text(ShellTextStyle::callout, ShellText::Tone::secondary, this);
    // The stretches centre the titles beside a taller icon, at the name's own height.
    titles->addStretch(1);
    titles->addWidget(caption_);
    titles->addWidget(name_);
    titles->addWidget(kind_);
    titles->addStretch(1);
    header->addLayout(titles, 1);
    column->addLayout(header);

    // Size and shares.
    auto* sizes = new QVBoxLayout;
    sizes->setSpacing(8);
    auto* sizeRow = new QHBoxLayout;
    sizeRow->setSpacing(6);
    size_ = new QLabel(this);
    QFont big = shellFont(ShellTextStyle::largeTitle, QFont::DemiBold);
    size_->setFont(big);
    onDisk_ = text(ShellTextStyle::callout, ShellText::Tone::secondary, this);
    onDisk_->setText(QStringLiteral("on disk"));
    onDisk_->setSizePolicy(QSizePolicy::Preferred, QSizePolicy::Fixed);
    sizeRow->addWidget(size_, 0, Qt::AlignBaseline);
    // The small text sits on the large one's baseline.
    const int drop = QFontMetrics(big).ascent() - QFontMetrics(onDisk_->font()).ascent();
    onDisk_->setContentsMargins(0, drop, 0, 0);
    sizeRow->addWidget(onDisk_, 0, Qt::AlignTop);
    sizeRow->addStretch(1);
    sizes->addLayout(sizeRow);
    parentShare_ = new ShellShareBar(this);
    scanShare_ = new ShellShareBar(this);
    sizes->addWidget(parentShare_);
    sizes->addWidget(scanShare_);
    column->addLayout(sizes);

    notice_ = new UnreadableNotice(this);
    column->addWidget(notice_);

    // Facts.
    facts_ = new QGridLayout;
    facts_->setHorizontalSpacing(10);
    facts_->setVerticalSpacing(5);
    const QString titlesOfFacts[4] = {logicalSizeLabel, QStringLiteral("Files"), QStringLiteral("Items inside"),
                                      QStringLiteral("Modified")};
    for (int i = 0; i < 4; ++i) {
        factLabels_[i] = new QLabel(titlesOfFacts[i], this);
        factLabels_[i]->setFont(shellFont(ShellTextStyle::callout));
        factLabels_[i]->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
        factValues_[i] = new QLabel(this);
        factValues_[i]->setFont(shellFont(ShellTextStyle::callout));
        factValues_[i]->setTextInteractionFlags(Qt::TextSelectableByMouse);
        factValues_[i]->setTextFormat(Qt::PlainText);
        facts_->addWidget(factLabels_[i], i, 0);
        facts_->addWidget(factValues_[i], i, 1);
    }
    facts_->setColumnStretch(1, 1);
    column->addLayout(facts_);

    // Path.
    auto* pathSection = new QVBoxLayout;
    pathSection->setSpacing(3);
    auto* pathRow = new QHBoxLayout;
    pathTitle_ = text(ShellTextStyle::caption, ShellText::Tone::secondary, this);
    pathTitle_->setText(QStringLiteral("Path"));
    copyPath_ = new QToolButton(this);
    copyPath_->setAutoRaise(true);
    copyPath_->setIcon(symbolIcon(Symbol::docOnDoc));
    copyPath_->setIconSize(QSize(13, 13));
    copyPath_->setToolTip(QStringLiteral("Copy Path"));
    copyPath_->setAccessibleName(QStringLiteral("Copy Path"));
    connect(copyPath_, &QToolButton::clicked, this, [this] {
        if (node_) copyPaths({nodeURLPath(*node_)});
    });
    pathRow->addWidget(pathTitle_, 1);
    pathRow->addWidget(copyPath_);
    pathSection->addLayout(pathRow);
    path_ = new SelectableText(this);
    path_->setFont(shellMonospacedFont(ShellTextStyle::caption));
    path_->setMaximumLines(6);
    pathSection->addWidget(path_);
    column->addLayout(pathSection);

    // Actions.
    actions_ = new QWidget(this);
    auto* actionColumn = new QVBoxLayout(actions_);
    actionColumn->setContentsMargins(0, 0, 0, 0);
    actionColumn->setSpacing(8);
    auto* buttons = new QHBoxLayout;
    buttons->setSpacing(6);
    reveal_ = new ShellActionButton(QStringLiteral("Reveal"), Symbol::magnifyingGlass, actions_);
    reveal_->setToolTip(helpWithShortcut(QStringLiteral("Reveal in File Manager"), shortcuts::reveal));
    open_ = new ShellActionButton(QStringLiteral("Open"), Symbol::arrowUpForwardApp, actions_);
    preview_ = new ShellActionButton(QStringLiteral("Preview"), Symbol::eye, actions_);
    preview_->setToolTip(helpWithShortcut(QStringLiteral("Preview"), shortcuts::quickLook));
    collect_ = new ShellActionButton(QStringLiteral("Collect"), Symbol::trayArrowDown, actions_);
    for (ShellActionButton* b : {reveal_, open_, preview_, collect_}) buttons->addWidget(b);
    connect(reveal_, &QAbstractButton::clicked, this, [this] {
        if (node_) revealItem(node_->url(), reportTo(state_));
    });
    connect(open_, &QAbstractButton::clicked, this, [this] {
        if (node_) openItem(node_->url(), reportTo(state_));
    });
    connect(preview_, &QAbstractButton::clicked, this, [this] {
        if (node_) state_.setQuickLookURL(node_->url());
    });
    connect(collect_, &QAbstractButton::clicked, this, &ShellInspectorDetails::onCollect);
    actionColumn->addLayout(buttons);

    rescan_ = new QPushButton(actions_);
    rescan_->setObjectName(QStringLiteral("RescanButton"));
    rescan_->setMinimumHeight(26);
    auto* rescanLabel = new QHBoxLayout(rescan_);
    rescanLabel->setContentsMargins(8, 0, 8, 0);
    rescanLabel->setSpacing(6);
    rescanSpinner_ = new ActivitySpinner(12, rescan_);
    rescanSymbol_ = new QLabel(rescan_);
    rescanTitle_ = text(ShellTextStyle::body, ShellText::Tone::primary, rescan_);
    rescanTitle_->setSizePolicy(QSizePolicy::Preferred, QSizePolicy::Fixed);
    rescanLabel->addStretch(1);
    rescanLabel->addWidget(rescanSpinner_);
    rescanLabel->addWidget(rescanSymbol_);
    rescanLabel->addWidget(rescanTitle_);
    rescanLabel->addStretch(1);
    for (QWidget* w : {static_cast<QWidget*>(rescanSpinner_), static_cast<QWidget*>(rescanSymbol_),
                       static_cast<QWidget*>(rescanTitle_)})
        w->setAttribute(Qt::WA_TransparentForMouseEvents);
    connect(rescan_, &QPushButton::clicked, this, &ShellInspectorDetails::onRescan);
    actionColumn->addWidget(rescan_);

    trash_ = new QPushButton(QStringLiteral("Move to Trash…"), actions_);
    trash_->setObjectName(QStringLiteral("TrashButton"));
    trash_->setMinimumHeight(32);
    connect(trash_, &QPushButton::clicked, this, &ShellInspectorDetails::onTrash);
    actionColumn->addWidget(trash_);
    column->addWidget(actions_);

    connect(&FileIconCache::shared(), &FileIconCache::iconReady, this, [this](const QByteArray& path) {
        if (node_ && path.toStdString() == node_->url()) icon_->setIcon(fileIconForNode(*node_));
    });
}

ShellInspectorDetails::~ShellInspectorDetails() = default;

void ShellInspectorDetails::setNode(const NodeRef& node, bool isFallback) {
    const bool changed = node != node_;
    node_ = node;
    isFallback_ = isFallback;
    if (changed) {
        // A description of another node is never shown for this one.
        resolvedKind_.reset();
        ++lookupSequence_;
        if (node_) icon_->setIcon(fileIconForNode(*node_));
        lookUpKind();
    }
    refresh();
}

void ShellInspectorDetails::lookUpKind() {
    if (!node_ || node_->kind() == FileNode::Kind::inaccessible) return;
    const std::uint64_t sequence = lookupSequence_;
    const FileNode* shown = node_.get();
    runInBackground(
        state_.executors().utility, this,
        [path = node_->url(), kind = node_->kind()] { return lookUpKindDescription(path, kind); },
        [this, sequence, shown](std::optional<QString> kind) {
            if (sequence != lookupSequence_ || !kind) return;
            resolvedKind_ = ResolvedKind{shown, *kind};
            refreshHeader();
        },
        // A failed lookup leaves the immediate text.
        [](std::exception_ptr) {});
}

void ShellInspectorDetails::refresh() {
    if (!node_) return;
    refreshHeader();
    refreshSizes();
    refreshFacts();
    refreshActions();
}

void ShellInspectorDetails::refreshHeader() {
    const FileNode& node = *node_;
    caption_->setVisible(isFallback_);
    caption_->setText(node.isContainer() ? QStringLiteral("CURRENT FOLDER") : QStringLiteral("SCANNED FILE"));
    caption_->setTint(tertiaryColor(palette()));
    name_->setText(name(state_, node));
    kind_->setText(resolvedKind_ && resolvedKind_->node == &node ? resolvedKind_->kind : fileKindText(node));
    kind_->setToolTip(kind_->text());
}

void ShellInspectorDetails::refreshSizes() {
    const FileNode& node = *node_;
    size_->setText(bytesText(node, node.size()));
    const QColor color = nodeColor(state_, node);
    const FileNode* parent = node.parent();
    parentShare_->setVisible(parent != nullptr);
    if (parent) parentShare_->set(quoted(name(state_, *parent)), sizeShare(node, *parent), color);
    const NodeRef& root = state_.root();
    const bool showScan = root && root.get() != &node && parent != root.get() && root->size() > 0;
    scanShare_->setVisible(showScan);
    if (showScan) scanShare_->set(QStringLiteral("of scan"), sizeShare(node, *root), color);
    notice_->setVisible(node.kind() == FileNode::Kind::inaccessible);
}

void ShellInspectorDetails::refreshFacts() {
    const FileNode& node = *node_;
    const QColor secondary = shellSecondaryColor(palette());
    for (QLabel* label : factLabels_) {
        QPalette p = label->palette();
        p.setColor(QPalette::WindowText, secondary);
        label->setPalette(p);
    }
    auto show = [this](int row, bool shown, const QString& value) {
        factLabels_[row]->setVisible(shown);
        factValues_[row]->setVisible(shown);
        factValues_[row]->setText(value);
    };
    show(logicalSize, true, bytesText(node, node.logicalSize()));
    show(files, node.isContainer(), QString::fromStdString(formatCount(node.fileCount())));
    show(itemsInside, node.isContainer(), QString::fromStdString(formatCount(static_cast<std::int64_t>(node.childCount()))));
    const QString date =
        node.modified() > 0 ? QString::fromStdString(formatMediumDateAndShortTime(node.modified())) : QString();
    show(modified, node.modified() > 0, date);
    path_->setText(QString::fromStdString(visibleText(nodeDisplayPath(node))));
    path_->setTextColor(shellPrimaryColor(palette()));
}

void ShellInspectorDetails::refreshActions() {
    const FileNode& node = *node_;
    const bool hasParent = node.parent() != nullptr;
    actions_->setEnabled(!(node.kind() == FileNode::Kind::inaccessible && !hasParent));

    const bool covered = state_.isCollectedOrInside(&node);
    collect_->setText(covered ? QStringLiteral("Uncollect") : QStringLiteral("Collect"));
    collect_->setAccessibleName(collect_->text());
    collect_->setSymbol(covered ? Symbol::trayArrowUp : Symbol::trayArrowDown);
    collect_->setToolTip(covered ? QStringLiteral("Remove from Collector")
                                 : helpWithShortcut(QStringLiteral("Add to Collector"), shortcuts::addToCollector));
    collect_->setEnabled(hasParent && (!covered || state_.isCollected(&node)));

    rescan_->setVisible(node.isContainer());
    const bool refreshing = isRefreshing(state_, node);
    rescanSpinner_->setVisible(refreshing);
    rescanSymbol_->setVisible(!refreshing);
    rescanSymbol_->setPixmap(symbolIcon(Symbol::arrowClockwise).pixmap(QSize(13, 13), devicePixelRatioF()));
    rescanTitle_->setText(refreshing ? QStringLiteral("Rescanning…")
                                     : hasParent ? QStringLiteral("Rescan This Folder") : QStringLiteral("Rescan"));
    rescan_->setAccessibleName(rescanTitle_->text());
    rescan_->setEnabled(!refreshing);
    rescan_->setToolTip(hasParent ? helpWithShortcut(QStringLiteral("Scan this folder again and update it in place"),
                                                     shortcuts::rescanFolder)
                                  : helpWithShortcut(QStringLiteral("Scan everything again"), shortcuts::rescan));

    trash_->setEnabled(hasParent);
    const QColor red = hasParent ? QColor(230, 60, 50) : tertiaryColor(palette());
    trash_->setIcon(symbolIcon(Symbol::trash, red));
    QPalette p = trash_->palette();
    p.setColor(QPalette::ButtonText, red);
    p.setColor(QPalette::Disabled, QPalette::ButtonText, red);
    trash_->setPalette(p);
}

void ShellInspectorDetails::onCollect() {
    if (!node_) return;
    if (state_.isCollectedOrInside(node_.get())) state_.removeFromCollector(node_);
    else state_.addToCollector({node_});
}

void ShellInspectorDetails::onRescan() {
    if (node_) state_.rescanFolder(node_);
}

void ShellInspectorDetails::onTrash() { requestMoveToTrash(state_, node_); }

void ShellInspectorDetails::changeEvent(QEvent* event) {
    QWidget::changeEvent(event);
    if (event->type() == QEvent::PaletteChange) refresh();
}

QString ShellInspectorDetails::captionText() const { return caption_->isVisibleTo(this) ? caption_->text() : QString(); }
QString ShellInspectorDetails::nameText() const { return name_->text(); }
QString ShellInspectorDetails::kindText() const { return kind_->text(); }
QString ShellInspectorDetails::sizeText() const { return size_->text(); }
QString ShellInspectorDetails::pathText() const { return path_->text(); }
QAbstractButton* ShellInspectorDetails::copyPathButton() const { return copyPath_; }
QWidget* ShellInspectorDetails::iconView() const { return icon_; }

namespace {

// The rows of a vertical box layout laid out at `width` from `top`, going into the
// vertical box layouts it holds and the widgets in `open`.
void appendRows(const QLayout& layout, int width, int top, const QList<const QWidget*>& open,
                std::vector<ShellInspectorDetails::Row>& rows) {
    const QMargins margins = layout.contentsMargins();
    const int inner = width - margins.left() - margins.right();
    int y = top + margins.top();
    bool first = true;
    for (int i = 0; i < layout.count(); ++i) {
        QLayoutItem* item = layout.itemAt(i);
        if (item->isEmpty()) continue;
        if (!first) y += layout.spacing();
        first = false;
        const int height = item->hasHeightForWidth() ? item->heightForWidth(inner) : item->sizeHint().height();
        const QLayout* nested = item->layout();
        if (!nested && item->widget() && open.contains(item->widget())) nested = item->widget()->layout();
        const auto* box = qobject_cast<const QBoxLayout*>(nested);
        if (box && box->direction() == QBoxLayout::TopToBottom) appendRows(*box, inner, y, open, rows);
        rows.push_back({y, y + height});
        y += height;
    }
}

} // namespace

std::vector<ShellInspectorDetails::Row> ShellInspectorDetails::rowsAt(int width) const {
    std::vector<Row> rows;
    if (layout()) appendRows(*layout(), width, 0, {actions_}, rows);
    return rows;
}

std::optional<QString> ShellInspectorDetails::fact(const QString& label) const {
    for (int i = 0; i < 4; ++i)
        if (factLabels_[i]->text() == label) {
            if (!factLabels_[i]->isVisibleTo(this)) return std::nullopt;
            return factValues_[i]->text();
        }
    return std::nullopt;
}

} // namespace plenwick
