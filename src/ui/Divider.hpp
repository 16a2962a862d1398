#pragma once

#include <QWidget>

namespace tavix::ui {

// A hairline between the parts of a pane, in the text colour at low strength.
class Divider : public QWidget {
public:
    explicit Divider(QWidget* parent = nullptr);

protected:
    void paintEvent(QPaintEvent* event) override;
};

}  // namespace tavix::ui
