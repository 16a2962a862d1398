#include "ui/PathDelegate.hpp"

#include <QApplication>

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
    const QWidget* widget = cell.widget;
    QStyle* style = widget ? widget->style() : QApplication::style();
    QRect area = style->subElementRect(QStyle::SE_ItemViewItemText, &cell, widget);
    const int margin = style->pixelMetric(QStyle::PM_FocusFrameHMargin, nullptr, widget) + 1;
    return QFontMetrics(cell.font).elidedText(cell.text, Qt::ElideLeft, area.width() - 2 * margin);
}

void PathDelegate::paint(QPainter* painter, const QStyleOptionViewItem& option,
                         const QModelIndex& index) const {
    QStyleOptionViewItem cell = option;
    initStyleOption(&cell, index);
    // The text is cut here, so the style has nothing left to cut.
    cell.text = shownText(option, index);
    const QWidget* widget = cell.widget;
    QStyle* style = widget ? widget->style() : QApplication::style();
    style->drawControl(QStyle::CE_ItemViewItem, &cell, painter, widget);
}

}  // namespace tavix::ui
