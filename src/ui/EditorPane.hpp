#pragma once

#include <QWidget>

#include "model/TavixModel.hpp"

class QCheckBox;
class QListView;
class QStackedWidget;
class QToolButton;

namespace tavix::ui {

class ActionForm;
class StepListModel;
class StepsPanePlaceholder;

// The left pane: the form of the selected step (or a placeholder while no step
// is selected), the list of steps in running order with plus and minus, and the
// checkbox that keeps the extension out of the renaming. It keeps no state of
// its own: everything it shows and changes is the model's.
class EditorPane : public QWidget {
    Q_OBJECT
public:
    explicit EditorPane(TavixModel& model, QWidget* parent = nullptr);

    QListView* list() const { return list_; }
    ActionForm* form() const { return form_; }

private:
    QWidget* buildStepsSection();
    void changed(TavixModel::Field field);
    // Shows the selected step's form, or the placeholder when no step has the
    // selected id.
    void showForm();
    void showSelection();
    void listSelectionChanged();

    TavixModel& model_;
    TavixModel::Subscription subscription_;
    QStackedWidget* formArea_ = nullptr;
    StepsPanePlaceholder* placeholder_ = nullptr;
    ActionForm* form_ = nullptr;
    StepListModel* steps_ = nullptr;
    QListView* list_ = nullptr;
    QToolButton* add_ = nullptr;
    QToolButton* remove_ = nullptr;
    QCheckBox* keepExtension_ = nullptr;
    bool syncingSelection_ = false;
};

}  // namespace tavix::ui
