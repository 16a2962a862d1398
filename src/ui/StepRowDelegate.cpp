#include "ui/StepRowDelegate.hpp"

#include <QAbstractItemView>
#include <QApplication>
#include <QFontMetrics>
#include <QPainter>

#include "ui/Appearance.hpp"
#include "ui/StepListModel.hpp"

namespace tavix::ui {
namespace {

constexpr int sidePadding = 8;
constexpr int verticalPadding = 2;
constexpr int numberGap = 7;
constexpr int textFlags = Qt::AlignLeft | Qt::AlignTop | Qt::TextWordWrap;

QFont rowFont(const QStyleOptionViewItem& option) {
    return captionFont(option.font);
}

// The numbers right-aligned in a column as wide as the widest of them: with the
// equal-width digits of the usual interface fonts, they line up like figures in
// a table.
QFont numberFont(const QStyleOptionViewItem& option) {
    return rowFont(option);
}

// The number column fits the widest number the list can show, so summaries of
// rows 9 and 10 start at the same place.
int numberWidth(const QStyleOptionViewItem& option, const QModelIndex& index) {
    const int rows = index.model() ? index.model()->rowCount() : 1;
    const QString widest =
        QString(QString::number(std::max(rows, 1)).size(), QLatin1Char('0')) + QLatin1Char('.');
    return QFontMetrics(numberFont(option)).horizontalAdvance(widest);
}

}  // namespace

StepRowDelegate::StepRowDelegate(QObject* parent) : QStyledItemDelegate(parent) {}

QRect StepRowDelegate::summaryRect(const QRect& row, int width) {
    return row.adjusted(sidePadding + width + numberGap, verticalPadding, -sidePadding,
                        -verticalPadding);
}

void StepRowDelegate::paint(QPainter* painter, const QStyleOptionViewItem& option,
                            const QModelIndex& index) const {
    QStyleOptionViewItem background = option;
    initStyleOption(&background, index);
    background.text.clear();
    QStyle* style = option.widget ? option.widget->style() : QApplication::style();
    style->drawControl(QStyle::CE_ItemViewItem, &background, painter, option.widget);

    const bool selected = option.state & QStyle::State_Selected;
    const QPalette& palette = option.palette;
    const QColor text =
        selected ? palette.color(QPalette::HighlightedText) : palette.color(QPalette::Text);
    QColor number = selected ? text : color(Tone::tertiary, palette);

    const int width = numberWidth(option, index);
    painter->save();
    painter->setFont(numberFont(option));
    painter->setPen(number);
    const QRect numberRect(option.rect.left() + sidePadding, option.rect.top() + verticalPadding,
                           width, option.rect.height() - 2 * verticalPadding);
    painter->drawText(numberRect, Qt::AlignRight | Qt::AlignTop,
                      index.data(StepListModel::NumberRole).toString());
    painter->setFont(rowFont(option));
    painter->setPen(text);
    painter->drawText(summaryRect(option.rect, width), textFlags, index.data().toString());
    painter->restore();
}

QSize StepRowDelegate::sizeHint(const QStyleOptionViewItem& option,
                                const QModelIndex& index) const {
    // Rows span the list's visible width; the summary wraps within it.
    const auto* view = qobject_cast<const QAbstractItemView*>(option.widget);
    const int rowWidth = view ? view->viewport()->width() : 300;
    const QRect room = summaryRect(QRect(0, 0, rowWidth, 10000), numberWidth(option, index));
    const QRect used = QFontMetrics(rowFont(option))
                           .boundingRect(QRect(0, 0, std::max(room.width(), 20), 10000), textFlags,
                                         index.data().toString());
    return {rowWidth, used.height() + 2 * verticalPadding + 4};
}

}  // namespace tavix::ui
