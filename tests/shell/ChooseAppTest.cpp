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

// Chooses `item` in the panel, expecting a refusal: the alert's title and text, and
// whether the panel stayed open for another choice (the test then cancels it).
struct Refusal {
    QString title, text;
    bool stillAsking = false;
};
Refusal refusalOf(const std::string& folder, const std::string& item) {
    Refusal refusal;
    whenShown<QFileDialog>([&](QFileDialog& dialog) {
        dialog.setDirectory(QString::fromStdString(folder));
        // Typed as its name: the listing may not have loaded yet.
        if (auto* name = dialog.findChild<QLineEdit*>(QStringLiteral("fileNameEdit")))
            name->setText(QString::fromStdString(std::filesystem::path(item).filename().string()));
        whenShown<QMessageBox>([&](QMessageBox& alert) {
            refusal.title = alert.windowTitle();
            refusal.text = alert.text();
            alert.accept();
            QTimer::singleShot(0, &dialog, [&] {
                refusal.stillAsking = dialog.isVisible();
                dialog.reject();
            });
        });
        // As the panel's "Uninstall…" button does.
        QTimer::singleShot(0, &dialog, [&] { static_cast<QDialog&>(dialog).accept(); });
    });
    EXPECT_EQ(chooseApp(), std::nullopt);
    return refusal;
}

TEST(AppChooser, WhatIsNoAppIsRefusedWithAReason) {
    EXPECT_EQ(notAnAppMessage("/home/me/Documents"), "“Documents” isn’t an app.");
    EXPECT_EQ(notAnAppMessage("/tmp/bad\xff"), "“bad\uFFFD” isn’t an app.") << "shown, not raw bytes";

    TempFolder root;
    std::filesystem::create_directory(root / "Photos");
    // A folder whose entry runs a program elsewhere (a folder of launchers) is no app.
    std::filesystem::create_directory(root / "Launchers");
    writeFile(root / "Launchers/foo.desktop", "[Desktop Entry]\nType=Application\nName=Foo\nExec=/opt/foo/foo\n");
    writeFile(root / "notes.txt", "not an app");
    writeFile(root / "tool", "#!/bin/sh\n"); // a program, but no AppImage
    for (const char* name : {"Photos", "Launchers", "notes.txt", "tool"}) {
        const Refusal refusal = refusalOf(root.path(), root / name);
        EXPECT_EQ(refusal.title.toStdString(), "Can’t Uninstall");
        EXPECT_EQ(refusal.text.toStdString(), "“" + std::string(name) + "” isn’t an app.");
        EXPECT_TRUE(refusal.stillAsking);
    }
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
    std::filesystem::create_directories(root / "Baz.app/Contents");
    writeFile(root / "Baz.app/Contents/Info.plist", "");
    EXPECT_EQ(choose(root.path(), root / "Baz.app"), root / "Baz.app") << "a bundle-style folder, by its name";
}

} // namespace
} // namespace plenwick::test
