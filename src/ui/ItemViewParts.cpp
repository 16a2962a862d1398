#include "ui/ItemViewParts.hpp"

#include <QApplication>
#include <QItemSelectionModel>

namespace tavix::ui {

QStyle* styleOf(const QStyleOptionViewItem& cell) {
    return cell.widget ? cell.widget->style() : QApplication::style();
}

QRect textArea(const QStyleOptionViewItem& cell) {
    const QStyle* style = styleOf(cell);
    QRect area = style->subElementRect(QStyle::SE_ItemViewItemText, &cell, cell.widget);
    const int margin = style->pixelMetric(QStyle::PM_FocusFrameHMargin, nullptr, cell.widget) + 1;
    return area.adjusted(margin, 0, -margin, 0);
}

void selectOnlyRow(QAbstractItemView& view, const QModelIndex& index, bool& changing) {
    QItemSelectionModel* selection = view.selectionModel();
    const QModelIndexList selected = selection->selectedRows();
    if (!index.isValid() ? selected.isEmpty()
                         : selected.size() == 1 && selected.first().row() == index.row()) {
        return;
    }
    changing = true;
    if (!index.isValid()) {
        selection->clearSelection();
    } else {
        selection->setCurrentIndex(index,
                                   QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);
        view.scrollTo(index);
    }
    changing = false;
}

}  // namespace tavix::ui
