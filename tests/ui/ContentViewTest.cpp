// The main window's content driven through its controls: the empty state, the
// file controls, the table's cells, the status bar, drops and real renames.
#include <QAbstractItemModelTester>
#include <QAction>
#include <QApplication>
#include <QHeaderView>
#include <QMimeData>
#include <QPushButton>
#include <QSignalSpy>
#include <QStandardPaths>
#include <QStyleFactory>
#include <QTableView>
#include <QTest>
#include <QToolButton>
#include <QUrl>

#include "UiTestFiles.hpp"
#include "model/TavixModel.hpp"
#include "ui/ContentView.hpp"
#include "ui/ElidedLabel.hpp"
#include "ui/Inspector.hpp"
#include "ui/PathDelegate.hpp"
#include "ui/PlanTableModel.hpp"

using tavix::RenameRule;
using tavix::TavixModel;
using tavix::ui::ContentView;
using tavix::ui::ElidedLabel;
using tavix::ui::PlanTableModel;
using tavix::uitest::part;
using tavix::uitest::Path;
using tavix::uitest::Sandbox;

namespace {

// Makes every name change: "a.txt" becomes "new-a.txt".
void prefixEveryName(TavixModel& model, const std::string& prefix = "new-") {
    model.setRule(model.rules().front().id, RenameRule::addText(prefix, tavix::Position::prefix));
}

QMimeData* filesData(const std::vector<Path>& files) {
    auto* data = new QMimeData;
    QList<QUrl> urls;
    for (const Path& file : files) urls << QUrl::fromLocalFile(QString::fromStdString(file));
    data->setUrls(urls);
    return data;
}

QImage cellImage(QTableView* table, int row, int column) {
    const QImage viewport = table->viewport()->grab().toImage();
    const QRect cell = table->visualRect(table->model()->index(row, column));
    const qreal ratio = viewport.devicePixelRatio();
    return viewport.copy(QRect(cell.topLeft() * ratio, cell.size() * ratio));
}

int orangePixels(const QImage& image) {
    return tavix::uitest::countPixels(image, image.rect(), tavix::uitest::isOrange);
}

int yellowPixels(const QImage& image) {
    return tavix::uitest::countPixels(image, image.rect(), tavix::uitest::isHighlightYellow);
}

}  // namespace

