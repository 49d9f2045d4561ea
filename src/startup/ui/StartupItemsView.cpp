#include "startup/ui/StartupItemsView.h"

#include "startup/ui/StartupItemRow.h"
#include "startup/ui/StartupItemsSection.h"
#include "startup/ui/StartupItemsTexts.h"

#include "shell/ActivitySpinner.h"
#include "shell/Divider.h"
#include "shell/ShellStyle.h"
#include "shell/ShellText.h"
#include "shell/Symbols.h"


#include <QAction>
#include <QGridLayout>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QPointer>
#include <QPainter>
#include <QPushButton>
#include <QScrollArea>
#include <QScrollBar>
#include <QStackedWidget>
#include <QTimer>
#include <QToolButton>
#include <QVBoxLayout>

#include <algorithm>

namespace plenwick {

using Field = StartupItemsModel::Field;

// The large symbol of the placeholder over the list.
class PlaceholderSymbol final : public QWidget {
public:
    explicit PlaceholderSymbol(QWidget* parent) : QWidget(parent) { setFixedSize(44, 44); }
    void setSymbol(Symbol symbol) {
        symbol_ = symbol;
        update();
    }

protected:
    void paintEvent(QPaintEvent*) override {
        QPainter p(this);
        drawSymbol(p, symbol_, QRectF(rect()), shellSecondaryColor(palette()));
    }

private:
    Symbol symbol_ = Symbol::checkmarkCircle;
};

namespace {

// The header's symbol: the power glyph in white on an accent disc.
class PowerSymbol final : public QWidget {
public:
    explicit PowerSymbol(QWidget* parent) : QWidget(parent) { setFixedSize(34, 34); }

protected:
    void paintEvent(QPaintEvent*) override {
        QPainter p(this);
        p.setRenderHint(QPainter::Antialiasing);
        const QRectF box(rect());
        p.setPen(Qt::NoPen);
        p.setBrush(Qt::white);
        p.drawEllipse(box.center(), box.width() * 0.42, box.height() * 0.42);
        drawSymbol(p, Symbol::powerCircleFill, box, shellAccentColor(palette()));
    }
};

} // namespace

// The header's line under the title: secondary body text that wraps, so that a
// sentence in place of the count is read whole.
class StartupCountLine final : public QWidget {
public:
    explicit StartupCountLine(QWidget* parent) : QWidget(parent) {
        setFont(shellFont(ShellTextStyle::body));
        QSizePolicy policy(QSizePolicy::Preferred, QSizePolicy::Preferred);
        policy.setHeightForWidth(true);
        setSizePolicy(policy);
    }
    const QString& text() const noexcept { return text_; }
    void setText(const QString& text) {
        if (text == text_) return;
        text_ = text;
        updateGeometry();
        update();
    }
    bool hasHeightForWidth() const override { return true; }
    int heightForWidth(int width) const override {
        return std::max(fontMetrics().height(),
                        fontMetrics().boundingRect(QRect(0, 0, std::max(width, 1), 100000), flags, text_).height());
    }
    QSize sizeHint() const override {
        const int width = std::min(fontMetrics().horizontalAdvance(text_) + 1, 560);
        return {width, heightForWidth(width)};
    }
    QSize minimumSizeHint() const override { return {0, fontMetrics().height()}; }

protected:
    void paintEvent(QPaintEvent*) override {
        QPainter painter(this);
        painter.setPen(shellSecondaryColor(palette()));
        painter.drawText(rect(), flags, text_);
    }

private:
    static constexpr int flags = Qt::AlignLeft | Qt::AlignTop | Qt::TextWordWrap;
    QString text_;
};

namespace {

ShellText* textLine(const QString& text, ShellTextStyle style, std::optional<QFont::Weight> weight, QWidget* parent,
                    bool secondary = false, Qt::Alignment alignment = Qt::AlignLeft) {
    auto* line = new ShellText(text, parent);
    line->setTextStyle(style, weight);
    line->setTone(secondary ? ShellText::Tone::secondary : ShellText::Tone::primary);
    line->setAlignment(alignment);
    return line;
}

// An alert of the window, wide enough for a sentence per line.
QMessageBox* makeAlert(QWidget* parent) {
    auto* box = new QMessageBox(parent);
    box->setWindowModality(Qt::WindowModal);
    box->setIcon(QMessageBox::Warning);
    box->setStyleSheet(QStringLiteral("QLabel#qt_msgbox_label, QLabel#qt_msgbox_informativelabel { min-width: 340px; }"));
    return box;
}

QToolButton* barButton(Symbol symbol, const QString& label, const QString& help, QWidget* parent) {
    auto* button = new QToolButton(parent);
    button->setIcon(symbolIcon(symbol));
    button->setIconSize(QSize(16, 16));
    button->setText(label);
    button->setAccessibleName(label);
    button->setToolTip(help);
    button->setAutoRaise(true);
    button->setToolButtonStyle(Qt::ToolButtonIconOnly);
    return button;
}

} // namespace

StartupItemsView::StartupItemsView(std::unique_ptr<StartupItemsModel> model, QWidget* parent)
    : QWidget(parent), model_(std::move(model)) {
    setMinimumSize(minimumWidth, minimumHeight);
    setAccessibleName(StartupItemsTexts::title);

    auto* page = new QVBoxLayout(this);
    page->setContentsMargins(0, 0, 0, 0);
    page->setSpacing(0);

    // The bar: the Refresh button, then the filter field.
    auto* bar = new QHBoxLayout;
    bar->setContentsMargins(12, 7, 12, 7);
    bar->setSpacing(6);
    bar->addStretch(1);
    refreshButton_ = barButton(Symbol::arrowClockwise, StartupItemsTexts::refreshButton, StartupItemsTexts::refreshHelp, this);
    connect(refreshButton_, &QToolButton::clicked, this, [this] { model_->refresh(); });
    bar->addWidget(refreshButton_);
    filter_ = new QLineEdit(this);
    filter_->setPlaceholderText(StartupItemsTexts::filterPrompt);
    filter_->setAccessibleName(StartupItemsTexts::filterPrompt);
    filter_->setClearButtonEnabled(true);
    filter_->addAction(symbolIcon(Symbol::magnifyingGlass), QLineEdit::LeadingPosition);
    filter_->setFixedWidth(200);
    connect(filter_, &QLineEdit::textChanged, this, [this](const QString& text) { setSearch(text); });
    bar->addWidget(filter_);
    page->addLayout(bar);
    page->addWidget(new Divider(Qt::Horizontal, this));

    // The header.
    auto* header = new QHBoxLayout;
    header->setContentsMargins(20, 14, 20, 14);
    header->setSpacing(14);
    header->addWidget(new PowerSymbol(this), 0, Qt::AlignVCenter);
    auto* titles = new QVBoxLayout;
    titles->setSpacing(2);
    titles->addWidget(textLine(StartupItemsTexts::title, ShellTextStyle::title2, QFont::DemiBold, this));
    countLine_ = new StartupCountLine(this);
    titles->addWidget(countLine_);
    header->addLayout(titles);
    header->addStretch(1);
    headerSpinner_ = new ActivitySpinner(16, this);
    header->addWidget(headerSpinner_, 0, Qt::AlignVCenter);
    page->addLayout(header);
    page->addWidget(new Divider(Qt::Horizontal, this));

    // Before the first load, only the loading page; then the list with its placeholder.
    stack_ = new QStackedWidget(this);
    auto* loading = new QWidget(stack_);
    auto* loadingColumn = new QVBoxLayout(loading);
    loadingColumn->addStretch(1);
    loadingColumn->addWidget(new ActivitySpinner(28, loading), 0, Qt::AlignHCenter);
    loadingColumn->addSpacing(8);
    loadingColumn->addWidget(
        textLine(StartupItemsTexts::loadingText, ShellTextStyle::body, std::nullopt, loading, true, Qt::AlignCenter));
    loadingColumn->addStretch(1);
    stack_->addWidget(loading);

    auto* listPage = new QWidget(stack_);
    auto* grid = new QGridLayout(listPage);
    grid->setContentsMargins(0, 0, 0, 0);
    scroll_ = new QScrollArea(listPage);
    scroll_->setWidgetResizable(true);
    scroll_->setFrameShape(QFrame::NoFrame);
    scroll_->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    listContent_ = new QWidget(scroll_);
    listLayout_ = new QVBoxLayout(listContent_);
    listLayout_->setContentsMargins(20, 16, 20, 20);
    listLayout_->setSpacing(20);
    scroll_->setWidget(listContent_);
    grid->addWidget(scroll_, 0, 0);

    placeholder_ = new QWidget(listPage);
    placeholder_->setAttribute(Qt::WA_TransparentForMouseEvents);
    auto* placeholderColumn = new QVBoxLayout(placeholder_);
    placeholderColumn->addStretch(1);
    placeholderSymbol_ = new PlaceholderSymbol(placeholder_);
    placeholderColumn->addWidget(placeholderSymbol_, 0, Qt::AlignHCenter);
    placeholderColumn->addSpacing(6);
    placeholderTitle_ = textLine({}, ShellTextStyle::title3, QFont::Bold, placeholder_, false, Qt::AlignCenter);
    placeholderColumn->addWidget(placeholderTitle_);
    placeholderText_ = textLine({}, ShellTextStyle::body, std::nullopt, placeholder_, true, Qt::AlignCenter);
    placeholderColumn->addWidget(placeholderText_);
    placeholderColumn->addStretch(1);
    grid->addWidget(placeholder_, 0, 0);
    stack_->addWidget(listPage);
    page->addWidget(stack_, 1);

    connect(model_.get(), &StartupItemsModel::changed, this, &StartupItemsView::modelChanged);
    // Coming back to the program looks again, unless a load runs or none has finished.
    connect(qApp, &QGuiApplication::applicationStateChanged, this, [this](Qt::ApplicationState state) {
        if (state == Qt::ApplicationActive && model_->hasLoaded() && !model_->isLoading()) model_->refresh();
    });

    updateHeader();
    rebuildList();
}

StartupItemsView::~StartupItemsView() = default;

void StartupItemsView::showEvent(QShowEvent* event) {
    QWidget::showEvent(event);
    if (shownOnce_) return;
    shownOnce_ = true;
    QTimer::singleShot(0, this, [this] {
        if (!model_->hasLoaded()) model_->refresh();
    });
}

void StartupItemsView::modelChanged(quint64 fields) {
    const auto has = [fields](Field field) { return (fields & StartupItemsModel::bit(field)) != 0; };
    if (has(Field::isLoading) || has(Field::hasLoaded) || has(Field::items)) updateHeader();
    if (has(Field::items) || has(Field::hasLoaded) || has(Field::busy)) rebuildList();
    if (has(Field::actionError)) updateErrorAlert();
}

void StartupItemsView::setSearch(const QString& text) {
    if (text == search_) return;
    search_ = text;
    if (filter_->text() != text) filter_->setText(text);
    rebuildList();
}

QString StartupItemsView::countLineText() const { return countLine_->text(); }
bool StartupItemsView::showsLoadingPage() const { return stack_->currentIndex() == 0; }
bool StartupItemsView::showsHeaderSpinner() const { return !headerSpinner_->isHidden(); }
QString StartupItemsView::placeholderTitle() const {
    return placeholder_->isHidden() ? QString() : placeholderTitle_->text();
}

std::vector<StartupItemsSection*> StartupItemsView::sections() const {
    return sections_;
}

std::vector<StartupItemRow*> StartupItemsView::rows() const {
    std::vector<StartupItemRow*> found;
    for (StartupItemsSection* section : sections_)
        for (StartupItemRow* row : section->findChildren<StartupItemRow*>()) found.push_back(row);
    return found;
}

void StartupItemsView::updateHeader() {
    countLine_->setText(StartupItemsTexts::countLine(model_->hasLoaded(), model_->items(), model_->leftoverCount()));
    headerSpinner_->setVisible(model_->isLoading() && model_->hasLoaded());
    refreshButton_->setEnabled(!model_->isLoading());
    stack_->setCurrentIndex(model_->hasLoaded() ? 1 : 0);
}

QWidget* StartupItemsView::makeRow(const StartupItem& item) {
    QPointer<StartupItemsView> self(this);
    const bool busy = model_->busy().count(item.id()) > 0;
    return new StartupItemRow(
        item, busy,
        [self, item](bool enabled) {
            // Later, so the row that called is not rebuilt under its own feet.
            QTimer::singleShot(0, self, [self, item, enabled] {
                if (self) self->model_->setEnabled(item, enabled);
            });
        },
        [self, item] {
            if (self) self->requestRemoval(item);
        });
}

void StartupItemsView::rebuildList() {
    listing_ = StartupItemsListing::make(model_->items(), search_);
    const int scrollPosition = scroll_->verticalScrollBar()->value();
    listContent_->setUpdatesEnabled(false);
    while (QLayoutItem* child = listLayout_->takeAt(0)) {
        if (QWidget* widget = child->widget()) {
            widget->hide();
            widget->deleteLater();
        }
        delete child;
    }
    sections_.clear();
    for (const StartupItemsListing::Section& section : listing_.sections) {
        sections_.push_back(
            new StartupItemsSection(section, [this](const StartupItem& item) { return makeRow(item); }, listContent_));
        listLayout_->addWidget(sections_.back());
    }
    listLayout_->addStretch(1);
    listContent_->setUpdatesEnabled(true);
    scroll_->verticalScrollBar()->setValue(scrollPosition);

    switch (listing_.overlay) {
    case StartupItemsListing::Overlay::none:
        placeholder_->hide();
        break;
    case StartupItemsListing::Overlay::noItems:
        placeholderSymbol_->setSymbol(Symbol::checkmarkCircle);
        placeholderTitle_->setText(StartupItemsTexts::noItemsTitle);
        placeholderText_->setText(StartupItemsTexts::noItemsText);
        placeholder_->show();
        break;
    case StartupItemsListing::Overlay::noSearchResults:
        placeholderSymbol_->setSymbol(Symbol::magnifyingGlass);
        placeholderTitle_->setText(QStringLiteral("No Results for “") + search_ + QStringLiteral("”"));
        placeholderText_->setText(QStringLiteral("Check the spelling or try a new search."));
        placeholder_->show();
        break;
    }
}

void StartupItemsView::requestRemoval(const StartupItem& item) {
    if (confirmation_) return; // one question at a time
    pendingRemoval_ = item;
    confirmation_ = makeAlert(this);
    confirmation_->setText(StartupItemsTexts::confirmTitle(item));
    confirmation_->setInformativeText(StartupItemsTexts::confirmMessage(item));
    QPushButton* destructive = confirmation_->addButton(StartupItemsTexts::confirmButton(item), QMessageBox::DestructiveRole);
    QPushButton* cancel = confirmation_->addButton(QMessageBox::Cancel);
    confirmation_->setDefaultButton(cancel);
    confirmation_->setEscapeButton(cancel);
    connect(confirmation_, &QMessageBox::finished, this, [this, destructive] {
        const bool confirmed = confirmation_->clickedButton() == destructive;
        const std::optional<StartupItem> item = std::move(pendingRemoval_);
        pendingRemoval_.reset();
        confirmation_->deleteLater();
        confirmation_ = nullptr;
        if (confirmed && item) model_->remove(*item);
    });
    confirmation_->open();
}

void StartupItemsView::updateErrorAlert() {
    const std::optional<std::string>& error = model_->actionError();
    if (!error) {
        if (errorAlert_) errorAlert_->close();
        return;
    }
    if (!errorAlert_) {
        errorAlert_ = makeAlert(this);
        errorAlert_->setText(StartupItemsTexts::errorAlertTitle);
        QPushButton* ok = errorAlert_->addButton(QStringLiteral("OK"), QMessageBox::RejectRole);
        errorAlert_->setDefaultButton(ok);
        errorAlert_->setEscapeButton(ok);
        connect(errorAlert_, &QMessageBox::finished, this, [this] {
            errorAlert_->deleteLater();
            errorAlert_ = nullptr;
            model_->setActionError(std::nullopt);
        });
        errorAlert_->setInformativeText(StartupItemsTexts::display(*error));
        errorAlert_->open();
        return;
    }
    errorAlert_->setInformativeText(StartupItemsTexts::display(*error));
}

} // namespace plenwick
