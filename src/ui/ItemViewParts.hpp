#pragma once

#include <QAbstractItemView>
#include <QModelIndex>
#include <QRect>
#include <QStyle>
#include <QStyleOptionViewItem>

// Pieces the window's item views share.
namespace tavix::ui {

// The style that draws `cell`: its widget's, else the application's.
QStyle* styleOf(const QStyleOptionViewItem& cell);

// Where the style puts the text of `cell`, less the margins it keeps beside it.
QRect textArea(const QStyleOptionViewItem& cell);

// Makes the row of `index` the only selected row of `view` and its current
// one, scrolled into sight, or selects nothing for an invalid index; nothing
// happens when that is already so. `changing` is true while the selection
// changes, so the view's own handler can tell the change isn't the user's.
void selectOnlyRow(QAbstractItemView& view, const QModelIndex& index, bool& changing);

}  // namespace tavix::ui
