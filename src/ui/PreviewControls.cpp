#include "ui/PreviewControls.hpp"

#include <QAction>
#include <QHBoxLayout>
#include <QMenu>
#include <QToolButton>

#include "model/StatusTexts.hpp"
#include "ui/Appearance.hpp"
#include "ui/ElidedLabel.hpp"
#include "ui/Symbols.hpp"

namespace tavix::ui {

PreviewControls::PreviewControls(TavixModel& model, QWidget* parent)
    : QWidget(parent), model_(model) {
    setObjectName(QStringLiteral("previewControls"));
    makeSettings();
    makeFileButtons();
    makeCount();
    makeSort();

    auto* row = new QHBoxLayout(this);
    row->setContentsMargins(10, 6, 10, 6);
    row->setSpacing(7);
    row->addWidget(settings_);
    row->addWidget(add_);
    row->addWidget(remove_);
    row->addWidget(clear_);
    row->addSpacing(4);
    // The count takes the room up to the sort menu and is cut at its end.
    row->addWidget(count_, 1);
    row->addWidget(sort_);

    subscription_ = model_.observe([this](Field field) { changed(field); });
    refreshCounts();
    refreshSelection();
}

void PreviewControls::makeSettings() {
    settings_ =
        borderlessButton(this, "settingsButton", Symbol::gearshape, QStringLiteral("Settings"));
    settings_->setPopupMode(QToolButton::InstantPopup);
    auto* menu = new QMenu(settings_);
    menu->setObjectName(QStringLiteral("settingsMenu"));
    settings_->setMenu(menu);
    addToggle(
        "highlightChanges", QStringLiteral("Highlight changes"), Field::highlightChanges,
        [this] { return model_.highlightChanges(); },
        [this](bool on) { model_.setHighlightChanges(on); });
    menu->addSeparator();
    addToggle(
        "showSizeColumn", QStringLiteral("Show size column"), Field::showSizeColumn,
        [this] { return model_.showSizeColumn(); },
        [this](bool on) { model_.setShowSizeColumn(on); });
    addToggle(
        "showDateColumn", QStringLiteral("Show date modified column"), Field::showDateColumn,
        [this] { return model_.showDateColumn(); },
        [this](bool on) { model_.setShowDateColumn(on); });
    addToggle(
        "showPathColumn", QStringLiteral("Show file path column"), Field::showPathColumn,
        [this] { return model_.showPathColumn(); },
        [this](bool on) { model_.setShowPathColumn(on); });
    menu->addSeparator();
    addToggle(
        "showInspector", QStringLiteral("Show inspector"), Field::showInspector,
        [this] { return model_.showInspector(); },
        [this](bool on) { model_.setShowInspector(on); });
    addToggle(
        "clearAfterRenaming", QStringLiteral("Clear list after renaming"),
        Field::clearAfterRenaming, [this] { return model_.clearAfterRenaming(); },
        [this](bool on) { model_.setClearAfterRenaming(on); });
    menu->addSeparator();
    addToggle(
        "perFolder", QStringLiteral("Number each folder on its own"), Field::perFolder,
        [this] { return model_.perFolder(); }, [this](bool on) { model_.setPerFolder(on); });
    addToggle(
        "datesTaken", QStringLiteral("Dates from when photos were taken"), Field::dateSource,
        [this] { return model_.dateSource() == RenameEngine::DateSource::taken; },
        [this](bool on) {
            model_.setDateSource(on ? RenameEngine::DateSource::taken
                                    : RenameEngine::DateSource::modified);
        });
}

void PreviewControls::makeFileButtons() {
    add_ = borderlessButton(this, "addButton", Symbol::plus, QStringLiteral("Add Files"));
    connect(add_, &QToolButton::clicked, this, [this] { model_.addChosenFiles(); });
    remove_ = borderlessButton(this, "removeButton", Symbol::minus,
                               QStringLiteral("Remove Selected File"));
    connect(remove_, &QToolButton::clicked, this, [this] { model_.removeSelectedFile(); });
    clear_ = borderlessButton(this, "clearButton", Symbol::xmark, QStringLiteral("Clear List"));
    connect(clear_, &QToolButton::clicked, this, [this] { model_.clear(); });
}

void PreviewControls::makeCount() {
    count_ = new ElidedLabel(this);
    count_->setObjectName(QStringLiteral("countText"));
    count_->setFont(captionFont(font()));
    count_->setTone(Tone::secondary);
    count_->setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Fixed);
}

