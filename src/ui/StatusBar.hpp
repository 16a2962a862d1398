#pragma once

#include <QWidget>

#include "model/TavixModel.hpp"

class QPushButton;
class QShortcut;

namespace tavix::ui {

class ElidedLabel;

// The bar at the foot of the preview, its items centred: the status message (or,
// while the plan has problems and no message is set, the warning "Fix the
// highlighted names first"), "Undo" while a batch can be undone, and "Perform
// Renames", enabled while the plan can be performed. Ctrl+Return (also the
// keypad's Enter) anywhere in the window presses "Perform Renames" while it is
// enabled and does nothing otherwise.
class StatusBar : public QWidget {
    Q_OBJECT
public:
    StatusBar(TavixModel& model, QWidget* parent = nullptr);

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
    TavixModel::Subscription subscription_;
    ElidedLabel* message_ = nullptr;
    QPushButton* undo_ = nullptr;
    QPushButton* perform_ = nullptr;
    QShortcut* performKey_ = nullptr;
    QShortcut* performKeypadKey_ = nullptr;
};

}  // namespace tavix::ui
