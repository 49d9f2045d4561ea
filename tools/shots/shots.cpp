// plenwick-shots OUTDIR TREE: renders every screen of the main window offscreen, in
// the light and the dark palette, one PNG per screen and state, at the device pixel
// ratio the process runs with (QT_SCALE_FACTOR). Fails when a screen renders blank.
//
// TREE is a generated fixture tree; the results come from a real scan of it.

#include "app/AppState.h"
#include "app/RecentScans.h"
#include "chartviews/SunburstView.h"
#include "chartviews/TreemapModel.h"
#include "chartviews/TreemapView.h"
#include "collector/CollectorView.h"
#include "collector/ShellCollectorConfirmSheet.h"
#include "collector/ShellCollectorItemsList.h"
#include "collector/ShellFreedBadge.h"
#include "helper_shots.h"
#include "home/PathPresence.h"
#include "home/VolumePickerView.h"
#include "mainprogram/MainWindow.h"
#include "outline/FileOutlineView.h"
#include "outline/OutlineTableCoordinator.h"
#include "platform/MotionPreference.h"
#include "results/FileTypesView.h"
#include "results/InspectorView.h"
#include "nodemenu/NodeContextMenu.h"
#include "results/PreviewWindow.h"
#include "results/ResultsQuestions.h"
#include "results/ResultsView.h"
#include "results/RootView.h"
#include "results/ScanProgressView.h"
#include "results/ShellActionButton.h"
#include "results/ShellInspectorDetails.h"
#include "runtime/ManualExecutor.h"
#include "services/AppBundleInfo.h"
#include "shell/FileIconCache.h"
#include "shell/IconTheme.h"
#include "startup_shots.h"
#include "uninstaller/UninstallSession.h"
#include "uninstaller/ui/UninstallerView.h"

#include <QApplication>
#include <QAbstractButton>
#include <QDir>
#include <QDragEnterEvent>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QMimeData>
#include <QPointer>
#include <QScrollArea>
#include <QFile>
#include <QImage>
#include <QLineEdit>
#include <QMessageBox>
#include <QMouseEvent>
#include <QMenu>
#include <QPainter>
#include <QPalette>
#include <QSet>
#include <QSplitter>
#include <QStyle>
#include <QStyleFactory>
#include <QTemporaryDir>
#include <QTest>
#include <QThread>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <functional>
#include <memory>

using namespace plenwick;

