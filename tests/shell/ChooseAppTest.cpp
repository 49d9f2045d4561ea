#include "shell/ChooseApp.h"

#include "common/AppImageFixture.h"
#include "common/TestSupport.h"

#include <QApplication>
#include <QFileDialog>
#include <QLineEdit>
#include <QMessageBox>
#include <QTimer>

#include <gtest/gtest.h>

#include <filesystem>
#include <functional>

namespace plenwick::test {
namespace {

TEST(AppChooser, OpensInTheApplicationsFolderElseAtHome) {
    TempFolder root;
    const std::string applications = root / "Applications", home = root / "home";
    std::filesystem::create_directory(home);
    EXPECT_EQ(appChooserStartFolder(applications, home), home) << "no applications folder: home, not the working folder";
    writeFile(applications, "not a folder");
    EXPECT_EQ(appChooserStartFolder(applications, home), home);
    std::filesystem::remove(applications);
    std::filesystem::create_directory(applications);
    EXPECT_EQ(appChooserStartFolder(applications, home), applications);
}

// Runs `step` once the modal window of type T is up (checked every few milliseconds).
template <typename T>
void whenShown(std::function<void(T&)> step) {
    auto* timer = new QTimer;
    QObject::connect(timer, &QTimer::timeout, [timer, step] {
        if (auto* shown = qobject_cast<T*>(QApplication::activeModalWidget())) {
            timer->deleteLater();
            timer->stop();
            step(*shown);
        }
    });
    timer->start(10);
}

TEST(AppChooser, AFolderThatIsNoAppIsRefusedWithAReason) {
    EXPECT_EQ(notAnAppMessage("/home/me/Documents"), "“Documents” isn’t an app.");
    EXPECT_EQ(notAnAppMessage("/tmp/bad\xff"), "“bad\uFFFD” isn’t an app.") << "shown, not raw bytes";

    TempFolder root;
    const std::string plain = root / "Photos";
    std::filesystem::create_directory(plain);
    QString alertTitle, alertText;
    bool stillAsking = false;
    whenShown<QFileDialog>([&](QFileDialog& dialog) {
        dialog.setDirectory(QString::fromStdString(root.path()));
        // Typed as its name: a selection made before the listing has loaded is lost
        // when it loads, as it may on a later run in the same process.
        if (auto* name = dialog.findChild<QLineEdit*>(QStringLiteral("fileNameEdit")))
            name->setText(QStringLiteral("Photos"));
        whenShown<QMessageBox>([&](QMessageBox& alert) {
            alertTitle = alert.windowTitle();
            alertText = alert.text();
            alert.accept();
            // The panel stays open for another choice; the test then cancels it.
            QTimer::singleShot(0, &dialog, [&] {
                stillAsking = dialog.isVisible();
                dialog.reject();
            });
        });
        // As the panel's "Uninstall…" button does.
        QTimer::singleShot(0, &dialog, [&] { static_cast<QDialog&>(dialog).accept(); });
    });
    EXPECT_EQ(chooseApp(), std::nullopt);
    EXPECT_EQ(alertTitle.toStdString(), "Can’t Uninstall");
    EXPECT_EQ(alertText.toStdString(), "“Photos” isn’t an app.");
    EXPECT_TRUE(stillAsking);
}

// Chooses `item` in the panel as its "Uninstall…" button would; what the panel returns.
std::optional<std::string> choose(const std::string& folder, const std::string& item) {
    whenShown<QFileDialog>([=](QFileDialog& dialog) {
        dialog.setDirectory(QString::fromStdString(folder));
        // Typed as its name: the listing may not have loaded yet.
        if (auto* name = dialog.findChild<QLineEdit*>(QStringLiteral("fileNameEdit")))
            name->setText(QString::fromStdString(std::filesystem::path(item).filename().string()));
        QTimer::singleShot(0, &dialog, [&dialog] {
            // An alert would say the item is no app: recorded, and the panel cancelled.
            // The watch goes with the panel.
            auto* watch = new QTimer(&dialog);
            QObject::connect(watch, &QTimer::timeout, &dialog, [&dialog, watch] {
                auto* alert = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
                if (!alert) return;
                watch->stop();
                ADD_FAILURE() << alert->text().toStdString();
                alert->accept();
                QTimer::singleShot(0, &dialog, [&dialog] { dialog.reject(); });
            });
            watch->start(10);
            static_cast<QDialog&>(dialog).accept();
        });
    });
    return chooseApp();
}

TEST(AppChooser, TakesAppImagesAppFoldersAndDesktopEntries) {
    TempFolder root;
    writeFile(root / "Foo.AppImage", appImageStub());
    writeFile(root / "foo.desktop", "[Desktop Entry]\nType=Application\nName=Foo\nExec=foo\n");
    std::filesystem::create_directory(root / "Bar");
    writeFile(root / "Bar/bar", "");
    writeFile(root / "Bar/bar.desktop", "[Desktop Entry]\nType=Application\nName=Bar\nExec=bar\n");
    EXPECT_EQ(choose(root.path(), root / "Foo.AppImage"), root / "Foo.AppImage");
    EXPECT_EQ(choose(root.path(), root / "foo.desktop"), root / "foo.desktop");
    EXPECT_EQ(choose(root.path(), root / "Bar"), root / "Bar");
}

} // namespace
} // namespace plenwick::test
