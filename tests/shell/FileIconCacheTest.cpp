// The icon cache: generic icons for items that are gone, lookups that never hold up
// the GUI thread, the bound and clearing; and the desktop source's answers.

#include "runtime/Executor.h"
#include "runtime/ManualExecutor.h"
#include "scanner/FileNode.h"
#include "shell/FileIconCache.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QImage>
#include <QProcess>
#include <QSignalSpy>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <future>
#include <mutex>

namespace plenwick {
namespace {

// A small icon theme of our own, so that icon names can be checked whatever the machine has.
class TestTheme {
public:
    TestTheme() {
        const QString root = dir_.path() + "/plenwick-test";
        QDir().mkpath(root + "/16x16");
        QFile index(root + "/index.theme");
        index.open(QIODevice::WriteOnly);
        index.write("[Icon Theme]\nName=plenwick-test\nDirectories=16x16\n\n[16x16]\nSize=16\nType=Fixed\n");
        index.close();
        for (const char* name : {"folder", "application-octet-stream", "application-pdf", "text-plain", "user-home",
                                 "drive-harddisk", "item-a", "item-b"}) {
            QImage image(16, 16, QImage::Format_ARGB32);
            image.fill(Qt::red);
            image.save(root + "/16x16/" + name + ".png");
        }
        QIcon::setThemeSearchPaths({dir_.path()});
        QIcon::setThemeName(QStringLiteral("plenwick-test"));
    }

private:
    QTemporaryDir dir_;
};

const TestTheme& theme() {
    static TestTheme t;
    return t;
}

// Answers from a table; paths it does not list do not exist.
class TableSource final : public FileIconSource {
public:
    std::map<std::string, FileIconDescription> items;
    mutable int asked = 0;
    std::optional<FileIconDescription> describeItem(const std::string& path) const override {
        ++asked;
        auto it = items.find(path);
        if (it == items.end()) return std::nullopt;
        return it->second;
    }
};

FileIconDescription named(const char* name) { return {{QString::fromLatin1(name)}, FileIconDescription::Generic::file}; }

class FileIconCacheTest : public ::testing::Test {
protected:
    void SetUp() override { theme(); }
    static void deliver() { QCoreApplication::processEvents(); }
    void runLookups() { executor->runAll(), deliver(); }

