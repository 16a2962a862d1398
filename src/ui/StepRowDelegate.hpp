#pragma once

#include <QStyledItemDelegate>

namespace tavix::ui {

// Draws a row of the steps list: the step's number in the tertiary colour with
// digits of equal width, then its summary, wrapped onto as many lines as it needs
// within the row's width. Rows are as tall as their text.
class StepRowDelegate : public QStyledItemDelegate {
    Q_OBJECT
public:
    explicit StepRowDelegate(QObject* parent = nullptr);

    void paint(QPainter* painter, const QStyleOptionViewItem& option,
               const QModelIndex& index) const override;
    QSize sizeHint(const QStyleOptionViewItem& option, const QModelIndex& index) const override;

    // The summary's rectangle in a row of this width, for a number this wide.
    static QRect summaryRect(const QRect& row, int numberWidth);
};

}  // namespace tavix::ui
