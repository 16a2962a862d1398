// The main window's content driven through its controls: the file controls,
// the table's cells as drawn, the status bar, drops, real renames and Tab.
#include <QAction>
#include <QApplication>
#include <QHeaderView>
#include <QMimeData>
#include <QPushButton>
#include <QStandardPaths>
#include <QStyleFactory>
#include <QTableView>
#include <QTest>
#include <QToolButton>
#include <QUrl>
#include <set>

#include "UiTestFiles.hpp"
#include "support/TemporaryFolder.hpp"
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
using tavix::uitest::countPixels;
using tavix::uitest::Path;
using tavix::testing::TemporaryFolder;

namespace {

// Makes every name change: "a.txt" becomes "new-a.txt".
void prefixEveryName(TavixModel& model, const std::string& prefix = "new-") {
    model.setRule(model.rules().front().id, RenameRule::addText(prefix, tavix::Position::prefix));
}

// The names of the entries of `folder`.
std::set<std::string> names(const Path& folder) {
    std::set<std::string> out;
    for (const auto& entry : std::filesystem::directory_iterator(folder)) {
        out.insert(entry.path().filename().string());
    }
    return out;
}

QImage cellImage(QTableView* table, int row, int column) {
    const QImage viewport = table->viewport()->grab().toImage();
    const QRect cell = table->visualRect(table->model()->index(row, column));
    const qreal ratio = viewport.devicePixelRatio();
    return viewport.copy(QRect(cell.topLeft() * ratio, cell.size() * ratio));
}

bool isOrange(const QColor& c) {
    return c.red() > 180 && c.green() > 80 && c.green() < 175 && c.blue() < 80;
}

// The light yellow of the change highlight laid over a light row.
bool isYellow(const QColor& c) {
    return c.red() > 230 && c.green() > 215 && c.blue() < 200 && c.red() - c.blue() > 50;
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
        view_->resize(1100, 700);
        view_->show();
        QVERIFY(QTest::qWaitForWindowExposed(view_.get()));
    }

    void cleanup() {
        view_.reset();
        model_.reset();
    }

    void theListControlsFollowAndDriveTheFiles() {
        TemporaryFolder box;
        TavixModel& model = view_->model();
        const Path b = box.write("img10.txt");
        const Path a = box.write("img2.txt");
        auto* clear = part<QToolButton>(view_.get(), "clearButton");
        QVERIFY(part<QWidget>(view_.get(), "dropBox")->isVisible());
        QVERIFY(!clear->isEnabled());
        QVERIFY(!part<QPushButton>(view_.get(), "undoButton")->isVisible());

        model.setFileChooser([&](const TavixModel::FileChooserRequest& request) {
            return request.filesOnly && request.multiple ? std::vector<Path>{b, a}
                                                         : std::vector<Path>{};
        });
        part<QPushButton>(view_.get(), "addFilesButton")->click();
        QCOMPARE(part<ElidedLabel>(view_.get(), "countText")->text(),
                 QStringLiteral("2 files \u00B7 0 will change"));
        QVERIFY(!part<QWidget>(view_.get(), "emptyState")->isVisible());
        part<QAction>(view_.get(), "sortByName")->trigger();
        QCOMPARE(model.files(), (std::vector<Path>{a, b}));

        clear->click();
        QVERIFY(model.files().empty());
        QVERIFY(part<QWidget>(view_.get(), "emptyState")->isVisible());
    }

    void clashingRowsWarnAndBlockRenaming() {
        TemporaryFolder box;
        view_->model().add({box.write("one/photo.jpg"), box.write("two/photo.jpg")});
        QTableView* table = view_->table();
        QVERIFY(countPixels(cellImage(table, 0, PlanTableModel::changeTo), isOrange) > 20);
        QCOMPARE(countPixels(cellImage(table, 0, PlanTableModel::currentName), isOrange), 0);

        auto* status = part<ElidedLabel>(view_.get(), "statusMessage");
        QCOMPARE(status->text(), QStringLiteral("Fix the highlighted names first"));
        QVERIFY(countPixels(status->grab().toImage(), isOrange) > 20);
        QVERIFY(!part<QPushButton>(view_.get(), "performButton")->isEnabled());
        // A message wins over the notice while it is shown.
        view_->model().setMessage("Renamed 3 files.");
        QCOMPARE(status->text(), QStringLiteral("Renamed 3 files."));
        QCOMPARE(countPixels(status->grab().toImage(), isOrange), 0);
    }

    void highlightToggleMarksTheChangedCharacters() {
        TemporaryFolder box;
        TavixModel& model = view_->model();
        model.add({box.write("IMG_1.jpg")});
        prefixEveryName(model);
        QTableView* table = view_->table();
        QVERIFY(countPixels(cellImage(table, 0, PlanTableModel::changeTo), isYellow) > 20);
        part<QAction>(view_.get(), "highlightChanges")->trigger();
        QVERIFY(!model.highlightChanges());
        QCOMPARE(countPixels(cellImage(table, 0, PlanTableModel::changeTo), isYellow), 0);
        model.setHighlightChanges(true);
        QVERIFY(part<QAction>(view_.get(), "highlightChanges")->isChecked());
    }

