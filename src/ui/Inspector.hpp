#pragma once

#include <QWidget>

#include <array>

#include "model/TavixModel.hpp"

class QButtonGroup;
class QLabel;
class QLineEdit;
class QScrollArea;

namespace tavix::ui {

// The panel below the file controls that shows facts about the file of the
// selected table row, on one of three tabs. It reads the file afresh whenever
// the selection, the plan or the tab changes, when it is shown and when its
// window becomes active again, so a change on disk shows without caching.
//
// Object names, for tests and style sheets: "inspectorTabs" (the segmented
// control) with the buttons "inspectorGeneral", "inspectorImage" and
// "inspectorTokens"; "inspectorRows" (the scrolling grid) holding the labels
// "inspectorLabel" and the values "inspectorValue", each label's buddy being
// its value; "inspectorEmpty" (the text shown while no file is selected).
// A value longer than its column shows its middle elided; its text is always
// the whole value, which is what selecting and copying it yields.
class Inspector : public QWidget {
    Q_OBJECT

public:
    enum class Tab { general, image, tokens };

    // The model must outlive the panel.
    explicit Inspector(TavixModel& model, QWidget* parent = nullptr);

    Tab tab() const { return tab_; }
    void setTab(Tab tab);
    // Back to the General tab, as each time the panel is shown again.
    void resetToGeneral() { setTab(Tab::general); }

    // Reads the selected file again and redraws the rows.
    void refresh();

protected:
    void changeEvent(QEvent* event) override;
    bool event(QEvent* event) override;
    void showEvent(QShowEvent* event) override;

private:
    static constexpr int maxRows = 5;
    struct Row {
        QLabel* label = nullptr;
        QLineEdit* value = nullptr;
    };

    // The parts of the panel, built once: the segmented control, the page of
    // rows in its scroll area, and the page shown while no file is selected.
    QWidget* makeTabs();
    QWidget* makeRows(QWidget* parent);
    QWidget* makeEmptyPage(QWidget* parent);

    // Fonts, colours and the segmented look, derived from the panel's own font
    // and palette so that both can change while it runs.
    void applyStyles();

    TavixModel& model_;
    TavixModel::Subscription subscription_;
    Tab tab_ = Tab::general;
    QWidget* tabBar_ = nullptr;
    QButtonGroup* tabs_ = nullptr;
    QScrollArea* scroll_ = nullptr;
    QLabel* empty_ = nullptr;
    std::array<Row, maxRows> rows_{};
};

}  // namespace tavix::ui
