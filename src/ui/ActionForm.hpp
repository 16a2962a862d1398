#pragma once

#include <QWidget>
#include <functional>
#include <memory>
#include <vector>

#include "rules/RenameRule.hpp"

class QComboBox;
class QVBoxLayout;

namespace tavix::ui {

// The form that edits one step: the category and action pop-ups, a divider,
// then the grid of labelled controls for that kind's parameters. It holds the
// rule it shows; every edit by the user makes a whole new rule, keeps it and
// announces it with `ruleEdited` at once (one signal per keystroke or click).
class ActionForm : public QWidget {
    Q_OBJECT
public:
    explicit ActionForm(QWidget* parent = nullptr);
    ~ActionForm() override;

    // Shows `rule`, never announcing it. A rule of the kind already shown only
    // updates the controls whose value differs, so a field being typed in keeps
    // its cursor; a rule of another kind rebuilds the grid.
    void setRule(const RenameRule& rule);
    const RenameRule& rule() const { return rule_; }

Q_SIGNALS:
    void ruleEdited(const tavix::RenameRule& rule);

private:
    class Grid;

    // Stores `rule`, brings the controls up to date and announces it.
    void write(RenameRule rule);
    // Replaces the parameter grid with the rows of the current rule's kind.
    void rebuild();
    // Updates every control whose value differs from the current rule.
    void refresh();
    void refreshPickers();
    void chooseCategory(int index);
    void chooseAction(int index);

    RenameRule rule_;
    QComboBox* category_ = nullptr;
    QComboBox* action_ = nullptr;
    // The category whose actions the action pop-up lists, or -1 before the first.
    int listedCategory_ = -1;
    QVBoxLayout* stack_ = nullptr;
    QWidget* grid_ = nullptr;
    // The grid replaced last; kept until the next rebuild so that a control whose
    // signal led to the rebuild is not deleted while that signal runs.
    std::unique_ptr<QWidget> retired_;
    std::vector<std::function<void()>> refreshers_;
};

}  // namespace tavix::ui
