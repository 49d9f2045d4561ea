// The Startup Items window in its states, from recorded systemctl outputs over
// autostart entries and units made in a temporary folder, and once on this machine.

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

QByteArray entry(const QByteArray& name, const QString& exec, const QByteArray& more = {}) {
    return "[Desktop Entry]\nType=Application\nName=" + name + "\nExec=" + exec.toUtf8() + "\n" + more;
}

QByteArray unit(const QString& program, const QByteArray& more = {}) {
    return "[Service]\nExecStart=" + program.toUtf8() + "\n" + more + "[Install]\nWantedBy=default.target\n";
}

// Autostart entries and units of a busy machine.
struct Fixture {
    QTemporaryDir dir;
    RecordedRunner runner;
    StartupItemsScanner::Folders folders;

    QString at(const QString& relative) const { return dir.filePath(relative); }

    Fixture() {
        const QString autostart = at(QStringLiteral("home/.config/autostart"));
        write(autostart + QStringLiteral("/tarnwell.Plenwick.Helper.desktop"), entry("Plenwick Helper", QStringLiteral("/bin/sh")));
        write(autostart + QStringLiteral("/chat.desktop"), entry("Chat", QStringLiteral("/bin/sh --chat")));
        write(autostart + QStringLiteral("/old-updater.desktop"),
              entry("Old Updater", at(QStringLiteral("Apps/Updater/update"))));
        write(autostart + QStringLiteral("/notes.desktop"),
              entry("Notes", QStringLiteral("/bin/sh"), "X-GNOME-Autostart-enabled=false\n"));
        const QString xdg = at(QStringLiteral("etc/xdg/autostart"));
        write(xdg + QStringLiteral("/at-spi-dbus-bus.desktop"),
              entry("AT-SPI D-Bus Bus", QStringLiteral("/bin/sh --launch-immediately")));
        write(xdg + QStringLiteral("/tracker.desktop"), entry("File Indexer", QStringLiteral("/bin/sh")));
        write(autostart + QStringLiteral("/tracker.desktop"), "[Desktop Entry]\nHidden=true\n");

        const QString units = at(QStringLiteral("home/.config/systemd/user"));
        write(units + QStringLiteral("/backup.service"), unit(QStringLiteral("/bin/sh"), "Restart=always\n"));
        write(units + QStringLiteral("/sync.service"), unit(at(QStringLiteral("Apps/Sync/sync"))));
        write(at(QStringLiteral("usr/lib/systemd/user/pipewire.service")), unit(QStringLiteral("/bin/sh")));
        const QString system = at(QStringLiteral("etc/systemd/system"));
        write(system + QStringLiteral("/ntp.service"), unit(QStringLiteral("/bin/sh")));
        write(at(QStringLiteral("usr/lib/systemd/system/ssh.service")), unit(QStringLiteral("/bin/sh")));
        write(at(QStringLiteral("usr/lib/systemd/system/cups.service")), unit(QStringLiteral("/bin/sh")));

        folders.userAutostart = autostart.toStdString();
        folders.systemAutostart = {xdg.toStdString()};
        folders.userUnits = {{units.toStdString(), StartupItem::Source::userAgent},
                             {at(QStringLiteral("usr/lib/systemd/user")).toStdString(), StartupItem::Source::systemAgent}};
        folders.systemUnits = {{system.toStdString(), StartupItem::Source::systemDaemon},
                               {at(QStringLiteral("usr/lib/systemd/system")).toStdString(), StartupItem::Source::systemDaemon}};

        const std::string files = "list-unit-files --type=service --no-legend --no-pager --plain -- ";
        const std::string loaded = "list-units --type=service --all --no-legend --no-pager --plain -- ";
        const std::string user = "/bin/systemctl --user ";
        runner.answers[user + files + "backup.service sync.service pipewire.service"] = {
            0, "backup.service enabled enabled\nsync.service disabled enabled\npipewire.service enabled enabled\n", {}};
        runner.answers[user + loaded + "backup.service sync.service pipewire.service"] = {
            0, "backup.service loaded active running Backup\npipewire.service loaded active running Sound\n", {}};
        runner.answers["/bin/systemctl " + files + "ntp.service cups.service ssh.service"] = {
            0, "ntp.service enabled enabled\ncups.service disabled enabled\nssh.service enabled enabled\n", {}};
        runner.answers["/bin/systemctl " + loaded + "ntp.service cups.service ssh.service"] = {
            0, "ntp.service loaded active running NTP\nssh.service loaded active running SSH\n", {}};
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
        if (auto* scroll = w.view().findChild<QScrollArea*>()) {
            scroll->verticalScrollBar()->setValue(scroll->verticalScrollBar()->maximum());
            save(QStringLiteral("startup-system-services"), *w.window);
            scroll->verticalScrollBar()->setValue(0);
        }
        w.view().setSearch(QStringLiteral("sync"));
        w.settle();
        save(QStringLiteral("startup-filtered"), *w.window);
        w.view().setSearch(QStringLiteral("no such thing"));
        w.settle();
        save(QStringLiteral("startup-no-results"), *w.window);
        w.view().setSearch({});
        w.view().model().setActionError(std::string("Failed to enable unit: Access denied"));
        w.settle();
        if (QMessageBox* alert = w.view().errorAlert()) save(QStringLiteral("startup-error-alert"), *alert);
        w.view().model().setActionError(std::nullopt);
        w.settle();
        for (const StartupItem& item : w.view().model().items()) {
            if (item.source != StartupItem::Source::systemDaemon || item.removalRefusal()) continue;
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
        // No service manager to ask: entries list, units with their state unknown.
        fixture.runner.answers.clear();
        Window w(&fixture.runner, fixture.folders);
        w.settle();
        save(QStringLiteral("startup-no-service-manager"), *w.window);
    }
    {
        // This machine: the standard folders and the real tools.
        Window w(nullptr, std::nullopt);
        w.settle();
        save(QStringLiteral("startup-this-machine"), *w.window);
    }
}

} // namespace plenwick
