#include "ui/ContentView.hpp"

#include <QApplication>
#include <QDragEnterEvent>
#include <QFile>
#include <QGridLayout>
#include <QHeaderView>
#include <QMenu>
#include <QMimeData>
#include <QPainter>
#include <QSplitter>
#include <QTableView>
#include <QTimer>
#include <QUrl>
#include <QVBoxLayout>

#include "ui/Appearance.hpp"
#include "ui/ChangeToDelegate.hpp"
#include "ui/ItemViewParts.hpp"
#include "ui/Divider.hpp"
#include "ui/EditorPane.hpp"
#include "ui/EmptyState.hpp"
#include "ui/FileManager.hpp"
#include "ui/Inspector.hpp"
#include "ui/PathDelegate.hpp"
#include "ui/PlanTableModel.hpp"
#include "ui/PreviewControls.hpp"
#include "ui/StatusBar.hpp"
#include "ui/TabOrder.hpp"

namespace tavix::ui {
namespace {

constexpr int stepsMinimumWidth = 330;
constexpr int stepsIdealWidth = 380;
constexpr int stepsMaximumWidth = 480;
constexpr int previewMinimumWidth = 430;
constexpr QSize contentMinimumSize(820, 520);

// The steps pane's place in the split view: between its minimum and maximum
// width, and at its ideal width when the window opens.
class PaneSlot : public QWidget {
public:
    explicit PaneSlot(QWidget* parent) : QWidget(parent) {
        setMinimumWidth(stepsMinimumWidth);
        setMaximumWidth(stepsMaximumWidth);
        auto* layout = new QVBoxLayout(this);
        layout->setContentsMargins(0, 0, 0, 0);
        layout->setSpacing(0);
    }
    QSize sizeHint() const override { return {stepsIdealWidth, QWidget::sizeHint().height()}; }
};

// The outline around the preview pane while files are dragged over the window:
// a rounded rectangle inset 3 from the pane's edges, stroked inside its bounds.
class DropOutline : public QWidget {
public:
    explicit DropOutline(QWidget* parent) : QWidget(parent) {
        setObjectName(QStringLiteral("dropOutline"));
        setAttribute(Qt::WA_TransparentForMouseEvents);
        hide();
    }

protected:
    void paintEvent(QPaintEvent*) override {
        constexpr qreal inset = 3;
        constexpr qreal lineWidth = 3;
        constexpr qreal radius = 6;
        QPainter painter(this);
        painter.setRenderHint(QPainter::Antialiasing);
        painter.setPen(QPen(brand(palette()), lineWidth));
        painter.setBrush(Qt::NoBrush);
        const qreal in = inset + lineWidth / 2;
        painter.drawRoundedRect(QRectF(rect()).adjusted(in, in, -in, -in), radius - lineWidth / 2,
                                radius - lineWidth / 2);
    }
};

// The local files a drag carries, in its order; empty when it carries none.
std::vector<Location> localFiles(const QMimeData* data) {
    std::vector<Location> files;
    if (data == nullptr || !data->hasUrls()) return files;
    for (const QUrl& url : data->urls()) {
        if (url.isLocalFile())
            files.emplace_back(QFile::encodeName(url.toLocalFile()).toStdString());
    }
    return files;
}

}  // namespace

ContentView::ContentView(TavixModel& model, QWidget* parent)
    : QWidget(parent), model_(model), showFiles_(&showInFileManager) {
    setObjectName(QStringLiteral("contentView"));
    setMinimumSize(contentMinimumSize);
    setAcceptDrops(true);

    splitter_ = new QSplitter(Qt::Horizontal, this);
    splitter_->setObjectName(QStringLiteral("splitView"));
    splitter_->setChildrenCollapsible(false);

    auto* stepsSlot = new PaneSlot(splitter_);
    stepsSlot->setObjectName(QStringLiteral("stepsPane"));
    editorPane_ = new EditorPane(model_, stepsSlot);
    stepsSlot->layout()->addWidget(editorPane_);
    splitter_->addWidget(stepsSlot);
    splitter_->addWidget(buildPreviewPane());
    splitter_->setStretchFactor(0, 0);
    splitter_->setStretchFactor(1, 1);
    splitter_->setSizes({stepsIdealWidth, contentMinimumSize.width()});

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(splitter_);

    subscription_ = model_.observe([this](Field field) { changed(field); });
    showColumns();
    showInspector();
    showTableFocus();

    // Drags are watched before any widget of the content sees them, so a child
    // that takes drops of its own (a text field) can't keep files from the window.
    qApp->installEventFilter(this);
}

ContentView::~ContentView() {
    qApp->removeEventFilter(this);
}

void ContentView::focusTable() {
    if (model_.files().empty()) {
        emptyState_->findChild<QWidget*>(QStringLiteral("addFilesButton"))->setFocus();
        return;
    }
    table_->setFocus(Qt::OtherFocusReason);
}

void ContentView::takeFiles(std::vector<Location> files) {
    model_.add(std::move(files));
}

QWidget* ContentView::buildPreviewPane() {
    previewPane_ = new QWidget(splitter_);
    previewPane_->setObjectName(QStringLiteral("previewPane"));
    previewPane_->setMinimumWidth(previewMinimumWidth);

    auto* tableArea = new QWidget(previewPane_);
    auto* stack = new QGridLayout(tableArea);
    stack->setContentsMargins(0, 0, 0, 0);
    table_ = new QTableView(tableArea);
    table_->setObjectName(QStringLiteral("fileTable"));
    tableModel_ = new PlanTableModel(model_, this);
    setUpTable();
    emptyState_ = new EmptyState(model_, tableArea);
    // Both in one cell; the empty state, added last, lies on top.
    stack->addWidget(table_, 0, 0);
    stack->addWidget(emptyState_, 0, 0);

    controls_ = new PreviewControls(model_, previewPane_);
    inspectorDivider_ = new Divider(previewPane_);
    inspector_ = new Inspector(model_, previewPane_);
    statusBar_ = new StatusBar(model_, previewPane_);
    connect(statusBar_, &StatusBar::commandDone, this, &ContentView::focusTable);

    auto* column = new QVBoxLayout(previewPane_);
    column->setContentsMargins(0, 0, 0, 0);
    column->setSpacing(0);
    column->addWidget(tableArea, 1);
    column->addWidget(new Divider(previewPane_));
    column->addWidget(controls_);
    column->addWidget(inspectorDivider_);
    column->addWidget(inspector_);
    column->addWidget(new Divider(previewPane_));
    column->addWidget(statusBar_);

    outline_ = new DropOutline(previewPane_);
    return previewPane_;
}

void ContentView::setUpTable() {
    table_->setModel(tableModel_);
    table_->setItemDelegateForColumn(PlanTableModel::changeTo, new ChangeToDelegate(table_));
    table_->setItemDelegateForColumn(PlanTableModel::path, new PathDelegate(table_));
    table_->setSelectionBehavior(QAbstractItemView::SelectRows);
    table_->setSelectionMode(QAbstractItemView::SingleSelection);
    table_->setAlternatingRowColors(true);
    table_->setShowGrid(false);
    table_->setWordWrap(false);
    table_->setTextElideMode(Qt::ElideMiddle);
    table_->setFrameShape(QFrame::NoFrame);
    table_->setHorizontalScrollMode(QAbstractItemView::ScrollPerPixel);
    table_->setEditTriggers(QAbstractItemView::NoEditTriggers);
    table_->setCornerButtonEnabled(false);
    // Tab leaves the table; the arrows move within it.
    table_->setTabKeyNavigation(false);

    // Rows of one fixed height: the view never measures a row, whatever the count.
    QHeaderView* rows = table_->verticalHeader();
    rows->hide();
    rows->setSectionResizeMode(QHeaderView::Fixed);
    rows->setDefaultSectionSize(table_->fontMetrics().height() + 8);

    QHeaderView* columns = table_->horizontalHeader();
    columns->setHighlightSections(false);
    columns->setDefaultAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    columns->setStretchLastSection(false);
    columns->setMinimumSectionSize(40);
    for (int column = 0; column < PlanTableModel::columnCount_; ++column) {
        if (const auto width = PlanTableModel::width(column)) {
            columns->setSectionResizeMode(column, QHeaderView::Interactive);
            columns->resizeSection(column, width->ideal);
        } else {
            columns->setSectionResizeMode(column, QHeaderView::Stretch);
        }
    }
    // A drag of an optional column's edge stops at that column's limits.
    connect(columns, &QHeaderView::sectionResized, this, [columns](int column, int, int size) {
        const auto width = PlanTableModel::width(column);
        if (!width || columns->isSectionHidden(column)) return;
        const int bounded = std::clamp(size, width->minimum, width->maximum);
        if (bounded != size) columns->resizeSection(column, bounded);
    });

    connect(table_->selectionModel(), &QItemSelectionModel::selectionChanged, this,
            &ContentView::tableSelectionChanged);

    table_->setContextMenuPolicy(Qt::CustomContextMenu);
    connect(table_, &QWidget::customContextMenuRequested, this, &ContentView::showRowMenu);
}

void ContentView::showRowMenu(const QPoint& at) {
    const QModelIndex index = table_->indexAt(at);
    const RenamePlan::Item* item = index.isValid() ? tableModel_->item(index.row()) : nullptr;
    if (item == nullptr) return;
    // The row under the pointer becomes the selected one, as in a file manager.
    table_->selectRow(index.row());
    const QUrl file = QUrl::fromLocalFile(QFile::decodeName(item->path.data()));
    auto* menu = new QMenu(table_);
    menu->setObjectName(QStringLiteral("rowMenu"));
    menu->setAttribute(Qt::WA_DeleteOnClose);
    QAction* show = menu->addAction(QStringLiteral("Show in File Manager"), this,
                                    [this, file] { showFiles_({file}); });
    show->setObjectName(QStringLiteral("showInFileManager"));
    menu->popup(table_->viewport()->mapToGlobal(at));
}

void ContentView::changed(Field field) {
    switch (field) {
        case Field::files:
            showTableFocus();
            break;
        case Field::showSizeColumn:
        case Field::showDateColumn:
        case Field::showPathColumn:
            showColumns();
            break;
        case Field::showInspector:
            showInspector();
            break;
        case Field::previewSelection:
            showSelection();
            break;
        default:
            break;
    }
}

void ContentView::showTableFocus() {
    // Under the empty state the table is out of sight, and so out of reach.
    table_->setFocusPolicy(model_.files().empty() ? Qt::NoFocus : Qt::StrongFocus);
}

bool ContentView::focusNextPrevChild(bool next) {
    return moveFocus(this, next) || QWidget::focusNextPrevChild(next);
}

void ContentView::showColumns() {
    table_->setColumnHidden(PlanTableModel::size, !model_.showSizeColumn());
    table_->setColumnHidden(PlanTableModel::dateModified, !model_.showDateColumn());
    table_->setColumnHidden(PlanTableModel::path, !model_.showPathColumn());
    fitColumns();
}

void ContentView::fitColumns() {
    // The optional columns take their ideal widths while the two names keep at
    // least as much room as they take together; on a narrower table they give
    // way, each in proportion to its slack, down to their minimums. The names
    // share the rest.
    QHeaderView* header = table_->horizontalHeader();
    std::vector<std::pair<int, PlanTableModel::Width>> shown;
    int ideal = 0;
    int slack = 0;
    for (int column = 0; column < PlanTableModel::columnCount_; ++column) {
        const auto width = PlanTableModel::width(column);
        if (!width || header->isSectionHidden(column)) continue;
        shown.emplace_back(column, *width);
        ideal += width->ideal;
        slack += width->ideal - width->minimum;
    }
    if (slack == 0) return;
    const int giving = std::clamp(ideal - table_->viewport()->width() / 2, 0, slack);
    // Shares rounded so that together they give exactly `giving`.
    int slackSoFar = 0;
    int givenSoFar = 0;
    for (const auto& [column, width] : shown) {
        slackSoFar += width.ideal - width.minimum;
        const int given = giving * slackSoFar / slack - givenSoFar;
        givenSoFar += given;
        header->resizeSection(column, width.ideal - given);
    }
}

void ContentView::showInspector() {
    const bool on = model_.showInspector();
    // Shown again, the inspector starts over on its first tab.
    if (on && !inspectorShown_) inspector_->resetToGeneral();
    inspectorShown_ = on;
    inspectorDivider_->setVisible(on);
    inspector_->setVisible(on);
}

void ContentView::tableSelectionChanged() {
    if (syncingSelection_) return;
    std::optional<Uuid> id;
    const QModelIndexList selected = table_->selectionModel()->selectedRows();
    if (!selected.isEmpty()) {
        if (const RenamePlan::Item* item = tableModel_->item(selected.first().row())) id = item->id;
    }
    if (id != model_.previewSelection()) model_.setPreviewSelection(id);
}

void ContentView::showSelection() {
    const auto& id = model_.previewSelection();
    const int row = id ? tableModel_->rowOf(*id) : -1;
    selectOnlyRow(*table_, row < 0 ? QModelIndex() : tableModel_->index(row, 0), syncingSelection_);
}

bool ContentView::eventFilter(QObject* watched, QEvent* event) {
    switch (event->type()) {
        case QEvent::DragEnter:
        case QEvent::DragMove:
        case QEvent::DragLeave:
        case QEvent::Drop: {
            auto* target = qobject_cast<QWidget*>(watched);
            if (target != nullptr && (target == this || isAncestorOf(target))) {
                return handleDrag(target, event);
            }
            break;
        }
        case QEvent::Resize:
            if (watched == previewPane_) outline_->setGeometry(previewPane_->rect());
            if (watched == table_->viewport()) fitColumns();
            break;
        default:
            break;
    }
    return QWidget::eventFilter(watched, event);
}

bool ContentView::handleDrag(QWidget*, QEvent* event) {
    if (event->type() == QEvent::DragLeave) {
        setDropTargeted(false);
        return false;
    }
    auto* drop = static_cast<QDropEvent*>(event);
    std::vector<Location> files = localFiles(drop->mimeData());
    // Anything else (text dragged into a field) goes on to its widget.
    if (files.empty()) return false;
    drop->setDropAction(Qt::CopyAction);
    drop->accept();
    if (event->type() != QEvent::Drop) {
        setDropTargeted(true);
        return true;
    }
    setDropTargeted(false);
    // The drop is answered at once; the files join the list once it has
    // returned, all in one addition so that the plan is built once per drop
    // rather than once per file.
    QTimer::singleShot(0, this,
                       [this, files = std::move(files)]() mutable { takeFiles(std::move(files)); });
    return true;
}

void ContentView::setDropTargeted(bool on) {
    if (dropTargeted_ == on) return;
    dropTargeted_ = on;
    if (on) {
        outline_->setGeometry(previewPane_->rect());
        outline_->raise();
    }
    outline_->setVisible(on);
}

}  // namespace tavix::ui
