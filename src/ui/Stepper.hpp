#pragma once

#include <QWidget>

class QToolButton;

namespace tavix::ui {

// A pair of small arrows, up over down, without a label. A click (or a held
// press, repeating) announces a step of +1 or -1; the owner applies it. The
// down arrow can be switched off where the value is at its floor. Tab stops on
// the pair, where Up and Down step as the arrows do.
class Stepper : public QWidget {
    Q_OBJECT
public:
    explicit Stepper(QWidget* parent = nullptr);

    void setDownEnabled(bool enabled);

Q_SIGNALS:
    void stepped(int delta);

protected:
    void keyPressEvent(QKeyEvent* event) override;
    void focusInEvent(QFocusEvent* event) override;
    void focusOutEvent(QFocusEvent* event) override;
    void paintEvent(QPaintEvent* event) override;

private:
    QToolButton* up_;
    QToolButton* down_;
};

}  // namespace tavix::ui
