#pragma once

#include <QStyledItemDelegate>

namespace tavix::ui {

// Draws the "Path" cell cut at its start when it doesn't fit, so the folders
// nearest the file stay visible.
class PathDelegate : public QStyledItemDelegate {
    Q_OBJECT
public:
    explicit PathDelegate(QObject* parent = nullptr);

    // The text the cell shows with this option's font and rectangle.
    QString shownText(const QStyleOptionViewItem& option, const QModelIndex& index) const;

    void paint(QPainter* painter, const QStyleOptionViewItem& option,
               const QModelIndex& index) const override;

protected:
    void initStyleOption(QStyleOptionViewItem* option, const QModelIndex& index) const override;
};

}  // namespace tavix::ui
