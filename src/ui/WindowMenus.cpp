#include "ui/WindowMenus.hpp"

#include <QAbstractItemView>
#include <QAction>
#include <QApplication>
#include <QClipboard>
#include <QComboBox>
#include <QLineEdit>
#include <QListView>
#include <QMainWindow>
#include <QMenuBar>
#include <QMessageBox>
#include <QTableView>

#include "ui/ActionForm.hpp"
#include "ui/ContentView.hpp"
#include "ui/EditorPane.hpp"
#include "ui/HistoryDialog.hpp"
#include "ui/PresetMenu.hpp"
#include "update/Version.hpp"

namespace tavix::ui {
namespace {

QLineEdit* focusedField() {
    auto* field = qobject_cast<QLineEdit*>(QApplication::focusWidget());
    return field != nullptr && field->isEnabled() ? field : nullptr;
}

// The item view that holds the focus, itself or through its viewport.
bool hasFocus(const QAbstractItemView* view) {
    const QWidget* focus = QApplication::focusWidget();
    return focus != nullptr && (focus == view || view->isAncestorOf(focus));
}

}  // namespace

WindowMenus::WindowMenus(QMainWindow& window, TavixModel& model, ContentView& content)
    : window_(window), model_(model), content_(content) {
    setObjectName(QStringLiteral("windowMenus"));
    buildFile();
    buildEdit();
    buildSteps();
    buildHelp();
    connect(qApp, &QApplication::focusChanged, this, &WindowMenus::watchField);
    subscription_ = model_.observe([this](TavixModel::Field field) {
        using Field = TavixModel::Field;
        if (field == Field::rules || field == Field::selection || field == Field::lastMoves ||
            field == Field::files || field == Field::previewSelection) {
            refresh();
        }
    });
    refresh();
}

void WindowMenus::buildFile() {
    file_ = window_.menuBar()->addMenu(QStringLiteral("&File"));
    file_->setObjectName(QStringLiteral("fileMenu"));
    QAction* add = file_->addAction(QStringLiteral("&Add Files\u2026"), this, [this] {
        // The focus moves to the table once the dialog has closed.
        model_.addChosenFiles();
    });
    add->setObjectName(QStringLiteral("addFiles"));
    add->setShortcut(QKeySequence::Open);
    QAction* history =
        file_->addAction(QStringLiteral("&History\u2026"), this, &WindowMenus::showHistory);
    history->setObjectName(QStringLiteral("history"));
    // Commands about the list's files and past batches join this section.
    file_->addSeparator()->setObjectName(QStringLiteral("fileSection"));
    // The standard menu, less any way to open a second window: no New Window and
    // nothing bound to Ctrl+N.
    QAction* close = file_->addAction(QStringLiteral("&Close Window"), &window_, &QWidget::close);
    close->setObjectName(QStringLiteral("closeWindow"));
    close->setShortcut(QKeySequence::Close);
    file_->addSeparator();
    QAction* quit =
        file_->addAction(QStringLiteral("&Quit"), qApp, &QApplication::closeAllWindows);
    quit->setObjectName(QStringLiteral("quit"));
    quit->setShortcut(QKeySequence::Quit);
    quit->setMenuRole(QAction::QuitRole);
}

QAction* WindowMenus::editAction(const QString& text, const char* name,
                                 QKeySequence::StandardKey key, EditCommand command) {
    QAction* action = edit_->addAction(text, this, [this, command] { runEdit(command); });
    action->setObjectName(QString::fromLatin1(name));
    action->setShortcut(key);
    editActions_.emplace_back(command, action);
    return action;
}

void WindowMenus::buildEdit() {
    edit_ = window_.menuBar()->addMenu(QStringLiteral("&Edit"));
    edit_->setObjectName(QStringLiteral("editMenu"));
    editAction(QStringLiteral("&Undo"), "undo", QKeySequence::Undo, EditCommand::undo);
    editAction(QStringLiteral("&Redo"), "redo", QKeySequence::Redo, EditCommand::redo);
    edit_->addSeparator();
    editAction(QStringLiteral("Cu&t"), "cut", QKeySequence::Cut, EditCommand::cut);
    editAction(QStringLiteral("&Copy"), "copy", QKeySequence::Copy, EditCommand::copy);
    editAction(QStringLiteral("&Paste"), "paste", QKeySequence::Paste, EditCommand::paste);
    editAction(QStringLiteral("&Delete"), "delete", QKeySequence::Delete, EditCommand::remove);
    edit_->addSeparator();
    editAction(QStringLiteral("Select &All"), "selectAll", QKeySequence::SelectAll,
               EditCommand::selectAll);
    edit_->addSeparator();
    undoRenames_ = edit_->addAction(QStringLiteral("Undo Re&names"), this, [this] {
        if (!model_.canUndo()) return;
        model_.undo();
        content_.focusTable();
    });
    undoRenames_->setObjectName(QStringLiteral("undoRenames"));
    // A menu opened by the mouse shows what the field under the focus can do now.
    connect(edit_, &QMenu::aboutToShow, this, &WindowMenus::refresh);
}

void WindowMenus::buildSteps() {
    steps_ = window_.menuBar()->addMenu(QStringLiteral("&Steps"));
    steps_->setObjectName(QStringLiteral("stepsMenu"));
    QAction* add = steps_->addAction(QStringLiteral("&Add Step"), this, [this] {
        model_.addStep();
        // A new step is blank: its kind is what is chosen next.
        content_.editorPane()->form()->findChild<QComboBox*>(QStringLiteral("categoryMenu"))
            ->setFocus(Qt::OtherFocusReason);
    });
    add->setObjectName(QStringLiteral("addStep"));
    add->setShortcut(QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_A));
    removeStep_ = steps_->addAction(QStringLiteral("&Remove Step"), this, [this] {
        model_.removeSelectedStep();
        content_.editorPane()->list()->setFocus(Qt::OtherFocusReason);
    });
    removeStep_->setObjectName(QStringLiteral("removeStep"));
    removeStep_->setShortcut(QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_Delete));
    steps_->addSeparator();
    moveUp_ = steps_->addAction(QStringLiteral("Move Step &Up"), this, [this] { moveStep(-1); });
    moveUp_->setObjectName(QStringLiteral("moveStepUp"));
    moveUp_->setShortcut(QKeySequence(Qt::ALT | Qt::Key_Up));
    moveDown_ =
        steps_->addAction(QStringLiteral("Move Step &Down"), this, [this] { moveStep(1); });
    moveDown_->setObjectName(QStringLiteral("moveStepDown"));
    moveDown_->setShortcut(QKeySequence(Qt::ALT | Qt::Key_Down));
    // Commands that save or load whole stacks of steps.
    steps_->addSeparator()->setObjectName(QStringLiteral("stackSection"));
    new PresetMenu(*steps_, window_, model_);
}