class ContentViewTest : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void initTestCase() {
        QStandardPaths::setTestModeEnabled(true);
        QApplication::setStyle(QStyleFactory::create(QStringLiteral("Fusion")));
        QApplication::setPalette(QApplication::style()->standardPalette());
    }

    void init() {
        model_ = std::make_unique<TavixModel>();
        view_ = std::make_unique<ContentView>(*model_);
        tester_ = std::make_unique<QAbstractItemModelTester>(
            view_->tableModel(), QAbstractItemModelTester::FailureReportingMode::QtTest);
        view_->resize(1100, 700);
        view_->show();
        QVERIFY(QTest::qWaitForWindowExposed(view_.get()));
    }

    void cleanup() {
        tester_.reset();
        view_.reset();
        model_.reset();
    }

    void emptyListShowsTheDropBox() {
        QVERIFY(part<QWidget>(view_.get(), "emptyState")->isVisible());
        QVERIFY(part<QWidget>(view_.get(), "dropBox")->isVisible());
        QCOMPARE(part<ElidedLabel>(view_.get(), "dropHint")->text(),
                 QStringLiteral("Drag your files here"));
        QCOMPARE(part<QPushButton>(view_.get(), "addFilesButton")->text(),
                 QStringLiteral("Add Files\u2026"));
        QCOMPARE(part<ElidedLabel>(view_.get(), "countText")->text(),
                 QStringLiteral("Add files to preview the renames above."));
        QVERIFY(!part<QToolButton>(view_.get(), "clearButton")->isEnabled());
        QVERIFY(!part<QToolButton>(view_.get(), "removeButton")->isEnabled());
        QVERIFY(part<QToolButton>(view_.get(), "addButton")->isEnabled());
        QVERIFY(!part<QToolButton>(view_.get(), "sortButton")->isVisible());
        QVERIFY(!part<QPushButton>(view_.get(), "performButton")->isEnabled());
        QVERIFY(!part<QPushButton>(view_.get(), "undoButton")->isVisible());
        QVERIFY(!part<ElidedLabel>(view_.get(), "statusMessage")->isVisible());
        QCOMPARE(part<ElidedLabel>(view_.get(), "noStepTitle")->text(),
                 QStringLiteral("No step selected"));
        QCOMPARE(part<ElidedLabel>(view_.get(), "noStepHint")->text(),
                 QStringLiteral("Add a step to start renaming."));
    }

    void countTextForOneFileAndSeveral() {
        Sandbox box;
        TavixModel& model = view_->model();
        auto* count = part<ElidedLabel>(view_.get(), "countText");
        auto* sort = part<QToolButton>(view_.get(), "sortButton");

        model.add({box.file("a.txt")});
        QCOMPARE(count->text(), QStringLiteral("1 file \u00B7 0 will change"));
        QVERIFY(!sort->isVisible());
        QVERIFY(!part<QWidget>(view_.get(), "emptyState")->isVisible());
        QVERIFY(part<QToolButton>(view_.get(), "clearButton")->isEnabled());

        model.add({box.file("b.txt")});
        QCOMPARE(count->text(), QStringLiteral("2 files \u00B7 0 will change"));
        QVERIFY(sort->isVisible());

        model.setRule(model.rules().front().id,
                      RenameRule::findReplace("a", "z", false, false, tavix::Occurrences::all));
        QCOMPARE(count->text(), QStringLiteral("2 files \u00B7 1 will change"));

        part<QToolButton>(view_.get(), "clearButton")->click();
        QVERIFY(model.files().empty());
        QVERIFY(part<QWidget>(view_.get(), "emptyState")->isVisible());
        QVERIFY(!sort->isVisible());
        QCOMPARE(count->text(), QStringLiteral("Add files to preview the renames above."));
    }

    void addButtonsAskForFiles() {
        Sandbox box;
        const Path a = box.file("a.txt");
        const Path b = box.file("b.txt");
        std::vector<TavixModel::FileChooserRequest> asked;
        view_->model().setFileChooser([&](const TavixModel::FileChooserRequest& request) {
            asked.push_back(request);
            return std::vector<tavix::Location>{asked.size() == 1 ? a : b};
        });

        part<QPushButton>(view_.get(), "addFilesButton")->click();
        QCOMPARE(asked.size(), std::size_t{1});
        QCOMPARE(asked[0].message, std::string("Choose the files to rename"));
        QVERIFY(asked[0].filesOnly);
        QVERIFY(asked[0].multiple);
        QCOMPARE(view_->model().files(), std::vector<Path>{a});

        part<QToolButton>(view_.get(), "addButton")->click();
        QCOMPARE(asked.size(), std::size_t{2});
        QCOMPARE(view_->model().files(), (std::vector<Path>{a, b}));
    }

    void sortMenuSortsTheList() {
        Sandbox box;
        const Path b = box.file("img10.txt");
        const Path a = box.file("img2.txt");
        view_->model().add({b, a});
        part<QAction>(view_.get(), "sortByName")->trigger();
        QCOMPARE(view_->model().files(), (std::vector<Path>{a, b}));
        QCOMPARE(view_->table()->model()->index(0, 0).data().toString(),
                 QStringLiteral("img2.txt"));
    }

    void clashingRowsWarnAndBlockRenaming() {
        Sandbox box;
        view_->model().add({box.file("one/photo.jpg"), box.file("two/photo.jpg")});
        QTableView* table = view_->table();
        const QModelIndex changeTo = table->model()->index(0, PlanTableModel::changeTo);
        QCOMPARE(changeTo.data().toString(), QStringLiteral("Two files would share this name"));
        QVERIFY(changeTo.data(PlanTableModel::ProblemRole).toBool());
        QVERIFY(orangePixels(cellImage(table, 0, PlanTableModel::changeTo)) > 20);
        QCOMPARE(orangePixels(cellImage(table, 0, PlanTableModel::currentName)), 0);

        auto* status = part<ElidedLabel>(view_.get(), "statusMessage");
        QVERIFY(status->isVisible());
        QCOMPARE(status->text(), QStringLiteral("Fix the highlighted names first"));
        QCOMPARE(status->symbol(), std::optional(tavix::ui::Symbol::warning));
        QCOMPARE(status->tone(), tavix::ui::Tone::orange);
        QVERIFY(orangePixels(status->grab().toImage()) > 20);
        QVERIFY(!part<QPushButton>(view_.get(), "performButton")->isEnabled());
    }

    void messageWinsOverTheProblemNotice() {
        Sandbox box;
        view_->model().add({box.file("one/photo.jpg"), box.file("two/photo.jpg")});
        view_->model().setMessage("Renamed 3 files.");
        auto* status = part<ElidedLabel>(view_.get(), "statusMessage");
        QVERIFY(status->isVisible());
        QCOMPARE(status->text(), QStringLiteral("Renamed 3 files."));
        QCOMPARE(status->symbol(), std::nullopt);
        QCOMPARE(status->tone(), tavix::ui::Tone::secondary);
        QCOMPARE(orangePixels(status->grab().toImage()), 0);

        view_->model().setMessage(std::nullopt);
        QCOMPARE(status->text(), QStringLiteral("Fix the highlighted names first"));
    }

    void highlightToggleMarksTheChangedCharacters() {
        Sandbox box;
        TavixModel& model = view_->model();
        model.add({box.file("IMG_1.jpg"), box.file("notes.txt")});
        model.setRule(
            model.rules().front().id,
            RenameRule::findReplace("IMG_", "IMG_000", false, false, tavix::Occurrences::all));
        QTableView* table = view_->table();
        const QModelIndex changed = table->model()->index(0, PlanTableModel::changeTo);
        QCOMPARE(changed.data().toString(), QStringLiteral("IMG_0001.jpg"));
        QCOMPARE(changed.data(PlanTableModel::MarkedSegmentsRole).toStringList(),
                 (QStringList{"IMG_", "000", "1.jpg"}));
        QVERIFY(yellowPixels(cellImage(table, 0, PlanTableModel::changeTo)) > 20);

        // An unchanged name is drawn in the secondary colour, a changed one in the text colour.
        const QPalette palette = QApplication::palette();
        QCOMPARE(table->model()
                     ->index(1, PlanTableModel::changeTo)
                     .data(Qt::ForegroundRole)
                     .value<QColor>(),
                 palette.color(QPalette::PlaceholderText));
        QCOMPARE(changed.data(Qt::ForegroundRole).value<QColor>(), palette.color(QPalette::Text));

        auto* toggle = part<QAction>(view_.get(), "highlightChanges");
        QVERIFY(toggle->isChecked());
        toggle->trigger();
        QVERIFY(!model.highlightChanges());
        QVERIFY(!changed.data(PlanTableModel::MarkedSegmentsRole).isValid());
        QCOMPARE(yellowPixels(cellImage(table, 0, PlanTableModel::changeTo)), 0);

        model.setHighlightChanges(true);
        QVERIFY(toggle->isChecked());
        QVERIFY(yellowPixels(cellImage(table, 0, PlanTableModel::changeTo)) > 20);
    }

    void clickingARowSelectsItsFileForTheMinusButton() {
        Sandbox box;
        TavixModel& model = view_->model();
        const Path a = box.file("a.txt");
        const Path b = box.file("b.txt");
        model.add({a, b});
        QTableView* table = view_->table();
        auto* minus = part<QToolButton>(view_.get(), "removeButton");
        QVERIFY(!minus->isEnabled());

        QTest::mouseClick(table->viewport(), Qt::LeftButton, {},
                          table->visualRect(table->model()->index(1, 0)).center());
        QCOMPARE(model.previewSelection(), std::optional(model.plan().items[1].id));
        QCOMPARE(model.selectedFile(), std::optional(b));
        QVERIFY(minus->isEnabled());

        minus->click();
        QCOMPARE(model.files(), std::vector<Path>{a});
        QVERIFY(!model.previewSelection());
        QVERIFY(!minus->isEnabled());
        QVERIFY(table->selectionModel()->selectedRows().isEmpty());
    }

    void selectionFromTheModelShowsInTheTable() {
        Sandbox box;
        TavixModel& model = view_->model();
        model.add({box.file("a.txt"), box.file("b.txt"), box.file("c.txt")});
        model.setPreviewSelection(model.plan().items[2].id);
        const QModelIndexList rows = view_->table()->selectionModel()->selectedRows();
        QCOMPARE(rows.size(), 1);
        QCOMPARE(rows.first().row(), 2);

        // A rebuild gives the items new ids: the selection names no row any more,
        // and the minus has nothing to remove.
        prefixEveryName(model);
        QVERIFY(view_->table()->selectionModel()->selectedRows().isEmpty());
        QVERIFY(!part<QToolButton>(view_.get(), "removeButton")->isEnabled());
    }

    void optionalColumnsLeaveTheNamesTheirShare() {
        Sandbox box;
        const Path file = box.file("a very long folder name/and another one/file.txt", "12345");
        view_->model().add({file});
        QTableView* table = view_->table();
        QHeaderView* header = table->horizontalHeader();
        for (const char* toggle : {"showSizeColumn", "showDateColumn", "showPathColumn"}) {
            part<QAction>(view_.get(), toggle)->trigger();
        }
        QCOMPARE(table->model()->index(0, PlanTableModel::size).data().toString(),
                 QStringLiteral("5 bytes"));
        const auto width = [header](int column) { return header->sectionSize(column); };
        const std::pair<int, PlanTableModel::Width> optional[] = {
            {PlanTableModel::size, {70, 80, 110}},
            {PlanTableModel::dateModified, {130, 160, 220}},
            {PlanTableModel::path, {120, 200, 400}}};
        // Wide: every column at its ideal width. At the window's minimum: the
        // optional ones give way, never below their minimums, and the two names
        // share what they leave.
        for (const int windowWidth : {1800, 1100, 820}) {
            view_->resize(windowWidth, 700);
            QApplication::processEvents();
            int taken = 0;
            for (const auto& [column, limits] : optional) {
                QVERIFY(width(column) >= limits.minimum);
                QVERIFY(width(column) <= limits.ideal);
                if (windowWidth == 1800) QCOMPARE(width(column), limits.ideal);
                taken += width(column);
            }
            const int names = width(PlanTableModel::currentName) + width(PlanTableModel::changeTo);
            QVERIFY(std::abs(width(PlanTableModel::currentName) -
                             width(PlanTableModel::changeTo)) <= 1);
            QVERIFY2(names >= std::min(taken, table->viewport()->width() - 320),
                     qPrintable(QStringLiteral("%1 px for the names at %2").arg(names).arg(windowWidth)));
        }

        // Dragged past its limits, a column stops at them.
        header->resizeSection(PlanTableModel::path, 1000);
        QCOMPARE(header->sectionSize(PlanTableModel::path), 400);
        header->resizeSection(PlanTableModel::size, 10);
        QCOMPARE(header->sectionSize(PlanTableModel::size), 70);

        // A path too long for its column loses its start, not its end.
        header->resizeSection(PlanTableModel::path, 120);
        const QModelIndex cell = table->model()->index(0, PlanTableModel::path);
        auto* delegate = qobject_cast<tavix::ui::PathDelegate*>(
            table->itemDelegateForColumn(PlanTableModel::path));
        QVERIFY(delegate != nullptr);
        QStyleOptionViewItem option;
        option.initFrom(table->viewport());
        option.rect = table->visualRect(cell);
        option.font = cell.data(Qt::FontRole).value<QFont>();
        const QString shown = delegate->shownText(option, cell);
        QVERIFY2(shown.startsWith(QChar(0x2026)), qPrintable(shown));
        QVERIFY2(shown.endsWith(QStringLiteral("and another one")), qPrintable(shown));

        part<QAction>(view_.get(), "showPathColumn")->trigger();
        QVERIFY(table->isColumnHidden(PlanTableModel::path));
    }

    void inspectorShowsWhileToggledOnAndStartsOnGeneral() {
        auto* inspector = view_->findChild<tavix::ui::Inspector*>();
        QVERIFY(inspector != nullptr);
        QVERIFY(inspector->isVisible());
        inspector->setTab(tavix::ui::Inspector::Tab::image);

        auto* toggle = part<QAction>(view_.get(), "showInspector");
        toggle->trigger();
        QVERIFY(!view_->model().showInspector());
        QVERIFY(!inspector->isVisible());
        toggle->trigger();
        QVERIFY(inspector->isVisible());
        QCOMPARE(inspector->tab(), tavix::ui::Inspector::Tab::general);
    }

    void performRenamesRenamesTheFilesAndUndoPutsThemBack() {
        Sandbox box;
        TavixModel& model = view_->model();
        model.add({box.file("a.txt", "A"), box.file("b.txt", "B")});
        auto* perform = part<QPushButton>(view_.get(), "performButton");
        auto* undo = part<QPushButton>(view_.get(), "undoButton");
        auto* status = part<ElidedLabel>(view_.get(), "statusMessage");
        QVERIFY(!perform->isEnabled());
        QVERIFY(!undo->isVisible());

        prefixEveryName(model);
        QVERIFY(perform->isEnabled());
        QCOMPARE(perform->text(), QStringLiteral("Perform Renames"));
        perform->click();
        QCOMPARE(box.names(), (std::set<std::string>{"new-a.txt", "new-b.txt"}));
        QCOMPARE(status->text(), QStringLiteral("Renamed 2 files."));
        QVERIFY(undo->isVisible());
        QCOMPARE(view_->table()->model()->index(0, 0).data().toString(),
                 QStringLiteral("new-a.txt"));

        undo->click();
        QCOMPARE(box.names(), (std::set<std::string>{"a.txt", "b.txt"}));
        QCOMPARE(status->text(), QStringLiteral("Put 2 files back."));
        QVERIFY(!undo->isVisible());
    }

    void ctrlReturnPerformsOnlyWhileTheButtonIsEnabled() {
        Sandbox box;
        TavixModel& model = view_->model();
        model.add({box.file("a.txt")});
        view_->activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(view_.get()));
        // Keys go in through the window, the way the platform delivers them.
        view_->table()->setFocus();

        QTest::keyClick(view_->windowHandle(), Qt::Key_Return, Qt::ControlModifier);
        QCOMPARE(box.names(), std::set<std::string>{"a.txt"});
        QVERIFY(!model.message());

        prefixEveryName(model);
        QTest::keyClick(view_->windowHandle(), Qt::Key_Return, Qt::ControlModifier);
        QCOMPARE(box.names(), std::set<std::string>{"new-a.txt"});
        QCOMPARE(model.message(), std::optional<std::string>("Renamed 1 file."));

        prefixEveryName(model, "x-");
        QTest::keyClick(view_->windowHandle(), Qt::Key_Enter,
                        Qt::ControlModifier | Qt::KeypadModifier);
        QCOMPARE(box.names(), std::set<std::string>{"x-new-a.txt"});
    }

    void droppingFilesAddsThemInOrderSkippingFolders() {
        Sandbox box;
        const Path c = box.file("c.txt");
        const Path folder = box.folder("folder");
        const Path a = box.file("a.txt");
        const Path b = box.file("b.txt");
        TavixModel& model = view_->model();
        int rebuilds = 0;
        const auto subscription = model.observe([&](TavixModel::Field field) {
            if (field == TavixModel::Field::plan) ++rebuilds;
        });

        // Over the steps pane, not the table: the whole split view takes files.
        QWidget* over = part<QWidget>(view_.get(), "stepsPlaceholder");
        std::unique_ptr<QMimeData> data(filesData({c, folder, a, b}));
        QDragEnterEvent enter(QPoint(20, 20), Qt::CopyAction, data.get(), Qt::LeftButton, {});
        QApplication::sendEvent(over, &enter);
        QVERIFY(enter.isAccepted());
        QVERIFY(view_->isDropTargeted());
        QVERIFY(part<QWidget>(view_.get(), "dropOutline")->isVisible());

        QDragMoveEvent move(QPoint(30, 30), Qt::CopyAction, data.get(), Qt::LeftButton, {});
        QApplication::sendEvent(over, &move);
        QVERIFY(move.isAccepted());

        QDropEvent drop(QPointF(30, 30), Qt::CopyAction, data.get(), Qt::LeftButton, {});
        QApplication::sendEvent(over, &drop);
        QVERIFY(drop.isAccepted());
        QVERIFY(!view_->isDropTargeted());
        QVERIFY(!part<QWidget>(view_.get(), "dropOutline")->isVisible());
        // Answered before any file joins the list.
        QVERIFY(model.files().empty());

        QTRY_COMPARE(model.files(), (std::vector<Path>{c, a, b}));
        QCOMPARE(rebuilds, 1);
    }

    void dragThatLeavesRemovesTheOutline() {
        Sandbox box;
        std::unique_ptr<QMimeData> data(filesData({box.file("a.txt")}));
        QDragEnterEvent enter(QPoint(500, 100), Qt::CopyAction, data.get(), Qt::LeftButton, {});
        QApplication::sendEvent(view_->table()->viewport(), &enter);
        QVERIFY(enter.isAccepted());

        // The outline is drawn in the brand colour just inside the preview pane.
        auto* pane = part<QWidget>(view_.get(), "previewPane");
        const QImage image = pane->grab().toImage();
        const QColor brand = tavix::ui::brand(pane->palette());
        const auto isBrand = [&](const QColor& c) {
            return std::abs(c.red() - brand.red()) < 40 &&
                   std::abs(c.green() - brand.green()) < 40 &&
                   std::abs(c.blue() - brand.blue()) < 40;
        };
        const int ratio = qRound(image.devicePixelRatio());
        const int middle = image.height() / 2;
        QVERIFY(tavix::uitest::countPixels(image, QRect(3 * ratio, middle, 3 * ratio, 1), isBrand) >
                0);
        QCOMPARE(tavix::uitest::countPixels(image, QRect(0, middle, 2 * ratio, 1), isBrand), 0);

        QDragLeaveEvent leave;
        QApplication::sendEvent(view_->table()->viewport(), &leave);
        QVERIFY(!view_->isDropTargeted());
        QVERIFY(!part<QWidget>(view_.get(), "dropOutline")->isVisible());
    }

    void dragWithoutFilesIsNotTaken() {
        QMimeData text;
        text.setText(QStringLiteral("just words"));
        QDragEnterEvent enter(QPoint(20, 20), Qt::CopyAction, &text, Qt::LeftButton, {});
        enter.ignore();
        QApplication::sendEvent(view_.get(), &enter);
        QVERIFY(!enter.isAccepted());
        QVERIFY(!view_->isDropTargeted());
    }

    void tabGoesFromControlToControlInTheOrderShown() {
        Sandbox box;
        TavixModel& model = view_->model();
        model.add({box.file("a.txt"), box.file("b.txt")});
        model.setPreviewSelection(model.plan().items[0].id);
        view_->activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(view_.get()));

        const QStringList steps{"categoryMenu", "actionMenu", "findField", "replaceField",
                                "occurrencesMenu", "regexCheck", "caseSensitiveCheck",
                                "addStepButton", "removeStepButton", "stepsList",
                                "keepExtension"};
        // The table is one stop: Tab leaves it at once, its selection untouched.
        const QStringList preview{"fileTable", "settingsButton", "addButton", "removeButton",
                                  "clearButton", "sortButton", "inspectorGeneral"};
        QCOMPARE(tabWalk("categoryMenu", Qt::Key_Tab, 18), steps + preview + steps.mid(0, 1));
        QCOMPARE(model.previewSelection(), std::optional(model.plan().items[0].id));
        QStringList back = tabWalk("categoryMenu", Qt::Key_Backtab, 18);
        std::reverse(back.begin(), back.end());
        QCOMPARE(back, steps + preview + steps.mid(0, 1));

        // A form rebuilt for another kind keeps its place before the steps list.
        model.setRule(model.rules().front().id,
                      RenameRule::truncate(10, tavix::Position::suffix));
        QApplication::processEvents();  // a layout shows the controls added to it
        const QStringList walked = tabWalk("categoryMenu", Qt::Key_Tab, 6);
        QCOMPARE(walked.mid(0, 2), (QStringList{"categoryMenu", "actionMenu"}));
        QVERIFY2(walked.indexOf("addStepButton") > 2, qPrintable(walked.join(u' ')));
    }

private:
    // The object names of the widgets that hold the focus, starting on `first`,
    // then after each of `presses` key presses.
    QStringList tabWalk(const char* first, Qt::Key key, int presses) {
        part<QWidget>(view_.get(), first)->setFocus(Qt::OtherFocusReason);
        QStringList walked;
        for (int i = 0; i <= presses; ++i) {
            QWidget* focus = QApplication::focusWidget();
            if (focus == nullptr) break;
            walked << focus->objectName();
            if (i < presses) QTest::keyClick(focus, key);
        }
        return walked;
    }

    std::unique_ptr<TavixModel> model_;
    std::unique_ptr<ContentView> view_;
    std::unique_ptr<QAbstractItemModelTester> tester_;
};

QTEST_MAIN(ContentViewTest)
#include "ContentViewTest.moc"
