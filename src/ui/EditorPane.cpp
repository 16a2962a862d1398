#include "ui/EditorPane.hpp"

#include <QCheckBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QListView>
#include <QStackedWidget>
#include <QToolButton>
#include <QVBoxLayout>

#include "ui/ActionForm.hpp"
#include "ui/Appearance.hpp"
#include "ui/ItemViewParts.hpp"
#include "ui/Divider.hpp"
#include "ui/ElidedLabel.hpp"
#include "ui/StepListModel.hpp"
#include "ui/StepRowDelegate.hpp"
#include "ui/StepsPanePlaceholder.hpp"
#include "ui/Symbols.hpp"

namespace tavix::ui {
namespace {

constexpr int listHeight = 132;

// The pointer to the selected step, or null when no step has the selected id.
const TavixModel::IdentifiedRule* selectedStep(const TavixModel& model) {
    const auto& id = model.selection();
    if (!id) return nullptr;
    for (const auto& step : model.rules()) {
        if (step.id == *id) return &step;
    }
    return nullptr;
}

}  // namespace

EditorPane::EditorPane(TavixModel& model, QWidget* parent) : QWidget(parent), model_(model) {
    setObjectName(QStringLiteral("editorPane"));

    formArea_ = new QStackedWidget(this);
    formArea_->setObjectName(QStringLiteral("formArea"));
    placeholder_ = new StepsPanePlaceholder(formArea_);
    // The form scrolls by itself when it is taller than the room left to it.
    form_ = new ActionForm(formArea_);
    form_->setObjectName(QStringLiteral("actionForm"));
    formArea_->addWidget(placeholder_);
    formArea_->addWidget(form_);
    connect(form_, &ActionForm::ruleEdited, this, [this](const RenameRule& rule) {
        if (const auto* step = selectedStep(model_)) model_.setRule(step->id, rule);
    });

    keepExtension_ =
        new QCheckBox(QStringLiteral("Change only the file name, not the extension"), this);
    keepExtension_->setObjectName(QStringLiteral("keepExtension"));
    keepExtension_->setFont(captionFont(font()));
    connect(keepExtension_, &QCheckBox::toggled, this, [this](bool on) {
        if (model_.keepExtension() != on) model_.setKeepExtension(on);
    });
    auto* keepRow = new QWidget(this);
    auto* keepLayout = new QHBoxLayout(keepRow);
    keepLayout->setContentsMargins(14, 9, 14, 9);
    keepLayout->addWidget(keepExtension_);

    auto* column = new QVBoxLayout(this);
    column->setContentsMargins(0, 0, 0, 0);
    column->setSpacing(0);
    column->addWidget(formArea_, 1);
    column->addWidget(new Divider(this));
    column->addWidget(buildStepsSection());
    column->addWidget(new Divider(this));
    column->addWidget(keepRow);

    subscription_ = model_.observe([this](TavixModel::Field field) { changed(field); });
    keepExtension_->setChecked(model_.keepExtension());
    showForm();
    showSelection();
}

QWidget* EditorPane::buildStepsSection() {
    auto* section = new QWidget(this);
    section->setObjectName(QStringLiteral("stepsSection"));

    auto* title = new QLabel(QStringLiteral("Steps"), section);
    title->setObjectName(QStringLiteral("stepsTitle"));
    QFont titleFont = font();
    titleFont.setPointSizeF(font().pointSizeF() * 0.92);
    titleFont.setWeight(QFont::DemiBold);
    title->setFont(titleFont);
    auto* hint = new ElidedLabel(section);
    hint->setObjectName(QStringLiteral("stepsHint"));
    hint->setText(QStringLiteral("run top to bottom"));
    hint->setFont(captionFont(font()));
    hint->setTone(Tone::tertiary);
    add_ = borderlessButton(section, "addStepButton", Symbol::plus, QStringLiteral("Add Step"));
    connect(add_, &QToolButton::clicked, this, [this] { model_.addStep(); });
    remove_ =
        borderlessButton(section, "removeStepButton", Symbol::minus, QStringLiteral("Remove Step"));
    connect(remove_, &QToolButton::clicked, this, [this] { model_.removeSelectedStep(); });

    auto* header = new QHBoxLayout;
    header->setContentsMargins(14, 7, 14, 7);
    header->setSpacing(6);
    header->addWidget(title, 0, Qt::AlignBaseline);
    header->addWidget(hint, 0, Qt::AlignBaseline);
    header->addStretch(1);
    header->addWidget(add_);
    header->addWidget(remove_);

    steps_ = new StepListModel(model_, this);
    list_ = new QListView(section);
    list_->setObjectName(QStringLiteral("stepsList"));
    list_->setModel(steps_);
    list_->setItemDelegate(new StepRowDelegate(list_));
    list_->setFixedHeight(listHeight);
    list_->setSelectionMode(QAbstractItemView::SingleSelection);
    list_->setResizeMode(QListView::Adjust);
    list_->setUniformItemSizes(false);
    list_->setWordWrap(true);
    list_->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    list_->setVerticalScrollMode(QAbstractItemView::ScrollPerPixel);
    list_->setFrameShape(QFrame::NoFrame);
    // Rows reorder by drag within the list; the model does the move.
    list_->setDragEnabled(true);
    list_->setAcceptDrops(true);
    list_->setDropIndicatorShown(true);
    list_->setDragDropMode(QAbstractItemView::DragDrop);
    list_->setDefaultDropAction(Qt::MoveAction);
    list_->setDragDropOverwriteMode(false);
    connect(list_->selectionModel(), &QItemSelectionModel::selectionChanged, this,
            &EditorPane::listSelectionChanged);
    // A reset (steps added, removed or moved) drops the view's selection; the
    // model's selection is shown again.
    connect(steps_, &QAbstractItemModel::modelReset, this, &EditorPane::showSelection);

    auto* stack = new QVBoxLayout(section);
    stack->setContentsMargins(0, 0, 0, 0);
    stack->setSpacing(0);
    stack->addLayout(header);
    // Inset from the pane's edges, like a grouped list.
    auto* inset = new QHBoxLayout;
    inset->setContentsMargins(8, 0, 8, 8);
    inset->addWidget(list_);
    stack->addLayout(inset);
    return section;
}

void EditorPane::changed(TavixModel::Field field) {
    using Field = TavixModel::Field;
    switch (field) {
        case Field::rules:
            showForm();
            break;
        case Field::selection:
            showForm();
            showSelection();
            break;
        case Field::keepExtension:
            keepExtension_->setChecked(model_.keepExtension());
            break;
        default:
            break;
    }
}

void EditorPane::showForm() {
    const auto* step = selectedStep(model_);
    remove_->setEnabled(model_.selection().has_value());
    if (!step) {
        formArea_->setCurrentWidget(placeholder_);
        return;
    }
    form_->setRule(step->rule);
    formArea_->setCurrentIndex(1);
}

void EditorPane::showSelection() {
    const int row = steps_->rowOf(model_.selection());
    selectOnlyRow(*list_, row < 0 ? QModelIndex() : steps_->index(row), syncingSelection_);
}

void EditorPane::listSelectionChanged() {
    if (syncingSelection_) return;
    const QModelIndexList selected = list_->selectionModel()->selectedRows();
    const std::optional<Uuid> id =
        selected.isEmpty() ? std::nullopt : steps_->idAt(selected.first().row());
    if (id != model_.selection()) model_.setSelection(id);
}

}  // namespace tavix::ui