void WindowMenus::buildHelp() {
    help_ = window_.menuBar()->addMenu(QStringLiteral("&Help"));
    help_->setObjectName(QStringLiteral("helpMenu"));
    QAction* about = help_->addAction(QStringLiteral("&About Tavix"), this, &WindowMenus::showAbout);
    about->setObjectName(QStringLiteral("about"));
    about->setMenuRole(QAction::AboutRole);
}

void WindowMenus::watchField() {
    // What the edit items can do changes with the focused field's text and
    // selection, so they follow that field while it has the focus.
    for (const auto& connection : fieldConnections_) QObject::disconnect(connection);
    fieldConnections_.clear();
    if (QLineEdit* field = focusedField()) {
        fieldConnections_ = {
            connect(field, &QLineEdit::selectionChanged, this, &WindowMenus::refresh),
            connect(field, &QLineEdit::textChanged, this, &WindowMenus::refresh),
            connect(field, &QLineEdit::cursorPositionChanged, this, &WindowMenus::refresh)};
    }
    refresh();
}

void WindowMenus::refresh() {
    for (const auto& [command, action] : editActions_) action->setEnabled(canEdit(command));
    undoRenames_->setEnabled(model_.canUndo());
    const int step = selectedStep();
    const int count = static_cast<int>(model_.rules().size());
    removeStep_->setEnabled(step >= 0);
    moveUp_->setEnabled(step > 0);
    moveDown_->setEnabled(step >= 0 && step + 1 < count);
}

