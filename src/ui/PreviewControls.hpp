#pragma once

#include <QWidget>
#include <functional>
#include <optional>
#include <vector>

#include "model/TavixModel.hpp"

class QAction;
class QMenu;
class QToolButton;

namespace tavix::ui {

class ElidedLabel;

// The bar under the file table, left to right: the settings menu (eight toggles
// of the model: the columns and views, numbering each folder on its own, dates
// from when photos were taken), add, remove the selected file, clear, the count
// text and, while at least two files are listed, the "Sort" menu: by name, date
// modified, size, date created or date taken, and "Reverse", which turns the
// direction of every later sort round and sorts again in the order last chosen.
class PreviewControls : public QWidget {
    Q_OBJECT
public:
    PreviewControls(TavixModel& model, QWidget* parent = nullptr);

private:
    using Field = TavixModel::Field;
    using Getter = std::function<bool()>;
    using Setter = std::function<void(bool)>;

    // The controls, left to right: the settings menu, the buttons that add,
    // remove and clear files, the count, and the sort menu.
    void makeSettings();
    void makeFileButtons();
    void makeCount();
    void makeSort();
    // A check item of the settings menu bound both ways to one model toggle.
    QAction* addToggle(const char* name, const QString& title, Field field, Getter get, Setter set);
    QAction* addSortItem(QMenu& menu, const char* name, const QString& title,
                         FileList::SortOrder order);
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
    QAction* reverse_ = nullptr;
    std::optional<FileList::SortOrder> lastOrder_;
    std::vector<Toggle> toggles_;
};

}  // namespace tavix::ui
