#pragma once

#include <QAbstractTableModel>
#include <optional>

#include "model/TavixModel.hpp"

namespace tavix::ui {

// The rows of the file table: one per item of the model's plan, in plan order.
// Holds nothing but the row count; every cell is computed when the view asks
// for it, so a plan of 100,000 items costs only the rows on screen. A new plan
// resets the model; turning the highlight on or off changes the "Change to"
// column's data.
class PlanTableModel : public QAbstractTableModel {
    Q_OBJECT
public:
    enum Column { currentName, changeTo, size, dateModified, path, columnCount_ };

    enum Role {
        // "Change to" only: true when the item has a problem (the display text is
        // then the problem's message).
        ProblemRole = Qt::UserRole + 1,
        // "Change to" only: true when the new name differs from the current one.
        ChangedRole,
        // "Change to" only, while highlighting is on and a stretch changed: the
        // new name as three texts, before / changed / after.
        MarkedSegmentsRole,
    };

    struct Width {
        int minimum;
        int ideal;
        int maximum;
    };
    // The width range of an optional column; nothing for the two name columns,
    // which share the room that is left.
    static std::optional<Width> width(int column);

    explicit PlanTableModel(TavixModel& model, QObject* parent = nullptr);

    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation,
                        int role = Qt::DisplayRole) const override;
    Qt::ItemFlags flags(const QModelIndex& index) const override;

    // The plan item shown in `row`, or null.
    const RenamePlan::Item* item(int row) const;
    // The row of the plan item with this id, or -1.
    int rowOf(const Uuid& id) const;

private:
    void changed(TavixModel::Field field);
    QVariant changeToData(const RenamePlan::Item& item, int role) const;

    TavixModel& model_;
    TavixModel::Subscription subscription_;
    // The row count the view was last told of; a plan that is already replaced
    // but not yet announced is never read past it.
    int rows_ = 0;
};

}  // namespace tavix::ui
