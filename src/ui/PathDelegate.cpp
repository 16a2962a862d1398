#include "ui/PathDelegate.hpp"

#include "ui/ItemViewParts.hpp"

namespace tavix::ui {

PathDelegate::PathDelegate(QObject* parent) : QStyledItemDelegate(parent) {}

void PathDelegate::initStyleOption(QStyleOptionViewItem* option, const QModelIndex& index) const {
    QStyledItemDelegate::initStyleOption(option, index);
    option->textElideMode = Qt::ElideLeft;
}

QString PathDelegate::shownText(const QStyleOptionViewItem& option,
                                const QModelIndex& index) const {
    QStyleOptionViewItem cell = option;
    initStyleOption(&cell, index);
    return QFontMetrics(cell.font).elidedText(cell.text, Qt::ElideLeft, textArea(cell).width());
}

void PathDelegate::paint(QPainter* painter, const QStyleOptionViewItem& option,
                         const QModelIndex& index) const {
    QStyleOptionViewItem cell = option;
    initStyleOption(&cell, index);
    // The text is cut here, so the style has nothing left to cut.
    cell.text = shownText(option, index);
    styleOf(cell)->drawControl(QStyle::CE_ItemViewItem, &cell, painter, cell.widget);
}

}  // namespace tavix::ui
