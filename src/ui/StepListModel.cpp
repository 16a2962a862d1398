#include "ui/StepListModel.hpp"

#include <QDataStream>
#include <QIODevice>
#include <QMimeData>
#include <set>

namespace tavix::ui {
namespace {

// Private to this list: offsets from one drag, meaningless outside it.
const QString stepOffsetsType = QStringLiteral("application/x-tavix-step-offsets");

std::vector<Uuid> idsOf(const std::vector<TavixModel::IdentifiedRule>& rules) {
    std::vector<Uuid> ids;
    ids.reserve(rules.size());
    for (const auto& step : rules) ids.push_back(step.id);
    return ids;
}

}  // namespace

StepListModel::StepListModel(TavixModel& model, QObject* parent)
    : QAbstractListModel(parent), model_(model), shown_(idsOf(model.rules())) {
    subscription_ = model_.observe([this](TavixModel::Field field) { changed(field); });
}

void StepListModel::changed(TavixModel::Field field) {
    if (field != TavixModel::Field::rules) return;
    std::vector<Uuid> ids = idsOf(model_.rules());
    if (ids == shown_) {
        // An edit of a step's parameters: same rows, new summaries.
        if (!ids.empty()) Q_EMIT dataChanged(index(0), index(static_cast<int>(ids.size()) - 1));
        return;
    }
    beginResetModel();
    shown_ = std::move(ids);
    endResetModel();
}

int StepListModel::rowCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : static_cast<int>(shown_.size());
}

QVariant StepListModel::data(const QModelIndex& index, int role) const {
    const auto& rules = model_.rules();
    if (!index.isValid() || index.row() < 0 ||
        static_cast<std::size_t>(index.row()) >= std::min(rules.size(), shown_.size())) {
        return {};
    }
    switch (role) {
        case Qt::DisplayRole:
        case Qt::ToolTipRole:
            return QString::fromStdString(
                rules[static_cast<std::size_t>(index.row())].rule.summary());
        case NumberRole:
            return QStringLiteral("%1.").arg(index.row() + 1);
        default:
            return {};
    }
}

Qt::ItemFlags StepListModel::flags(const QModelIndex& index) const {
    // Rows drag; drops land between rows, never on one.
    if (!index.isValid()) return Qt::ItemIsDropEnabled;
    return Qt::ItemIsEnabled | Qt::ItemIsSelectable | Qt::ItemIsDragEnabled |
           Qt::ItemNeverHasChildren;
}

Qt::DropActions StepListModel::supportedDragActions() const {
    return Qt::MoveAction;
}

Qt::DropActions StepListModel::supportedDropActions() const {
    return Qt::MoveAction;
}

QStringList StepListModel::mimeTypes() const {
    return {stepOffsetsType};
}

QMimeData* StepListModel::mimeData(const QModelIndexList& indexes) const {
    QByteArray encoded;
    QDataStream out(&encoded, QIODevice::WriteOnly);
    std::set<int> rows;
    for (const QModelIndex& index : indexes) {
        if (index.isValid()) rows.insert(index.row());
    }
    for (int row : rows) out << row;
    auto* data = new QMimeData;
    data->setData(stepOffsetsType, encoded);
    return data;
}

bool StepListModel::canDropMimeData(const QMimeData* data, Qt::DropAction action, int, int,
                                    const QModelIndex&) const {
    return data != nullptr && action == Qt::MoveAction && data->hasFormat(stepOffsetsType);
}

bool StepListModel::dropMimeData(const QMimeData* data, Qt::DropAction action, int row, int,
                                 const QModelIndex& parent) {
    if (!canDropMimeData(data, action, row, 0, parent)) return false;
    const std::size_t count = model_.rules().size();
    std::set<std::size_t> from;
    QDataStream in(data->data(stepOffsetsType));
    while (!in.atEnd()) {
        int offset = -1;
        in >> offset;
        if (in.status() != QDataStream::Ok) break;
        if (offset >= 0 && static_cast<std::size_t>(offset) < count) {
            from.insert(static_cast<std::size_t>(offset));
        }
    }
    if (from.empty()) return false;
    // A drop onto a row goes before it; a drop below the last row, at the end.
    std::size_t to = count;
    if (row >= 0) {
        to = std::min(static_cast<std::size_t>(row), count);
    } else if (parent.isValid()) {
        to = static_cast<std::size_t>(parent.row());
    }
    model_.moveRules(from, to);
    return false;
}

int StepListModel::rowOf(const std::optional<Uuid>& id) const {
    if (!id) return -1;
    for (std::size_t i = 0; i < shown_.size(); ++i) {
        if (shown_[i] == *id) return static_cast<int>(i);
    }
    return -1;
}

std::optional<Uuid> StepListModel::idAt(int row) const {
    if (row < 0 || static_cast<std::size_t>(row) >= shown_.size()) return std::nullopt;
    return shown_[static_cast<std::size_t>(row)];
}

}  // namespace tavix::ui
