#pragma once

#include <QWidget>

#include "model/TavixModel.hpp"

class QPushButton;

namespace tavix::ui {

class ElidedLabel;

// The dashed drop box drawn on the empty table: a rounded rectangle with a
// dashed border and a downward arrow in its middle.
class DropBox : public QWidget {
    Q_OBJECT
public:
    explicit DropBox(QWidget* parent = nullptr);

protected:
    void paintEvent(QPaintEvent* event) override;
};

// The opaque panel that covers the file table while no file is listed: the drop
// box, "Drag your files here" and the "Add Files…" button, centred. It shows and
// hides itself as the list empties and fills.
class EmptyState : public QWidget {
    Q_OBJECT
public:
    EmptyState(TavixModel& model, QWidget* parent = nullptr);

private:
    TavixModel& model_;
    TavixModel::Subscription subscription_;
    ElidedLabel* hint_ = nullptr;
    QPushButton* addFiles_ = nullptr;
};

}  // namespace tavix::ui
