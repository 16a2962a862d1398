#pragma once

#include <QList>
#include <QUrl>
#include <QWidget>
#include <functional>

#include "model/TavixModel.hpp"

class QSplitter;
class QTableView;

namespace tavix::ui {

class EditorPane;
class EmptyState;
class Inspector;
class PlanTableModel;
class PreviewControls;
class StatusBar;

// The whole content of the main window. Lays out, side by side in a split view,
// the steps pane and the preview pane: the file table (covered by the empty state
// while no file is listed), the file controls, the inspector while it is shown,
// and the status bar. The model is the window's; it must outlive the view.
//
// File URLs dragged anywhere over the split view are accepted; while one hovers,
// the preview pane is outlined in the brand colour. A drop adds the dropped
// local files in their order, once the drop itself has returned.
class ContentView : public QWidget {
    Q_OBJECT
public:
    explicit ContentView(TavixModel& model, QWidget* parent = nullptr);
    ~ContentView() override;

    TavixModel& model() { return model_; }
    QTableView* table() const { return table_; }
    PlanTableModel* tableModel() const { return tableModel_; }
    // True while a drag carrying files hovers over the content.
    bool isDropTargeted() const { return dropTargeted_; }

    // Adds files handed to the window, dropped or named on the command line: in
    // their order, skipping what the model's `add` skips, as one addition.
    void takeFiles(std::vector<Location> files);

    // Gives the focus to the file table, or to "Add Files…" while the list is
    // empty: where it goes after a command whose control went away.
    void focusTable();
    // Replaces what "Show in File Manager" calls (the desktop's file manager).
    void setFileShower(std::function<void(const QList<QUrl>&)> show) { showFiles_ = std::move(show); }

    // The bar at the foot of the preview.
    StatusBar* statusBar() const { return statusBar_; }

    // The steps pane: its list, and the form of the selected step.
    EditorPane* editorPane() const { return editorPane_; }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    // Tab and Shift+Tab go from control to control in the order the panes show
    // them; the file table and the steps list are one stop each.
    bool focusNextPrevChild(bool next) override;

private:
    using Field = TavixModel::Field;

    QWidget* buildPreviewPane();
    void setUpTable();
    void changed(Field field);
    void showColumns();
    void fitColumns();
    void showTableFocus();
    void showInspector();
    void showSelection();
    void tableSelectionChanged();
    // The table's context menu for the row at `at`: "Show in File Manager".
    void showRowMenu(const QPoint& at);
    bool handleDrag(QWidget* target, QEvent* event);
    void setDropTargeted(bool on);

    TavixModel& model_;
    TavixModel::Subscription subscription_;
    QSplitter* splitter_ = nullptr;
    EditorPane* editorPane_ = nullptr;
    QWidget* previewPane_ = nullptr;
    QTableView* table_ = nullptr;
    PlanTableModel* tableModel_ = nullptr;
    EmptyState* emptyState_ = nullptr;
    PreviewControls* controls_ = nullptr;
    QWidget* inspectorDivider_ = nullptr;
    Inspector* inspector_ = nullptr;
    StatusBar* statusBar_ = nullptr;
    QWidget* outline_ = nullptr;
    bool inspectorShown_ = false;
    bool dropTargeted_ = false;
    // Set while the table's selection is being made to match the model, so the
    // table's own signal isn't taken for the user's choice.
    bool syncingSelection_ = false;
    std::function<void(const QList<QUrl>&)> showFiles_;
};

}  // namespace tavix::ui
