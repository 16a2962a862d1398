#include "ui/WindowStyle.hpp"

#include <QPainter>
#include <QStyleOption>

#include "ui/Appearance.hpp"

namespace tavix::ui {

WindowStyle::WindowStyle(QStyle* base) : QProxyStyle(base) {}

void WindowStyle::drawPrimitive(PrimitiveElement element, const QStyleOption* option,
                                QPainter* painter, const QWidget* widget) const {
    QProxyStyle::drawPrimitive(element, option, painter, widget);
    const bool box = element == PE_IndicatorCheckBox;
    const bool round = element == PE_IndicatorRadioButton;
    if ((!box && !round) || !isDark(option->palette)) return;
    // Keyboard focus keeps the style's own highlighted edge.
    if ((option->state & State_HasFocus) && (option->state & State_KeyboardFocusChange)) return;

    QColor edge = option->palette.color(QPalette::WindowText);
    edge.setAlphaF((option->state & State_Enabled) ? 0.55f : 0.3f);
    painter->save();
    painter->setRenderHint(QPainter::Antialiasing, true);
    painter->setBrush(Qt::NoBrush);
    painter->setPen(QPen(edge, 1));
    // The same half-pixel inset rectangle the indicator's own edge is drawn on.
    const QRectF rect = QRectF(option->rect).adjusted(0.5, 0.5, -0.5, -0.5);
    if (box) {
        painter->drawRect(rect);
    } else {
        painter->drawEllipse(rect);
    }
    painter->restore();
}

}  // namespace tavix::ui
