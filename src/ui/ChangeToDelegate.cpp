#include "ui/ChangeToDelegate.hpp"

#include <QApplication>
#include <QFontMetricsF>
#include <QPainter>
#include <QTextBoundaryFinder>
#include <vector>

#include "engine/NameDiff.hpp"
#include "ui/Appearance.hpp"
#include "ui/PlanTableModel.hpp"
#include "ui/Symbols.hpp"

namespace tavix::ui {
namespace {

const QString ellipsis = QStringLiteral("\u2026");
constexpr int symbolGap = 4;

QFont boldened(QFont font) {
    font.setBold(ChangeMarks{}.strong);
    return font;
}

qreal widthOf(const QList<ChangeToDelegate::Run>& runs, const QFontMetricsF& plain,
              const QFontMetricsF& strong) {
    qreal width = 0;
    for (const auto& run : runs) {
        width += (run.marked ? strong : plain).horizontalAdvance(run.text);
    }
    return width;
}

// Appends `text` to `runs`, joining it to the last run when both are marked alike.
void append(QList<ChangeToDelegate::Run>& runs, const QString& text, bool marked) {
    if (text.isEmpty()) return;
    if (!runs.isEmpty() && runs.back().marked == marked) {
        runs.back().text += text;
    } else {
        runs.push_back({text, marked});
    }
}

// The runs' text flattened, with a flag per UTF-16 unit.
struct Flat {
    QString text;
    std::vector<bool> marked;

    explicit Flat(const QList<ChangeToDelegate::Run>& runs) {
        for (const auto& run : runs) {
            text += run.text;
            marked.insert(marked.end(), static_cast<std::size_t>(run.text.size()), run.marked);
        }
    }

