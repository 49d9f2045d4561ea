#include "uninstaller/ui/UninstallerView.h"

#include "../SessionFixture.h"
#include "common/AppImageFixture.h"

#include "uninstaller/ui/AppBundleIcon.h"
#include "uninstaller/ui/RemnantList.h"
#include "uninstaller/ui/RemnantRow.h"
#include "uninstaller/ui/UninstallBanner.h"
#include "uninstaller/ui/UninstallerFooter.h"

#include "shell/FileIconCache.h"
#include "shell/ShellIconImage.h"
#include "shell/ShellText.h"

#include <QBuffer>
#include <QCheckBox>
#include <QLabel>
#include <QPushButton>
#include <QScrollArea>
#include <QScrollBar>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>
#include <QToolButton>

#include <chrono>
#include <fstream>
#include <sys/stat.h>

using namespace plenwick;
using namespace plenwick::test;
using Mode = UninstallSession::Mode;

namespace {

class ViewTest : public SessionTest {
protected:
    std::unique_ptr<UninstallerView> show(std::shared_ptr<UninstallSession> session) {
        auto view = std::make_unique<UninstallerView>(std::move(session));
        view->show();
        QApplication::processEvents();
        return view;
    }
    std::shared_ptr<UninstallSession> shared(Mode mode) { return std::shared_ptr<UninstallSession>(makeSession(mode)); }
    std::shared_ptr<UninstallSession> searchedShared(Mode mode) { return std::shared_ptr<UninstallSession>(searched(mode)); }
};

} // namespace

TEST_F(ViewTest, AppearingStartsOneSearchOnlyWhileScanning) {
    auto view = show(shared(Mode::uninstall));
    EXPECT_EQ(background.size(), 1u);
    view->hide();
    view->show();
    EXPECT_EQ(background.size(), 1u);
    EXPECT_EQ(view->width(), 560);
    EXPECT_EQ(view->titleText()->text(), QStringLiteral("Uninstall “Example App”"));
    EXPECT_EQ(view->statusText()->text(), QStringLiteral("Looking for its preferences, caches and support files…"));
    EXPECT_FALSE(view->footer()->primaryButton()->isEnabled());
    EXPECT_FALSE(view->footer()->selectAll()->isVisible());

    background.runAll();
    EXPECT_EQ(view->list()->height(), 34 * 6 + 20); // three sections, three rows
    EXPECT_EQ(view->list()->rows().size(), 3u);
    EXPECT_TRUE(view->footer()->primaryButton()->isEnabled());
    EXPECT_EQ(view->footer()->primaryButton()->text(), QStringLiteral("Move 3 Items to Trash"));

    auto searchedBefore = searchedShared(Mode::afterTrash);
    auto second = show(searchedBefore);
    EXPECT_TRUE(background.empty());
}

TEST_F(ViewTest, RowsAndSelectAllFollowTheSession) {
    auto session = searchedShared(Mode::uninstall);
    auto view = show(session);
    RemnantRow* possible = view->list()->rows()[0];
    ASSERT_EQ(possible->remnant().url, support());
    EXPECT_FALSE(possible->isSelected());
    QTest::mouseClick(possible, Qt::LeftButton, {}, QPoint(possible->width() / 2, possible->height() / 2));
    EXPECT_TRUE(session->selected().count(support()));
    EXPECT_TRUE(possible->isSelected());
    EXPECT_TRUE(view->footer()->selectAll()->isChecked());

    possible->checkBox()->click();
    EXPECT_FALSE(session->selected().count(support()));
    EXPECT_FALSE(view->footer()->selectAll()->isChecked());
    view->footer()->selectAll()->click();
    EXPECT_EQ(session->selected().size(), 3u);
    for (RemnantRow* row : view->list()->rows()) EXPECT_TRUE(row->isSelected());
}

