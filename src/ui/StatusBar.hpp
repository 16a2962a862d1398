#pragma once

#include <QWidget>

#include "model/TavixModel.hpp"

class QLabel;
class QProgressBar;
class QPushButton;
class QShortcut;
class QStackedLayout;

namespace tavix::ui {

class ElidedLabel;

// The bar at the foot of the preview, its items centred: the status message (or,
// while the plan has problems and no message is set, the warning "Fix the
// highlighted names first"), "Undo" while a batch can be undone, and "Perform
// Renames", enabled while the plan can be performed. Ctrl+Return (also the
// keypad's Enter) anywhere in the window presses "Perform Renames" while it is
// enabled and does nothing otherwise. While long work runs, a progress bar with
// its counts takes the place of all three (WorkProgress).
class StatusBar : public QWidget {
    Q_OBJECT
public:
    StatusBar(TavixModel& model, QWidget* parent = nullptr);

    // Shows a progress bar at `done` of `total` files in place of the bar's items
    // and repaints it at once: the work it shows keeps the event loop waiting.
    void showProgress(std::size_t done, std::size_t total);
    // Brings the bar's items back.
    void endProgress();

Q_SIGNALS:
    // After "Undo" or "Perform Renames" has run from a button that held the
    // focus (or with the focus nowhere): the button may have gone or been
    // switched off, so the owner gives the focus a place. A field typed in
    // before Ctrl+Return keeps its focus and hears nothing.
    void commandDone();

private:
    void refresh();
    void performIfEnabled();
    bool holdsFocus() const;

    TavixModel& model_;
    QStackedLayout* pages_ = nullptr;
    QWidget* controls_ = nullptr;
    QWidget* progress_ = nullptr;
    QProgressBar* progressBar_ = nullptr;
    QLabel* progressText_ = nullptr;
    TavixModel::Subscription subscription_;
    ElidedLabel* message_ = nullptr;
    QPushButton* undo_ = nullptr;
    QPushButton* perform_ = nullptr;
    QShortcut* performKey_ = nullptr;
    QShortcut* performKeypadKey_ = nullptr;
};

}  // namespace tavix::ui