namespace {

// A volume source with a fixed list (none by default): the shots do not depend on the
// machine's disks.
class FixedVolumes final : public VolumeSource {
public:
    explicit FixedVolumes(std::vector<VolumeInfo> volumes = {}) : volumes_(std::move(volumes)) {}
    std::vector<VolumeInfo> mountedVolumes() override { return volumes_; }
    std::optional<VolumeInfo> containing(const std::string&) override { return std::nullopt; }

private:
    std::vector<VolumeInfo> volumes_;
};

VolumeInfo volume(std::string url, std::string name, double totalGB, double usedShare, std::string fileSystem,
                  bool root, bool internal, bool removable, bool network) {
    VolumeInfo v;
    v.url = std::move(url);
    v.name = std::move(name);
    v.totalCapacity = static_cast<std::int64_t>(totalGB * 1e9);
    v.availableCapacity = static_cast<std::int64_t>(totalGB * 1e9 * (1 - usedShare));
    v.fileSystem = std::move(fileSystem);
    v.isRootVolume = root;
    v.isInternal = internal;
    v.isRemovable = removable;
    v.isNetwork = network;
    return v;
}

// The disks of the home screen's pictures: the startup disk, one nearly full, an
// external drive three quarters full and a network share.
std::vector<VolumeInfo> sampleVolumes() {
    return {volume("/", "Startup Disk", 500, 0.62, "ext4", true, true, false, false),
            volume("/srv/shots-data", "Data", 1000, 0.93, "btrfs", false, true, false, false),
            volume("/media/shots/Backup", "Backup", 2000, 0.78, "exFAT", false, false, true, false),
            volume("/net/shots/archive", "archive", 4000, 0.083, "NFS", false, false, false, true)};
}

// Recent scans of a few ages; one of the folders is gone.
QByteArray sampleRecentScans(const std::string& tree) {
    using namespace std::chrono;
    const auto now = system_clock::now();
    auto at = [&](auto ago) { return RecentScan::referenceSeconds(now - ago); };
    return RecentScans::encode({
        {tree, at(minutes(4)), 163840},
        {"/home", at(hours(26)), 48'213'000'000},
        {"/srv/shots-data/Photos", at(hours(24 * 3)), std::nullopt},
        {"/media/shots/Backup/2023 projects", at(hours(24 * 9)), 702'000'000},
    });
}

QPalette lightPalette() {
    return QApplication::style()->standardPalette();
}

QPalette darkPalette() {
    QPalette p;
    const QColor window(38, 38, 41), base(30, 30, 32), text(232, 232, 236), button(52, 52, 56);
    p.setColor(QPalette::Window, window);
    p.setColor(QPalette::WindowText, text);
    p.setColor(QPalette::Base, base);
    p.setColor(QPalette::AlternateBase, QColor(44, 44, 48));
    p.setColor(QPalette::Text, text);
    p.setColor(QPalette::Button, button);
    p.setColor(QPalette::ButtonText, text);
    p.setColor(QPalette::BrightText, Qt::white);
    p.setColor(QPalette::Highlight, QColor(10, 132, 255));
    p.setColor(QPalette::HighlightedText, Qt::white);
    p.setColor(QPalette::ToolTipBase, button);
    p.setColor(QPalette::ToolTipText, text);
    p.setColor(QPalette::PlaceholderText, QColor(140, 140, 146));
    p.setColor(QPalette::Light, QColor(70, 70, 75));
    p.setColor(QPalette::Midlight, QColor(60, 60, 64));
    p.setColor(QPalette::Mid, QColor(46, 46, 50));
    p.setColor(QPalette::Dark, QColor(24, 24, 26));
    p.setColor(QPalette::Shadow, Qt::black);
    for (QPalette::ColorRole role : {QPalette::WindowText, QPalette::Text, QPalette::ButtonText}) {
        p.setColor(QPalette::Disabled, role, QColor(120, 120, 126));
    }
    return p;
}

// A picture is blank when its middle holds hardly any distinct colours.
bool isBlank(const QImage& image) {
    QSet<QRgb> colors;
    const QImage img = image.convertToFormat(QImage::Format_ARGB32);
    for (int y = 0; y < img.height(); y += 3)
        for (int x = 0; x < img.width(); x += 3) {
            colors.insert(img.pixel(x, y));
            if (colors.size() > 12) return false;
        }
    return true;
}

struct Shooter {
    QString outDir;
    QString suffix;
    int failures = 0;

    void save(const QString& name, QWidget& widget) {
        QApplication::processEvents();
        const QImage image = widget.grab().toImage();
        const QString path = outDir + QLatin1Char('/') + name + QLatin1Char('-') + suffix + QStringLiteral(".png");
        if (image.isNull() || isBlank(image)) {
            std::fprintf(stderr, "plenwick-shots: %s is blank\n", qPrintable(path));
            ++failures;
        }
        if (!image.save(path)) {
            std::fprintf(stderr, "plenwick-shots: cannot write %s\n", qPrintable(path));
            ++failures;
        }
    }
};

// One main window on a state whose background work runs only when told to.
struct Scene {
    std::shared_ptr<ManualExecutor> user = std::make_shared<ManualExecutor>();
    std::shared_ptr<ManualExecutor> utility = std::make_shared<ManualExecutor>();
    std::unique_ptr<AppState> state;
    std::unique_ptr<MainWindow> window;

    // `configure` adjusts the environment before the state is made.
    explicit Scene(std::vector<VolumeInfo> volumes = {}, QByteArray recentScans = {},
                   const std::function<void(AppEnvironment&)>& configure = {}) {
        AppEnvironment env;
        env.userInitiated = user;
        env.utility = utility;
        env.volumeSource = std::make_shared<FixedVolumes>(std::move(volumes));
        env.preferences = std::make_shared<MemoryPreferences>();
        if (!recentScans.isEmpty()) env.preferences->setValue(RecentScans::preferenceKey, recentScans);
        if (configure) configure(env);
        state = std::make_unique<AppState>(std::move(env));
        window = std::make_unique<MainWindow>(*state);
        window->resize(MainWindow::kDefaultWidth, MainWindow::kDefaultHeight);
        window->show();
        settle();
    }
    ~Scene() {
        window.reset();
        state.reset();
        QApplication::processEvents();
    }
    void settle() {
        for (int i = 0; i < 3; ++i) {
            user->runAll();
            utility->runAll();
            QApplication::processEvents();
        }
        // Whether folders exist is checked on a pool of its own.
        QElapsedTimer waited;
        waited.start();
        while (PathPresence::shared().pendingCount() > 0 && waited.elapsed() < 5000) QApplication::processEvents();
        QApplication::processEvents();
    }
    VolumePickerView* home() const {
        return qobject_cast<VolumePickerView*>(window->rootView()->homeScreen());
    }
};

// Lets timers that are due within `ms` fire (the outline's pause before a search).
void waitFor(Scene& scene, int ms) {
    QElapsedTimer timer;
    timer.start();
    while (timer.elapsed() < ms) {
        QApplication::processEvents();
        QThread::msleep(10);
    }
    scene.settle();
}

FileOutlineView* outlineOf(Scene& scene) {
    ResultsView* results = scene.window->rootView()->resultsView();
    return results ? qobject_cast<FileOutlineView*>(results->sidebar()) : nullptr;
}

// The outline sidebar: the tree with a folder open, the largest files, a search with
// its footer, and the two empty states.
void shootOutline(Shooter& shooter, const std::string& tree) {
    {
        Scene scene;
        scene.state->startScan(tree);
        scene.settle();
        FileOutlineView* outline = outlineOf(scene);
        if (!outline) return;
        // Open the way to the largest file of a sub-folder and select it.
        const NodeRef& root = scene.state->root();
        for (const NodeRef& child : root->children()) {
            if (!child->isContainer() || child->children().empty()) continue;
            scene.state->navigate(child);
            scene.state->select(child->children().front());
            break;
        }
        scene.settle();
        shooter.save(QStringLiteral("outline-tree"), *outline);
        outline->modeButton(OutlineMode::largest)->click();
        scene.settle();
        shooter.save(QStringLiteral("outline-largest"), *outline);
        outline->searchField()->setText(QStringLiteral("file-1"));
        waitFor(scene, 250);
        shooter.save(QStringLiteral("outline-search"), *outline);
        outline->searchField()->setText(QStringLiteral("no such name"));
        waitFor(scene, 250);
        shooter.save(QStringLiteral("outline-no-results"), *outline);
    }
    {
        // A scan whose focused folder holds no files.
        Scene scene;
        NodeRef empty = FileNode::make("Empty Folder", FileNode::Kind::directory, 0, 0, 0, 0);
        NodeRef root = FileNode::make(tree, FileNode::Kind::directory, 0, 0, 0, 0);
        root->setChildren({empty});
        scene.state->finishScan(root, {});
        scene.settle();
        FileOutlineView* outline = outlineOf(scene);
        if (!outline) return;
        outline->modeButton(OutlineMode::largest)->click();
        scene.state->navigate(empty);
        scene.settle();
        shooter.save(QStringLiteral("outline-no-files"), *outline);
    }
}

// The outline with every column ticked at the sidebar's first width: the name column
// at its minimum and the list scrolling sideways from its start; then a row far down
// revealed, and the whole window at its smallest size so.
void shootOutlineColumns(Shooter& shooter, const std::string& tree) {
    Scene scene;
    scene.state->startScan(tree);
    scene.settle();
    FileOutlineView* outline = outlineOf(scene);
    if (!outline) return;
    for (const char* column : {"Items", "Modified"}) {
        QMenu* menu = outline->coordinator().showHeaderMenu(QPoint(0, 0));
        for (QAction* action : menu->actions())
            if (action->text() == QLatin1String(column) && !action->isChecked()) action->trigger();
        menu->close();
    }
    scene.settle();
    shooter.save(QStringLiteral("outline-all-columns"), *outline);
    // The last file of the last folder with files, two levels down.
    NodeRef far;
    for (const NodeRef& child : scene.state->root()->children())
        for (const NodeRef& grandchild : child->children())
            if (grandchild->isContainer() && grandchild->childCount() > 0) far = grandchild->children().back();
    if (!far) return;
    scene.state->select(far);
    scene.settle();
    shooter.save(QStringLiteral("outline-all-columns-revealed"), *outline);
    scene.window->resize(MainWindow::kMinimumWidth, MainWindow::kMinimumHeight);
    scene.settle();
    shooter.save(QStringLiteral("min-outline-all-columns"), *scene.window);
}

// A library folder as a system scan meets it: long versioned names in the default
// column layout, the whole window on that folder, and the outline with the items and
// date columns shown. Then a folder of names with a line feed, a tab, a carriage
// return and bytes that are not UTF-8.
// Trees made in memory for the screens of names, dated 14 November 2023, noon UTC.
constexpr std::int64_t MB = 1'000'000;
constexpr double namesDate = 1699963200;

NodeRef file(std::string_view name, std::int64_t size) {
    return FileNode::make(name, FileNode::Kind::file, size, size, 1, namesDate);
}

// A folder with its children largest first and their totals.
NodeRef folder(std::string_view name, std::vector<NodeRef> children) {
    NodeRef node = FileNode::make(name, FileNode::Kind::directory, 0, 0, 0, namesDate);
    std::int64_t size = 0, count = 0;
    for (const NodeRef& c : children) {
        size += c->size();
        count += c->fileCount();
    }
    std::sort(children.begin(), children.end(), [](const NodeRef& a, const NodeRef& b) { return a->size() > b->size(); });
    node->setChildren(std::move(children));
    node->setSize(size);
    node->setLogicalSize(size);
    node->setFileCount(count);
    return node;
}

void shootLongNames(Shooter& shooter) {
    Scene scene;
    NodeRef libs = folder("x86_64-linux-gnu", {
        file("libcublasLt.so.12.3.4.1", 520 * MB), file("libcusolverMg.so.12.0.4.123", 160 * MB),
        file("libnvidia-glvkspirv.so.550.54.14", 121 * MB), file("libLLVM-15.so.1", 112 * MB),
        file("libnvidia-rtcore.so.550.54.14", 91 * MB), file("libicudata.so.72.1", 31 * MB),
        folder("gconv", {file("libJIS.so", 2 * MB), file("IBM1390.so", 1 * MB)}),
        file("libcrypto.so.3", 5 * MB), file("libstdc++.so.6.0.30", 2 * MB)});
    NodeRef odd = folder("odd\tnames", {file("line1\nline2.txt", 300 * MB), file("line1-line2.txt", 300 * MB),
                                         file("tab\there.log", 200 * MB), file("bad\xFF\xFEname.txt", 150 * MB),
                                         file("bad--name.txt", 150 * MB), file("carriage\rreturn.txt", 100 * MB)});
    NodeRef root = folder("/usr", {folder("lib", {libs, folder("python3.11", {file("__init__.py", 1 * MB)})}), odd});
    scene.state->finishScan(root, AppState::computeTypeStats(root));
    scene.settle();
    FileOutlineView* outline = outlineOf(scene);
    if (!outline) return;
    ResultsView* results = scene.window->rootView()->resultsView();
    if (auto* chart = results ? qobject_cast<SunburstView*>(results->chart()) : nullptr) chart->setReduceMotion(true);
    scene.state->navigate(libs);
    scene.state->select(libs->children()[1]);
    scene.settle();
    shooter.save(QStringLiteral("outline-long-names"), *outline);
    shooter.save(QStringLiteral("results-long-names"), *scene.window);
    scene.state->navigate(odd);
    scene.state->select(odd->children()[0]);
    scene.settle();
    shooter.save(QStringLiteral("results-odd-names"), *scene.window);
    // Every column, in the widest sidebar.
    scene.state->navigate(libs);
    if (auto* sidebar = results ? results->findChild<QSplitter*>(QString(), Qt::FindDirectChildrenOnly) : nullptr)
        sidebar->setSizes({ResultsView::kSidebarMaximum, 1000});
    for (const char* column : {"Items", "Modified"}) {
        QMenu* menu = outline->coordinator().showHeaderMenu(QPoint(0, 0));
        for (QAction* action : menu->actions())
            if (action->text() == QLatin1String(column)) action->trigger();
        menu->close();
    }
    scene.settle();
    shooter.save(QStringLiteral("outline-long-names-all-columns"), *outline);
}

// Short names in a wide folder beside a chain forty folders deep, in the sidebar's
// first width: every name of eleven characters shows whole, the chain keeps its depth.
void shootShortAndDeepNames(Shooter& shooter) {
    std::vector<NodeRef> files;
    for (int i = 1; i <= 400; ++i) {
        char name[16];
        std::snprintf(name, sizeof name, "f%06d.txt", i);
        files.push_back(file(name, (401 - i) * 1000));
    }
    NodeRef wide = folder("wide", std::move(files));
    NodeRef chain = file("deep.bin", 900 * MB);
    for (int level = 40; level >= 1; --level) chain = folder("level " + std::to_string(level), {chain});
    NodeRef root = folder("/srv/names", {wide, chain});
    Scene scene;
    scene.state->finishScan(root, AppState::computeTypeStats(root));
    scene.settle();
    FileOutlineView* outline = outlineOf(scene);
    if (!outline) return;
    scene.state->select(wide->children()[2]);
    scene.settle();
    shooter.save(QStringLiteral("outline-short-names"), *outline);
    NodeRef deepest = chain;
    while (deepest->childCount() > 0) deepest = deepest->children()[0];
    scene.state->select(deepest);
    scene.settle();
    shooter.save(QStringLiteral("outline-deep-names"), *outline);
    shooter.save(QStringLiteral("results-deep-names"), *scene.window);
    scene.window->resize(MainWindow::kMinimumWidth, MainWindow::kMinimumHeight);
    scene.settle();
    shooter.save(QStringLiteral("min-results-deep-names"), *scene.window);
}

// The home screen with disks, tools and recent scans; the Full Disk Access notice as
// a denied probe shows it; a folder dragged over the window.
void shootHome(Shooter& shooter, const std::string& tree) {
    {
        Scene scene(sampleVolumes(), sampleRecentScans(tree));
        shooter.save(QStringLiteral("home-disks"), *scene.window);
        if (VolumePickerView* page = scene.home()) {
            page->scrollArea()->ensureVisible(0, 100000);
            QApplication::processEvents();
            shooter.save(QStringLiteral("home-recent-scans"), *scene.window);
            page->scrollArea()->ensureVisible(0, 0);
            QMimeData mime;
            mime.setUrls({QUrl::fromLocalFile(QString::fromStdString(tree))});
            QDragEnterEvent enter(QPoint(400, 300), Qt::CopyAction, &mime, Qt::LeftButton, Qt::NoModifier);
            QApplication::sendEvent(page, &enter);
            QApplication::processEvents();
            shooter.save(QStringLiteral("home-drop"), *scene.window);
            QDragLeaveEvent leave;
            QApplication::sendEvent(page, &leave);
        }
    }
    {
        // Results kept in memory: the way back to them.
        Scene scene(sampleVolumes());
        scene.state->startScan(tree);
        scene.settle();
        scene.state->goHome();
        scene.settle();
        VolumePickerView page(*scene.state, HomeEnvironment::standard());
        page.resize(scene.window->rootView()->size());
        page.show();
        scene.settle();
        shooter.save(QStringLiteral("home-banners"), page);
    }
}

// The treemap of the results screen, once its picture is in.
TreemapView* settledTreemap(Scene& scene) {
    ResultsView* results = scene.window->rootView()->resultsView();
    auto* view = results ? qobject_cast<TreemapView*>(results->chart()) : nullptr;
    if (!view) return nullptr;
    // Resizes wait out a short pause on the real clock before they render.
    auto pending = [view] {
        return view->model().isRefreshing() || (view->model().image().isNull() && !view->isShowingEmptyState());
    };
    for (int i = 0; i < 200 && pending(); ++i) {
        scene.settle();
        QTest::qWait(5);
    }
    scene.settle();
    return view;
}

// The largest folder shown in the treemap's focus.
NodeRef largestFolder(const AppState& state) {
    for (const NodeRef& child : state.focus()->children())
        if (child->isContainer() && child->childCount() > 0) return child;
    return nullptr;
}

// A folder of the tree that takes no space (its files are all sparse), or none.
NodeRef emptyFolder(const NodeRef& node) {
    if (node->isContainer() && node->size() <= 0) return node;
    for (const NodeRef& child : node->children())
        if (NodeRef found = child->isContainer() ? emptyFolder(child) : nullptr) return found;
    return nullptr;
}

void shootTreemap(Shooter& shooter, const std::string& tree) {
    Scene scene;
    scene.state->startScan(tree);
    scene.settle();
    scene.state->setVisualization(Visualization::treemap);
    TreemapView* view = settledTreemap(scene);
    if (!view) {
        std::fprintf(stderr, "plenwick-shots: no treemap\n");
        ++shooter.failures;
        return;
    }
    shooter.save(QStringLiteral("treemap"), *scene.window);

    // Hover a cell a little way into the chart, and select another.
    QWidget* chart = view->chart();
    const QPointF at(chart->width() / 3.0, chart->height() / 3.0);
    QMouseEvent move(QEvent::MouseMove, at, chart->mapToGlobal(at), Qt::NoButton, Qt::NoButton, Qt::NoModifier);
    QApplication::sendEvent(chart, &move);
    QApplication::processEvents();
    shooter.save(QStringLiteral("treemap-hover"), *scene.window);
    QTest::mouseClick(chart, Qt::LeftButton, {}, QPoint(chart->width() * 3 / 4, chart->height() * 2 / 3));
    QApplication::processEvents();
    shooter.save(QStringLiteral("treemap-selection"), *scene.window);

    // The highlight of one kind, as the file-type breakdown sets it.
    scene.state->setColorMode(ColorMode::byKind);
    scene.state->setTypeFilter(TypeFilter::category(FileCategory::images));
    settledTreemap(scene);
    shooter.save(QStringLiteral("treemap-type-highlight"), *scene.window);
    scene.state->setTypeFilter(std::nullopt);
    scene.state->setColorMode(ColorMode::byFolder);

    if (NodeRef folder = largestFolder(*scene.state)) {
        scene.state->navigate(folder);
        settledTreemap(scene);
        shooter.save(QStringLiteral("treemap-zoomed"), *scene.window);
    }
    if (NodeRef folder = emptyFolder(scene.state->root())) {
        scene.state->navigate(folder);
        settledTreemap(scene);
        shooter.save(QStringLiteral("treemap-empty-folder"), *scene.window);
    }
}

void writeFile(const QString& path, const QByteArray& bytes) {
    QFile f(path);
    if (f.open(QIODevice::WriteOnly)) f.write(bytes);
}

// The uninstaller on a fixture app with leftovers of several kinds in the XDG folders
// of a fixture home; it looks running, and its Trash refuses the app itself.
class FixtureRunningApps final : public RunningApps {
public:
    std::vector<RunningApp> instances(const std::string&) const override { return {{4242, "/fixture"}}; }
    bool terminate(const RunningApp&) override { return false; }
};

struct UninstallerFixture {
    QTemporaryDir dir;
    std::string root = dir.path().toStdString();
    std::string home = root + "/home";
    std::string appPath = root + "/Applications/Example App.app";
    std::shared_ptr<ManualExecutor> jobs = std::make_shared<ManualExecutor>();

    UninstallerFixture() {
        write(appPath + "/Contents/Info.plist",
              "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<plist version=\"1.0\"><dict>"
              "<key>CFBundleIdentifier</key><string>com.example.app</string>"
              "<key>CFBundleName</key><string>Example App</string>"
              "<key>CFBundleExecutable</key><string>Example</string>"
              "<key>CFBundleIconFile</key><string>AppIcon</string></dict></plist>\n");
        drawIcon(appPath + "/Contents/Resources/AppIcon.png");
        write(appPath + "/Contents/MacOS/Example", QByteArray(60'000, 'x'));
        write(home + "/.config/Example App/settings.ini", QByteArray(4'000, 'x'));
        write(home + "/.cache/com.example.app/Cache.db", QByteArray(900'000, 'x'));
        write(home + "/.local/share/Example App/data.sqlite", QByteArray(2'400'000, 'x'));
        write(home + "/.local/share/Example/settings.json", QByteArray(2'000, 'x'));
        write(home + "/.local/state/Example App/session.log", QByteArray(12'000, 'x'));
        write(home + "/.var/app/com.example.app/data/state.db", QByteArray(30'000, 'x'));
        write(home + "/.config/autostart/com.example.app.desktop", QByteArray(600, 'x'));
    }
    static void write(const std::string& path, const QByteArray& bytes) {
        QDir().mkpath(QFileInfo(QString::fromStdString(path)).path());
        writeFile(QString::fromStdString(path), bytes);
    }
    // A rounded square with a note, as an app's own picture.
    static void drawIcon(const std::string& path) {
        QImage icon(256, 256, QImage::Format_ARGB32_Premultiplied);
        icon.fill(Qt::transparent);
        QPainter p(&icon);
        p.setRenderHint(QPainter::Antialiasing);
        QLinearGradient fill(0, 0, 0, 256);
        fill.setColorAt(0, QColor(255, 184, 76));
        fill.setColorAt(1, QColor(242, 112, 52));
        p.setPen(Qt::NoPen);
        p.setBrush(fill);
        p.drawRoundedRect(QRectF(16, 16, 224, 224), 52, 52);
        p.setBrush(Qt::white);
        p.drawEllipse(QPointF(104, 170), 30, 24);
        p.drawRect(QRectF(124, 64, 12, 108));
        p.drawRect(QRectF(124, 64, 52, 14));
        p.end();
        QDir().mkpath(QFileInfo(QString::fromStdString(path)).path());
        icon.save(QString::fromStdString(path));
    }

    std::shared_ptr<UninstallSession> session(UninstallSession::Mode mode, bool searched) {
        UninstallServices services;
        services.executor = jobs;
        services.registry = std::make_shared<FolderAppRegistry>(std::vector<std::string>{});
        services.runningApps = std::make_shared<FixtureRunningApps>();
        services.clock = std::make_shared<TimerClock>();
        services.trash = [this](const std::vector<std::string>& urls) {
            ItemTrasher::Result result;
            for (const std::string& url : urls) {
                if (url == appPath) result.failures.push_back({url, "Permission denied"});
                else result.trashed.push_back(url);
            }
            return result;
        };
        services.postAppsHandled = [](const std::vector<AppBundleInfo>&) {};
        services.searchRoots = RemnantSearchRoots::userFoldersOf(home);
        auto made = std::make_shared<UninstallSession>(*AppBundleInfo::read(appPath), mode, services);
        if (searched) {
            made->start();
            runJobs();
        }
        return made;
    }
    void runJobs() {
        do {
            jobs->runAll();
            QApplication::processEvents();
        } while (jobs->pendingCount() > 0);
    }
};

// The app's icon is read in the background: each picture shows it.
void showWithIcon(UninstallerView& view) {
    view.show();
    QElapsedTimer waited;
    waited.start();
    while (view.isReadingIcon() && waited.elapsed() < 5000) QApplication::processEvents();
}

void shootUninstaller(Shooter& shooter) {
    UninstallerFixture fixture;
    {
        UninstallerView searching(fixture.session(UninstallSession::Mode::uninstall, false));
        showWithIcon(searching);
        shooter.save(QStringLiteral("uninstaller-searching"), searching);
        fixture.runJobs();
        shooter.save(QStringLiteral("uninstaller-results"), searching);
        searching.session().moveToTrash();
        QApplication::processEvents();
        shooter.save(QStringLiteral("uninstaller-finished-with-problems"), searching);
    }
    {
        UninstallerView collector(fixture.session(UninstallSession::Mode::collector, true));
        showWithIcon(collector);
        shooter.save(QStringLiteral("uninstaller-collector"), collector);
    }
    {
        QDir(QString::fromStdString(fixture.home)).removeRecursively();
        UninstallerView empty(fixture.session(UninstallSession::Mode::uninstall, true));
        showWithIcon(empty);
        shooter.save(QStringLiteral("uninstaller-nothing-found"), empty);
    }
}

void shootAll(Shooter& shooter, const std::string& tree, const QString& samples) {
    {
        Scene scene;
        shooter.save(QStringLiteral("home"), *scene.window);
    }
    shootHome(shooter, tree);
    {
        Scene scene;
        scene.state->startScan(tree);
        QApplication::processEvents();
        // The screen's look at the disk (what the target is, for its icon); the scan itself stays waiting.
        scene.utility->runAll();
        QApplication::processEvents();
        // The animated screen held still, so that every run draws the same picture.
        if (auto* progress = qobject_cast<ScanProgressView*>(scene.window->rootView()->progressScreen())) {
            progress->setFixedTime(95.3);
        }
        shooter.save(QStringLiteral("scanning"), *scene.window);
    }
    {
        Scene scene;
        scene.state->startScan(tree + "/no such folder");
        scene.settle();
        shooter.save(QStringLiteral("failed"), *scene.window);
    }
    {
        Scene scene;
        scene.state->startScan(tree);
        scene.settle();
        shooter.save(QStringLiteral("results"), *scene.window);
        scene.state->setShowInspector(false);
        QApplication::processEvents();
        shooter.save(QStringLiteral("results-no-inspector"), *scene.window);
        scene.state->goHome();
        scene.settle();
        shooter.save(QStringLiteral("home-with-results"), *scene.window);
        scene.state->backToResults();
        QApplication::processEvents();

        ResultsView* results = scene.window->rootView()->resultsView();
        for (const char* sample : {"notes.txt", "picture.png"}) {
            scene.state->setQuickLookURL((samples + QLatin1Char('/') + QLatin1String(sample)).toStdString());
            scene.settle();
            if (results && results->previewWindow()) {
                QString name = QStringLiteral("preview-") + QString::fromLatin1(sample).section(QLatin1Char('.'), 0, 0);
                shooter.save(name, *results->previewWindow());
            }
        }
        scene.state->setQuickLookURL(tree);
        scene.settle();
        if (results && results->previewWindow()) shooter.save(QStringLiteral("preview-facts"), *results->previewWindow());
        const std::string archive = (samples + QStringLiteral("/archive.tar.gz")).toStdString();
        scene.state->setQuickLookURL(archive);
        scene.settle();
        // The file's own icon is looked up in the background.
        QElapsedTimer looked;
        looked.start();
        while (!FileIconCache::shared().contains(archive) && looked.elapsed() < 5000) waitFor(scene, 20);
        scene.settle();
        if (results && results->previewWindow())
            shooter.save(QStringLiteral("preview-file-facts"), *results->previewWindow());
    }
    shootUninstaller(shooter);
    shootOutline(shooter, tree);
    shootOutlineColumns(shooter, tree);
    shootLongNames(shooter);
    shootShortAndDeepNames(shooter);
}

// The sunburst in its states: root, zoomed, hovered with a selection, a collected
// item, the hidden space of a whole-volume scan, and a type highlight. Changes are
// shown without their animation.
void shootSunburst(Shooter& shooter, const std::string& tree) {
    Scene scene;
    scene.state->startScan(tree);
    scene.settle();
    ResultsView* results = scene.window->rootView()->resultsView();
    auto* chart = results ? qobject_cast<SunburstView*>(results->chart()) : nullptr;
    if (!chart) {
        std::fprintf(stderr, "plenwick-shots: no sunburst\n");
        ++shooter.failures;
        return;
    }
    chart->setReduceMotion(true);
    AppState& state = *scene.state;
    const NodeRef root = state.root();
    NodeRef folder, item;
    for (const NodeRef& child : root->children())
        if (child->isContainer() && child->childCount() > 0) {
            folder = child;
            break;
        }
    shooter.save(QStringLiteral("sunburst-root"), *scene.window);
    if (folder) {
        state.navigate(folder);
        scene.settle();
        shooter.save(QStringLiteral("sunburst-zoomed"), *scene.window);
        item = folder->children()[0];
        state.select(item);
        state.setHovered(folder->children().size() > 1 ? folder->children()[1] : item);
        scene.settle();
        shooter.save(QStringLiteral("sunburst-hover"), *scene.window);
        state.setHovered(NodeRef());
        state.select(NodeRef());
        state.goBack();
        state.syncCollector({folder});
        scene.settle();
        shooter.save(QStringLiteral("sunburst-collected"), *scene.window);
        state.syncCollector({});
    }
    // A whole-volume scan whose volume has as much again in use as the tree holds.
    VolumeInfo volume;
    volume.url = root->url();
    volume.name = "Fixture";
    volume.totalCapacity = root->size() * 3;
    volume.availableCapacity = root->size();
    state.setScanVolume(volume);
    scene.settle();
    shooter.save(QStringLiteral("sunburst-hidden"), *scene.window);
    state.setColorMode(ColorMode::byKind);
    state.setTypeFilter(TypeFilter::category(FileCategory::images));
    scene.settle();
    shooter.save(QStringLiteral("sunburst-highlight"), *scene.window);
}

// A Trash that moves nothing on disk, so that the shots can prune the tree.
void fakeTrash(AppEnvironment& env) {
    env.trash.trashItem = [](const std::string& path) -> std::optional<std::string> { return path; };
    env.trash.trashItems = [](const std::vector<std::string>& paths) { return ItemTrasher::Result{paths, {}}; };
    env.trash.readBundle = [](const std::string&, std::stop_token) -> std::optional<AppBundleInfo> { return std::nullopt; };
    env.trash.postAppsHandled = [](const std::vector<AppBundleInfo>&) {};
}

// The largest items of the tree's folders, for the collector: the first `count`
// children of the root's largest folders, folders and files mixed.
std::vector<NodeRef> someItems(const NodeRef& root, std::size_t count) {
    std::vector<NodeRef> items;
    for (const NodeRef& folder : root->children()) {
        if (!folder->isContainer()) continue;
        for (const NodeRef& child : folder->children()) {
            items.push_back(child);
            break;
        }
        if (items.size() == count) break;
    }
    return items;
}

// The collector bar in its three layouts, its items list, the confirm sheet, the
// results after a move to the Trash with the freed badge, the single-item trash
// confirmation and the leftover offer for a collected app.
void shootCollector(Shooter& shooter, const std::string& tree) {
    {
        Scene scene({}, {}, fakeTrash);
        scene.state->startScan(tree);
        scene.settle();
        AppState& state = *scene.state;
        const std::vector<NodeRef> items = someItems(state.root(), 5);
        state.addToCollector(items);
        if (items.size() > 2) state.select(items[items.size() - 2]); // its chip lights up
        scene.settle();
        waitFor(scene, 500); // the chart crossfades to the collected stripes
        shooter.save(QStringLiteral("collector-results"), *scene.window);
        for (const CollectorBarLayout layout :
             {CollectorBarLayout::wide, CollectorBarLayout::medium, CollectorBarLayout::compact}) {
            CollectorView bar(state);
            const int width = layout == CollectorBarLayout::wide     ? 900
                              : layout == CollectorBarLayout::medium ? bar.mediumMinimumWidth() + 40
                                                                     : 320;
            const char* name = layout == CollectorBarLayout::wide     ? "collector-wide"
                               : layout == CollectorBarLayout::medium ? "collector-medium"
                                                                      : "collector-compact";
            bar.resize(width, CollectorView::kHeight);
            bar.show();
            QApplication::processEvents();
            if (bar.layoutShown() != layout) {
                std::fprintf(stderr, "plenwick-shots: %s shows another layout\n", name);
                ++shooter.failures;
            }
            shooter.save(QString::fromLatin1(name), bar);
        }
        ResultsView* results = scene.window->rootView()->resultsView();
        auto* bar = results ? qobject_cast<CollectorView*>(results->collectorBar()) : nullptr;
        if (!bar) {
            std::fprintf(stderr, "plenwick-shots: no collector bar\n");
            ++shooter.failures;
            return;
        }
        bar->setShowItems(true);
        QApplication::processEvents();
        if (bar->itemsList()) shooter.save(QStringLiteral("collector-items"), *bar->itemsList());
        bar->setShowItems(false);
        bar->requestDelete();
        QApplication::processEvents();
        if (bar->confirmSheet()) shooter.save(QStringLiteral("collector-confirm"), *bar->confirmSheet());
        if (auto* chart = qobject_cast<SunburstView*>(results->chart())) chart->setReduceMotion(true);
        bar->confirmTrash();
        scene.settle();
        waitFor(scene, 400); // the freed badge fades in
        shooter.save(QStringLiteral("collector-after-trash"), *scene.window);

        // One item awaiting the Trash.
        for (const NodeRef& child : state.root()->children())
            if (child->isContainer()) {
                state.setPendingTrash(child);
                break;
            }
        QApplication::processEvents();
        if (QMessageBox* box = results->questions()->trashConfirmation()) {
            shooter.save(QStringLiteral("trash-confirmation"), *box);
            results->questions()->cancelTrash();
        }
    }
    {
        // A folder with an app in it: collecting the app offers to look for its leftovers.
        QTemporaryDir folder;
        const QString app = folder.filePath(QStringLiteral("Example.app/Contents"));
        QDir().mkpath(app + QStringLiteral("/MacOS"));
        writeFile(app + QStringLiteral("/Info.plist"),
                  "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<plist version=\"1.0\"><dict>"
                  "<key>CFBundleIdentifier</key><string>com.example.app</string>"
                  "<key>CFBundleName</key><string>Example</string></dict></plist>\n");
        writeFile(app + QStringLiteral("/MacOS/Example"), QByteArray(200000, 'x'));
        writeFile(folder.filePath(QStringLiteral("notes.txt")), QByteArray(40000, 'n'));
        Scene scene({}, {}, fakeTrash);
        scene.state->startScan(folder.path().toStdString());
        scene.settle();
        AppState& state = *scene.state;
        if (NodeRef bundle = state.nodeForURL(folder.filePath(QStringLiteral("Example.app")).toStdString()))
            state.addToCollector({bundle});
        QApplication::processEvents();
        ResultsView* results = scene.window->rootView()->resultsView();
        if (QMessageBox* box = results ? results->questions()->leftoverOffer() : nullptr)
            shooter.save(QStringLiteral("leftover-offer"), *box);
        else {
            std::fprintf(stderr, "plenwick-shots: no leftover offer\n");
            ++shooter.failures;
        }
    }
}

InspectorView* inspectorOf(Scene& scene) {
    ResultsView* results = scene.window->rootView()->resultsView();
    return results ? qobject_cast<InspectorView*>(results->inspector()) : nullptr;
}

// The inspector: the scan's root, a folder, a file and an unreadable folder; the
// breakdown by kind and by extension with a row highlighted; a node's context menu.
void shootInspector(Shooter& shooter, const std::string& tree) {
    {
        Scene scene;
        scene.state->startScan(tree);
        scene.settle();
        AppState& state = *scene.state;
        const NodeRef root = state.root();
        VolumeInfo volume;
        volume.url = root->url();
        volume.name = "Fixture";
        volume.totalCapacity = root->size() * 4;
        volume.availableCapacity = root->size() * 2;
        state.setScanVolume(volume);
        scene.settle();
        InspectorView* inspector = inspectorOf(scene);
        if (!inspector) {
            std::fprintf(stderr, "plenwick-shots: no inspector\n");
            ++shooter.failures;
            return;
        }
        shooter.save(QStringLiteral("inspector-root"), *inspector);
        NodeRef folder, item;
        for (const NodeRef& child : root->children())
            if (child->isContainer() && child->childCount() > 1) {
                folder = child->children()[0]->isContainer() ? child->children()[0] : child;
                break;
            }
        if (folder) {
            state.select(folder);
            scene.settle();
            shooter.save(QStringLiteral("inspector-folder"), *inspector);
            for (const NodeRef& child : folder->children())
                if (!child->isContainer()) {
                    item = child;
                    break;
                }
        }
        if (item) {
            state.select(item);
            scene.settle();
            shooter.save(QStringLiteral("inspector-file"), *inspector);
        }
        state.select(NodeRef());
        FileTypesView* types = inspector->fileTypes();
        if (!types->rows().empty()) {
            types->toggleHighlight(types->rows()[std::min<std::size_t>(1, types->rows().size() - 1)]);
            waitFor(scene, FileTypesView::kHighlightSlideMs + 60); // the highlight bar slides in
            shooter.save(QStringLiteral("inspector-kinds-highlight"), *inspector);
            types->toggleHighlight(types->rows()[std::min<std::size_t>(1, types->rows().size() - 1)]);
            types->setSegment(FileTypesSegment::extensions);
            types->toggleHighlight(types->rows()[std::min<std::size_t>(2, types->rows().size() - 1)]);
            waitFor(scene, FileTypesView::kHighlightSlideMs + 60);
            shooter.save(QStringLiteral("inspector-extensions-highlight"), *inspector);
            shooter.save(QStringLiteral("results-highlight"), *scene.window);
            state.setTypeFilter(std::nullopt);
        }
        if (folder) {
            QMenu* menu = showNodeContextMenu(state, folder, scene.window->mapToGlobal(QPoint(400, 300)), scene.window.get());
            scene.settle();
            if (menu) {
                shooter.save(QStringLiteral("context-menu"), *menu);
                menu->close();
            }
        }
    }
    {
        // A scan whose folders include one that could not be read, selected.
        Scene scene;
        NodeRef locked = FileNode::make("Private", FileNode::Kind::inaccessible, 0, 0, 0, 0);
        NodeRef notes = FileNode::make("notes.txt", FileNode::Kind::file, 8192, 5000, 1, 1.7e9);
        NodeRef root = FileNode::make(tree, FileNode::Kind::directory, 8192, 5000, 1, 1.7e9);
        root->setChildren({notes, locked});
        scene.state->finishScan(root, {});
        scene.state->select(locked);
        scene.settle();
        if (InspectorView* inspector = inspectorOf(scene)) {
            shooter.save(QStringLiteral("inspector-unreadable"), *inspector);
            // Reveal where nothing takes the item: no file manager, no xdg-open.
            QTemporaryDir noTools;
            const QByteArray path = qgetenv("PATH");
            qputenv("PATH", QFile::encodeName(noTools.path()));
            scene.state->select(notes);
            scene.settle();
            inspector->details()->revealButton()->click();
            QElapsedTimer waited;
            waited.start();
            while (!scene.window->rootView()->errorAlert() && waited.elapsed() < 5000) QApplication::processEvents();
            qputenv("PATH", path);
            if (QMessageBox* alert = scene.window->rootView()->errorAlert()) shooter.save(QStringLiteral("reveal-failed"), *alert);
            else {
                std::fprintf(stderr, "plenwick-shots: no alert for a failed reveal\n");
                ++shooter.failures;
            }
        }
    }
}

// A folder fourteen levels down: the path bar keeps the folder on view whole; its
// file with a long name of underscores in the inspector, beside the kinds of a
// folder of sources in 22 types; at the default and at the smallest size.
void shootDeepPath(Shooter& shooter) {
    std::vector<NodeRef> sources;
    for (const char* ext : {"c", "h", "cpp", "hpp", "cc", "py", "rs", "go", "js", "ts", "java", "kt", "swift", "rb",
                            "pl", "php", "cs", "m", "mm", "sh", "lua", "r"})
        sources.push_back(file(std::string("module_") + ext + "." + ext, (3 + sources.size()) * MB));
    sources.push_back(file("generated_register_definitions_for_the_x86_64_architecture_with_every_model_specific_"
                           "register_and_its_bit_fields_spelled_out_in_full.h",
                           90 * MB));
    NodeRef node = folder("x86_64-linux-gnu_generated_headers", std::move(sources));
    for (const char* name : {"asm", "uapi", "generated", "include", "x86", "arch", "linux-headers-6.1.0-18-amd64",
                             "src", "kernel-sources", "builds", "nightly", "ci-artifacts", "shared", "srv"})
        node = folder(name, {node});
    Scene scene;
    scene.state->finishScan(node, AppState::computeTypeStats(node));
    scene.settle();
    NodeRef focus = node;
    while (focus->childCount() == 1) focus = focus->children()[0];
    scene.state->navigate(focus);
    scene.state->select(focus->children()[0]);
    scene.settle();
    shooter.save(QStringLiteral("results-deep-path"), *scene.window);
    if (InspectorView* inspector = inspectorOf(scene)) shooter.save(QStringLiteral("inspector-long-name"), *inspector);
    scene.window->resize(MainWindow::kMinimumWidth, MainWindow::kMinimumHeight);
    scene.settle();
    shooter.save(QStringLiteral("min-results-deep-path"), *scene.window);
}

// Every screen of the main window at its smallest size: home, scanning, failure, and
// the results with the sidebar, the inspector and a collector bar full of chips.
void shootMinimumSize(Shooter& shooter, const std::string& tree) {
    const QSize smallest(MainWindow::kMinimumWidth, MainWindow::kMinimumHeight);
    auto shrink = [&](Scene& scene) {
        scene.window->resize(smallest);
        scene.settle();
    };
    {
        Scene scene(sampleVolumes(), sampleRecentScans(tree));
        shrink(scene);
        shooter.save(QStringLiteral("min-home"), *scene.window);
    }
    {
        Scene scene;
        shrink(scene);
        scene.state->startScan(tree);
        QApplication::processEvents();
        if (auto* progress = qobject_cast<ScanProgressView*>(scene.window->rootView()->progressScreen()))
            progress->setFixedTime(95.3);
        shooter.save(QStringLiteral("min-scanning"), *scene.window);
    }
    {
        Scene scene;
        shrink(scene);
        scene.state->startScan(tree + "/no such folder");
        scene.settle();
        shooter.save(QStringLiteral("min-failed"), *scene.window);
    }
    {
        Scene scene;
        shrink(scene);
        scene.state->startScan(tree);
        scene.settle();
        shooter.save(QStringLiteral("min-results"), *scene.window);
        scene.state->addToCollector(someItems(scene.state->root(), 5));
        scene.settle();
        waitFor(scene, 500); // the chart crossfades to the collected stripes
        shooter.save(QStringLiteral("min-collector"), *scene.window);
        scene.state->setVisualization(Visualization::treemap);
        settledTreemap(scene);
        shooter.save(QStringLiteral("min-treemap"), *scene.window);
    }
}

} // namespace

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    if (argc < 3) {
        std::fprintf(stderr, "usage: plenwick-shots OUTDIR TREE\n");
        return 2;
    }
    QApplication::setStyle(QStyleFactory::create(QStringLiteral("Fusion")));
    useDefaultIconThemeWhereNoneIsSet();
    // Pictures of settled screens: nothing caught halfway through its animation.
    MotionPreference::shared().setOverride(true);
    const QString outDir = QString::fromLocal8Bit(argv[1]);
    QDir().mkpath(outDir);
    const std::string tree = argv[2];

    // Sample files for the preview window.
    QTemporaryDir samples;
    writeFile(samples.filePath(QStringLiteral("notes.txt")),
              "Plenwick preview\n\nA text file shows its first half megabyte,\nin the fixed-width font.\n");
    QImage picture(480, 320, QImage::Format_RGB32);
    {
        QPainter p(&picture);
        QLinearGradient g(0, 0, 480, 320);
        g.setColorAt(0, QColor(64, 156, 255));
        g.setColorAt(1, QColor(120, 90, 230));
        p.fillRect(picture.rect(), g);
        p.setBrush(QColor(255, 255, 255, 160));
        p.setPen(Qt::NoPen);
        p.drawEllipse(QPointF(240, 160), 90, 90);
    }
    picture.save(samples.filePath(QStringLiteral("picture.png")));
    // A file the preview can neither draw nor read: its facts under its own icon.
    writeFile(samples.filePath(QStringLiteral("archive.tar.gz")), QByteArray::fromHex("1f8b0800000000000003") + QByteArray(64, '\0'));

    const int scale = qRound(app.devicePixelRatio());
    int failures = 0;
    for (bool dark : {false, true}) {
        QApplication::setPalette(dark ? darkPalette() : lightPalette());
        Shooter shooter{outDir, QString::fromLatin1(dark ? "dark" : "light") + QLatin1Char('-') + QString::number(scale) +
                                    QLatin1Char('x')};
        shootAll(shooter, tree, samples.path());
        shootSunburst(shooter, tree);
        shootCollector(shooter, tree);
        shootTreemap(shooter, tree);
        shootInspector(shooter, tree);
        shootDeepPath(shooter);
        shootMinimumSize(shooter, tree);
        shootStartupItems([&shooter](const QString& name, QWidget& widget) { shooter.save(name, widget); });
        {
            UninstallerFixture leftovers;
            shootHelper([&shooter](const QString& name, QWidget& widget) { shooter.save(name, widget); },
                        [&leftovers] { return leftovers.session(UninstallSession::Mode::afterTrash, true); });
        }
        shootSettings([&shooter](const QString& name, QWidget& widget) { shooter.save(name, widget); });
        failures += shooter.failures;
    }
    return failures == 0 ? 0 : 1;
}
