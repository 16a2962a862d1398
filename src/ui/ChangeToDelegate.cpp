#include "ui/ChangeToDelegate.hpp"

#include <QApplication>
#include <QAbstractItemView>
#include <QFontMetricsF>
#include <QHelpEvent>
#include <QToolTip>
#include <QPainter>
#include <QTextBoundaryFinder>
#include <algorithm>
#include <vector>

#include "engine/NameDiff.hpp"
#include "ui/Appearance.hpp"
#include "ui/ItemViewParts.hpp"
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

    // The marked characters [markFrom, markTo), empty when none is marked.
    std::size_t markFrom = characters;
    std::size_t markTo = characters;
    for (std::size_t c = 0; c < characters; ++c) {
        if (!flat.marked[static_cast<std::size_t>(bounds[c])]) continue;
        if (markFrom == characters) markFrom = c;
        markTo = c + 1;
    }
    const std::size_t markLength = markTo - markFrom;

    // Appends the characters [from, to) keeping `keep` of them: all, or the
    // first and last around an ellipsis, one more at the head when odd.
    const auto cut = [&](QList<Run>& out, std::size_t from, std::size_t to, std::size_t keep) {
        if (keep >= to - from) {
            flat.slice(out, bounds[from], bounds[to]);
            return;
        }
        const qsizetype headEnd = bounds[from + (keep + 1) / 2];
        const qsizetype tailStart = bounds[to - keep / 2];
        // Marked when every character it hides is marked.
        bool markedGap = headEnd < tailStart;
        for (qsizetype i = headEnd; markedGap && i < tailStart; ++i) {
            markedGap = flat.marked[static_cast<std::size_t>(i)];
        }
        flat.slice(out, bounds[from], headEnd);
        append(out, ellipsis, markedGap);
        flat.slice(out, tailStart, bounds[to]);
    };

    // `keep` characters in all. When they can hold the whole marked change, it
    // stays whole and the rest is shared between the text before and after it,
    // each losing its middle: the change is what the cell is there to show.
    const auto shortened = [&](std::size_t keep) {
        QList<Run> out;
        if (markLength == 0 || markLength == characters || keep <= markLength) {
            cut(out, 0, characters, keep);
            return out;
        }
        const std::size_t rest = keep - markLength;
        const std::size_t before = markFrom;
        const std::size_t after = characters - markTo;
        std::size_t keepAfter = std::min(after, rest / 2);
        const std::size_t keepBefore = std::min(before, rest - keepAfter);
        keepAfter = std::min(after, rest - keepBefore);
        cut(out, 0, markFrom, keepBefore);
        flat.slice(out, bounds[markFrom], bounds[markTo]);
        cut(out, markTo, characters, keepAfter);
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

QString ChangeToDelegate::toolTip(const QList<Run>& runs, const QPalette& palette) {
    // The tooltip's own background is often yellowish: the mark is opaque and
    // underlined so it still stands out there.
    const QString yellow = changeHighlight(palette, 1.0).name();
    QString html = QStringLiteral("<p style='white-space:pre'>");
    for (const Run& run : runs) {
        const QString text = run.text.toHtmlEscaped();
        if (run.marked) {
            html += QStringLiteral("<b><u><span style='background-color:%1; color:#000000'>%2"
                                   "</span></u></b>")
                        .arg(yellow, text);
        } else {
            html += text;
        }
    }
    return html + QStringLiteral("</p>");
}

bool ChangeToDelegate::helpEvent(QHelpEvent* event, QAbstractItemView* view,
                                 const QStyleOptionViewItem& option, const QModelIndex& index) {
    if (event == nullptr || view == nullptr || event->type() != QEvent::ToolTip) {
        return QStyledItemDelegate::helpEvent(event, view, option, index);
    }
    const QList<Run> text = runs(index);
    if (text.isEmpty() || (text.size() == 1 && text.front().text.isEmpty())) {
        QToolTip::hideText();
        return true;
    }
    QToolTip::showText(event->globalPos(), toolTip(text, view->palette()), view->viewport(),
                       view->visualRect(index));
    return true;
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
    QStyle* style = styleOf(cell);
    const QRect area = textArea(cell);

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
