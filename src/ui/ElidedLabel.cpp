#include "ui/ElidedLabel.hpp"

#include <QPainter>

namespace tavix::ui {
namespace {

constexpr int iconGap = 4;

}  // namespace

ElidedLabel::ElidedLabel(QWidget* parent) : QWidget(parent) {
    setSizePolicy(QSizePolicy::Preferred, QSizePolicy::Fixed);
}

void ElidedLabel::setText(const QString& text) {
    if (text == text_) return;
    text_ = text;
    updateGeometry();
    update();
}

void ElidedLabel::setSymbol(std::optional<Symbol> symbol) {
    if (symbol == symbol_) return;
    symbol_ = symbol;
    updateGeometry();
    update();
}

void ElidedLabel::setTone(Tone tone) {
    tone_ = tone;
    update();
}

int ElidedLabel::iconSize() const {
    return fontMetrics().ascent();
}

int ElidedLabel::iconSpace() const {
    return symbol_ ? iconSize() + iconGap : 0;
}

QString ElidedLabel::shownText() const {
    return fontMetrics().elidedText(text_, Qt::ElideRight, width() - iconSpace());
}

QSize ElidedLabel::sizeHint() const {
    const QFontMetrics metrics = fontMetrics();
    return {iconSpace() + metrics.horizontalAdvance(text_) + 1, lineBox(metrics).height()};
}

QSize ElidedLabel::minimumSizeHint() const {
    const QFontMetrics metrics = fontMetrics();
    return {iconSpace() + metrics.horizontalAdvance(QStringLiteral("M\u2026")),
            lineBox(metrics).height()};
}

void ElidedLabel::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    const QColor ink = color(tone_, palette());
    int x = 0;
    if (symbol_) {
        const int size = iconSize();
        const QIcon icon = tavix::ui::symbol(*symbol_, ink);
        icon.paint(&painter, QRect(x, (height() - size) / 2, size, size));
        x += size + iconGap;
    }
    painter.setPen(ink);
    // On an explicit baseline, with room below it for the lowest glyphs.
    painter.drawText(QPoint(x, lineBox(fontMetrics()).baselineIn(height())), shownText());
}

}  // namespace tavix::ui
