#include "ui/Divider.hpp"

#include <QPainter>

#include "ui/Appearance.hpp"

namespace tavix::ui {

Divider::Divider(QWidget* parent) : QWidget(parent) {
    setFixedHeight(1);
    setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Fixed);
}

void Divider::paintEvent(QPaintEvent*) {
    QColor line = palette().color(QPalette::WindowText);
    line.setAlphaF(isDark(palette()) ? 0.22f : 0.14f);
    QPainter(this).fillRect(rect(), line);
}

}  // namespace tavix::ui
