#include "ui/TabOrder.hpp"

#include <QAbstractButton>
#include <QApplication>
#include <QButtonGroup>
#include <QScrollArea>
#include <QWidget>

#include <algorithm>

namespace tavix::ui {
namespace {

// The visible child widgets of `parent`, row by row: sorted by their middles,
// a child joins the row of the one before while its middle lies within that
// row's first child, and each row is read left to right.
std::vector<QWidget*> visualChildren(const QWidget* parent) {
    std::vector<QWidget*> children;
    for (QObject* object : parent->children()) {
        auto* child = qobject_cast<QWidget*>(object);
        if (child != nullptr && !child->isWindow() && !child->isHidden()) children.push_back(child);
    }
    std::ranges::stable_sort(children, {}, [](const QWidget* w) { return w->geometry().center().y(); });
    std::vector<QWidget*> ordered;
    ordered.reserve(children.size());
    auto row = children.begin();
    while (row != children.end()) {
        const QRect first = (*row)->geometry();
        auto end = std::find_if(row, children.end(), [&first](const QWidget* w) {
            const int middle = w->geometry().center().y();
            return middle < first.top() || middle > first.bottom();
        });
        std::stable_sort(row, end,
                         [](const QWidget* a, const QWidget* b) { return a->x() < b->x(); });
        ordered.insert(ordered.end(), row, end);
        row = end;
    }
    return ordered;
}

// The buttons that answer to arrows as one choice, with `button`: its exclusive
// group, or its auto-exclusive siblings; empty for any other widget.
QList<QAbstractButton*> choiceOf(QWidget* widget) {
    auto* button = qobject_cast<QAbstractButton*>(widget);
    if (button == nullptr || !button->isCheckable()) return {};
    if (const QButtonGroup* group = button->group()) {
        return group->exclusive() ? group->buttons() : QList<QAbstractButton*>{};
    }
    if (!button->autoExclusive()) return {};
    QList<QAbstractButton*> siblings;
    for (QObject* object : button->parent()->children()) {
        auto* sibling = qobject_cast<QAbstractButton*>(object);
        if (sibling != nullptr && sibling->autoExclusive() && sibling->isCheckable()) {
            siblings.push_back(sibling);
        }
    }
    return siblings;
}

// A choice of buttons is one stop, like one control: its checked button, or its
// first when none is checked.
bool standsForItsChoice(QWidget* widget) {
    const QList<QAbstractButton*> choice = choiceOf(widget);
    if (choice.isEmpty()) return true;
    const auto shown = [](const QAbstractButton* b) { return !b->isHidden() && b->isEnabled(); };
    for (const QAbstractButton* button : choice) {
        if (button->isChecked() && shown(button)) return button == widget;
    }
    const auto first = std::ranges::find_if(choice, shown);
    return first != choice.end() && *first == widget;
}

void collect(QWidget* widget, std::vector<QWidget*>& stops) {
    for (QWidget* child : visualChildren(widget)) {
        // A scroll area around a form only frames the form's own controls.
        const auto* scroll = qobject_cast<QScrollArea*>(child);
        if (scroll != nullptr && scroll->widget() != nullptr) {
            collect(scroll->widget(), stops);
        } else if ((child->focusPolicy() & Qt::TabFocus) == Qt::TabFocus) {
            if (child->isEnabled() && standsForItsChoice(child)) stops.push_back(child);
        } else {
            collect(child, stops);
        }
    }
}

}  // namespace

std::vector<QWidget*> tabStops(QWidget* root) {
    std::vector<QWidget*> stops;
    collect(root, stops);
    return stops;
}

bool moveFocus(QWidget* root, bool next) {
    const std::vector<QWidget*> stops = tabStops(root);
    if (stops.empty()) return false;
    // The stop that holds the focus, itself or through a part of it (a spin
    // box's line edit).
    const QWidget* focus = QApplication::focusWidget();
    const auto current = std::ranges::find_if(stops, [focus](const QWidget* stop) {
        return focus != nullptr && (stop == focus || stop->isAncestorOf(focus));
    });
    const auto count = static_cast<std::ptrdiff_t>(stops.size());
    std::ptrdiff_t index = 0;
    if (current != stops.end()) {
        index = (current - stops.begin() + (next ? 1 : count - 1)) % count;
    } else if (!next) {
        index = count - 1;
    }
    stops[static_cast<std::size_t>(index)]->setFocus(next ? Qt::TabFocusReason
                                                          : Qt::BacktabFocusReason);
    return true;
}

}  // namespace tavix::ui
