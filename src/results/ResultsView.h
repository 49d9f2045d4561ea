#pragma once
// The results screen: the outline in a sidebar, and beside it the main column
// (breadcrumb bar, chart, collector bar) with the inspector column at its trailing
// side. It also binds the preview window to the state's preview item.
//
// Each pane the later parts of the program supply is made in one function below;
// until then a placeholder stands in its place.

#include "results/InspectorColumnWidth.h"
#include "results/PreviewWindow.h"
#include "scanner/FileNode.h"

#include <QPointer>
#include <QWidget>

class QSplitter;
class QVariantAnimation;
class QVBoxLayout;

namespace plenwick {

class AppState;
class BreadcrumbBar;
class DividerSplitter;
class ResultsQuestions;
class InspectorSplitter;


class ResultsView final : public QWidget {
    Q_OBJECT

public:
    explicit ResultsView(AppState& state, QWidget* parent = nullptr);
    ~ResultsView() override;

    // The root this screen was built for; a new root gets a new screen.
    const FileNode* builtFor() const { return builtFor_; }

    BreadcrumbBar* breadcrumbBar() const { return breadcrumb_; }
    QWidget* sidebar() const { return sidebar_; }
    QWidget* chart() const { return chart_; }
    QWidget* collectorBar() const { return collectorBar_; }
    QWidget* inspector() const { return inspector_; }
    // The inspector's column, including while it slides in or out.
    QWidget* inspectorColumn() const { return inspectorColumn_; }
    bool isInspectorSliding() const;
    PreviewWindow* previewWindow() const { return preview_; }
    // The leftover offer and the trash confirmation.
    ResultsQuestions* questions() const { return questions_; }
    // The splitter whose handle resizes the inspector.
    InspectorSplitter* detailSplitter() const { return detail_; }
    const InspectorColumnWidth& inspectorWidthModel() const { return inspectorWidthModel_; }

    bool isSidebarVisible() const;
    void setSidebarVisible(bool visible);

    // The sidebar's widths. The width the user drags it to is kept in the preferences,
    // so that it outlasts rescans, new scans and restarts.
    static constexpr int kSidebarMinimum = 200, kSidebarIdeal = 270, kSidebarMaximum = 520;
    // The chart's room that a narrow window keeps by narrowing the sidebar first (not
    // below its minimum); the sidebar's own width comes back as the window widens.
    static constexpr int kChartRoom = 400;
    static const StoredColumnWidth& sidebarWidth();
    // The splitter between the sidebar and the rest.
    QSplitter* sidebarSplitter() const;
    static constexpr int kInspectorDefaultWidth = static_cast<int>(InspectorColumnWidth::defaultWidth);
    static constexpr int kInspectorSlideMs = 220;

protected:
    void resizeEvent(QResizeEvent* event) override;

private:
    // Gives the sidebar its stored width, or less where the chart would otherwise get
    // less than its room.
    void fitSidebar();
    // The panes of later parts of the program: each replaces its placeholder here.
    QWidget* makeSidebar();
    QWidget* makeChart();
    QWidget* makeCollectorBar();
    QWidget* makeInspector();

    void onChanged(quint64 fields);
    void replaceChart();
    void showInspector(bool shown, bool animated);
    void setInspectorWidth(int width);
    void applyStoredInspectorWidth();
    void showContextMenu(const NodeRef& node, QPoint globalPos);
    void showTreemapContextMenu(const NodeRef& node, const NodeRef& folder, QPoint globalPos);
    void syncPreview();

    AppState& state_;
    const FileNode* builtFor_;
    DividerSplitter* outer_;
    InspectorSplitter* detail_;
    QWidget* sidebar_;
    QVBoxLayout* mainColumnLayout_;
    BreadcrumbBar* breadcrumb_;
    QWidget* chart_;
    QWidget* collectorBar_;
    QWidget* inspectorColumn_;
    QWidget* inspector_;
    InspectorColumnWidth inspectorWidthModel_;
    int inspectorWidth_ = kInspectorDefaultWidth;
    QVariantAnimation* slide_ = nullptr;
    QPointer<PreviewWindow> preview_;
    ResultsQuestions* questions_ = nullptr;
};

} // namespace plenwick
