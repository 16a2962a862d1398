#include "ui/Symbols.hpp"

#include <QToolButton>

#include <QGuiApplication>
#include <QIconEngine>
#include <QImage>
#include <QPainter>
#include <QPainterPath>
#include <QPalette>
#include <QPixmap>
#include <QStringList>

#include <algorithm>
#include <cmath>
#include <numbers>
#include <optional>

namespace tavix::ui {
namespace {

// Standard icon-naming names, best first.
QStringList themeNames(Symbol symbol) {
    switch (symbol) {
        case Symbol::plus:
            return {QStringLiteral("list-add")};
        case Symbol::minus:
            return {QStringLiteral("list-remove")};
        case Symbol::xmark:
            return {QStringLiteral("window-close"), QStringLiteral("edit-clear")};
        case Symbol::gearshape:
            return {QStringLiteral("emblem-system"), QStringLiteral("preferences-system")};
        case Symbol::arrowDown:
            return {QStringLiteral("go-down")};
        case Symbol::warning:
            return {QStringLiteral("dialog-warning")};
    }
    return {};
}

// The theme's icon for the first of `symbol`'s names it has, with `suffix`
// appended to each name; null when it has none.
QIcon themed(Symbol symbol, const QString& suffix = {}) {
    for (const QString& name : themeNames(symbol)) {
        if (QIcon::hasThemeIcon(name + suffix)) return QIcon::fromTheme(name + suffix);
    }
    return {};
}

// Draws the coverage of `symbol`, opaque, filling `size` device pixels; the
// caller recolours it. Strokes grow with the size, never thinner than a
// pixel and a half, so that the 16 px glyphs don't fade.
void draw(Symbol symbol, QPainter& painter, QSizeF size) {
    const QColor colour(Qt::black);
    const qreal side = std::min(size.width(), size.height());
    const QPointF origin((size.width() - side) / 2, (size.height() - side) / 2);
    const auto at = [&](qreal x, qreal y) { return origin + QPointF(x * side, y * side); };
    const qreal stroke = std::max(1.5, side / 11);

    painter.setRenderHint(QPainter::Antialiasing);
    QPen pen(colour, stroke, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin);
    painter.setPen(pen);
    painter.setBrush(Qt::NoBrush);

    switch (symbol) {
        case Symbol::plus:
            painter.drawLine(at(0.5, 0.18), at(0.5, 0.82));
            painter.drawLine(at(0.18, 0.5), at(0.82, 0.5));
            break;
        case Symbol::minus:
            painter.drawLine(at(0.18, 0.5), at(0.82, 0.5));
            break;
        case Symbol::xmark:
            painter.drawLine(at(0.24, 0.24), at(0.76, 0.76));
            painter.drawLine(at(0.76, 0.24), at(0.24, 0.76));
            break;
        case Symbol::gearshape: {
            // Eight teeth, wider at their root than at their tip, around a hole.
            constexpr int teeth = 8;
            constexpr qreal outer = 0.47, inner = 0.33, hole = 0.14;
            constexpr qreal tipHalf = 0.15, rootHalf = 0.26;  // radians
            const QPointF centre = at(0.5, 0.5);
            const auto polar = [&](qreal radius, qreal angle) {
                return centre + QPointF(std::cos(angle), std::sin(angle)) * radius * side;
            };
            QPainterPath gear;
            for (int i = 0; i < teeth; ++i) {
                const qreal a = 2 * std::numbers::pi * i / teeth;
                const QPointF first = polar(inner, a - rootHalf);
                if (i == 0) {
                    gear.moveTo(first);
                } else {
                    gear.lineTo(first);
                }
                gear.lineTo(polar(outer, a - tipHalf));
                gear.lineTo(polar(outer, a + tipHalf));
                gear.lineTo(polar(inner, a + rootHalf));
            }
            gear.closeSubpath();
            gear.addEllipse(centre, hole * side, hole * side);
            gear.setFillRule(Qt::OddEvenFill);
            painter.setPen(Qt::NoPen);
            painter.setBrush(colour);
            painter.drawPath(gear);
            break;
        }
        case Symbol::arrowDown:
            painter.drawLine(at(0.5, 0.14), at(0.5, 0.84));
            painter.drawPolyline(QPolygonF{at(0.24, 0.58), at(0.5, 0.84), at(0.76, 0.58)});
            break;
        case Symbol::warning: {
            // A filled triangle with round corners, the mark cut out of it so
            // that it shows whatever lies beneath.
            pen.setWidthF(side * 0.1);
            painter.setPen(pen);
            painter.setBrush(colour);
            painter.drawPolygon(QPolygonF{at(0.5, 0.1), at(0.94, 0.86), at(0.06, 0.86)});
            painter.setCompositionMode(QPainter::CompositionMode_Clear);
            painter.setPen(
                QPen(Qt::black, std::max(1.0, side * 0.11), Qt::SolidLine, Qt::RoundCap));
            painter.drawLine(at(0.5, 0.38), at(0.5, 0.6));
            painter.setPen(Qt::NoPen);
            painter.setBrush(Qt::black);
            const qreal dot = std::max(0.5, side * 0.065);
            painter.drawEllipse(at(0.5, 0.74), dot, dot);
            break;
        }
    }
}

// Recolours every pixel of `image` to `colour`, keeping its coverage.
void tint(QImage& image, const QColor& colour) {
    QPainter painter(&image);
    painter.setCompositionMode(QPainter::CompositionMode_SourceIn);
    painter.fillRect(image.rect(), colour);
}

// A glyph at any size and pixel ratio: the drawn one, or a single-colour icon
// from the theme recoloured. Without a fixed colour it follows the
// application palette, read each time it is painted.
class SymbolEngine final : public QIconEngine {
public:
    SymbolEngine(Symbol symbol, std::optional<QColor> colour, QIcon mask)
        : symbol_(symbol), colour_(std::move(colour)), mask_(std::move(mask)) {}