bool WindowMenus::canEdit(EditCommand command) const {
    if (QLineEdit* field = focusedField()) {
        const bool writable = !field->isReadOnly();
        const bool selected = field->hasSelectedText();
        switch (command) {
            case EditCommand::undo:
                return writable && field->isUndoAvailable();
            case EditCommand::redo:
                return writable && field->isRedoAvailable();
            case EditCommand::cut:
                return writable && selected;
            case EditCommand::copy:
                return selected;
            case EditCommand::paste:
                return writable;
            case EditCommand::remove:
                return writable && (selected || field->cursorPosition() < field->text().size());
            case EditCommand::selectAll:
                return !field->text().isEmpty();
        }
    }
    if (command != EditCommand::remove) return false;
    if (hasFocus(content_.table())) return model_.previewSelection().has_value();
    if (hasFocus(content_.editorPane()->list())) return selectedStep() >= 0;
    return false;
}

void WindowMenus::runEdit(EditCommand command) {
    if (!canEdit(command)) return;
    if (QLineEdit* field = focusedField()) {
        switch (command) {
            case EditCommand::undo:
                field->undo();
                break;
            case EditCommand::redo:
                field->redo();
                break;
            case EditCommand::cut:
                field->cut();
                break;
            case EditCommand::copy:
                field->copy();
                break;
            case EditCommand::paste:
                field->paste();
                break;
            case EditCommand::remove:
                field->del();
                break;
            case EditCommand::selectAll:
                field->selectAll();
                break;
        }
        // The field's own edits (a paste, an undo) reach the step as typing does.
        return;
    }
    if (hasFocus(content_.table())) {
        model_.removeSelectedFile();
        content_.focusTable();
    } else {
        model_.removeSelectedStep();
    }
    refresh();
}

int WindowMenus::selectedStep() const {
    const auto& selection = model_.selection();
    if (!selection) return -1;
    const auto& rules = model_.rules();
    for (std::size_t i = 0; i < rules.size(); ++i) {
        if (rules[i].id == *selection) return static_cast<int>(i);
    }
    return -1;
}

void WindowMenus::moveStep(int by) {
    const int step = selectedStep();
    const int count = static_cast<int>(model_.rules().size());
    if (step < 0 || step + by < 0 || step + by >= count) return;
    // The model moves steps to just before the step that stood at the destination.
    const auto from = static_cast<std::size_t>(step);
    model_.moveRules({from}, by < 0 ? from - 1 : from + 2);
    content_.editorPane()->list()->setFocus(Qt::OtherFocusReason);
}

HistoryDialog* WindowMenus::showHistory() {
    if (!history_) {
        history_ = new HistoryDialog(model_, &window_);
        history_->setAttribute(Qt::WA_DeleteOnClose);
        // The list may show the batch's files under their old names now.
        connect(history_, &QDialog::finished, &content_, [this] { content_.focusTable(); });
    }
    history_->open();
    history_->raise();
    history_->activateWindow();
    return history_;
}

void WindowMenus::showAbout() {
    QMessageBox box(&window_);
    box.setObjectName(QStringLiteral("aboutBox"));
    box.setWindowTitle(QStringLiteral("About Tavix"));
    box.setIconPixmap(window_.windowIcon().pixmap(64, 64));
    box.setText(QStringLiteral("<b>Tavix %1</b>").arg(QString::fromUtf8(version())));
    box.setInformativeText(
        QStringLiteral("Renames batches of files with a stack of steps and a live preview.\n\n"
                       "Copyright \u00A9 2026 The Tavix developers. Released under the MIT "
                       "License."));
    box.setStandardButtons(QMessageBox::Ok);
    box.exec();
}

}  // namespace tavix::ui