void PreviewControls::makeSort() {
    sort_ = new QToolButton(this);
    sort_->setObjectName(QStringLiteral("sortButton"));
    sort_->setText(QStringLiteral("Sort"));
    sort_->setFont(captionFont(font()));
    sort_->setAutoRaise(true);
    sort_->setToolButtonStyle(Qt::ToolButtonTextOnly);
    sort_->setPopupMode(QToolButton::InstantPopup);
    auto* sortMenu = new QMenu(sort_);
    sortMenu->setObjectName(QStringLiteral("sortMenu"));
    using Order = FileList::SortOrder;
    addSortItem(*sortMenu, "sortByName", QStringLiteral("By name"), Order::name);
    addSortItem(*sortMenu, "sortByDate", QStringLiteral("By date modified"), Order::date);
    addSortItem(*sortMenu, "sortBySize", QStringLiteral("By size"), Order::size);
    addSortItem(*sortMenu, "sortByCreated", QStringLiteral("By date created"), Order::created);
    QAction* taken =
        addSortItem(*sortMenu, "sortByTaken", QStringLiteral("By date taken"), Order::taken);
    taken->setToolTip(QStringLiteral("Photos by when they were taken, other files by date modified"));
    sortMenu->setToolTipsVisible(true);
    sortMenu->addSeparator();
    reverse_ = sortMenu->addAction(QStringLiteral("Reverse"));
    reverse_->setObjectName(QStringLiteral("sortReverse"));
    reverse_->setCheckable(true);
    // Turning the direction round sorts again in the order last chosen.
    connect(reverse_, &QAction::toggled, this, [this] {
        if (lastOrder_) model_.sort(*lastOrder_, reverse_->isChecked());
    });
    sort_->setMenu(sortMenu);
}

QAction* PreviewControls::addToggle(const char* name, const QString& title, Field field, Getter get,
                                    Setter set) {
    QAction* action = settings_->menu()->addAction(title);
    action->setObjectName(QString::fromLatin1(name));
    action->setCheckable(true);
    action->setChecked(get());
    connect(action, &QAction::toggled, this, [get, set](bool on) {
        if (get() != on) set(on);
    });
    toggles_.push_back({action, field, std::move(get)});
    return action;
}

QAction* PreviewControls::addSortItem(QMenu& menu, const char* name, const QString& title,
                                      FileList::SortOrder order) {
    QAction* action = menu.addAction(title);
    action->setObjectName(QString::fromLatin1(name));
    connect(action, &QAction::triggered, this, [this, order] {
        lastOrder_ = order;
        model_.sort(order, reverse_->isChecked());
    });
    return action;
}

void PreviewControls::changed(Field field) {
    for (const auto& [action, mirrored, get] : toggles_) {
        if (field == mirrored) action->setChecked(get());
    }
    // A change of the files always ends with the new plan; the counts are read then.
    if (field == Field::plan) refreshCounts();
    if (field == Field::plan || field == Field::previewSelection) refreshSelection();
}

void PreviewControls::refreshCounts() {
    const std::size_t files = model_.files().size();
    clear_->setEnabled(files > 0);
    count_->setText(
        QString::fromStdString(StatusTexts::count(files, model_.changedCount())));
    sort_->setVisible(files >= 2);
}

void PreviewControls::refreshSelection() {
    // The minus acts on the file the selection names; a selection left over from
    // an earlier plan names none, so the button is off then too.
    remove_->setEnabled(model_.selectedFile().has_value());
}

}  // namespace tavix::ui
