#include "HomeFixture.h"

#include "home/HomeBanners.h"
#include "home/HomeDrop.h"

#include <QDragEnterEvent>
#include <QDropEvent>
#include <QMimeData>

#include <filesystem>

namespace plenwick::test {
namespace {

using Kind = AppState::Phase::Kind;

QUrl local(const std::string& path) { return QUrl::fromLocalFile(QString::fromStdString(path)); }

TEST(HomeDrop, TheFirstLocalFolderIsScanned) {
    const std::set<std::string> folders{"/srv/a", "/srv/b"};
    auto isFolder = [&](const std::string& path) { return folders.count(path) > 0; };
    auto pick = [&](const QList<QUrl>& urls) { return home::folderToScan(urls, isFolder).value_or("none"); };
    EXPECT_EQ(pick({local("/srv/a"), local("/srv/b")}), "/srv/a");
    EXPECT_EQ(pick({local("/srv/file.txt"), local("/srv/b")}), "/srv/b");
    EXPECT_EQ(pick({local("/srv/file.txt")}), "none");
    EXPECT_EQ(pick({}), "none");
    // A web link whose path reads like a local folder is not that folder.
    EXPECT_EQ(pick({QUrl("https://example.com/srv/a"), QUrl("sftp://host/srv/a")}), "none");
    EXPECT_EQ(pick({QUrl("https://example.com/srv/a"), local("/srv/b")}), "/srv/b");
    EXPECT_FALSE(home::carriesLocalFiles({QUrl("https://example.com/home")}));
    EXPECT_TRUE(home::carriesLocalFiles({QUrl("https://example.com/home"), local("/x")}));
    // A NUL in a URL names no file, not the path cut at it.
    EXPECT_EQ(pick({QUrl("file:///srv/a%00/elsewhere"), local("/srv/b")}), "/srv/b");
    EXPECT_FALSE(home::carriesLocalFiles({QUrl("file:///srv/a%00")}));
}

// Delivers drag events as the window does: to the widget under the point, or the
// nearest of its ancestors that takes drops.
class DropTest : public HomeTest {
protected:
    QWidget* target(const QPoint& at) {
        QWidget* widget = page->childAt(at);
        while (widget && widget != page.get() && !widget->acceptDrops()) widget = widget->parentWidget();
        return widget ? widget : page.get();
    }
    // Drags `urls` over the page; true when the page takes them.
    bool enter(const QList<QUrl>& urls) {
        mime.setUrls(urls);
        QWidget* to = target(point);
        QDragEnterEvent event(to->mapFrom(page.get(), point), Qt::CopyAction, &mime, Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(to, &event);
        return event.isAccepted();
    }
    bool drop() {
        QWidget* to = target(point);
        QDropEvent event(QPointF(to->mapFrom(page.get(), point)), Qt::CopyAction, &mime, Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(to, &event);
        return event.isAccepted();
    }

    QPoint point{500, 400};
    QMimeData mime;
};

TEST_F(DropTest, AFolderDroppedOnThePageIsScanned) {
    VolumePickerView& home = open();
    const std::string folder = makeTree({{"photos/a.jpg", 10}, {"notes.txt", 5}});
    ASSERT_TRUE(enter({local(folder + "/notes.txt"), local(folder + "/photos")}));
    EXPECT_TRUE(home.isDropTargeted());
    EXPECT_TRUE(home.dropOverlay()->isVisible());
    EXPECT_NE(home.childAt(point), home.dropOverlay()) << "the overlay never takes the pointer";
    EXPECT_EQ(target(point), &home);
    EXPECT_TRUE(drop());
    EXPECT_FALSE(home.dropOverlay()->isVisible());
    EXPECT_EQ(state->phase().kind(), Kind::scanning);
    EXPECT_EQ(state->scanTarget(), folder + "/photos") << "the file before it is passed over";
}

TEST_F(DropTest, OnlyLocalFoldersThatStillExistAreTaken) {
    VolumePickerView& home = open();
    const std::string folder = makeTree({{"gone/x", 1}, {"file.txt", 5}});

    EXPECT_FALSE(enter({QUrl("https://example.com" + QString::fromStdString(folder))}));
    EXPECT_FALSE(home.isDropTargeted());
    EXPECT_FALSE(home.dropOverlay()->isVisible());

    // Files only: the drop is refused.
    ASSERT_TRUE(enter({local(folder + "/file.txt")}));
    EXPECT_FALSE(drop());
    // A folder deleted while it was dragged is skipped.
    ASSERT_TRUE(enter({local(folder + "/gone")}));
    std::filesystem::remove_all(folder + "/gone");
    EXPECT_FALSE(drop());
    EXPECT_EQ(state->phase().kind(), Kind::home);

    // Leaving takes the overlay away.
    ASSERT_TRUE(enter({local(folder)}));
    QDragLeaveEvent leave;
    QApplication::sendEvent(&home, &leave);
    EXPECT_FALSE(home.dropOverlay()->isVisible());
}

TEST_F(DropTest, TheOverlayIsDrawnOverThePage) {
    VolumePickerView& home = open();
    ASSERT_TRUE(enter({local(dir.path().toStdString())}));
    const QImage image = home.grab().toImage();
    // The dashed frame, inset 14, in the accent colour: on its top edge, at a dash.
    const QColor accent = home.palette().color(QPalette::Highlight);
    bool found = false;
    for (int x = 40; x < 80 && !found; ++x) {
        const QColor c = image.pixelColor(x, 15);
        found = std::abs(c.red() - accent.red()) < 30 && std::abs(c.blue() - accent.blue()) < 30;
    }
    EXPECT_TRUE(found);
}

} // namespace
} // namespace plenwick::test
