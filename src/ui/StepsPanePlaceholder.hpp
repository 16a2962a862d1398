#pragma once

#include <QWidget>

namespace tavix::ui {

// What the steps pane shows while no step is being edited: "No step selected"
// over "Add a step to start renaming.", centred.
class StepsPanePlaceholder : public QWidget {
    Q_OBJECT
public:
    explicit StepsPanePlaceholder(QWidget* parent = nullptr);
};

}  // namespace tavix::ui
