// The Startup Items window in its states, from recorded tool outputs over launch
// folders and apps made in a temporary folder, and once as on a plain Linux machine
// where the tools are absent.

#include "startup_shots.h"

#include "app/StartupItemsServices.h"
#include "mainprogram/StartupItemsWindow.h"
#include "runtime/ManualExecutor.h"
#include "shell/FileIconCache.h"
#include "startup/ui/StartupItemsView.h"

#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QLineEdit>
#include <QMessageBox>
#include <QScrollArea>
#include <QScrollBar>
#include <QTemporaryDir>
#include <QThread>

#include <map>
#include <unistd.h>

namespace plenwick {
namespace {

// Answers by command line with recorded outputs; anything else fails to start.
class RecordedRunner final : public ProgramRunner {
public:
    std::map<std::string, ProcessResult> answers;
    ProcessResult run(const std::string& path, const std::vector<std::string>& arguments) override {
        std::string line = path;
        for (const std::string& argument : arguments) line += " " + argument;
        const auto it = answers.find(line);
        return it != answers.end() ? it->second : ProcessResult{-1, {}, "No such file or directory"};
    }
};

void write(const QString& path, const QByteArray& bytes) {
    QDir().mkpath(QFileInfo(path).path());
    QFile file(path);
    if (file.open(QIODevice::WriteOnly)) file.write(bytes);
}

QByteArray plist(const QByteArray& entries) {
    return "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<plist version=\"1.0\">\n<dict>" + entries + "</dict>\n</plist>\n";
}

QByteArray key(const QByteArray& name, const QString& value) {
    return "<key>" + name + "</key><string>" + value.toUtf8() + "</string>";
}

// Launch folders, apps and login items of a busy machine.
struct Fixture {
    QTemporaryDir dir;
    RecordedRunner runner;
    StartupItemsScanner::Folders folders;

    QString at(const QString& relative) const { return dir.filePath(relative); }

    Fixture() {
        const QString apps = at(QStringLiteral("Applications"));
        const QString sync = apps + QStringLiteral("/Cloud Sync.app");
        write(sync + QStringLiteral("/Contents/Info.plist"), plist(key("CFBundleName", QStringLiteral("Cloud Sync"))));
        write(sync + QStringLiteral("/Contents/MacOS/sync"), "#!/bin/sh\n");
        QDir().mkpath(sync + QStringLiteral("/Contents/Library/LoginItems/Sync Helper.app"));
        const QString editor = apps + QStringLiteral("/Editor.app");
        write(editor + QStringLiteral("/Contents/Info.plist"), plist(key("CFBundleDisplayName", QStringLiteral("Editor"))));
        write(editor + QStringLiteral("/Contents/Library/LaunchAgents/com.editor.updater.plist"),
              plist(key("Label", QStringLiteral("com.editor.updater"))));
        write(apps + QStringLiteral("/Notes.app/Contents/Info.plist"), plist(key("CFBundleName", QStringLiteral("Notes"))));

        const QString agents = at(QStringLiteral("home/Library/LaunchAgents"));
        write(agents + QStringLiteral("/com.cloudsync.agent.plist"),
              plist(key("Label", QStringLiteral("com.cloudsync.agent")) +
                    key("Program", sync + QStringLiteral("/Contents/MacOS/sync")) + "<key>RunAtLoad</key><true/>"));
        write(agents + QStringLiteral("/com.gone.updater.plist"),
              plist(key("Label", QStringLiteral("com.gone.updater")) +
                    key("Program", at(QStringLiteral("Gone Updater.app/Contents/MacOS/update")))));
        write(agents + QStringLiteral("/org.example.backup.plist"),
              plist(key("Label", QStringLiteral("org.example.backup")) + key("Program", QStringLiteral("/bin/sh")) +
                    "<key>KeepAlive</key><true/>"));
        write(at(QStringLiteral("Library/LaunchAgents/com.vendor.menubar.plist")),
              plist(key("Label", QStringLiteral("com.vendor.menubar")) + key("Program", QStringLiteral("/bin/true"))));
        write(at(QStringLiteral("Library/LaunchDaemons/org.ntp.timed.plist")),
              plist(key("Label", QStringLiteral("org.ntp.timed")) + key("Program", QStringLiteral("/bin/sh"))));
        write(at(QStringLiteral("Library/LaunchDaemons/com.vendor.helper.plist")),
              plist(key("Label", QStringLiteral("com.vendor.helper")) +
                    key("Program", QStringLiteral("/Library/PrivilegedHelperTools/com.vendor.helper"))));

        folders.launchFolders = {{at(QStringLiteral("home/Library/LaunchAgents")).toStdString(), StartupItem::Source::userAgent},
                                 {at(QStringLiteral("Library/LaunchAgents")).toStdString(), StartupItem::Source::systemAgent},
                                 {at(QStringLiteral("Library/LaunchDaemons")).toStdString(), StartupItem::Source::systemDaemon}};
        folders.applicationFolders = {apps.toStdString()};

        const std::string launchctl = "/bin/launchctl ";
        runner.answers[launchctl + "print-disabled gui/" + std::to_string(getuid())] = {
            0, "disabled services = {\n\t\"org.example.backup\" => disabled\n}\n", {}};
        runner.answers[launchctl + "print-disabled system"] = {0, "disabled services = {\n}\n", {}};
        runner.answers[launchctl + "list"] = {
            0, "PID\tStatus\tLabel\n412\t0\tcom.cloudsync.agent\n-\t0\tcom.vendor.menubar\n", {}};
        runner.answers[launchctl + "print system/org.ntp.timed"] = {0, "system/org.ntp.timed = {\n}\n", {}};
        setLoginItems({0, "Notes\t" + (apps + QStringLiteral("/Notes.app")).toStdString() + "\tfalse\nChat\t" +
                              at(QStringLiteral("Chat.app")).toStdString() + "\ttrue\n", {}});
    }
    void setLoginItems(ProcessResult result) {
        runner.answers["/usr/bin/osascript -e " + LoginItemsScript::listScript()] = std::move(result);
    }
};

// One window whose background work runs when told to.
struct Window {
    std::shared_ptr<ManualExecutor> executor = std::make_shared<ManualExecutor>();
    std::unique_ptr<StartupItemsWindow> window;

