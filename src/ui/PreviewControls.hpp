#pragma once

#include <QWidget>
#include <functional>
#include <vector>

#include "model/TavixModel.hpp"

class QAction;
class QToolButton;

namespace tavix::ui {

class ElidedLabel;

// The bar under the file table, left to right: the settings menu (six toggles of
// the model), add, remove the selected file, clear, the count text and, while at
// least two files are listed, the "Sort" menu.
class PreviewControls : public QWidget {
    Q_OBJECT
public:
    PreviewControls(TavixModel& model, QWidget* parent = nullptr);

private:
    using Field = TavixModel::Field;
    using Getter = std::function<bool()>;
    using Setter = std::function<void(bool)>;

    // A check item of the settings menu bound both ways to one model toggle.
    QAction* addToggle(const char* name, const QString& title, Field field, Getter get, Setter set);
    void changed(Field field);
    void refreshCounts();
    void refreshSelection();

    struct Toggle {
        QAction* action;
        Field field;
        Getter get;
    };

    TavixModel& model_;
    TavixModel::Subscription subscription_;
    QToolButton* settings_ = nullptr;
    QToolButton* add_ = nullptr;
    QToolButton* remove_ = nullptr;
    QToolButton* clear_ = nullptr;
    ElidedLabel* count_ = nullptr;
    QToolButton* sort_ = nullptr;
    std::vector<Toggle> toggles_;
};

}  // namespace tavix::ui
