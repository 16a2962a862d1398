#pragma once

#include <vector>

class QWidget;

namespace tavix::ui {

// The controls that Tab visits inside `root`, in the order the eye reads them:
// the children of each widget row by row (top to bottom, then left to right
// within a row), each one's own controls before the next one's. A widget that
// takes focus by Tab is one stop, whatever it holds; hidden widgets have none.
// Following the layout rather than the order widgets were made keeps the order
// right when a form rebuilds its controls.
std::vector<QWidget*> tabStops(QWidget* root);

// Moves the focus to the next (or previous) stop of `root` after the one that
// holds the focus, round from the last to the first. False when `root` has no
// stop to move to.
bool moveFocus(QWidget* root, bool next);

}  // namespace tavix::ui