TEST_F(ViewTest, BannersAndTheirQuitButton) {
    running->running["com.example.app"] = {{7, app.url}};
    for (const char* more : {".local/state/com.example.app/w", ".config/autostart/com.example.app.desktop",
                             ".var/app/com.example.app/data", ".local/share/icons/hicolor/48x48/apps/com.example.app.png"})
        make(home + "/" + more, 100);
    auto session = shared(Mode::uninstall);
    auto view = show(session);
    background.runAll();
    ASSERT_EQ(view->banners().size(), 1u);
    // The wrapped text gets all the lines it needs.
    QLabel* text = view->banners()[0]->findChildren<QLabel*>().back();
    EXPECT_GE(text->height(), text->heightForWidth(text->width()));
    EXPECT_EQ(view->banners()[0]->text(),
              QStringLiteral("Example App is running. Quit it first so it doesn’t recreate its files."));
    ASSERT_TRUE(view->banners()[0]->actionButton());
    EXPECT_EQ(view->banners()[0]->actionButton()->text(), QStringLiteral("Quit Example App"));
    running->quitOnTerminate = true;
    view->banners()[0]->actionButton()->click();
    EXPECT_EQ(running->terminated.size(), 1u);
    clock->advance(std::chrono::milliseconds(250));
    EXPECT_TRUE(view->banners().empty());
}

TEST_F(ViewTest, EmptyAndFinishedAreasAndDone) {
    std::filesystem::remove_all(home);
    auto empty = show(searchedShared(Mode::uninstall));
    EXPECT_EQ(empty->phaseArea()->height(), 120);
    EXPECT_FALSE(empty->footer()->selectAll()->isVisible());
    EXPECT_EQ(empty->footer()->primaryButton()->text(), QStringLiteral("Move 1 Item to Trash"));

    failing[app.url] = "Permission denied";
    auto session = searchedShared(Mode::uninstall);
    int closed = 0;
    QObject::connect(session.get(), &UninstallSession::closeRequested, [&] { ++closed; });
    auto view = show(session);
    view->footer()->primaryButton()->click();
    QApplication::processEvents();
    EXPECT_EQ(view->finishedHeadline()->text(), QStringLiteral("Finished with problems"));
    EXPECT_EQ(view->failuresText()->text(), QStringLiteral("Example App.app: Permission denied"));
    EXPECT_EQ(view->phaseArea()->height(), 160);
    EXPECT_TRUE(view->footer()->doneButton()->isVisible());
    EXPECT_FALSE(view->footer()->primaryButton()->isVisible());
    QTest::keyClick(view.get(), Qt::Key_Return);
    EXPECT_EQ(closed, 1);
}

TEST_F(ViewTest, ScrollBarsShowOnlyOverMoreThanFits) {
    // A few leftovers, then the finished page: each fits, so neither shows a scroll bar.
    auto session = searchedShared(Mode::uninstall);
    auto view = show(session);
    ASSERT_TRUE(view->list()->isVisible());
    EXPECT_FALSE(view->list()->verticalScrollBar()->isVisible());
    view->footer()->primaryButton()->click();
    QApplication::processEvents();
    ASSERT_TRUE(view->finishedArea()->isVisible());
    EXPECT_FALSE(view->finishedArea()->verticalScrollBar()->isVisible());

    failing[app.url] = "Permission denied";
    auto failed = show(searchedShared(Mode::uninstall));
    failed->footer()->primaryButton()->click();
    QApplication::processEvents();
    ASSERT_TRUE(failed->failuresText()->isVisible());
    EXPECT_FALSE(failed->finishedArea()->verticalScrollBar()->isVisible());
}

TEST_F(ViewTest, CollectorFooterAndEscape) {
    auto session = searchedShared(Mode::collector);
    int closed = 0;
    QObject::connect(session.get(), &UninstallSession::closeRequested, [&] { ++closed; });
    session->selectAll(false);
    auto view = show(session);
    EXPECT_EQ(view->footer()->primaryButton()->text(), QStringLiteral("Add 0 Items to Collector"));
    EXPECT_FALSE(view->footer()->primaryButton()->isEnabled());
    EXPECT_EQ(view->footer()->secondaryButton()->text(), QStringLiteral("Just the App"));
    QTest::keyClick(view.get(), Qt::Key_Escape);
    EXPECT_EQ(closed, 1);
}