    Window(ProgramRunner* runner, std::optional<StartupItemsScanner::Folders> folders) {
        StartupItemsModel::Environment environment = standardStartupItemsEnvironment(executor);
        environment.scanner.runner = runner;
        window = std::make_unique<StartupItemsWindow>(std::move(environment));
        if (folders) view().model().setFolders(*folders);
        window->show();
        QApplication::processEvents();
    }
    ~Window() {
        window.reset();
        QApplication::processEvents();
    }
    StartupItemsView& view() { return *window->view(); }
    void settle() {
        QElapsedTimer clock;
        clock.start();
        for (int i = 0; i < 4 || (FileIconCache::shared().pendingCount() > 0 && clock.elapsed() < 3000); ++i) {
            executor->runAll();
            QApplication::processEvents();
            if (i >= 4) QThread::msleep(10);
        }
    }
};

} // namespace

void shootStartupItems(const std::function<void(const QString&, QWidget&)>& save) {
    Fixture fixture;
    {
        Window w(&fixture.runner, fixture.folders);
        save(QStringLiteral("startup-loading"), *w.window);
        w.settle();
        save(QStringLiteral("startup-items"), *w.window);
        w.view().setShowBundled(true);
        w.settle();
        if (auto* scroll = w.view().findChild<QScrollArea*>()) {
            scroll->verticalScrollBar()->setValue(scroll->verticalScrollBar()->maximum());
            save(QStringLiteral("startup-daemons-and-helpers"), *w.window);
            scroll->verticalScrollBar()->setValue(0);
        }
        w.view().setSearch(QStringLiteral("sync"));
        w.settle();
        save(QStringLiteral("startup-filtered"), *w.window);
        w.view().setSearch(QStringLiteral("no such thing"));
        w.settle();
        save(QStringLiteral("startup-no-results"), *w.window);
        w.view().setSearch({});
        w.view().model().setActionError(std::string("com.vendor.helper.plist: Operation not permitted"));
        w.settle();
        if (QMessageBox* alert = w.view().errorAlert()) save(QStringLiteral("startup-error-alert"), *alert);
        w.view().model().setActionError(std::nullopt);
        w.settle();
        for (const StartupItem& item : w.view().model().items()) {
            if (item.source != StartupItem::Source::systemDaemon) continue;
            w.view().requestRemoval(item);
            w.settle();
            if (QMessageBox* confirm = w.view().confirmation()) {
                save(QStringLiteral("startup-confirm-removal"), *confirm);
                confirm->reject();
            }
            break;
        }
    }
    {
        fixture.setLoginItems({1, {}, "execution error: Not authorised to send Apple events to System Events. (-1743)"});
        Window w(&fixture.runner, fixture.folders);
        w.settle();
        save(QStringLiteral("startup-login-items-refused"), *w.window);
    }
    {
        // A plain Linux machine: the standard folders and the real tools, which are absent.
        Window w(nullptr, std::nullopt);
        w.settle();
        save(QStringLiteral("startup-plain-linux"), *w.window);
    }
}

} // namespace plenwick