    // The table and the model share the selection, and the inspector shows
    // while its toggle is on, back on General each time.
    void selectionRemovalAndInspector() {
        TemporaryFolder box;
        TavixModel& model = view_->model();
        const Path a = box.write("a.txt");
        const Path b = box.write("b.txt");
        model.add({a, b});
        QTableView* table = view_->table();
        auto* minus = part<QToolButton>(view_.get(), "removeButton");
        QVERIFY(!minus->isEnabled());
        model.setPreviewSelection(model.plan().items[0].id);
        QCOMPARE(table->selectionModel()->selectedRows().value(0).row(), 0);
        prefixEveryName(model);  // new item ids: the selection names no row any more
        QVERIFY(table->selectionModel()->selectedRows().isEmpty());
        QVERIFY(!minus->isEnabled());

        QTest::mouseClick(table->viewport(), Qt::LeftButton, {},
                          table->visualRect(table->model()->index(1, 0)).center());
        QCOMPARE(model.selectedFile(), std::optional(b));
        minus->click();
        QCOMPARE(model.files(), (std::vector<Path>{a}));
        QVERIFY(!minus->isEnabled());

        auto* inspector = view_->findChild<tavix::ui::Inspector*>();
        QVERIFY(inspector->isVisible());
        inspector->setTab(tavix::ui::Inspector::Tab::image);
        auto* toggle = part<QAction>(view_.get(), "showInspector");
        toggle->trigger();
        QVERIFY(!view_->model().showInspector());
        QVERIFY(!inspector->isVisible());
        toggle->trigger();
        QCOMPARE(inspector->tab(), tavix::ui::Inspector::Tab::general);
    }

    // A path too long for its column loses its start, not its end.
    void thePathColumnShowsTheEndOfALongPath() {
        TemporaryFolder box;
        view_->model().add({box.write("a very long folder name/and another one/file.txt")});
        QTableView* table = view_->table();
        part<QAction>(view_.get(), "showPathColumn")->trigger();
        QVERIFY(!table->isColumnHidden(PlanTableModel::path));
        table->horizontalHeader()->resizeSection(PlanTableModel::path, 120);
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
    }

    // Keys go in through the window, the way the platform delivers them.
    void performAndUndoByButtonAndByKeyboard() {
        TemporaryFolder box;
        TavixModel& model = view_->model();
        model.add({box.write("a.txt")});
        auto* perform = part<QPushButton>(view_.get(), "performButton");
        auto* undo = part<QPushButton>(view_.get(), "undoButton");
        view_->activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(view_.get()));
        view_->table()->setFocus();
        // With no name to change, neither the button nor the shortcut acts.
        QVERIFY(!perform->isEnabled());
        QTest::keyClick(view_->windowHandle(), Qt::Key_Return, Qt::ControlModifier);
        QVERIFY(!model.message());

        prefixEveryName(model);
        perform->click();
        QCOMPARE(names(box.path()), std::set<std::string>{"new-a.txt"});
        undo->click();
        QCOMPARE(names(box.path()), std::set<std::string>{"a.txt"});
        QVERIFY(!undo->isVisible());
        QTest::keyClick(view_->windowHandle(), Qt::Key_Return, Qt::ControlModifier);
        QCOMPARE(names(box.path()), std::set<std::string>{"new-a.txt"});
        prefixEveryName(model, "x-");
        QTest::keyClick(view_->windowHandle(), Qt::Key_Enter,
                        Qt::ControlModifier | Qt::KeypadModifier);
        QCOMPARE(names(box.path()), std::set<std::string>{"x-new-a.txt"});
    }

    void droppingFilesAddsThemInOrderSkippingFolders() {
        TemporaryFolder box;
        const Path c = box.write("c.txt");
        const Path folder = box.folder("folder");
        const Path a = box.write("a.txt");
        const Path b = box.write("b.txt");
        TavixModel& model = view_->model();
        int rebuilds = 0;
        const auto subscription = model.observe([&](TavixModel::Field field) {
            if (field == TavixModel::Field::plan) ++rebuilds;
        });

        // Over the steps pane, not the table: the whole split view takes files.
        QWidget* over = part<QWidget>(view_.get(), "stepsPlaceholder");
        QMimeData data;
        QList<QUrl> urls;
        for (const Path& file : {c, folder, a, b}) urls << QUrl::fromLocalFile(file.c_str());
        data.setUrls(urls);
        QDragEnterEvent enter(QPoint(20, 20), Qt::CopyAction, &data, Qt::LeftButton, {});
        QApplication::sendEvent(over, &enter);
        QVERIFY(enter.isAccepted());
        QVERIFY(view_->isDropTargeted());
        QVERIFY(part<QWidget>(view_.get(), "dropOutline")->isVisible());

        QDropEvent drop(QPointF(30, 30), Qt::CopyAction, &data, Qt::LeftButton, {});
        QApplication::sendEvent(over, &drop);
        QVERIFY(drop.isAccepted());
        QVERIFY(!view_->isDropTargeted());
        QVERIFY(!part<QWidget>(view_.get(), "dropOutline")->isVisible());
        // Answered before any file joins the list.
        QVERIFY(model.files().empty());

        QTRY_COMPARE(model.files(), (std::vector<Path>{c, a, b}));
        QCOMPARE(rebuilds, 1);

        // A drag that leaves drops nothing; one without files is not taken.
        QApplication::sendEvent(over, &enter);
        QDragLeaveEvent leave;
        QApplication::sendEvent(over, &leave);
        QVERIFY(!view_->isDropTargeted());
        QMimeData text;
        text.setText(QStringLiteral("just words"));
        QDragEnterEvent words(QPoint(20, 20), Qt::CopyAction, &text, Qt::LeftButton, {});
        words.ignore();
        QApplication::sendEvent(over, &words);
        QVERIFY(!words.isAccepted());
    }

    void tabGoesFromControlToControlInTheOrderShown() {
        TemporaryFolder box;
        TavixModel& model = view_->model();
        model.add({box.write("a.txt"), box.write("b.txt")});
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
};

QTEST_MAIN(ContentViewTest)
#include "ContentViewTest.moc"
