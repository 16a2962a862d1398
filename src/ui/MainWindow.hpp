#pragma once

#include <QMainWindow>
#include <QStringList>
#include <functional>
#include <memory>

#include "model/TavixModel.hpp"
#include "ui/ContentView.hpp"

namespace tavix::ui {

class WindowMenus;
class WorkProgress;

// The size a window opens at: 1100 × 700, within `available` (the screen's
// area less its panels), and never below `minimum`, which wins on a small screen.
QSize openingSize(QSize available, QSize minimum);

// What the window asks for files with: shows an open dialog titled `title` over
// `parent`, for one file or, with `multiple`, several (never folders), and
// returns the chosen files' paths in the dialog's order; none on cancel.
using FilePicker =
    std::function<QStringList(QWidget& parent, const QString& title, bool multiple)>;
// The desktop's open dialog.
QStringList pickWithDialog(QWidget& parent, const QString& title, bool multiple);

// The application's one window. It owns the window's model, gives it the open
// dialog (`picker`, by default pickWithDialog), and shows it through a ContentView. It opens at `openingSize` of its
// screen and can't be made smaller than the content's minimum size. Its menus
// are WindowMenus; none opens a second window. Long work shows its progress
// (WorkProgress). Closing the window quits the application.
class MainWindow : public QMainWindow {
    Q_OBJECT
public:
    explicit MainWindow(FilePicker picker = pickWithDialog, QWidget* parent = nullptr);
    ~MainWindow() override;

    TavixModel& model() { return model_; }
    ContentView* content() { return &content_; }
    WindowMenus* menus() const { return menus_.get(); }
    WorkProgress* progress() const { return progress_.get(); }

Q_SIGNALS:
    // Emitted once, as soon as the event loop runs after the window was made:
    // where work that belongs after launch (the update check) is started.
    void launchFinished();

private:
    std::vector<Location> chooseFiles(const TavixModel::FileChooserRequest& request);

    FilePicker picker_;
    // Declared in this order, the views die before the model they hold.
    TavixModel model_;
    ContentView content_;
    // Goes first: it observes the model and reaches into the content.
    std::unique_ptr<WindowMenus> menus_;
    // Listens to the model's progress and draws into the content's status bar.
    std::unique_ptr<WorkProgress> progress_;
};

}  // namespace tavix::ui
