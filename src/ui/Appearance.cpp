#include "ui/Appearance.hpp"

#include <algorithm>

namespace tavix::ui {
namespace {

QColor withAlpha(QColor color, double alpha) {
    color.setAlphaF(static_cast<float>(color.alphaF() * alpha));
    return color;
}

}  // namespace

bool isDark(const QPalette& palette) {
    return palette.color(QPalette::Window).lightness() < 128;
}

QColor color(Tone tone, const QPalette& palette) {
    const QColor text = palette.color(QPalette::WindowText);
    switch (tone) {
        case Tone::primary:
            return text;
        case Tone::secondary:
            return palette.color(QPalette::PlaceholderText);
        case Tone::tertiary:
            return withAlpha(text, 0.30);
        case Tone::quaternary:
            return withAlpha(text, 0.18);
        case Tone::orange:
            return isDark(palette) ? QColor(255, 159, 10) : QColor(232, 125, 0);
    }
    return text;
}

QColor changeHighlight(const QPalette& palette, double alpha) {
    QColor yellow = isDark(palette) ? QColor(255, 214, 10) : QColor(255, 204, 0);
    yellow.setAlphaF(static_cast<float>(alpha));
    return yellow;
}

QColor brand(const QPalette& palette) {
    return isDark(palette) ? QColor::fromRgbF(0.36f, 0.78f, 0.62f)
                           : QColor::fromRgbF(0.05f, 0.52f, 0.38f);
}

QFont captionFont(const QFont& base) {
    QFont font = base;
    font.setPointSizeF(base.pointSizeF() * 0.85);
    return font;
}

QFont title3Font(const QFont& base) {
    QFont font = base;
    font.setPointSizeF(base.pointSizeF() * 1.2);
    return font;
}

LineBox lineBox(const QFontMetrics& metrics) {
    // Tight bounds are the drawn pixels; bottom() is the lowest row, baseline 0.
    const int hanging = metrics.tightBoundingRect(QStringLiteral("_gjpqy")).bottom() + 1;
    const int rising = -metrics.tightBoundingRect(QStringLiteral("\u00C5\u00C9|")).top();
    return {std::max(metrics.ascent(), rising), std::max(metrics.descent(), hanging)};
}

QPalette darkPalette() {
    const QColor window(44, 44, 46);
    const QColor base(30, 30, 32);
    const QColor text(232, 232, 234);
    const QColor disabledText(118, 118, 122);
    QPalette palette;
    palette.setColor(QPalette::Window, window);
    palette.setColor(QPalette::WindowText, text);
    palette.setColor(QPalette::Base, base);
    palette.setColor(QPalette::AlternateBase, QColor(38, 38, 41));
    palette.setColor(QPalette::ToolTipBase, QColor(58, 58, 61));
    palette.setColor(QPalette::ToolTipText, text);
    palette.setColor(QPalette::PlaceholderText, QColor(232, 232, 234, 138));
    palette.setColor(QPalette::Text, text);
    palette.setColor(QPalette::Button, QColor(60, 60, 63));
    palette.setColor(QPalette::ButtonText, text);
    palette.setColor(QPalette::BrightText, Qt::white);
    palette.setColor(QPalette::Light, QColor(78, 78, 82));
    palette.setColor(QPalette::Midlight, QColor(66, 66, 70));
    palette.setColor(QPalette::Mid, QColor(36, 36, 38));
    palette.setColor(QPalette::Dark, QColor(24, 24, 26));
    palette.setColor(QPalette::Shadow, QColor(0, 0, 0));
    palette.setColor(QPalette::Highlight, QColor(38, 120, 214));
    palette.setColor(QPalette::HighlightedText, Qt::white);
    palette.setColor(QPalette::Link, QColor(90, 160, 250));
    palette.setColor(QPalette::LinkVisited, QColor(170, 130, 250));
    for (const auto role : {QPalette::WindowText, QPalette::Text, QPalette::ButtonText}) {
        palette.setColor(QPalette::Disabled, role, disabledText);
    }
    palette.setColor(QPalette::Disabled, QPalette::Button, QColor(52, 52, 55));
    palette.setColor(QPalette::Disabled, QPalette::Highlight, QColor(70, 70, 74));
    return palette;
}

}  // namespace tavix::ui
