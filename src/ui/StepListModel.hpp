#pragma once

#include <QAbstractListModel>
#include <optional>

#include "model/TavixModel.hpp"

namespace tavix::ui {

// The rows of the steps list: one per step of the model, in running order, each
// showing its number and its summary. Rows can be dragged within the list: a
// drop hands the source offsets and the destination offset to the model's
// moveRules, which reorders the steps; the rows follow from the new list.
class StepListModel : public QAbstractListModel {
    Q_OBJECT
public:
    enum Role {
        // "3." for the third row.
        NumberRole = Qt::UserRole + 1,
    };

    explicit StepListModel(TavixModel& model, QObject* parent = nullptr);

    int rowCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
    Qt::ItemFlags flags(const QModelIndex& index) const override;

    Qt::DropActions supportedDragActions() const override;
    Qt::DropActions supportedDropActions() const override;
    QStringList mimeTypes() const override;
    QMimeData* mimeData(const QModelIndexList& indexes) const override;
    bool canDropMimeData(const QMimeData* data, Qt::DropAction action, int row, int column,
                         const QModelIndex& parent) const override;
    // Moves the steps and answers false: the list is rebuilt from the model, so
    // the view must not remove the dragged rows itself.
    bool dropMimeData(const QMimeData* data, Qt::DropAction action, int row, int column,
                      const QModelIndex& parent) override;

    // The row of the step with this id, or -1.
    int rowOf(const std::optional<Uuid>& id) const;
    // The id of the step in `row`, or nothing.
    std::optional<Uuid> idAt(int row) const;

private:
    void changed(TavixModel::Field field);

    TavixModel& model_;
    TavixModel::Subscription subscription_;
    // The ids the view was last told of, in order: a list with the same ids only
    // changes its rows' texts; any other list resets the rows.
    std::vector<Uuid> shown_;
};

}  // namespace tavix::ui