    QIconEngine* clone() const override { return new SymbolEngine(*this); }

    QString key() const override { return QStringLiteral("tavix-symbol"); }

    QList<QSize> availableSizes(QIcon::Mode, QIcon::State) override {
        return {QSize(16, 16), QSize(32, 32), QSize(64, 64)};
    }

    void paint(QPainter* painter, const QRect& rect, QIcon::Mode mode,
               QIcon::State state) override {
        const qreal ratio = painter->device() ? painter->device()->devicePixelRatioF() : 1.0;
        QPixmap pixmap = render((QSizeF(rect.size()) * ratio).toSize(), mode, state);
        pixmap.setDevicePixelRatio(ratio);
        painter->drawPixmap(rect, pixmap);
    }

    QPixmap pixmap(const QSize& size, QIcon::Mode mode, QIcon::State state) override {
        return render(size, mode, state);
    }

    // QIcon asks for `size` in device pixels and sets the pixel ratio itself.
    QPixmap scaledPixmap(const QSize& size, QIcon::Mode mode, QIcon::State state,
                         qreal scale) override {
        QPixmap pixmap = render(size, mode, state);
        pixmap.setDevicePixelRatio(scale);
        return pixmap;
    }

private:
    // The glyph filling `pixels`. It is drawn opaque and recoloured as a
    // whole, so that where strokes overlap a translucent colour stays even.
    QPixmap render(const QSize& pixels, QIcon::Mode mode, QIcon::State state) const {
        if (pixels.isEmpty()) return {};
        QImage image(pixels, QImage::Format_ARGB32_Premultiplied);
        image.fill(Qt::transparent);
        QPainter painter(&image);
        if (mask_.isNull()) {
            draw(symbol_, painter, QSizeF(pixels));
        } else {
            const QPixmap source = mask_.pixmap(pixels, 1.0, QIcon::Normal, state);
            painter.drawPixmap((pixels.width() - source.width()) / 2,
                               (pixels.height() - source.height()) / 2, source);
        }
        painter.end();
        tint(image, colourFor(mode));
        return QPixmap::fromImage(std::move(image));
    }

    QColor colourFor(QIcon::Mode mode) const {
        if (colour_) {
            QColor colour = *colour_;
            if (mode == QIcon::Disabled) colour.setAlphaF(colour.alphaF() * 0.4f);
            return colour;
        }
        const QPalette palette = QGuiApplication::palette();
        switch (mode) {
            case QIcon::Disabled:
                return palette.color(QPalette::Disabled, QPalette::WindowText);
            case QIcon::Selected:
                return palette.color(QPalette::Active, QPalette::HighlightedText);
            case QIcon::Normal:
            case QIcon::Active:
                break;
        }
        return palette.color(QPalette::Active, QPalette::WindowText);
    }

    Symbol symbol_;
    std::optional<QColor> colour_;
    QIcon mask_;
};

}  // namespace

QIcon symbol(Symbol symbol) {
    QIcon icon = themed(symbol);
    if (!icon.isNull()) return icon;
    return QIcon(new SymbolEngine(symbol, std::nullopt, {}));
}

QIcon symbol(Symbol symbol, const QColor& colour) {
    return QIcon(new SymbolEngine(symbol, colour, themed(symbol, QStringLiteral("-symbolic"))));
}

QToolButton* borderlessButton(QWidget* parent, const char* name, Symbol shape, const QString& tip) {
    auto* button = new QToolButton(parent);
    button->setObjectName(QString::fromLatin1(name));
    button->setAutoRaise(true);
    button->setIcon(symbol(shape));
    button->setToolTip(tip);
    button->setAccessibleName(tip);
    return button;
}

}  // namespace tavix::ui
