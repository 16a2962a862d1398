#pragma once

#include <QString>

namespace tavix::ui {

// Renders the step form of every action's blank rule, in picking order, into
// one PNG grid at `file`, in the window's style over Fusion with its light
// palette (or the dark one) and at the steps pane's ideal width, for reviewing
// the forms side by side. Needs a QApplication. On failure returns false and,
// if given, sets `error`.
bool writeFormSheet(const QString& file, bool dark, QString* error);

}  // namespace tavix::ui
