#pragma once

#include <QProxyStyle>

namespace tavix::ui {

// The window's style: the given style (the platform's when none is given),
// except that on a dark palette the edges of check boxes and radio buttons are
// drawn in a light tone. Fusion draws them a shade darker than the window, which
// leaves an unchecked box all but invisible on a dark background.
class WindowStyle : public QProxyStyle {
public:
    explicit WindowStyle(QStyle* base = nullptr);

    void drawPrimitive(PrimitiveElement element, const QStyleOption* option, QPainter* painter,
                       const QWidget* widget = nullptr) const override;
};

}  // namespace tavix::ui
