#pragma once

#include <QWidget>

class QToolButton;

namespace tavix::ui {

// A pair of small arrows, up over down, without a label. A click (or a held
// press, repeating) announces a step of +1 or -1; the owner applies it. The
// down arrow can be switched off where the value is at its floor.
class Stepper : public QWidget {
    Q_OBJECT
public:
    explicit Stepper(QWidget* parent = nullptr);

    void setDownEnabled(bool enabled);

Q_SIGNALS:
    void stepped(int delta);

private:
    QToolButton* up_;
    QToolButton* down_;
};

}  // namespace tavix::ui
