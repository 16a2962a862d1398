#pragma once

#include <QKeySequence>
#include <QObject>
#include <QPointer>
#include <vector>

#include "model/TavixModel.hpp"

class QAction;
class QMainWindow;
class QMenu;

namespace tavix::ui {

class ContentView;
class HistoryDialog;

// The window's menu bar, with Qt's standard keys:
//   File   Add Files… (Ctrl+O), History… (HistoryDialog), Close Window, Quit; no
//          command opens a second window.
//   Edit   Undo, Redo, Cut, Copy, Paste, Delete, Select All on the focused text
//          field; Delete in the file table removes the selected file, in the steps
//          list the selected step; Undo Renames, enabled exactly while the status
//          bar shows "Undo".
//   Steps  Add Step, Remove Step, Move Step Up (Alt+Up), Move Step Down (Alt+Down);
//          Save Steps as Preset…, Load Preset ▸ (PresetMenu).
//   Help   About Tavix: the version and the licence.
// After each command the focus goes where the work continues: the file table
// after files were added, renames undone or the history closed, the steps list
// after a step moved.
// Each menu and its sections carry object names, so more items can join them.
// The menus belong to the window; this object, which fills and updates them,
// must go before the model and the content it was given.
class WindowMenus : public QObject {
    Q_OBJECT
public:
    WindowMenus(QMainWindow& window, TavixModel& model, ContentView& content);

    QMenu* fileMenu() const { return file_; }
    QMenu* editMenu() const { return edit_; }
    QMenu* stepsMenu() const { return steps_; }
    QMenu* helpMenu() const { return help_; }

    // Brings every item's enabled state up to date with the focus and the model.
    void refresh();

    // Opens the history over the window, modal to it, without waiting for it to
    // close; when it is open already it is brought to the front. Returns it.
    HistoryDialog* showHistory();

private:
    enum class EditCommand { undo, redo, cut, copy, paste, remove, selectAll };

    void watchField();
    void buildFile();
    void buildEdit();
    void buildSteps();
    void buildHelp();
    QAction* editAction(const QString& text, const char* name, QKeySequence::StandardKey key,
                        EditCommand command);
    void runEdit(EditCommand command);
    bool canEdit(EditCommand command) const;
    // The offset of the selected step, or -1.
    int selectedStep() const;
    void moveStep(int by);
    void showAbout();

    QMainWindow& window_;
    TavixModel& model_;
    ContentView& content_;
    TavixModel::Subscription subscription_;
    QMenu* file_ = nullptr;
    QMenu* edit_ = nullptr;
    QMenu* steps_ = nullptr;
    QMenu* help_ = nullptr;
    std::vector<std::pair<EditCommand, QAction*>> editActions_;
    std::vector<QMetaObject::Connection> fieldConnections_;
    QAction* undoRenames_ = nullptr;
    QAction* removeStep_ = nullptr;
    QAction* moveUp_ = nullptr;
    QAction* moveDown_ = nullptr;
    QPointer<HistoryDialog> history_;
};

}  // namespace tavix::ui
