#pragma once

#include <QDialog>
#include <QString>

#include "model/TavixModel.hpp"

class QLabel;
class QPushButton;
class QTreeWidget;

namespace tavix::ui {

// What the history calls a batch's state: "interrupted" for a batch whose
// journal was begun and never finished (the program was killed or crashed),
// "done" and "undone".
QString stateText(journal::JournalState state);

// File ▸ History…: the batches of the state folder's journals, the window's and
// the terminal's alike, newest first, one row each: when it ran (local time),
// its state, its message and its folder. "Undo" puts the selected batch back
// through the model (each file only when it is still the one the batch moved);
// it is enabled for any batch not yet undone, the interrupted included. Return
// presses it, Escape closes the dialog. After an undo the list is read again,
// the model's message shows beneath it, and the files left where they are are
// listed with their reasons. The model must outlive the dialog.
class HistoryDialog : public QDialog {
    Q_OBJECT
public:
    HistoryDialog(TavixModel& model, QWidget* parent = nullptr);

    // Reads the journal folder again and shows its batches, keeping the selected
    // one selected (else the newest).
    void reload();
    // Undoes the selected batch, when it can be.
    void undoSelected();

    QTreeWidget* batches() const { return batches_; }
    QTreeWidget* leftAlone() const { return leftAlone_; }

private:
    void selectionChanged();
    void showOutcome();

    TavixModel& model_;
    QTreeWidget* batches_ = nullptr;
    QLabel* note_ = nullptr;  // why nothing is listed, or which journals were left alone
    QLabel* outcome_ = nullptr;
    QTreeWidget* leftAlone_ = nullptr;
    QPushButton* undo_ = nullptr;
};

}  // namespace tavix::ui
