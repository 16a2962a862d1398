#pragma once

#include <QLineEdit>
#include <cstdint>

namespace tavix::ui {

// A one-line field for a whole number, shown in the widget's locale with its
// grouping separators. Every keystroke that leaves a number the locale parses
// announces it with `committed`, so the value stored always follows what is
// typed; a text that doesn't parse yet ("-", empty) announces nothing and the
// last number stands. While the user types, the text is left as typed even when
// the owner stores another number (a clamp); when the field is committed
// (Return, or focus leaving) it shows the number stored. Up and Down ask for a
// step of +1 or -1 with `stepped`.
class IntegerField : public QLineEdit {
    Q_OBJECT
public:
    explicit IntegerField(QWidget* parent = nullptr);

    // The number last shown or stored; not necessarily the text being typed.
    std::int64_t value() const { return value_; }

    // Shows `value`. Unless `force` is set, a value equal to the one shown
    // leaves the text alone, and so does any value handed back while the field
    // announces a keystroke, so the text being typed survives.
    void setValue(std::int64_t value, bool force = false);

    QString format(std::int64_t value) const;

Q_SIGNALS:
    void committed(std::int64_t value);
    void stepped(int delta);

protected:
    void changeEvent(QEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;

private:
    void typed(const QString& text);
    void finish();

    std::int64_t value_ = 0;
    bool announcing_ = false;
};

}  // namespace tavix::ui
