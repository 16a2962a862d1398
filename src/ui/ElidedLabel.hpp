#pragma once

#include <QString>
#include <QWidget>
#include <optional>

#include "ui/Appearance.hpp"
#include "ui/Symbols.hpp"

namespace tavix::ui {

// One line of text, cut with an ellipsis where it doesn't fit, in one of the
// window's tones, optionally led by a symbol drawn in the same tone. Unlike a
// QLabel it can be narrower than its text, so a long message never widens the
// window.
class ElidedLabel : public QWidget {
    Q_OBJECT
public:
    explicit ElidedLabel(QWidget* parent = nullptr);

    // The whole text, as set; what is drawn may be cut.
    QString text() const { return text_; }
    void setText(const QString& text);

    // The symbol before the text, drawn in the text's tone.
    std::optional<Symbol> symbol() const { return symbol_; }
    void setSymbol(std::optional<Symbol> symbol);

    Tone tone() const { return tone_; }
    void setTone(Tone tone);

    // The text as drawn at the current width.
    QString shownText() const;

    QSize sizeHint() const override;
    QSize minimumSizeHint() const override;

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    int iconSize() const;
    int iconSpace() const;

    QString text_;
    std::optional<Symbol> symbol_;
    Tone tone_ = Tone::secondary;
};

}  // namespace tavix::ui
