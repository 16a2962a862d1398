#pragma once

#include <QColor>
#include <QIcon>
#include <QString>

class QToolButton;
class QWidget;

namespace tavix::ui {

// The small glyphs the window uses on its buttons, in its table and in the
// empty-state drop box.
enum class Symbol { plus, minus, xmark, gearshape, arrowDown, warning };

// The icon theme's icon for `symbol` (list-add, list-remove, window-close,
// emblem-system, go-down, dialog-warning). Where the theme has none, as on a
// machine without an icon theme, a glyph drawn by Tavix itself at any size, in
// the application palette's window text colour (its disabled colour for a
// disabled button). Never null.
QIcon symbol(Symbol symbol);

// `symbol` in one colour: the theme's single-colour ("-symbolic") variant
// recoloured, else the drawn glyph in `colour`. Disabled, it is drawn fainter.
// Never null.
QIcon symbol(Symbol symbol, const QColor& colour);

// A borderless tool button showing `shape`, named `name`, with `tip` as its
// tool tip and accessible name.
QToolButton* borderlessButton(QWidget* parent, const char* name, Symbol shape, const QString& tip);

}  // namespace tavix::ui
