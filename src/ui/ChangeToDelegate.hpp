#pragma once

#include <QList>
#include <QPixmap>
#include <QStyledItemDelegate>

namespace tavix::ui {

// Draws the "Change to" cell. For an item with a problem: the warning symbol and
// the problem's message in orange. Otherwise the new name, in the text colour
// when it differs from the current name and in the secondary colour when not,
// with the changed characters in bold on translucent yellow. Either is cut in
// the middle when it doesn't fit, never through a change that fits whole.
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
    // its marking. When the marked characters fit whole they are kept whole, and
    // the text before and after them each lose their middle instead (so up to
    // two ellipses). Characters are user-perceived ones, never split. An
    // ellipsis is marked when it stands for marked characters only.
    static QList<Run> fit(const QList<Run>& runs, const QFont& font, int width);

    // The runs a cell's text is made of, from the model's data.
    static QList<Run> runs(const QModelIndex& index);

    // The cell's whole text as rich text for a tooltip, the marked characters
    // in bold, underlined, on the highlight yellow of `palette`.
    static QString toolTip(const QList<Run>& runs, const QPalette& palette);

    explicit ChangeToDelegate(QObject* parent = nullptr);

    void paint(QPainter* painter, const QStyleOptionViewItem& option,
               const QModelIndex& index) const override;
    // The whole new name, its change marked, over every cell; also over one
    // that shows the name whole, so the change can be read in larger type.
    bool helpEvent(QHelpEvent* event, QAbstractItemView* view, const QStyleOptionViewItem& option,
                   const QModelIndex& index) override;

private:
    QPixmap warningSymbol(const QColor& color, int size, qreal ratio) const;

    mutable QPixmap symbol_;
    mutable QRgb symbolColor_ = 0;
};

}  // namespace tavix::ui
