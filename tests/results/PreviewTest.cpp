#include "ViewFixture.h"

#include "results/PreviewContent.h"
#include "results/ResultsView.h"
#include "shell/FileIconCache.h"
#include "shell/Symbols.h"

#include <QImage>
#include <QPlainTextEdit>

#include <sys/stat.h>
#include <unistd.h>

namespace plenwick::test {
namespace {

class PreviewContentTest : public ::testing::Test {
protected:
    std::string path(const char* name) const { return dir.path().toStdString() + "/" + name; }
    QTemporaryDir dir;
};

TEST_F(PreviewContentTest, TextFilesShowTheirTextImagesTheirPicture) {
    std::ofstream(path("notes.txt")) << "hello\nworld\n";
    PreviewContent text = loadPreview(path("notes.txt"));
    EXPECT_EQ(text.kind, PreviewContent::Kind::text);
    EXPECT_EQ(text.text, "hello\nworld\n");
    EXPECT_EQ(text.name, "notes.txt");
    EXPECT_EQ(text.size, 12);

    QImage image(40, 20, QImage::Format_RGB32);
    image.fill(Qt::red);
    ASSERT_TRUE(image.save(QString::fromStdString(path("red.png"))));
    PreviewContent picture = loadPreview(path("red.png"));
    EXPECT_EQ(picture.kind, PreviewContent::Kind::image);
    EXPECT_EQ(picture.image.size(), QSize(40, 20));
}

TEST_F(PreviewContentTest, LongTextIsCutAndBinaryIsOnlyDescribed) {
    std::ofstream(path("big.log")) << std::string(kPreviewTextLimit + 10, 'x');
    PreviewContent big = loadPreview(path("big.log"));
    ASSERT_EQ(big.kind, PreviewContent::Kind::text);
    EXPECT_EQ(big.text.size(), kPreviewTextLimit);
    EXPECT_TRUE(big.textTruncated);

    std::ofstream(path("zeros.txt"), std::ios::binary) << std::string("ab\0cd", 5);
    EXPECT_EQ(loadPreview(path("zeros.txt")).kind, PreviewContent::Kind::facts);
}

TEST_F(PreviewContentTest, FoldersMissingItemsAndFifosGetFactsWithoutBlocking) {
    PreviewContent folderFacts = loadPreview(dir.path().toStdString());
    EXPECT_EQ(folderFacts.kind, PreviewContent::Kind::facts);
    EXPECT_TRUE(folderFacts.isFolder);
    EXPECT_EQ(folderFacts.kindText, "Folder");

    PreviewContent missing = loadPreview(path("gone.txt"));
    EXPECT_FALSE(missing.exists);
    EXPECT_EQ(missing.kind, PreviewContent::Kind::facts);

    // Reading a FIFO would wait for a writer forever.
    ASSERT_EQ(::mkfifo(path("pipe.txt").c_str(), 0600), 0);
    PreviewContent pipe = loadPreview(path("pipe.txt"));
    EXPECT_TRUE(pipe.exists);
    EXPECT_EQ(pipe.kind, PreviewContent::Kind::facts);
}

class PreviewWindowTest : public ViewTest {
protected:
    void SetUp() override {
        ViewTest::SetUp();
        base = scanToResults();
        view = root->resultsView();
        ASSERT_NE(view, nullptr);
    }
    std::string base;
    ResultsView* view = nullptr;
};

TEST_F(PreviewWindowTest, OpensForTheItemReadsInTheBackgroundAndClosesWithTheField) {
    EXPECT_EQ(view->previewWindow(), nullptr);
    const NodeRef one = child(child(state->root(), "a"), "one.txt");
    state->setQuickLookURL(one->url());
    PreviewWindow* preview = view->previewWindow();
    ASSERT_NE(preview, nullptr);
    EXPECT_TRUE(preview->isVisible());
    EXPECT_EQ(preview->content(), nullptr) << "nothing is read on the GUI thread";
    runUserJobs();
    ASSERT_NE(preview->content(), nullptr);
    EXPECT_EQ(preview->content()->kind, PreviewContent::Kind::text);
    EXPECT_EQ(preview->windowTitle(), "one.txt");

    // The open preview follows the selection.
    const NodeRef three = child(child(state->root(), "c"), "three.dat");
    state->select(three);
    EXPECT_EQ(preview->path(), three->url());
    runUserJobs();
    EXPECT_EQ(preview->content()->path, three->url());

    state->setQuickLookURL(std::nullopt);
    EXPECT_FALSE(preview->isVisible());
}

TEST_F(PreviewWindowTest, AnItemItCannotRenderShowsItsOwnIcon) {
    // A binary property list: neither a picture nor text.
    const std::string blob = base + "/settings.plist";
    std::ofstream(blob, std::ios::binary) << std::string("bplist00\0\x01\x02", 11);
    state->setQuickLookURL(blob);
    PreviewWindow* preview = view->previewWindow();
    ASSERT_NE(preview, nullptr);
    runUserJobs();
    ASSERT_NE(preview->content(), nullptr);
    ASSERT_EQ(preview->content()->kind, PreviewContent::Kind::facts);
    // The desktop's icon for the file, as the lists show it, once it has been looked up.
    ASSERT_TRUE(QTest::qWaitFor([&] { return FileIconCache::shared().contains(blob); }));
    QApplication::processEvents();
    const qreal ratio = preview->devicePixelRatioF();
    const QImage shown = preview->factsPicture().toImage();
    EXPECT_EQ(shown, fileIcon(blob, false, "plist").pixmap(QSize(128, 128), ratio).toImage());
    EXPECT_NE(shown, symbolIcon(Symbol::folder).pixmap(QSize(96, 96), ratio).toImage()) << "not a folder";

    // A folder shows a folder's.
    state->setQuickLookURL(state->root()->url());
    runUserJobs();
    ASSERT_TRUE(QTest::qWaitFor([&] { return FileIconCache::shared().contains(state->root()->url()); }));
    QApplication::processEvents();
    EXPECT_EQ(preview->factsPicture().toImage(),
              fileIcon(state->root()->url(), true, "").pixmap(QSize(128, 128), ratio).toImage());
}

TEST_F(PreviewWindowTest, TheTitleShowsControlCharactersOfTheNameAsSymbols) {
    const std::string odd = base + "/line1\nline2\t\xFF.txt";
    std::ofstream(odd) << "text";
    state->setQuickLookURL(odd);
    PreviewWindow* preview = view->previewWindow();
    ASSERT_NE(preview, nullptr);
    const QString shown = QString::fromUtf8("line1\u21B5line2\u21E5\uFFFD.txt");
    EXPECT_EQ(preview->windowTitle(), shown);
    runUserJobs();
    ASSERT_NE(preview->content(), nullptr);
    EXPECT_EQ(preview->content()->name, shown);
    EXPECT_EQ(preview->windowTitle(), shown);
    // The temporary folder's clean-up cannot name bytes that are not UTF-8.
    ::unlink(odd.c_str());
}

TEST_F(PreviewWindowTest, ClosingTheWindowClearsTheField) {
    state->setQuickLookURL(state->root()->url());
    PreviewWindow* preview = view->previewWindow();
    ASSERT_NE(preview, nullptr);
    QTest::keyClick(preview, Qt::Key_Escape);
    EXPECT_FALSE(preview->isVisible());
    EXPECT_FALSE(state->quickLookURL());
}

TEST_F(PreviewWindowTest, AStaleReadIsDropped) {
    const NodeRef one = child(child(state->root(), "a"), "one.txt");
    const NodeRef three = child(child(state->root(), "c"), "three.dat");
    state->setQuickLookURL(one->url());
    state->setQuickLookURL(three->url());
    // The newer read finishes first; the older one must not replace it.
    userInitiated->runNewest();
    deliver();
    userInitiated->runAll();
    deliver();
    ASSERT_NE(view->previewWindow()->content(), nullptr);
    EXPECT_EQ(view->previewWindow()->content()->path, three->url());
}

TEST_F(PreviewWindowTest, GoingHomeClosesThePreview) {
    state->setQuickLookURL(state->root()->url());
    PreviewWindow* preview = view->previewWindow();
    state->goHome();
    EXPECT_FALSE(preview->isVisible());
}

} // namespace
} // namespace plenwick::test
