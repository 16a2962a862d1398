#pragma once

#include <QList>
#include <QPixmap>
#include <QStyledItemDelegate>

namespace tavix::ui {

// Draws the "Change to" cell. For an item with a problem: the warning symbol and
// the problem's message in orange. Otherwise the new name, in the text colour
// when it differs from the current name and in the secondary colour when not,
// with the changed characters in bold on translucent yellow. Either is cut in
// the middle when it doesn't fit.
class ChangeToDelegate : public QStyledItemDelegate {
    Q_OBJECT
public:
    // A stretch of text drawn one way: plain, or marked (bold on yellow).
    struct Run {
        QString text;
        bool marked = false;
        friend bool operator==(const Run&, const Run&) = default;
    };

    // `runs` as they fit in `width` pixels: unchanged when they fit, else the
    // first and last characters around an ellipsis, as many as fit, each keeping
    // its marking. Characters are user-perceived ones, never split. The ellipsis
    // is marked when it stands for marked characters only.
    static QList<Run> fit(const QList<Run>& runs, const QFont& font, int width);

    // The runs a cell's text is made of, from the model's data.
    static QList<Run> runs(const QModelIndex& index);

    explicit ChangeToDelegate(QObject* parent = nullptr);

    void paint(QPainter* painter, const QStyleOptionViewItem& option,
               const QModelIndex& index) const override;

private:
    QPixmap warningSymbol(const QColor& color, int size, qreal ratio) const;

    mutable QPixmap symbol_;
    mutable QRgb symbolColor_ = 0;
};

}  // namespace tavix::ui
