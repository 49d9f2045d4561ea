#include "uninstaller/ui/RemnantList.h"

#include "uninstaller/ui/RemnantRow.h"
#include "uninstaller/ui/UninstallerPresentation.h"
#include "uninstaller/ui/UninstallerSymbols.h"

#include "shell/ShellStyle.h"
#include "shell/ShellText.h"
#include "shell/Symbols.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QPainter>
#include <QPainterPath>
#include <QVBoxLayout>

namespace plenwick {

namespace {

constexpr int inset = 10;

// The rows of one section on a rounded card.
class SectionCard final : public QWidget {
public:
    explicit SectionCard(QWidget* parent) : QWidget(parent) {}

protected:
    void paintEvent(QPaintEvent*) override {
        QPainter p(this);
        p.setRenderHint(QPainter::Antialiasing);
        QPainterPath shape;
        shape.addRoundedRect(QRectF(rect()), 8, 8);
        p.fillPath(shape, shellCardFillColor(shellAppearance(*this)));
    }
};

QWidget* sectionHeader(Remnant::Kind kind, QWidget* parent) {
    auto* header = new QWidget(parent);
    header->setFixedHeight(RemnantRow::rowHeight);
    auto* row = new QHBoxLayout(header);
    row->setContentsMargins(inset, 8, inset, 4);
    row->setSpacing(6);
    auto* icon = new QLabel(header);
    const int side = 14;
    icon->setPixmap(symbolIcon(remnantKindSymbol(kind), shellSecondaryColor(header->palette()))
                        .pixmap(QSize(side, side), header->devicePixelRatioF()));
    row->addWidget(icon, 0, Qt::AlignBottom);
    auto* title = new ShellText(QString::fromUtf8(Remnant::title(kind)), header);
    title->setTextStyle(ShellTextStyle::headline);
    title->setTone(ShellText::Tone::secondary);
    title->setAlignment(Qt::AlignLeft | Qt::AlignBottom);
    row->addWidget(title, 1);
    return header;
}

} // namespace

RemnantList::RemnantList(UninstallSession& session, QWidget* parent) : QScrollArea(parent), session_(session) {
    setFrameShape(QFrame::NoFrame);
    setWidgetResizable(true);
    setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    rebuild();
}

void RemnantList::rebuild() {
    rows_.clear();
    headers_.clear();
    auto* content = new QWidget;
    content->setAutoFillBackground(false);
    auto* column = new QVBoxLayout(content);
    column->setContentsMargins(inset, inset, inset, inset);
    column->setSpacing(0);

    std::size_t rowCount = 0;
    const auto sections = uninstaller_ui::sections(session_.remnants());
    for (const uninstaller_ui::Section& section : sections) {
        QWidget* header = sectionHeader(section.kind, content);
        headers_.push_back(header);
        column->addWidget(header);
        auto* card = new SectionCard(content);
        auto* rows = new QVBoxLayout(card);
        rows->setContentsMargins(0, 0, 0, 0);
        rows->setSpacing(0);
        for (const Remnant& remnant : section.remnants) {
            const std::string url = remnant.url;
            auto* row = new RemnantRow(remnant, session_.selected().count(url) > 0,
                                       [session = &session_, url] { session->toggle(url); }, card);
            rows_.push_back(row);
            rows->addWidget(row);
            ++rowCount;
        }
        column->addWidget(card);
    }
    column->addStretch(1);
    setWidget(content);
    setFixedHeight(uninstaller_ui::listHeight(sections.size(), rowCount));
    viewport()->setAutoFillBackground(false);
}

void RemnantList::updateSelection() {
    for (RemnantRow* row : rows_) row->setSelected(session_.selected().count(row->remnant().url) > 0);
}

} // namespace plenwick
