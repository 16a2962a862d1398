#include "ui/PlanTableModel.hpp"

#include <QGuiApplication>
#include <QStringList>

#include "engine/NameDiff.hpp"
#include "model/FileInfo.hpp"
#include "ui/Appearance.hpp"

namespace tavix::ui {
namespace {

QString fromUtf8(std::string_view text) {
    return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
}

QString folderOf(const RenamePlan::Item& item) {
    return fromUtf8(Location(item.path).parent_path().native());
}

}  // namespace

std::optional<PlanTableModel::Width> PlanTableModel::width(int column) {
    switch (column) {
        case size:
            return Width{70, 80, 110};
        case dateModified:
            return Width{130, 160, 220};
        case path:
            return Width{120, 200, 400};
        default:
            return std::nullopt;
    }
}

PlanTableModel::PlanTableModel(TavixModel& model, QObject* parent)
    : QAbstractTableModel(parent),
      model_(model),
      rows_(static_cast<int>(model.plan().items.size())) {
    subscription_ = model_.observe([this](TavixModel::Field field) { changed(field); });
}

void PlanTableModel::changed(TavixModel::Field field) {
    using Field = TavixModel::Field;
    if (field == Field::plan) {
        // Every plan has new items with new ids: nothing of the old rows survives.
        beginResetModel();
        rows_ = static_cast<int>(model_.plan().items.size());
        endResetModel();
    } else if (field == Field::highlightChanges && rows_ > 0) {
        Q_EMIT dataChanged(index(0, changeTo), index(rows_ - 1, changeTo),
                           {Qt::DisplayRole, MarkedSegmentsRole});
    }
}

int PlanTableModel::rowCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : rows_;
}

int PlanTableModel::columnCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : columnCount_;
}

Qt::ItemFlags PlanTableModel::flags(const QModelIndex& index) const {
    if (!index.isValid()) return Qt::NoItemFlags;
    return Qt::ItemIsEnabled | Qt::ItemIsSelectable | Qt::ItemNeverHasChildren;
}

const RenamePlan::Item* PlanTableModel::item(int row) const {
    const auto& items = model_.plan().items;
    if (row < 0 || row >= rows_ || static_cast<std::size_t>(row) >= items.size()) return nullptr;
    return &items[static_cast<std::size_t>(row)];
}

int PlanTableModel::rowOf(const Uuid& id) const {
    const auto& items = model_.plan().items;
    const std::size_t count = std::min(items.size(), static_cast<std::size_t>(rows_));
    for (std::size_t i = 0; i < count; ++i) {
        if (items[i].id == id) return static_cast<int>(i);
    }
    return -1;
}

QVariant PlanTableModel::headerData(int section, Qt::Orientation orientation, int role) const {
    if (orientation != Qt::Horizontal) return {};
    if (role == Qt::TextAlignmentRole) return QVariant(Qt::AlignLeft | Qt::AlignVCenter);
    if (role != Qt::DisplayRole) return {};
    switch (section) {
        case currentName:
            return QStringLiteral("Current Name");
        case changeTo:
            return QStringLiteral("Change to");
        case size:
            return QStringLiteral("Size");
        case dateModified:
            return QStringLiteral("Date Modified");
        case path:
            return QStringLiteral("Path");
        default:
            return {};
    }
}

QVariant PlanTableModel::data(const QModelIndex& index, int role) const {
    if (!index.isValid() || index.column() < 0 || index.column() >= columnCount_) return {};
    const RenamePlan::Item* found = item(index.row());
    if (found == nullptr) return {};
    const RenamePlan::Item& item = *found;
    const int column = index.column();

    if (column == changeTo) return changeToData(item, role);

    switch (role) {
        case Qt::DisplayRole:
            switch (column) {
                case currentName:
                    return fromUtf8(item.originalName());
                // The size and date are read from the disk each time they are
                // shown, so a change on disk shows at the next repaint.
                case size:
                    return fromUtf8(FileInfo::readListing(std::filesystem::path(item.path)).size);
                case dateModified:
                    return fromUtf8(FileInfo::readListing(std::filesystem::path(item.path)).modified);
                case path:
                    return folderOf(item);
            }
            return {};
        case Qt::ToolTipRole:
            if (column == currentName) return fromUtf8(item.originalName());
            if (column == path) return folderOf(item);
            return {};
        case Qt::ForegroundRole:
            return color(Tone::secondary, QGuiApplication::palette());
        case Qt::FontRole:
            if (column == currentName) return {};
            return captionFont(QGuiApplication::font());
        default:
            return {};
    }
}

QVariant PlanTableModel::changeToData(const RenamePlan::Item& item, int role) const {
    switch (role) {
        case Qt::DisplayRole:
        case Qt::ToolTipRole:
            if (item.problem) return fromUtf8(rawValue(*item.problem));
            return fromUtf8(item.newName);
        case ProblemRole:
            return item.problem.has_value();
        case ChangedRole:
            return item.isChanged();
        case Qt::ForegroundRole: {
            const QPalette palette = QGuiApplication::palette();
            if (item.problem) return color(Tone::orange, palette);
            return item.isChanged() ? palette.color(QPalette::Text)
                                    : color(Tone::secondary, palette);
        }
        case MarkedSegmentsRole: {
            if (item.problem) return {};
            const AttributedName name =
                NameDiff::attributed(item.originalName(), item.newName, model_.highlightChanges());
            if (!name.marked) return {};
            // Each piece is decoded on its own: the span is in UTF-8 bytes, the
            // view works in UTF-16 units.
            const std::string_view text = name.text;
            const TextSpan span = *name.marked;
            return QStringList{fromUtf8(text.substr(0, span.start)),
                               fromUtf8(text.substr(span.start, span.end - span.start)),
                               fromUtf8(text.substr(span.end))};
        }
        default:
            return {};
    }
}

}  // namespace tavix::ui