TEST_F(ViewTest, AppIconComesFromTheFirstBundleThatExists) {
    const auto image = [](const QIcon& icon) { return icon.pixmap(QSize(32, 32)).toImage(); };
    const QImage generic = image(genericApplicationIcon());
    EXPECT_EQ(image(appBundleIcon(appBundleImage({dir / "gone.app"}))), generic);
    EXPECT_EQ(image(appBundleIcon(appBundleImage({appPath}))), generic); // a bundle without a picture

    // An app in the Trash with a picture of its own.
    const std::string trashed = dir / "Trash/Example App.app";
    makeBundle(trashed, {{"CFBundleIdentifier", "com.example.app"}, {"CFBundleIconFile", "AppIcon"}});
    QImage red(32, 32, QImage::Format_ARGB32);
    red.fill(Qt::red);
    std::filesystem::create_directories(trashed + "/Contents/Resources");
    ASSERT_TRUE(red.save(QString::fromStdString(trashed + "/Contents/Resources/AppIcon.png")));
    EXPECT_EQ(appBundleImage({trashed, appPath})->pixel(16, 16), QColor(Qt::red).rgb());
    EXPECT_EQ(appBundleImage({dir / "gone.app", trashed})->pixel(16, 16), QColor(Qt::red).rgb());

    // The view shows the bundle's own icon once it is read.
    auto session = searchedShared(Mode::afterTrash);
    session->setIconURL(trashed);
    auto view = show(session);
    ASSERT_TRUE(QTest::qWaitFor([&] { return !view->isReadingIcon(); }, 5000));
    EXPECT_EQ(image(view->findChild<ShellIconImage*>()->icon()).pixel(16, 16), QColor(Qt::red).rgb());
}

TEST_F(ViewTest, LinuxAppsTakeTheirEntrysIcon) {
    QImage red(32, 32, QImage::Format_ARGB32);
    red.fill(Qt::red);
    QByteArray png;
    QBuffer buffer(&png);
    buffer.open(QIODevice::WriteOnly);
    ASSERT_TRUE(red.save(&buffer, "PNG"));
    const std::string pngBytes = png.toStdString();
    const auto entry = [](const std::string& icon) {
        return "[Desktop Entry]\nType=Application\nName=Foo\nExec=foo\nIcon=" + icon + "\n";
    };
    const auto redAt = [](const AppPicture& picture) { return picture.image && picture.image->pixel(16, 16) == QColor(Qt::red).rgb(); };

    // The AppImage's icon comes from its image, by .DirIcon or by the entry's Icon.
    writeFile(dir / "Foo.AppImage", appImage({ImageNode::file("foo.desktop", entry("foo")), ImageNode::file("foo.png", pngBytes)}));
    EXPECT_TRUE(redAt(appPicture({dir / "Foo.AppImage"})));
    // An app folder's entry names a file at its top; a desktop entry a path.
    std::filesystem::create_directories(dir / "Bar");
    writeFile(dir / "Bar/foo", ""); // the program its entry runs
    writeFile(dir / "Bar/bar.desktop", entry("bar-icon"));
    writeFile(dir / "Bar/bar-icon.png", pngBytes);
    EXPECT_TRUE(redAt(appPicture({dir / "Bar"})));
    writeFile(dir / "tool.desktop", entry(dir / "Bar/bar-icon.png"));
    EXPECT_TRUE(redAt(appPicture({dir / "tool.desktop"})));
    // A name without a file is the theme's icon.
    writeFile(dir / "themed.desktop", entry("folder"));
    const AppPicture themed = appPicture({dir / "themed.desktop"});
    EXPECT_FALSE(themed.image);
    EXPECT_EQ(themed.themeIcon, "folder");
    EXPECT_FALSE(appBundleIcon(themed).isNull());
}

