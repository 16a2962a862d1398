#pragma once

#include <QColor>
#include <QFont>
#include <QFontMetrics>
#include <QPalette>

namespace tavix::ui {

// The emphasis levels and accents the window's texts and drawings use. Each is
// resolved from the palette at drawing time, so a switch between a light and a
// dark palette is followed at the next repaint.
enum class Tone {
    primary,     // the palette's text colour
    secondary,   // the palette's placeholder text (text at half strength)
    tertiary,    // text at 30 %
    quaternary,  // text at 18 %
    orange,      // warnings: problem messages and the status notice
};

// A palette whose window colour is darker than mid grey.
bool isDark(const QPalette& palette);

QColor color(Tone tone, const QPalette& palette);

// The translucent yellow behind the changed characters of a new name; the yellow
// is a touch lighter on a dark palette, the alpha is the same in both.
QColor changeHighlight(const QPalette& palette, double alpha);

// The product's green, used for the drop outline.
QColor brand(const QPalette& palette);

// Text styles derived from the base font: caption for the small grey texts,
// title 3 for the empty state's invitation.
QFont captionFont(const QFont& base);
QFont title3Font(const QFont& base);

// The vertical room one line of text needs: the font's ascent above the
// baseline, and below it whichever reaches lower of the declared descent and
// the glyphs that hang lowest once drawn. At caption sizes DejaVu Sans draws its
// underscore one pixel below its rounded descent, so a line exactly
// `QFontMetrics::height()` tall loses it: ‘IMG_0041’ would read ‘IMG 0041’.
struct LineBox {
    int ascent = 0;
    int below = 0;
    int height() const { return ascent + below; }
    // The baseline of a line centred in `room` pixels.
    int baselineIn(int room) const { return (room - height()) / 2 + ascent; }
};
LineBox lineBox(const QFontMetrics& metrics);

// A dark palette for the Fusion style, with the same roles the light one sets.
QPalette darkPalette();

}  // namespace tavix::ui
