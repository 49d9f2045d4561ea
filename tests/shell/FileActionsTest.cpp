// Opening and revealing items through the desktop: what xdg-open is given, and what
// the user is told when nothing takes the item.
#include "shell/FileActions.h"

#include "common/FakeDesktopOpener.h"
#include "platform/FileURL.h"

#include <QApplication>
#include <QClipboard>
#include <QMessageBox>
#include <QMimeData>
#include <QTest>
#include <QWidget>

#include <gtest/gtest.h>

#include <fstream>

namespace plenwick::test {
namespace {

class DesktopOpenTest : public ::testing::Test {
protected:
    FileActionFailure recorder() {
        return [this](const QString& title, const QString& message) {
            failures.push_back({title.toStdString(), message.toStdString()});
        };
    }
    void installOpener(int status, const std::string& complaint = {}) { opener.install(status, complaint); }
    std::string asked() const { return opener.asked(); }
    static void waitForOpeners() { EXPECT_TRUE(FakeDesktopOpener::waitForOpeners()); }

    FakeDesktopOpener opener;
    TempFolder items;
    std::vector<std::pair<std::string, std::string>> failures;
};

TEST(CopyPaths, TheClipboardHoldsTheExactPathAsTextAndAsAFileURL) {
    copyPaths({"/tmp/with space/Café #1.txt"});
    const QMimeData* copied = QApplication::clipboard()->mimeData();
    ASSERT_TRUE(copied);
    EXPECT_EQ(copied->text(), QString::fromUtf8("/tmp/with space/Café #1.txt")) << "no percent escapes";
    ASSERT_EQ(copied->urls().size(), 1);
    EXPECT_EQ(copied->urls()[0].toEncoded(), "file:///tmp/with%20space/Caf%C3%A9%20%231.txt");

    // A name that is not UTF-8: the text keeps its bytes (the U+FFFD of a repaired
    // text would name another file), and so does the URL; only the flavour promising
    // UTF-8 has the bad byte replaced.
    const std::string odd = "/tmp/caf\xE9\nnotes.txt";
    copyPaths({odd, "/tmp/plain"});
    copied = QApplication::clipboard()->mimeData();
    ASSERT_TRUE(copied);
    EXPECT_EQ(copied->data(QStringLiteral("text/plain")).toStdString(), odd + "\n/tmp/plain");
    EXPECT_EQ(copied->text(), QString::fromUtf8("/tmp/caf\uFFFD\nnotes.txt\n/tmp/plain"));
    ASSERT_EQ(copied->urls().size(), 2);
    EXPECT_EQ(copied->urls()[0].toEncoded(), "file:///tmp/caf%E9%0Anotes.txt");
    EXPECT_EQ(pathFromFileURL(copied->urls()[0]), odd);
    EXPECT_EQ(pathFromFileURL(copied->urls()[1]), "/tmp/plain");
}

TEST_F(DesktopOpenTest, OpenGivesTheItemsFileURLAndTellsNothingWhenAnApplicationTookIt) {
    installOpener(0);
    const std::string odd = items / "caf\xE9 notes.txt";
    std::ofstream(odd) << "x";
    openItem(odd, recorder());
    waitForOpeners();
    EXPECT_EQ(asked(), fileURL(odd).toString(QUrl::FullyEncoded).toStdString() + "\n");
    EXPECT_TRUE(failures.empty());
}

TEST_F(DesktopOpenTest, NoApplicationForTheItemIsToldWithItsNameAndReason) {
    installOpener(3, "xdg-open: no method available for opening file:///x");
    openItem(items / "movie.mkv", recorder());
    ASSERT_TRUE(QTest::qWaitFor([&] { return !failures.empty(); }, 10000));
    EXPECT_EQ(failures[0].first, "Couldn’t Open Item");
    EXPECT_EQ(failures[0].second, "movie.mkv: No application is set up to open it.");

    // What the opener says itself, where its status names no reason of its own.
    failures.clear();
    installOpener(1, "xdg-open: unexpected option --frobnicate");
    openItem(items / "movie.mkv", recorder());
    ASSERT_TRUE(QTest::qWaitFor([&] { return !failures.empty(); }, 10000));
    EXPECT_EQ(failures[0].second, "movie.mkv: unexpected option --frobnicate");
}

TEST_F(DesktopOpenTest, WithoutXdgOpenTheUserIsToldSo) {
    openItem(items / "notes.txt", recorder());
    ASSERT_TRUE(QTest::qWaitFor([&] { return !failures.empty(); }, 10000));
    EXPECT_EQ(failures[0].second,
              "notes.txt: This system has no program that opens files (xdg-open is not installed).");
}

TEST_F(DesktopOpenTest, RevealWithoutAFileManagerOpensTheFolderAndTellsWhenThatFailsToo) {
    // No file manager owns its name on the tests' bus: the folder holding the item is opened.
    installOpener(3);
    const std::string folder = items / "Projects";
    revealItem(folder + "/report.pdf", recorder());
    ASSERT_TRUE(QTest::qWaitFor([&] { return !failures.empty(); }, 10000));
    EXPECT_EQ(asked(), fileURL(folder).toString(QUrl::FullyEncoded).toStdString() + "\n");
    EXPECT_EQ(failures[0].first, "Couldn’t Reveal Item");
    EXPECT_EQ(failures[0].second, "report.pdf: No file manager answered, and its folder couldn’t be opened either. "
                                  "No application is set up to open it.");
}

TEST_F(DesktopOpenTest, AToolWindowShowsTheFailureAsAnAlertOverItself) {
    installOpener(3);
    QWidget window;
    window.show();
    openItem(items / "movie.mkv", alertOver(&window));
    QMessageBox* alert = nullptr;
    ASSERT_TRUE(QTest::qWaitFor([&] { return (alert = window.findChild<QMessageBox*>()) != nullptr; }, 10000));
    EXPECT_EQ(alert->windowModality(), Qt::WindowModal);
    EXPECT_EQ(alert->text().toStdString(), "Couldn’t Open Item");
    EXPECT_EQ(alert->informativeText().toStdString(), "movie.mkv: No application is set up to open it.");

    // A window that closed meanwhile is told nothing.
    auto* gone = new QWidget;
    openItem(items / "movie.mkv", alertOver(gone));
    delete gone;
    waitForOpeners();
}

} // namespace
} // namespace plenwick::test