    void slice(QList<ChangeToDelegate::Run>& out, qsizetype from, qsizetype to) const {
        qsizetype start = from;
        for (qsizetype i = from; i <= to; ++i) {
            if (i == to ||
                marked[static_cast<std::size_t>(i)] != marked[static_cast<std::size_t>(start)]) {
                if (i > start) {
                    append(out, text.mid(start, i - start),
                           marked[static_cast<std::size_t>(start)]);
                }
                start = i;
            }
        }
    }
};

}  // namespace

ChangeToDelegate::ChangeToDelegate(QObject* parent) : QStyledItemDelegate(parent) {}

QList<ChangeToDelegate::Run> ChangeToDelegate::fit(const QList<Run>& runs, const QFont& font,
                                                   int width) {
    const QFontMetricsF plain(font);
    const QFontMetricsF strong(boldened(font));
    if (widthOf(runs, plain, strong) <= width) return runs;

    const Flat flat(runs);
    std::vector<qsizetype> bounds{0};
    QTextBoundaryFinder finder(QTextBoundaryFinder::Grapheme, flat.text);
    while (finder.toNextBoundary() > 0) bounds.push_back(finder.position());
    if (bounds.back() != flat.text.size()) bounds.push_back(flat.text.size());
    const std::size_t characters = bounds.size() - 1;

    // `keep` characters around the ellipsis, one more at the head when odd.
    const auto shortened = [&](std::size_t keep) {
        const qsizetype headEnd = bounds[(keep + 1) / 2];
        const qsizetype tailStart = bounds[characters - keep / 2];
        // Marked when every character it hides is marked.
        bool markedGap = headEnd < tailStart;
        for (qsizetype i = headEnd; markedGap && i < tailStart; ++i) {
            markedGap = flat.marked[static_cast<std::size_t>(i)];
        }
        QList<Run> out;
        flat.slice(out, 0, headEnd);
        append(out, ellipsis, markedGap);
        flat.slice(out, tailStart, flat.text.size());
        return out;
    };

    // The widths grow with `keep`: the largest that fits, found by halving.
    std::size_t low = 0;
    std::size_t high = characters == 0 ? 0 : characters - 1;
    while (low < high) {
        const std::size_t middle = (low + high + 1) / 2;
        if (widthOf(shortened(middle), plain, strong) <= width) {
            low = middle;
        } else {
            high = middle - 1;
        }
    }
    return shortened(low);
}

QList<ChangeToDelegate::Run> ChangeToDelegate::runs(const QModelIndex& index) {
    const QVariant segments = index.data(PlanTableModel::MarkedSegmentsRole);
    if (segments.isValid()) {
        const QStringList parts = segments.toStringList();
        if (parts.size() == 3) {
            QList<Run> out;
            append(out, parts[0], false);
            append(out, parts[1], true);
            append(out, parts[2], false);
            return out;
        }
    }
    return {Run{index.data(Qt::DisplayRole).toString(), false}};
}

QPixmap ChangeToDelegate::warningSymbol(const QColor& color, int size, qreal ratio) const {
    if (symbol_.isNull() || symbolColor_ != color.rgba() || symbol_.devicePixelRatio() != ratio ||
        qRound(symbol_.width() / ratio) != size) {
        symbol_ = symbol(Symbol::warning, color).pixmap(QSize(size, size), ratio);
        symbolColor_ = color.rgba();
    }
    return symbol_;
}

void ChangeToDelegate::paint(QPainter* painter, const QStyleOptionViewItem& option,
                             const QModelIndex& index) const {
    QStyleOptionViewItem cell = option;
    initStyleOption(&cell, index);
    const QWidget* widget = cell.widget;
    QStyle* style = widget ? widget->style() : QApplication::style();
    QRect area = style->subElementRect(QStyle::SE_ItemViewItemText, &cell, widget);
    const int margin = style->pixelMetric(QStyle::PM_FocusFrameHMargin, nullptr, widget) + 1;
    area.adjust(margin, 0, -margin, 0);

    // The background, selection and focus as for any cell; the text is drawn here.
    cell.text.clear();
    style->drawControl(QStyle::CE_ItemViewItem, &cell, painter, widget);

    const bool problem = index.data(PlanTableModel::ProblemRole).toBool();
    const bool changed = index.data(PlanTableModel::ChangedRole).toBool();
    const bool selected = cell.state & QStyle::State_Selected;
    const QPalette& palette = cell.palette;
    QColor ink;
    if (problem) {
        ink = color(Tone::orange, palette);
    } else if (selected) {
        ink = palette.color(QPalette::HighlightedText);
        if (!changed) ink.setAlphaF(0.75f);
    } else {
        ink = changed ? palette.color(QPalette::Text) : color(Tone::secondary, palette);
    }

    painter->save();
    painter->setClipRect(area);
    const QFontMetricsF metrics(cell.font);
    const qreal top = area.top() + (area.height() - metrics.height()) / 2;
    const qreal baseline = top + metrics.ascent();
    qreal x = area.left();

    if (problem) {
        const int size = qRound(metrics.ascent());
        painter->drawPixmap(QPointF(x, area.top() + (area.height() - size) / 2.0),
                            warningSymbol(ink, size, painter->device()->devicePixelRatioF()));
        x += size + symbolGap;
    }

    const QFont strongFont = boldened(cell.font);
    const QFontMetricsF strong(strongFont);
    const QColor yellow = changeHighlight(palette, ChangeMarks{}.backgroundAlpha);
    const int room = static_cast<int>(area.right() + 1 - x);
    for (const Run& run : fit(runs(index), cell.font, room)) {
        const qreal advance = (run.marked ? strong : metrics).horizontalAdvance(run.text);
        if (run.marked) painter->fillRect(QRectF(x, top, advance, metrics.height()), yellow);
        painter->setFont(run.marked ? strongFont : cell.font);
        painter->setPen(ink);
        painter->drawText(QPointF(x, baseline), run.text);
        x += advance;
    }
    painter->restore();
}

}  // namespace tavix::ui
