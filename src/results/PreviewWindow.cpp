#include "results/PreviewWindow.h"

#include "base/PathNames.h"
#include "base/Utf8.h"
#include "platform/ByteCountFormatter.h"
#include "runtime/BackgroundTask.h"
#include "runtime/Executor.h"
#include "scanner/FileNode.h"
#include "shell/FileIconCache.h"
#include "shell/Symbols.h"
#include "shell/WindowPlacement.h"

#include <QCloseEvent>
#include <QFontDatabase>
#include <QKeyEvent>
#include <QLabel>
#include <QLocale>
#include <QPainter>
#include <QPlainTextEdit>
#include <QTextDocument>
#include <QStackedWidget>
#include <QVBoxLayout>

namespace plenwick {

// Draws an image fitted into the page, never enlarged beyond its own pixels.
class ImagePage final : public QWidget {
public:
    using QWidget::QWidget;
    void setImage(QImage image) {
        image_ = std::move(image);
        update();
    }
    const QImage& image() const { return image_; }

protected:
    void paintEvent(QPaintEvent*) override {
        QPainter p(this);
        if (image_.isNull()) return;
        const qreal dpr = devicePixelRatioF();
        QSizeF natural = QSizeF(image_.size()) / dpr;
        QSizeF fitted = natural;
        if (natural.width() > width() || natural.height() > height())
            fitted = natural.scaled(QSizeF(size()), Qt::KeepAspectRatio);
        const QRectF target(QPointF((width() - fitted.width()) / 2, (height() - fitted.height()) / 2), fitted);
        p.setRenderHint(QPainter::SmoothPixmapTransform);
        p.drawImage(target, image_);
    }

private:
    QImage image_;
};

PreviewWindow::PreviewWindow(Executor& executor, QWidget* parent)
    : QWidget(parent, Qt::Window), executor_(executor) {
    setObjectName(QStringLiteral("PreviewWindow"));
    resize(720, 540);
    setMinimumSize(240, 180);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    pages_ = new QStackedWidget(this);
    layout->addWidget(pages_);

    loading_ = new QWidget(pages_);
    image_ = new ImagePage(pages_);
    text_ = new QPlainTextEdit(pages_);
    text_->setReadOnly(true);
    text_->setFrameShape(QFrame::NoFrame);
    text_->setFont(QFontDatabase::systemFont(QFontDatabase::FixedFont));
    text_->setLineWrapMode(QPlainTextEdit::NoWrap);
    text_->document()->setDocumentMargin(12);

    facts_ = new QWidget(pages_);
    auto* factsLayout = new QVBoxLayout(facts_);
    factsLayout->setSpacing(8);
    factsLayout->addStretch(1);
    factsIcon_ = new QLabel(facts_);
    factsIcon_->setAlignment(Qt::AlignCenter);
    factsName_ = new QLabel(facts_);
    factsName_->setTextFormat(Qt::PlainText);
    factsName_->setAlignment(Qt::AlignCenter);
    factsName_->setWordWrap(true);
    QFont nameFont = factsName_->font();
    nameFont.setPointSizeF(nameFont.pointSizeF() * 1.3);
    nameFont.setWeight(QFont::DemiBold);
    factsName_->setFont(nameFont);
    factsDetails_ = new QLabel(facts_);
    factsDetails_->setTextFormat(Qt::PlainText);
    factsDetails_->setAlignment(Qt::AlignCenter);
    factsLayout->addWidget(factsIcon_);
    factsLayout->addWidget(factsName_);
    factsLayout->addWidget(factsDetails_);
    factsLayout->addStretch(1);

    pages_->addWidget(loading_);
    pages_->addWidget(image_);
    pages_->addWidget(text_);
    pages_->addWidget(facts_);

    whenIconReady(*this, [this](const std::string& path) { return loaded_ && path == content_.path; }, [this] {
        if (pages_->currentWidget() == facts_) showFactsIcon();
    });
}

QWidget* PreviewWindow::currentPage() const { return pages_->currentWidget(); }

QPixmap PreviewWindow::factsPicture() const { return factsIcon_->pixmap(); }

void PreviewWindow::showPath(const std::string& path) {
    if (path != path_ || !loaded_) {
        path_ = path;
        loaded_ = false;
        const std::uint64_t generation = ++generation_;
        setWindowTitle(QString::fromStdString(visibleText(lastPathComponent(path))));
        pages_->setCurrentWidget(loading_);
        runInBackground(
            executor_, this, [path] { return loadPreview(path); },
            [this, generation](PreviewContent content) {
                if (generation == generation_) apply(std::move(content));
            },
            [this, generation, path](std::exception_ptr) {
                // Nothing could be read: the facts page, without facts.
                if (generation != generation_) return;
                PreviewContent content;
                content.path = path;
                apply(std::move(content));
            });
    }
    if (!isVisible()) {
        if (!placed_) placeNewWindow(*this, parentWidget() ? parentWidget()->window() : nullptr);
        placed_ = true;
        show();
    }
    raise();
}

void PreviewWindow::apply(PreviewContent content) {
    content_ = std::move(content);
    loaded_ = true;
    if (!content_.name.isEmpty()) setWindowTitle(content_.name);
    switch (content_.kind) {
    case PreviewContent::Kind::image:
        image_->setImage(content_.image);
        pages_->setCurrentWidget(image_);
        return;
    case PreviewContent::Kind::text: {
        QString text = content_.text;
        if (content_.textTruncated) text += QStringLiteral("\n…");
        text_->setPlainText(text);
        pages_->setCurrentWidget(text_);
        return;
    }
    case PreviewContent::Kind::facts:
        break;
    }
    showFactsIcon();
    factsName_->setText(content_.name);
    QStringList lines;
    if (!content_.kindText.isEmpty()) lines << content_.kindText;
    if (content_.size >= 0) lines << QString::fromStdString(formatByteCount(content_.size));
    if (content_.modified.isValid())
        lines << QStringLiteral("Modified ") + QLocale().toString(content_.modified, QLocale::LongFormat);
    factsDetails_->setText(lines.join(QLatin1Char('\n')));
    pages_->setCurrentWidget(facts_);
}

void PreviewWindow::showFactsIcon() {
    // The item's own icon, as the lists and the inspector show it; a generic one of its
    // type until the desktop's arrives.
    const qreal dpr = devicePixelRatioF();
    const QIcon icon = content_.exists ? fileIcon(content_.path, content_.isFolder,
                                                  fileExtensionOf(lastPathComponent(content_.path)))
                                       : QIcon::fromTheme(content_.iconName);
    QPixmap picture = icon.isNull() ? QPixmap() : icon.pixmap(QSize(128, 128), dpr);
    if (picture.isNull())
        picture = symbolIcon(content_.isFolder ? Symbol::folder : Symbol::doc).pixmap(QSize(96, 96), dpr);
    factsIcon_->setPixmap(picture);
}

void PreviewWindow::closeQuietly() {
    ++generation_;  // a read still running is of no use any more
    loaded_ = false;
    path_.clear();
    closingFromState_ = true;
    close();
    closingFromState_ = false;
}

void PreviewWindow::closeEvent(QCloseEvent* event) {
    event->accept();
    if (!closingFromState_) emit closedByUser();
}

void PreviewWindow::keyPressEvent(QKeyEvent* event) {
    if (event->key() == Qt::Key_Escape || event->key() == Qt::Key_Space) {
        close();
        return;
    }
    QWidget::keyPressEvent(event);
}

} // namespace plenwick