    std::shared_ptr<TableSource> source = std::make_shared<TableSource>();
    std::shared_ptr<ManualExecutor> executor = std::make_shared<ManualExecutor>();
    FileIconCache cache{source, executor};
};

TEST_F(FileIconCacheTest, AMissShowsTheTypeIconUntilTheItemsOwnIsCached) {
    source->items["/data/report"] = named("item-a");
    QSignalSpy ready(&cache, &FileIconCache::iconReady);

    const QIcon first = cache.icon("/data/report", false, "pdf");
    EXPECT_EQ(first.name(), QStringLiteral("application-pdf")) << "the type's icon stands in";
    EXPECT_FALSE(cache.contains("/data/report"));
    // Asking again while the lookup runs starts no second one.
    cache.icon("/data/report", false, "pdf");
    EXPECT_EQ(executor->pendingCount(), 1u);
    EXPECT_EQ(cache.pendingCount(), 1u);

    runLookups();
    ASSERT_EQ(ready.count(), 1);
    EXPECT_EQ(ready.at(0).at(0).toByteArray(), QByteArray("/data/report"));
    EXPECT_EQ(cache.icon("/data/report", false, "pdf").name(), QStringLiteral("item-a"));
    EXPECT_EQ(cache.pendingCount(), 0u);
}

TEST_F(FileIconCacheTest, ItemsThatAreGoneGetTheGenericIconOfTheirType) {
    cache.icon("/gone/folder", true, "");
    cache.icon("/gone/paper.pdf", false, "pdf");
    cache.icon("/gone/blob", false, "");
    cache.icon("/gone/odd.nosuchtypeatall", false, "nosuchtypeatall");
    runLookups();
    EXPECT_EQ(cache.icon("/gone/folder", false, "").name(), QStringLiteral("folder"));
    EXPECT_EQ(cache.icon("/gone/paper.pdf", false, "pdf").name(), QStringLiteral("application-pdf"));
    EXPECT_EQ(cache.icon("/gone/blob", false, "").name(), QStringLiteral("application-octet-stream"));
    EXPECT_EQ(cache.icon("/gone/odd.nosuchtypeatall", false, "nosuchtypeatall").name(),
              QStringLiteral("application-octet-stream"));
}

TEST_F(FileIconCacheTest, TheFirstAnswerForAPathIsKeptWhateverIsAskedLater) {
    cache.icon("/gone/thing", true, "");
    runLookups();
    // Asked later as a PDF file: still the folder icon of the first question, and no new lookup.
    EXPECT_EQ(cache.icon("/gone/thing", false, "pdf").name(), QStringLiteral("folder"));
    EXPECT_EQ(executor->pendingCount(), 0u);

    // An item deleted after its icon was cached keeps its real icon.
    source->items["/data/kept"] = named("item-b");
    cache.icon("/data/kept", false, "");
    runLookups();
    source->items.erase("/data/kept");
    EXPECT_EQ(cache.icon("/data/kept", false, "").name(), QStringLiteral("item-b"));
}

TEST_F(FileIconCacheTest, APackageNodeTakesItsTypesIconNotAFolders) {
    NodeRef root = FileNode::make("/gone/Apps", FileNode::Kind::directory, 0, 0, 0, 0);
    NodeRef package = FileNode::make("Viewer.pdf", FileNode::Kind::package, 0, 0, 0, 0);
    NodeRef folder = FileNode::make("Stuff", FileNode::Kind::directory, 0, 0, 0, 0);
    root->setChildren({package, folder});
    cache.iconForNode(*package);
    cache.iconForNode(*folder);
    runLookups();
    EXPECT_EQ(cache.icon("/gone/Apps/Viewer.pdf", true, "").name(), QStringLiteral("application-pdf"));
    EXPECT_EQ(cache.icon("/gone/Apps/Stuff", false, "").name(), QStringLiteral("folder"));
}

TEST_F(FileIconCacheTest, HoldsAtMostItsLimitDroppingTheLeastRecentlyUsed) {
    const std::size_t limit = FileIconCache::countLimit;
    for (std::size_t i = 0; i < limit; ++i) cache.icon("/p/" + std::to_string(i), false, "");
    runLookups();
    EXPECT_EQ(cache.count(), limit);
    cache.icon("/p/0", false, ""); // used again: now the most recent
    cache.icon("/p/new", false, "");
    runLookups();
    EXPECT_EQ(cache.count(), limit);
    EXPECT_TRUE(cache.contains("/p/0"));
    EXPECT_FALSE(cache.contains("/p/1")) << "the least recently used goes";
    EXPECT_TRUE(cache.contains("/p/new"));
}

TEST_F(FileIconCacheTest, ClearForgetsIconsAndDropsAnswersStartedBefore) {
    cache.icon("/a", false, "");
    runLookups();
    cache.icon("/b", false, ""); // lookup under way
    cache.clear();
    EXPECT_EQ(cache.count(), 0u);
    EXPECT_FALSE(cache.contains("/a"));

    QSignalSpy ready(&cache, &FileIconCache::iconReady);
    runLookups();
    EXPECT_FALSE(cache.contains("/b")) << "an answer from before the clear is not stored";
    EXPECT_EQ(ready.count(), 1) << "but the view hears of it and asks again";
    cache.icon("/b", false, "");
    EXPECT_EQ(executor->pendingCount(), 1u);
    runLookups();
    EXPECT_TRUE(cache.contains("/b"));
}

// A source stuck like a read on a dead network mount, until the test lets it go.
class StuckSource final : public FileIconSource {
public:
    std::optional<FileIconDescription> describeItem(const std::string& path) const override {
        {
            std::lock_guard lock(mutex_);
            started_.push_back(path);
        }
        // A bounded wait, so that a cache that did block fails the test instead of hanging it.
        release_.wait_for(std::chrono::seconds(20));
        return named("item-a");
    }
    void letGo() { promise_.set_value(); }
    std::size_t started() const {
        std::lock_guard lock(mutex_);
        return started_.size();
    }

private:
    std::promise<void> promise_;
    std::shared_future<void> release_ = promise_.get_future().share();
    mutable std::mutex mutex_;
    mutable std::vector<std::string> started_;
};

TEST(FileIconCacheBlocking, ASlowLookupNeverHoldsUpTheCaller) {
    theme();
    auto source = std::make_shared<StuckSource>();
    auto pool = std::make_shared<ThreadPoolExecutor>(1);
    {
        FileIconCache cache(source, pool);
        QSignalSpy ready(&cache, &FileIconCache::iconReady);
        QElapsedTimer timer;
        timer.start();
        const QIcon placeholder = cache.icon("/mnt/dead/share", true, "");
        cache.icon("/mnt/dead/share", true, "");
        const QIcon other = cache.icon("/mnt/dead/file.pdf", false, "pdf");
        EXPECT_LT(timer.elapsed(), 5000) << "the caller waited for the stuck lookup";
        EXPECT_EQ(placeholder.name(), QStringLiteral("folder"));
        EXPECT_EQ(other.name(), QStringLiteral("application-pdf"));
        EXPECT_EQ(cache.pendingCount(), 2u);
        EXPECT_TRUE(ready.isEmpty());

        source->letGo();
        ASSERT_TRUE(ready.wait(10000));
        while (ready.count() < 2) ASSERT_TRUE(ready.wait(10000));
        EXPECT_EQ(cache.icon("/mnt/dead/share", true, "").name(), QStringLiteral("item-a"));
        EXPECT_EQ(source->started(), 2u) << "one lookup per path";
        pool->waitForDone();
    }
}

// The program quits while the shared cache's lookups are still running: they finish
// before the objects they use (the MIME database) go, and the program ends cleanly.
TEST(FileIconCacheShared, QuittingWithLookupsUnderWayEndsCleanly) {
    QTemporaryDir dir;
    for (int i = 0; i < 300; ++i) {
        std::ofstream(dir.path().toStdString() + "/file" + std::to_string(i)) << "%PDF-1.4\n" << std::string(4000, 'x');
    }
    for (int run = 0; run < 5; ++run) {
        QProcess program;
        program.start(QCoreApplication::applicationFilePath(), {QStringLiteral("--exit-during-lookups"), dir.path()});
        ASSERT_TRUE(program.waitForFinished(30000));
        EXPECT_EQ(program.exitStatus(), QProcess::NormalExit) << program.readAllStandardError().toStdString();
        EXPECT_EQ(program.exitCode(), 0);
    }
}

// ---- The desktop's answers ----

class DesktopSourceTest : public ::testing::Test {
protected:
    void SetUp() override { root = dir.path().toStdString(); }
    QTemporaryDir dir;
    std::string root;
    DesktopFileIconSource source;
};

TEST_F(DesktopSourceTest, FilesByTypeFoldersAsFoldersNothingForWhatIsGone) {
    std::filesystem::create_directory(root + "/sub");
    std::ofstream(root + "/notes.txt") << "plain words\n";
    std::ofstream(root + "/noname") << "%PDF-1.4\n%\xe2\xe3\xcf\xd3\n";
    std::filesystem::create_symlink(root + "/notes.txt", root + "/link");
    std::filesystem::create_symlink(root + "/missing", root + "/dangling");

    EXPECT_EQ(source.describeItem(root + "/sub")->generic, FileIconDescription::Generic::folder);
    EXPECT_EQ(source.describeItem(root + "/sub")->themeNames.front(), QStringLiteral("folder"));
    EXPECT_EQ(source.describeItem(root + "/notes.txt")->themeNames.front(), QStringLiteral("text-plain"));
    // Without an extension the content decides.
    EXPECT_EQ(source.describeItem(root + "/noname")->themeNames.front(), QStringLiteral("application-pdf"));
    EXPECT_EQ(source.describeItem(root + "/link")->themeNames.front(), QStringLiteral("text-plain"));
    EXPECT_EQ(source.describeItem(root + "/dangling")->themeNames.front(), QStringLiteral("application-octet-stream"));
    EXPECT_FALSE(source.describeItem(root + "/nothing-here").has_value());
    EXPECT_EQ(source.describeItem("/")->generic, FileIconDescription::Generic::drive);
}

TEST(FileIconTypes, GenericIconsByType) {
    EXPECT_EQ(describeFileType(true, "pdf").generic, FileIconDescription::Generic::folder);
    EXPECT_EQ(describeFileType(false, "pdf").themeNames.front(), QStringLiteral("application-pdf"));
    EXPECT_EQ(describeFileType(false, "").themeNames.front(), QStringLiteral("application-octet-stream"));
    EXPECT_EQ(describeFileType(false, "nosuchtypeatall").themeNames.front(), QStringLiteral("application-octet-stream"));
    // Without a theme name the kind's own icon still draws something.
    EXPECT_FALSE(makeFileIcon({{QStringLiteral("no-such-icon-name")}, FileIconDescription::Generic::folder}).isNull());
}

} // namespace
} // namespace plenwick