TEST_F(ViewTest, APlantedIconFileNeverHoldsTheWindowUp) {
    // The icon file a bundle names is a FIFO nobody writes to, a device, an oversized
    // file: none is read, and showing the window waits for none of them.
    const std::string resources = appPath + "/Contents/Resources";
    std::filesystem::create_directories(resources);
    ASSERT_EQ(::mkfifo((resources + "/Fifo").c_str(), 0644), 0);
    std::filesystem::create_symlink("/dev/zero", resources + "/Device");
    writeFile(resources + "/Huge.png", std::string(maxBundleImageSize + 1, 'x'));
    for (const char* file : {"Fifo", "Device", "Huge"}) {
        makeBundle(appPath, {{"CFBundleIdentifier", "com.example.app"}, {"CFBundleIconFile", file}});
        const auto start = std::chrono::steady_clock::now();
        EXPECT_FALSE(appBundleImage({appPath})) << file;
        EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(2)) << file;
    }
    makeBundle(appPath, {{"CFBundleIdentifier", "com.example.app"}, {"CFBundleIconFile", "Fifo"}});
    const auto start = std::chrono::steady_clock::now();
    auto view = show(shared(Mode::uninstall));
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(2));
}

TEST(RemnantRowTest, TheItemsOwnIconReplacesTheStandInWhenItArrives) {
    QTemporaryDir dir;
    const std::string path = dir.path().toStdString() + "/Example Notes";
    std::ofstream(path) << "%PDF-1.4\n";
    QSignalSpy ready(&FileIconCache::shared(), &FileIconCache::iconReady);
    RemnantRow row(Remnant{path, Remnant::Kind::applicationSupport, Remnant::Confidence::certain, false, 10}, false, [] {});
    ASSERT_FALSE(FileIconCache::shared().contains(path)) << "a miss: the type's icon stands in";
    ASSERT_TRUE(QTest::qWaitFor([&] { return FileIconCache::shared().contains(path); }, 10000));
    EXPECT_EQ(row.iconImage()->icon().cacheKey(), fileIcon(path, false, "").cacheKey()) << "the cached icon is shown";
}

TEST(RemnantRowTest, LockRevealAndDetail) {
    int toggles = 0;
    const Remnant owned{"/etc/systemd/system/com.example.app.service", Remnant::Kind::launchItems,
                        Remnant::Confidence::certain, true, 4096};
    RemnantRow row(owned, true, [&] { ++toggles; });
    row.resize(520, RemnantRow::rowHeight);
    row.show();
    EXPECT_EQ(row.toolTip(), QStringLiteral("/etc/systemd/system/com.example.app.service"));
    EXPECT_EQ(row.checkBox()->accessibleName(), QStringLiteral("com.example.app.service"));
    bool locked = false;
    for (QLabel* label : row.findChildren<QLabel*>())
        locked = locked || label->toolTip() == QStringLiteral("Owned by the system — moving it needs your password");
    EXPECT_TRUE(locked);
    EXPECT_EQ(row.detailText()->text(), QStringLiteral("/etc/systemd/system"));
    EXPECT_FALSE(row.detailText()->tint());

    // The reveal button shows only while the pointer is over the row.
    EXPECT_FALSE(row.revealButton()->isVisible());
    QEnterEvent enter(QPointF(5, 5), QPointF(5, 5), QPointF(5, 5));
    QApplication::sendEvent(&row, &enter);
    EXPECT_TRUE(row.revealButton()->isVisible());
    QEvent leave(QEvent::Leave);
    QApplication::sendEvent(&row, &leave);
    EXPECT_FALSE(row.revealButton()->isVisible());

    const Remnant byName{"/L/Caches/Example", Remnant::Kind::caches, Remnant::Confidence::possible, false, 1};
    RemnantRow possible(byName, false, [] {});
    EXPECT_EQ(possible.detailText()->text(), QStringLiteral("Matched by name — may belong to something else"));
    EXPECT_TRUE(possible.detailText()->tint());
    EXPECT_EQ(toggles, 0);
}
